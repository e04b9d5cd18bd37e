#include "platform/OsVersion.h"

#include <sys/utsname.h>

#include <sstream>

#include "platform/WholeFile.h"

namespace qmz::platform {

namespace {

// One value of an os-release file: KEY=value, value optionally in single or double quotes.
std::string OsReleaseValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0 || line.size() <= key.size() || line[key.size()] != '=') continue;
    std::string value = line.substr(key.size() + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      unescaped += value[i];
    }
    return unescaped;
  }
  return {};
}

// Leading decimal number of text from pos; pos moves past it and one following separator.
std::uint32_t NextNumber(const std::string& text, size_t& pos) {
  std::uint64_t n = 0;
  bool any = false;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (n < 0xFFFFFFFFu) n = n * 10 + static_cast<unsigned>(text[pos] - '0');
    any = true;
    ++pos;
  }
  if (any && pos < text.size() && text[pos] == '.') ++pos;
  else pos = text.size();  // the numbered part ends at the first non-dot separator
  return static_cast<std::uint32_t>(n > 0xFFFFFFFFu ? 0xFFFFFFFFu : n);
}

}  // namespace

OsVersionRecord MakeOsVersionRecord(const std::string& sysName, const std::string& release,
                                    const std::string& osReleaseText) {
  OsVersionRecord r;
  r.PlatformId = kPlatformLinux;
  size_t pos = 0;
  r.MajorVersion = NextNumber(release, pos);
  r.MinorVersion = NextNumber(release, pos);
  r.BuildNumber = NextNumber(release, pos);
  r.CSDVersion = sysName.empty() ? release : sysName + " " + release;
  if (r.CSDVersion.size() > 127) r.CSDVersion.resize(127);
  r.SystemName = OsReleaseValue(osReleaseText, "PRETTY_NAME");
  if (r.SystemName.empty()) {
    r.SystemName = OsReleaseValue(osReleaseText, "NAME");
    const std::string version = OsReleaseValue(osReleaseText, "VERSION");
    if (!version.empty()) r.SystemName += (r.SystemName.empty() ? "" : " ") + version;
  }
  if (r.SystemName.empty()) r.SystemName = sysName;
  return r;
}

OsVersionRecord ReadOsVersionRecord() {
  utsname u{};
  std::string sysName, release;
  if (uname(&u) == 0) {
    sysName = u.sysname;
    release = u.release;
  }
  std::string text;
  if (!ReadWholeFile("/etc/os-release", text)) ReadWholeFile("/usr/lib/os-release", text);
  return MakeOsVersionRecord(sysName, release, text);
}

}  // namespace qmz::platform
