// The path helpers on paths from outside data: ExpandRelativePath, and the game path resolver over a
// small folder tree of its own (names in other letter case, a link, a file where a folder is expected).
// Inputs are taken relative to the tree, so the resolver never walks the real file system.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/GamePath.h"
#include "support/mGlobalFunctions.h"

namespace fs = std::filesystem;

namespace {

const fs::path& Tree() {
  static const fs::path root = [] {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path() / ("qmz-fuzz-paths-" + std::to_string(getpid()));
    fs::remove_all(base, ec);
    fs::create_directories(base / "Game" / "EXE", ec);
    fs::create_directories(base / "Game" / "DATA" / "Universe" / "Systems" / "St01", ec);
    fs::create_directories(base / "Game" / "data", ec);  // a second spelling of one name
    std::ofstream(base / "Game" / "EXE" / "Starvagant.ini") << "[Data]\n";
    std::ofstream(base / "Game" / "DATA" / "Universe" / "Systems" / "St01" / "st01.INI") << "[Object]\n";
    fs::create_symlink("Universe", base / "Game" / "DATA" / "Link", ec);
    static fs::path removed;
    removed = base;
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(removed, ignored);
    });
    return base / "Game";
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string path(reinterpret_cast<const char*>(data), size);
  (void)qmz::ExpandRelativePath(path);
  (void)qmz::platform::JoinGamePath(path, "starvagant.ini");
  // Relative to the tree: no drive letter, no leading separator, no NUL.
  for (char& c : path)
    if (c == ':' || c == '\0') c = '_';
  while (!path.empty() && (path[0] == '\\' || path[0] == '/')) path.erase(0, 1);
  const auto resolved = qmz::platform::ResolveGamePath(path, Tree());
  std::error_code ec;
  if (resolved && !fs::exists(fs::symlink_status(*resolved, ec))) __builtin_trap();  // answers are real
  (void)qmz::platform::GameFileExists(path, Tree());
  (void)qmz::platform::GameDirectoryExists(path, Tree());
  (void)qmz::ExpandRelativePath(Tree().string() + "/" + path);
  return 0;
}
