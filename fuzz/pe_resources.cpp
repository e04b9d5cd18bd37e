// Arbitrary bytes as a resource library: string table over a range of ids, and the version resource.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/PeStringTable.h"
#include "platform/PeVersionInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> image(data, size);
  const qmz::platform::PeStringTable table(image);
  for (uint32_t id = 0; id < 64; ++id) (void)table.LoadString(id);
  for (uint32_t id : {65535u, 65536u, 1000000u}) (void)table.LoadString(id);
  if (const auto info = qmz::platform::ParsePeVersionInfo(image)) {
    (void)info->StringValue("040904b0", "ProductName");
  }
  return 0;
}
