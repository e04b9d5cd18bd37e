// qmz-samplegen: writes a sample Starvagant installation for tests, benchmarks and the demo.
#include "samplegen/CommandLine.h"
#include "samplegen/SampleGen.h"
#include "samplegen/SettingsEntry.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  const auto line = qmz::samplegen::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  // Help that was asked for is an answer, not an error.
  if (line.help) {
    std::cout << qmz::samplegen::UsageText();
    return 0;
  }
  // Arguments that do not fit: what was wrong, the usage on standard error and a failure status.
  if (!line.error.empty()) {
    std::cerr << "qmz-samplegen: " << line.error << "\n" << qmz::samplegen::UsageText();
    return 2;
  }
  try {
    auto options = qmz::samplegen::Options::ForSize(line.size);
    if (line.seed) options.seed = *line.seed;
    options.binaryFiles = line.binary;
    options.winePrefix = line.winePrefix;
    const auto manifest = qmz::samplegen::Generate(line.outDir, options);
    std::cout << manifest.ToText();
    if (!line.settings.empty() &&
        qmz::samplegen::AddSettingsEntry(line.settings, manifest.installDir.string(), line.size) ==
            qmz::samplegen::SettingsChange::Failed) {
      std::cerr << "qmz-samplegen: cannot write " << line.settings << "\n";
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "qmz-samplegen: " << e.what() << "\n";
    return 1;
  }
}
