#include "platform/HostNames.h"

#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace qmz::platform {

std::string ComputerName() {
  char buf[HOST_NAME_MAX + 1] = {};
  if (gethostname(buf, sizeof buf - 1) != 0) return {};
  return buf;
}

std::string UserName() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_name != nullptr && *found->pw_name != '\0') {
    return found->pw_name;
  }
  // Containers often run with a user id that has no password entry.
  for (const char* var : {"USER", "LOGNAME"}) {
    if (const char* v = std::getenv(var); v != nullptr && *v != '\0') return v;
  }
  return {};
}

}  // namespace qmz::platform
