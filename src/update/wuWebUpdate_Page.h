#pragma once
// The update information page and versions: pure functions, no network and no widgets, so they are
// tested and fuzzed alone.

#include <string>
#include <string_view>

namespace qmz {

enum TwuVersionFormat { vfStandard, vfString, vfNumber };

// The eight tag names looked for in the page.
struct TwuTagInfo {
  std::string Author = "wuAuthor";
  std::string Email = "wuEmail";
  std::string ClientFileName = "wuClientSideName";
  std::string Download = "wuDownload";
  std::string ProductName = "wuProduct";
  std::string Redirection = "wuRedirection";
  std::string RunParameters = "wuRunParameters";
  std::string Version = "wuVersion";
};

// The values read from one page.
struct UpdatePageValues {
  std::string WebVersion;
  std::string DownloadUrl;
  std::string ClientFileName;
  std::string Redirection;
  std::string Author;
  std::string Email;
  std::string ProductName;
  std::string RunParameters;
};

// Tag name and value of one line that contains "META NAME"; false for any other line.
bool ParseMetaLine(std::string_view line, std::string& tag, std::string& value);

// Every line of the page (lines end at CR LF, LF or CR) in order; a later line with the same tag
// replaces an earlier value. The lines are read in place: no copy of the page is made.
UpdatePageValues ParseUpdatePage(std::string_view page, const TwuTagInfo& tags);

// Whether the web version is newer than the local one. vfStandard compares the dot-separated parts
// as numbers, a missing or non-numeric part counting as 0.
bool IsNewerVersion(const std::string& local, const std::string& web, TwuVersionFormat format);

// The last component of a name from the page, safe to use as a file name in a folder of ours:
// no folders, no "." or "..", no control characters; empty when nothing is left.
std::string PlainFileName(std::string_view name);

}  // namespace qmz
