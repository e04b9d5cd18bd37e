#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <optional>
#include <string_view>

#include "platform/AsciiText.h"
#include "platform/WholeFile.h"

namespace qmz::platform {

namespace {

// The file as lines (without their line ends), plus the line end it uses.
struct ProfileText {
  std::vector<std::string> lines;
  std::string eol = "\n";
  bool readable = true;  // false for a file that exists but could not be read: never overwrite it
};

ProfileText Load(const std::string& fileName) {
  ProfileText text;
  std::string data;
  if (!ReadWholeFile(fileName, data)) {
    text.readable = ::access(fileName.c_str(), F_OK) != 0;
    return text;
  }
  std::string_view rest(data);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  bool first = true;
  while (!rest.empty()) {
    const std::size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      if (first && nl != std::string_view::npos) text.eol = "\r\n";
    }
    if (nl != std::string_view::npos) first = false;
    text.lines.emplace_back(line);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
  }
  return text;
}

// An advisory lock on the profile file for one read-modify-write, so that writers in other processes wait
// instead of each saving its own copy over the others' keys. Every save renames a new file over the name,
// so a lock won on a file that is no longer the one of that name is taken again on the new one.
class ProfileLock {
 public:
  ProfileLock(const std::string& fileName, bool create) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      // Non-blocking open: a FIFO in the file's place must not hang the writer (the read refuses it).
      fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0), 0666);
      if (fd_ < 0) return;
      struct stat locked {
      }, named{};
      if (::fstat(fd_, &locked) != 0 || !S_ISREG(locked.st_mode)) break;
      int result;
      while ((result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
      }
      if (result != 0) break;
      if (::stat(fileName.c_str(), &named) == 0 && named.st_dev == locked.st_dev && named.st_ino == locked.st_ino)
        return;
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  ~ProfileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

 private:
  int fd_ = -1;
};

bool Save(const std::string& fileName, const ProfileText& text) {
  std::string data;
  for (const auto& line : text.lines) {
    data += line;
    data += text.eol;
  }
  return WriteFileAtomic(fileName, data);
}

// The section name of a header line, or nothing for any other line.
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = TrimView(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  return TrimView(line.substr(0, line.find(']')));
}

// Key and value of a line inside a section; nothing for blank and comment lines.
std::optional<std::pair<std::string_view, std::string_view>> KeyLine(std::string_view line) {
  line = TrimView(line);
  if (line.empty() || line.front() == ';') return std::nullopt;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::pair{line, std::string_view()};
  return std::pair{TrimView(line.substr(0, eq)), TrimView(line.substr(eq + 1))};
}

// [header, end) of the first section named section; header == npos when there is none.
struct Range {
  std::size_t header = std::string::npos;
  std::size_t end = 0;
};

Range FindSection(const std::vector<std::string>& lines, std::string_view section, std::size_t from = 0) {
  Range r;
  for (std::size_t i = from; i < lines.size(); ++i) {
    auto name = HeaderName(lines[i]);
    if (!name) continue;
    if (r.header != std::string::npos) {
      r.end = i;
      return r;
    }
    if (AsciiSameText(*name, section)) r.header = i;
  }
  r.end = lines.size();
  return r;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

std::string CutValue(std::string_view value) {
  // Count characters, not bytes, and never split a UTF-8 sequence.
  std::size_t chars = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) continue;
    if (chars++ == kProfileValueLimit) return std::string(value.substr(0, i));
  }
  return std::string(value);
}

}  // namespace

std::string ReadProfileString(const std::string& FileName, const std::string& Section, const std::string& Key,
                              const std::string& Default) {
  const ProfileText text = Load(FileName);
  const Range r = FindSection(text.lines, TrimView(Section));
  if (r.header == std::string::npos) return Default;
  const std::string_view key = TrimView(Key);
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    auto kv = KeyLine(text.lines[i]);
    if (kv && AsciiSameText(kv->first, key)) return CutValue(kv->second);
  }
  return Default;
}

std::vector<std::string> ReadProfileSectionNames(const std::string& FileName) {
  const ProfileText text = Load(FileName);
  std::vector<std::string> names;
  for (const auto& line : text.lines) {
    auto name = HeaderName(line);
    if (!name) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || AsciiSameText(n, *name);
    if (!seen) names.emplace_back(*name);
  }
  return names;
}

std::vector<std::string> ReadProfileSectionKeys(const std::string& FileName, const std::string& Section) {
  const ProfileText text = Load(FileName);
  std::vector<std::string> keys;
  const Range r = FindSection(text.lines, TrimView(Section));
  if (r.header == std::string::npos) return keys;
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    auto kv = KeyLine(text.lines[i]);
    if (!kv) continue;
    bool seen = false;
    for (const auto& k : keys) seen = seen || AsciiSameText(k, kv->first);
    if (!seen) keys.emplace_back(kv->first);
  }
  return keys;
}

bool WriteProfileString(const std::string& FileName, const std::string& Section, const std::string& Key,
                        const std::string& Value) {
  if (HasLineBreak(Section) || HasLineBreak(Key) || HasLineBreak(Value)) return false;
  const ProfileLock lock(FileName, true);
  ProfileText text = Load(FileName);
  if (!text.readable) return false;
  const std::string_view section = TrimView(Section), key = TrimView(Key);
  const std::string_view value = TrimView(Value);
  const Range r = FindSection(text.lines, section);
  if (r.header == std::string::npos) {
    if (!text.lines.empty() && !TrimView(text.lines.back()).empty()) text.lines.emplace_back();
    text.lines.push_back(std::string(1, '[').append(section).append(1, ']'));
    text.lines.push_back(std::string(key) + "=" + std::string(value));
    return Save(FileName, text);
  }
  std::size_t insertAt = r.header + 1;
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    if (!TrimView(text.lines[i]).empty()) insertAt = i + 1;
    auto kv = KeyLine(text.lines[i]);
    if (kv && AsciiSameText(kv->first, key)) {
      text.lines[i] = std::string(kv->first) + "=" + std::string(value);
      return Save(FileName, text);
    }
  }
  text.lines.insert(text.lines.begin() + std::ptrdiff_t(insertAt), std::string(key) + "=" + std::string(value));
  return Save(FileName, text);
}

bool EraseProfileSection(const std::string& FileName, const std::string& Section) {
  const ProfileLock lock(FileName, false);
  ProfileText text = Load(FileName);
  if (!text.readable) return false;
  bool changed = false;
  for (Range r = FindSection(text.lines, TrimView(Section)); r.header != std::string::npos;
       r = FindSection(text.lines, TrimView(Section), r.header)) {
    text.lines.erase(text.lines.begin() + std::ptrdiff_t(r.header), text.lines.begin() + std::ptrdiff_t(r.end));
    changed = true;
  }
  return !changed || Save(FileName, text);
}

bool DeleteProfileKey(const std::string& FileName, const std::string& Section, const std::string& Key) {
  const ProfileLock lock(FileName, false);
  ProfileText text = Load(FileName);
  if (!text.readable) return false;
  const Range r = FindSection(text.lines, TrimView(Section));
  if (r.header == std::string::npos) return true;
  const std::string_view key = TrimView(Key);
  bool changed = false;
  for (std::size_t i = r.end; i-- > r.header + 1;) {
    auto kv = KeyLine(text.lines[i]);
    if (kv && AsciiSameText(kv->first, key)) {
      text.lines.erase(text.lines.begin() + std::ptrdiff_t(i));
      changed = true;
    }
  }
  return !changed || Save(FileName, text);
}

}  // namespace qmz::platform
