#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace qmz::platform {

// True when the effective user is root or belongs to one of the groups that may administer the
// machine (sudo, wheel, admin). Any failure to read the groups answers false.
bool IsAdministrator();

// The rule itself, over an effective user id and the names of the user's groups.
bool IsAdministratorAccount(uid_t euid, const std::vector<std::string>& groupNames);

}  // namespace qmz::platform
