// Binary INI decoding of arbitrary bytes: must end with a status, never read outside the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gamedata/uIniDecoder.h"
#include "support/Classes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qmz::TStringList lines;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const qmz::TBiniStatus status = qmz::DecodeBiniBuffer(bytes, &lines);
  if (status != qmz::bsSuccess && status != qmz::bsBadEntry && status != qmz::bsNotBini && status != qmz::bsTooSmall)
    __builtin_trap();
  if (size >= 4) (void)qmz::GetCStr(std::string(bytes), std::int64_t(data[0]) << 8 | data[1]);
  return 0;
}
