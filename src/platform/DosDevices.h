#pragma once
#include <filesystem>
#include <optional>
#include <vector>

namespace qmz::platform {

// One drive letter and the folder it stands for.
struct DriveMapping {
  char Letter;                 // 'A' to 'Z'
  std::filesystem::path Root;  // absolute; may not exist (a dangling link is a drive that is not ready)
};

// The drive letters of the Wine prefix (WinePrefix()): every dosdevices/<x>: entry, in letter order,
// each link resolved against the dosdevices folder. Without a prefix (no dosdevices folder, or no
// drive in it) there is one drive, 'C', standing for the root folder "/".
std::vector<DriveMapping> DriveMappings();

// The folder of one drive letter (either case); none when the letter is not a drive.
std::optional<std::filesystem::path> DriveRoot(char letter);

// The letter of the drive that holds the absolute path: the drive with the longest root that
// contains it (compared after resolving links). '\\' when no drive holds it, the way a network
// path has no drive letter.
char DriveLetterOfPath(const std::filesystem::path& path);

}  // namespace qmz::platform
