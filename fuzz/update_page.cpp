// Arbitrary bytes as an update information page: every META line read, the values escaped for the journal,
// and the first two lines compared as versions in each format.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/SysUtils.h"
#include "update/wuWebUpdate_Page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const qmz::UpdatePageValues values = qmz::ParseUpdatePage(input, qmz::TwuTagInfo());
  (void)qmz::PlainFileName(values.ClientFileName);
  (void)qmz::EscapeOutsideText(values.ProductName);
  std::vector<std::string> lines;
  qmz::ForEachTextLine(input, [&lines](std::string_view line) {
    if (lines.size() < 2) lines.emplace_back(line);
  });
  if (lines.size() >= 2) {
    for (auto format : {qmz::vfStandard, qmz::vfString, qmz::vfNumber}) {
      (void)qmz::IsNewerVersion(lines[0], lines[1], format);
    }
  }
  return 0;
}
