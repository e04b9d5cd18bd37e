#pragma once
// Drive letters (those of the Wine prefix; without one, 'C' is the root folder), their free space,
// volume data and a write-protect test.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qmz {

class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

struct TVolumeInfo {
  std::string VolumeName;
  std::uint32_t SerialNumber = 0;
  std::uint32_t MaxComponentLength = 0;
  std::uint32_t FileSystemFlags = 0;
  std::string FileSystemName;
};

// The letter of the drive that holds the program; '\' when no drive letter holds it.
char GetExeDrive();

// True when the user cannot make a file in the drive's root (read-only mount, no rights), also for a
// drive that does not exist; nothing is written there. A non-letter throws EAssertionFailed
// "Invalid drive specification".
bool IsDriveWriteProtected(char Drive);

// Free bytes available to the user; -1 when the drive does not exist or is not ready.
std::int64_t GetDriveFree(char Drive);
std::string GetDriveFileSystem(char Drive);
// Fills Info; a drive that does not exist or is not ready leaves empty texts and zeros.
void GetVolumeInfo(char Drive, TVolumeInfo& Info);

bool IsDriveLetter(char C);
char NormalizeDriveLetter(char C);  // upper case, 'C' for a non-letter
std::uint8_t DriveNumber(char C);   // 'A' is 1

}  // namespace qmz
