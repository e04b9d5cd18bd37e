#include <gtest/gtest.h>

#include "update/wuWebUpdate_Page.h"

namespace qmz {
namespace {

TEST(UpdateVersion, ComparesByFormat) {
  struct Case {
    const char* local;
    const char* web;
    TwuVersionFormat format;
    bool newer;
  };
  const Case cases[] = {
      {"1.9", "1.10", vfStandard, true},  {"2.0", "1.99", vfStandard, false},
      {"1.2", "1.2.1", vfStandard, true}, {"1.3.0.7", "1.3", vfStandard, false},
      {"1.0", "1", vfStandard, false},    {"1.x", "1.1", vfStandard, true},
      {"1.0", "1.0", vfStandard, false},  {"99999999999999999999", "1", vfStandard, false},
      {"1.5", "1.25", vfNumber, false},   {"1.25", "1.5", vfNumber, true},
      {"1.0", "2.0a", vfNumber, false},   {"", "2", vfNumber, false},
      {"1.9", "1.10", vfString, false},   {"1.10", "1.9", vfString, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.local, c.web, c.format), c.newer) << c.local << " -> " << c.web << " / " << c.format;
  }
}

TEST(UpdatePage, ReadsMetaLinesByTheirRules) {
  const std::string longValue(300, 'x');
  const std::vector<std::string> lines = {
      R"(<meta name="wuProduct" content="ignored: lower-case meta name">)",
      R"(<META NAME="wuProduct" CONTENT="QMZ">)",
      R"(<META NAME="wuVersion" content="1.2">)",
      R"(<META NAME="wuVersion" CONTENT="1.3">)",
      R"(<META NAME="wuDownload" CONTENT=")" + longValue + R"(">)",
      R"(<META NAME="wuAuthor">no content "here")",
      R"(<META NAME="wuUnknown" CONTENT="x">)",
  };
  // Each line ends differently: CR LF, LF and CR all end a line.
  std::string page;
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (std::size_t i = 0; i < lines.size(); ++i) page += lines[i] + ends[i % 3];
  const UpdatePageValues values = ParseUpdatePage(page, TwuTagInfo());
  EXPECT_EQ(values.ProductName, "QMZ");
  EXPECT_EQ(values.WebVersion, "1.3");
  EXPECT_EQ(values.DownloadUrl, "");
  // Without CONTENT= the value runs from the 9th character of the line to the next quote.
  EXPECT_EQ(values.Author, "ME=");
}

TEST(UpdatePage, SplitsUrls) {
  std::string host, path;
  SplitUrl("http://example.invalid/up/page.html", host, path);
  EXPECT_EQ(host + "|" + path, "example.invalid|/up/page.html");
  SplitUrl("example.invalid", host, path);
  EXPECT_EQ(host + "|" + path, "|example.invalid");
}

TEST(UpdatePage, FileNamesFromThePageStayPlain) {
  const std::pair<const char*, const char*> cases[] = {
      {"setup.exe", "setup.exe"},
      {"../../etc/passwd", "passwd"},
      {"C:\\Windows\\evil.exe", "evil.exe"},
      {"/abs/olute.bin", "olute.bin"},
      {"..", ""},
      {"dir/", ""},
      {"a\x01"
       "b\n",
       "ab"},
  };
  for (const auto& [name, plain] : cases) EXPECT_EQ(PlainFileName(name), plain) << name;
}

}  // namespace
}  // namespace qmz
