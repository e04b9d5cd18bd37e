#pragma once
#include <filesystem>
#include <string>

namespace qmz::samplegen {

// Writes bytes to path atomically, parent folders created.
// Throws std::runtime_error when the file cannot be written.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// A path relative to base, given in Windows form ("DATA\universe\universe.ini"), mapped to
// the folder and file names as they are spelled on disk (see DiskName).
std::filesystem::path OnDisk(const std::filesystem::path& base, const std::string& windowsPath);

// The on-disk spelling of one path component. The installation deliberately differs in
// letter case from the paths its INI files write, as real installations copied from
// Windows do; the same component always gets the same spelling.
std::string DiskName(const std::string& component);

}  // namespace qmz::samplegen
