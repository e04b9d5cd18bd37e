#include "platform/GamePath.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/DosDevices.h"
#include "platform/FileSystemInfo.h"
#include "platform/KeyedHash.h"

namespace qmz::platform {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The names of one folder: by exact name, and by folded name the first of them in byte order.
// The names come from the installation's folders: a crafted folder must not flood the tables.
struct Listing {
  KeyedHashSet<> exact;
  KeyedHashMap<std::string> folded;
};

class PathCache {
 public:
  std::shared_ptr<const Listing> ListingOf(const fs::path& folder) {
    {
      std::lock_guard lock(mutex_);
      if (const auto it = listings_.find(folder.native()); it != listings_.end()) return it->second;
    }
    auto listing = Read(folder);
    std::lock_guard lock(mutex_);
    return listings_.emplace(folder.native(), std::move(listing)).first->second;
  }

  void Forget(const fs::path& folder) {
    std::lock_guard lock(mutex_);
    listings_.erase(folder.native());
  }

  std::optional<fs::path> Drive(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    std::lock_guard lock(mutex_);
    // Listing the prefix's dosdevices folder for every path would cost more than the lookup itself.
    const auto it = drives_.find(letter);
    if (it != drives_.end()) return it->second;
    return drives_[letter] = DriveRoot(letter);
  }

  void Reset() {
    std::lock_guard lock(mutex_);
    listings_.clear();
    drives_.clear();
  }

 private:
  static std::shared_ptr<const Listing> Read(const fs::path& folder) {
    auto names = FolderNames(folder);
    if (!names) return nullptr;  // not a folder, or not readable: nothing below it resolves
    std::sort(names->begin(), names->end());
    auto listing = std::make_shared<Listing>();
    for (const std::string& name : *names) {
      listing->exact.insert(name);
      listing->folded.emplace(AsciiLower(name), name);  // keeps the first in byte order
    }
    return listing;
  }

  std::mutex mutex_;
  KeyedHashMap<std::shared_ptr<const Listing>> listings_;
  std::map<char, std::optional<fs::path>> drives_;
};

PathCache& Cache() {
  static PathCache cache;
  return cache;
}

// The name on disk that stands for a game name in folder, or nullopt.
std::optional<std::string> MatchName(const fs::path& folder, const std::string& name) {
  const auto listing = Cache().ListingOf(folder);
  if (listing) {
    if (listing->exact.count(name) != 0) return name;
    if (const auto it = listing->folded.find(AsciiLower(name)); it != listing->folded.end()) return it->second;
  }
  // A name created after the folder was listed: take it and list the folder again next time.
  std::error_code ec;
  if (fs::exists(fs::symlink_status(folder / name, ec))) {
    Cache().Forget(folder);
    return name;
  }
  return std::nullopt;
}

}  // namespace

std::optional<fs::path> ResolveGamePath(std::string_view gamePath, const fs::path& base) {
  // The system calls would stop at a zero byte and find a shorter name than the one asked for.
  if (gamePath.find('\0') != std::string_view::npos) return std::nullopt;
  fs::path start;
  bool climbStart = false;  // whether ".." may leave the start folder (only for relative paths)
  if (gamePath.size() >= 2 && gamePath[1] == ':' &&
      ((gamePath[0] >= 'A' && gamePath[0] <= 'Z') || (gamePath[0] >= 'a' && gamePath[0] <= 'z'))) {
    const auto root = Cache().Drive(gamePath[0]);
    if (!root) return std::nullopt;
    start = *root;
    gamePath.remove_prefix(2);
  } else if (!gamePath.empty() && IsSeparator(gamePath.front())) {
    start = "/";
  } else {
    std::error_code ec;
    start = base.empty() ? fs::current_path(ec) : fs::absolute(base, ec);
    if (ec == std::errc::not_enough_memory) throw std::bad_alloc();
    if (ec) return std::nullopt;
    start = start.lexically_normal();
    climbStart = true;
  }

  // Resolve "." and ".." on the names first, the way Windows does, so "a.ini\..\b" is "b".
  std::vector<std::string> names;
  size_t i = 0;
  while (i <= gamePath.size()) {
    size_t end = i;
    while (end < gamePath.size() && !IsSeparator(gamePath[end])) ++end;
    const std::string_view name = gamePath.substr(i, end - i);
    i = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty()) {
        names.pop_back();
      } else if (climbStart) {
        start = start.parent_path();  // stays at "/" at the top
      }
      continue;
    }
    names.emplace_back(name);
  }

  fs::path current = start;
  for (const std::string& name : names) {
    const auto match = MatchName(current, name);
    if (!match) return std::nullopt;
    current /= *match;
  }
  std::error_code ec;
  if (!fs::exists(fs::status(current, ec))) return std::nullopt;  // e.g. a dangling drive link
  return current;
}

bool GameFileExists(std::string_view gamePath, const fs::path& base) {
  const auto path = ResolveGamePath(gamePath, base);
  std::error_code ec;
  return path && fs::is_regular_file(*path, ec);
}

bool GameDirectoryExists(std::string_view gamePath, const fs::path& base) {
  const auto path = ResolveGamePath(gamePath, base);
  std::error_code ec;
  return path && fs::is_directory(*path, ec);
}

std::string JoinGamePath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && !IsSeparator(out.back())) out += '\\';
  out += name;
  return out;
}

void ResetGamePathCache() { Cache().Reset(); }

}  // namespace qmz::platform
