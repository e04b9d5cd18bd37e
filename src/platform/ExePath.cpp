#include "platform/ExePath.h"

#include <filesystem>
#include <system_error>

namespace qmz::platform {

std::string ExecutablePath() {
  std::error_code ec;
  const auto target = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : target.string();
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace qmz::platform
