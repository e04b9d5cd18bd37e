#pragma once
#include <string>

namespace qmz::platform {

// Host name of this machine (gethostname); empty when the call fails.
std::string ComputerName();

// Login name of the effective user (password entry, else $USER/$LOGNAME); empty when unknown.
std::string UserName();

}  // namespace qmz::platform
