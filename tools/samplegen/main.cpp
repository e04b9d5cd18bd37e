// qmz-samplegen: writes a sample Starvagant installation for tests, benchmarks and the demo.
#include "samplegen/SampleGen.h"
#include "samplegen/SettingsEntry.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

constexpr char kUsage[] =
    "usage: qmz-samplegen [--size small|typical|large|xlarge] [--seed N] [--binary] [--wine-prefix]\n"
    "                     [--settings QMZ.ini] <out-dir>\n"
    "  --settings: name the installation in that settings file (a new file: as the default entry;\n"
    "              an existing one: as one more entry when none names it, nothing else changed)\n";

// Arguments that do not fit: the usage on standard error and a failure status.
int Usage() {
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string size = "small";
  std::string seedText;
  bool binary = false;
  bool wine = false;
  std::string out;
  std::string settings;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    // Help that was asked for is an answer, not an error.
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (a == "--size" && i + 1 < argc) size = argv[++i];
    else if (a == "--seed" && i + 1 < argc) seedText = argv[++i];
    else if (a == "--binary") binary = true;
    else if (a == "--wine-prefix") wine = true;
    else if (a == "--settings" && i + 1 < argc) settings = argv[++i];
    else if (!a.empty() && a[0] != '-' && out.empty()) out = a;
    else return Usage();
  }
  if (out.empty()) return Usage();
  try {
    auto options = qmz::samplegen::Options::ForSize(size);
    if (!seedText.empty()) {
      if (seedText.find_first_not_of("0123456789") != std::string::npos) return Usage();
      std::size_t used = 0;
      options.seed = std::stoull(seedText, &used);
      if (used != seedText.size()) return Usage();
    }
    options.binaryFiles = binary;
    options.winePrefix = wine;
    const auto manifest = qmz::samplegen::Generate(out, options);
    std::cout << manifest.ToText();
    if (!settings.empty() && qmz::samplegen::AddSettingsEntry(settings, manifest.installDir.string(), size) ==
                                 qmz::samplegen::SettingsChange::Failed) {
      std::cerr << "qmz-samplegen: cannot write " << settings << "\n";
      return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "qmz-samplegen: " << e.what() << "\n";
    return 1;
  }
}
