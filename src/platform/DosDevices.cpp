#include "platform/DosDevices.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>
#include <system_error>

#include "platform/FileSystemInfo.h"
#include "platform/WinePrefix.h"

namespace qmz::platform {

namespace fs = std::filesystem;

std::vector<DriveMapping> DriveMappings() {
  std::vector<DriveMapping> drives;
  const fs::path prefix = WinePrefix();
  if (!prefix.empty()) {
    const fs::path devices = prefix / "dosdevices";
    for (const std::string& name : FolderNames(devices).value_or(std::vector<std::string>())) {
      // Only "<letter>:"; Wine also keeps "c::" (raw device) and "com1" entries here.
      if (name.size() != 2 || name[1] != ':') continue;
      char letter = name[0];
      if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
      if (letter < 'A' || letter > 'Z') continue;
      std::error_code linkEc;
      fs::path root = devices / name;
      if (fs::is_symlink(fs::symlink_status(root, linkEc))) {
        const fs::path target = fs::read_symlink(root, linkEc);
        if (linkEc == std::errc::not_enough_memory) throw std::bad_alloc();
        if (linkEc) continue;
        root = target.is_absolute() ? target : devices / target;
      }
      drives.push_back({letter, root.lexically_normal()});
    }
    std::sort(drives.begin(), drives.end(),
              [](const DriveMapping& a, const DriveMapping& b) { return a.Letter < b.Letter; });
    drives.erase(std::unique(drives.begin(), drives.end(),
                             [](const DriveMapping& a, const DriveMapping& b) { return a.Letter == b.Letter; }),
                 drives.end());
  }
  if (drives.empty()) drives.push_back({'C', fs::path("/")});
  return drives;
}

std::optional<fs::path> DriveRoot(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  for (const auto& d : DriveMappings()) {
    if (d.Letter == letter) return d.Root;
  }
  return std::nullopt;
}

namespace {

fs::path Resolved(const fs::path& p) {
  std::error_code ec;
  fs::path r = fs::weakly_canonical(p, ec);
  return ec ? p.lexically_normal() : r;
}

}  // namespace

char DriveLetterOfPath(const fs::path& path) {
  const fs::path target = Resolved(path);
  char best = '\\';
  int bestDepth = -1;
  for (const auto& d : DriveMappings()) {
    const int depth = PathDepthWithin(Resolved(d.Root), target);
    if (depth > bestDepth) {
      bestDepth = depth;
      best = d.Letter;
    }
  }
  return best;
}

}  // namespace qmz::platform
