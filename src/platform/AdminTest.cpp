#include "platform/AdminTest.h"

#include <grp.h>
#include <unistd.h>

namespace qmz::platform {

bool IsAdministratorAccount(uid_t euid, const std::vector<std::string>& groupNames) {
  if (euid == 0) return true;
  for (const auto& name : groupNames) {
    if (name == "sudo" || name == "wheel" || name == "admin") return true;
  }
  return false;
}

bool IsAdministrator() {
  const uid_t euid = geteuid();
  if (euid == 0) return true;
  std::vector<gid_t> gids;
  const int count = getgroups(0, nullptr);
  if (count < 0) return false;
  gids.resize(static_cast<size_t>(count) + 1);
  const int got = getgroups(count, gids.data());
  if (got < 0) return false;
  gids.resize(static_cast<size_t>(got));
  gids.push_back(getegid());
  std::vector<std::string> names;
  for (gid_t gid : gids) {
    if (const group* g = getgrgid(gid); g != nullptr && g->gr_name != nullptr) names.emplace_back(g->gr_name);
  }
  return IsAdministratorAccount(euid, names);
}

}  // namespace qmz::platform
