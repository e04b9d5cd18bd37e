#include "platform/FileSystemInfo.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/WholeFile.h"

namespace qmz::platform {

namespace fs = std::filesystem;

std::optional<std::vector<std::string>> FolderNames(const fs::path& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) {
    if (errno == ENOMEM) throw std::bad_alloc();
    return std::nullopt;
  }
  std::vector<std::string> names;
  // A read error ends the listing with the names read so far.
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  return names;
}

int PathDepthWithin(const fs::path& root, const fs::path& path) {
  auto p = path.begin();
  int depth = 0;
  for (auto r = root.begin(); r != root.end(); ++r, ++depth) {
    if (r->empty()) continue;  // a trailing separator
    if (p == path.end() || *r != *p) return -1;
    ++p;
  }
  return depth;
}

bool MakePrivateFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return false;
  // Ours but open to others (left so by hand, or by an older run): closed, through the folder itself, so a
  // link put in its place meanwhile is never followed. Another user's folder or a link stays as it is.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat info {};
  if (fd >= 0 && ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
    (void)::fchmod(fd, 0700);
  if (fd >= 0) ::close(fd);
  return true;
}

std::string PrivateFolderProblem(const std::string& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return "the folder " + folder + " is missing";
  if (!S_ISDIR(info.st_mode)) return "the folder " + folder + " is not a directory";
  if (info.st_uid != ::geteuid()) return "the folder " + folder + " belongs to another user";
  if ((info.st_mode & 077) != 0) return "the folder " + folder + " is open to other users";
  return {};
}

std::optional<std::int64_t> FreeBytesAvailable(const fs::path& folder) {
  struct statvfs st {};
  if (statvfs(folder.c_str(), &st) != 0) return std::nullopt;
  const unsigned __int128 bytes = static_cast<unsigned __int128>(st.f_bavail) * st.f_frsize;
  constexpr std::int64_t kMax = INT64_MAX;
  return bytes > static_cast<unsigned __int128>(kMax) ? kMax : static_cast<std::int64_t>(bytes);
}

namespace {

std::string FirstLineOf(const fs::path& file) {
  std::string text;
  ReadWholeFile(file.string(), text);
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// Mount points escape blanks and a few other characters as octal "\040".
std::string UnescapeMountField(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7' && s[i + 2] >= '0' && s[i + 2] <= '7' &&
        s[i + 3] >= '0' && s[i + 3] <= '7') {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

std::string FileSystemTypeOf(const std::string& mountsText, const fs::path& path) {
  std::istringstream in(mountsText);
  std::string line, type;
  size_t bestLength = 0;
  bool found = false;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, fsType;
    if (!(fields >> device >> mountPoint >> fsType)) continue;
    const fs::path point = UnescapeMountField(mountPoint);
    const size_t length = point.native().size();
    // Later entries with the same mount point stack on top of earlier ones.
    if (PathDepthWithin(point, path) >= 0 && (!found || length >= bestLength)) {
      found = true;
      bestLength = length;
      type = fsType;
    }
  }
  return type;
}

std::optional<VolumeData> ReadVolumeData(const fs::path& folder) {
  struct statvfs st {};
  if (statvfs(folder.c_str(), &st) != 0) return std::nullopt;
  VolumeData v;
  v.MaxComponentLength = static_cast<std::uint32_t>(st.f_namemax);
  v.FileSystemFlags = kVolumeCaseSensitiveSearch | kVolumeCasePreservedNames;
  if ((st.f_flag & ST_RDONLY) != 0) v.FileSystemFlags |= kVolumeReadOnly;
  v.SerialNumber = static_cast<std::uint32_t>(st.f_fsid);
  v.VolumeName = FirstLineOf(folder / ".windows-label");
  const std::string serial = FirstLineOf(folder / ".windows-serial");
  if (!serial.empty()) {
    try {
      v.SerialNumber = static_cast<std::uint32_t>(std::stoul(serial, nullptr, 16));
    } catch (const std::exception&) {
      // a malformed serial file keeps the file-system id
    }
  }
  std::string mounts;
  if (ReadWholeFile("/proc/self/mounts", mounts)) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(folder, ec);
    v.FileSystemName = FileSystemTypeOf(mounts, ec ? folder : resolved);
  }
  return v;
}

bool IsFolderWriteProtected(const fs::path& folder) {
  struct statvfs volume {};
  struct stat info {};
  if (::statvfs(folder.c_str(), &volume) != 0 || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return true;
  if ((volume.f_flag & ST_RDONLY) != 0) return true;
  // The rights of the running user as a file it made would meet them (its effective ids): a new name
  // needs writing and searching the folder. A folder made immutable answers no as well.
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0;
}

}  // namespace qmz::platform
