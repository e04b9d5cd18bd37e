// Arbitrary bytes as an update information page: split into lines, every META line read, and the
// first two lines compared as versions in each format.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/wuWebUpdate_Page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = qmz::SplitPageLines(input);
  const qmz::UpdatePageValues values = qmz::ParseUpdatePage(lines, qmz::TwuTagInfo());
  (void)qmz::PlainFileName(values.ClientFileName);
  std::string host, path;
  qmz::SplitUrl(values.DownloadUrl, host, path);
  if (lines.size() >= 2) {
    for (auto format : {qmz::vfStandard, qmz::vfString, qmz::vfNumber}) {
      (void)qmz::IsNewerVersion(lines[0], lines[1], format);
    }
  }
  return 0;
}
