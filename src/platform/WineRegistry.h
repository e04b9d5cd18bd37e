#pragma once
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/Registry.h"

namespace qmz::platform {

// The registry of a Wine prefix, read from its text files: system.reg holds HKEY_LOCAL_MACHINE,
// user.reg HKEY_CURRENT_USER. Only what the program needs is kept: keys, value names and the text of
// string values; dword, hex and multi-string data are known by name only.
class WineRegistry : public MemoryRegistry {
 public:
  // Reads both files of the prefix; a missing or unreadable file leaves its root empty.
  static std::shared_ptr<WineRegistry> LoadPrefix(const std::filesystem::path& prefix);

  // Adds the keys of one file's text under the given root. False (and nothing added) when the text
  // does not start with the "WINE REGISTRY Version 2" header. Malformed lines are skipped.
  bool LoadText(RegistryRoot root, std::string_view text);
};

}  // namespace qmz::platform
