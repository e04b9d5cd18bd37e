// The profile-file reader on any file content, then a write, a key deletion and a section erase on it:
// what was written reads back, and what was deleted reads as absent.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ProfileFile.h"
#include "platform/WholeFile.h"

namespace {

// One file for the whole run, in memory-backed storage when there is such.
const std::string& FileName() {
  static const std::string name = [] {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    return (base / ("qmz-fuzz-profile-" + std::to_string(getpid()) + ".ini")).string();
  }();
  static const bool removedAtExit = std::atexit([] { ::unlink(FileName().c_str()); }) == 0;
  (void)removedAtExit;
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qmz::platform;
  const std::string& file = FileName();
  if (!WriteFileAtomic(file, std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  const auto sections = ReadProfileSectionNames(file);
  for (std::size_t i = 0; i < sections.size() && i < 8; ++i) {
    const auto keys = ReadProfileSectionKeys(file, sections[i]);
    for (std::size_t k = 0; k < keys.size() && k < 8; ++k) (void)ReadProfileString(file, sections[i], keys[k], "-");
  }
  if (!WriteProfileString(file, "Fuzz Section", "Fuzz Key", "written value")) __builtin_trap();
  if (ReadProfileString(file, "fuzz section", "FUZZ KEY", "") != "written value") __builtin_trap();
  if (!DeleteProfileKey(file, "Fuzz Section", "Fuzz Key")) __builtin_trap();
  if (ReadProfileString(file, "Fuzz Section", "Fuzz Key", "absent") != "absent") __builtin_trap();
  if (!sections.empty() && !EraseProfileSection(file, sections[0])) __builtin_trap();
  if (!sections.empty() && !ReadProfileSectionKeys(file, sections[0]).empty()) __builtin_trap();
  return 0;
}
