// Format with a format text from outside (translated texts, journal lines of the game's names) and
// arguments of every kind: it formats or raises EConvertError, never more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view format(reinterpret_cast<const char*>(data), size);
  const std::string text = "St01_01_Base";
  try {
    (void)qmz::FormatList(format, {42, -7, std::uint32_t(4000000000u), 3.14159, -0.5f, text, "ore", 'c',
                                   std::int64_t(-9000000000LL), static_cast<const void*>(text.data())});
  } catch (const qmz::EConvertError&) {
  }
  try {
    (void)qmz::FormatList(format, {});
  } catch (const qmz::EConvertError&) {
  }
  return 0;
}
