#include "platform/WinePrefix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace qmz::platform {

std::filesystem::path WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
    return prefix;
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    // Services and some sandboxes run without HOME; Wine itself falls back to the password entry.
    const passwd* pw = getpwuid(getuid());
    home = pw != nullptr ? pw->pw_dir : nullptr;
  }
  if (home == nullptr || *home == '\0') return {};
  return std::filesystem::path(home) / ".wine";
}

}  // namespace qmz::platform
