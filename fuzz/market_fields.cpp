// The number and field helpers on a market line as the markets parser splits it: the name before "=",
// then six fields cut off at their commas, each tested and read as a number.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/SysUtils.h"
#include "support/mGlobalFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::size_t eq = line.find('=');
  std::string value = eq == std::string::npos ? line : line.substr(eq + 1);
  (void)qmz::ExtractBetween(line, "*", ";", false);
  (void)qmz::ExtractBetween(line, "=", ",", true);
  for (int field = 0; field < 6; ++field) {
    const std::size_t before = value.size();
    const std::string text = qmz::ExtractBetweenCut(value, "*", ",", false, true);
    if (value.size() > before) __builtin_trap();  // cutting never adds text
    (void)qmz::IsNumberText(text);
    (void)qmz::TextToSingle(text, '.');
    (void)qmz::TextToSingle(text, ',');
    (void)qmz::TryTextToSingle(text, '.');
    (void)qmz::TextToExtended(text);
    (void)qmz::TryStrToInt(text);
    (void)qmz::NormalizeNumberText(text);
  }
  return 0;
}
