#pragma once
#include <string>

namespace qmz::platform {

// Full path of the running executable, read from /proc/self/exe (no length cap).
// Empty when the link cannot be read.
std::string ExecutablePath();

// Folder of the running executable with a trailing '/'; empty when unknown.
std::string ExecutableFolder();

}  // namespace qmz::platform
