#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace qmz::samplegen {

// Writes a Wine prefix around an installation that already lies in prefix/drive_c:
// system.reg with the game's install key (AppPath = appPath) and the mod manager's key
// with one value per mod, each mod's folder with its script.xml, user.reg, and the
// dosdevices links c: (drive_c) and z: (the root folder). Returns the mods' display names
// in the order of the registry values.
std::vector<std::string> WriteWinePrefix(const std::filesystem::path& prefix, const std::string& appPath,
                                         const std::vector<std::string>& mods);

}  // namespace qmz::samplegen
