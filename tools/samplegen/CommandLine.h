#pragma once
// The command line of qmz-samplegen: its options, what they mean, and what was wrong with a line that does
// not fit.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qmz::samplegen {

struct CommandLine {
  bool help = false;  // --help or -h: the usage, and nothing else
  std::string size = "small";
  std::optional<std::uint64_t> seed;
  bool binary = false;
  bool winePrefix = false;
  std::string settings;
  std::string outDir;
  // What did not fit, in words; empty when the line is usable.
  std::string error;
};

// The arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& Args);

// The usage with every option described.
const char* UsageText();

}  // namespace qmz::samplegen
