#pragma once
#include <string>

namespace qmz::platform {

// The version record of our own executable, compiled in from the project version.
struct BuildVersion {
  unsigned major;
  unsigned minor;
  unsigned release;
  unsigned build;
};

BuildVersion OwnBuildVersion();

// Contact address the loader's dialogs show; a build-time setting, not a literal in code.
std::string ContactEmail();

}  // namespace qmz::platform
