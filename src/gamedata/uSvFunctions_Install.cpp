// Installation lookup outside the data files: the game's and the mod manager's folders from the
// registry, and the fixed folder of the Orvane62 modification on any drive.

#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"

namespace qmz {

namespace {

constexpr std::string_view kGameKey = "\\SOFTWARE\\Starvagant Games\\Starvagant\\1.0";

// A folder value of HKEY_LOCAL_MACHINE with a trailing "\"; empty when the key or value is missing.
std::string ReadFolderValue(std::string_view key, std::string_view name) {
  auto value = platform::ProcessRegistry()->ReadString(platform::RegistryRoot::LocalMachine, key, name);
  // An empty value names no folder; a lone "\" would send the loader to the root of the drive.
  if (!value || value->empty()) return {};
  if (value->back() != '\\' && value->back() != '/') value->push_back('\\');
  return *value;
}

}  // namespace

std::string GetGameInstallDir() { return ReadFolderValue(kGameKey, "AppPath"); }

std::string GetModManagerDir() { return ReadFolderValue(ModManagerKey, "Install_Dir"); }

std::string FindSpecialModDir() {
  // A and B are floppy letters and never probed.
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    std::string folder = std::string(1, letter) + ":\\ORVANE62";
    if (platform::GameDirectoryExists(folder)) return folder + "\\Starvagant\\";
  }
  return {};
}

}  // namespace qmz
