#include "support/dwDrives.h"

#include "platform/DosDevices.h"
#include "platform/ExePath.h"
#include "platform/FileSystemInfo.h"

namespace qmz {

bool IsDriveLetter(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }

char NormalizeDriveLetter(char C) {
  if (!IsDriveLetter(C)) return 'C';
  return C >= 'a' ? static_cast<char>(C - 'a' + 'A') : C;
}

std::uint8_t DriveNumber(char C) { return static_cast<std::uint8_t>(NormalizeDriveLetter(C) - 64); }

char GetExeDrive() {
  const std::string exe = platform::ExecutablePath();
  return exe.empty() ? '\\' : platform::DriveLetterOfPath(exe);
}

bool IsDriveWriteProtected(char Drive) {
  if (!IsDriveLetter(Drive)) throw EAssertionFailed("Invalid drive specification");
  const auto root = platform::DriveRoot(Drive);
  return !root || platform::IsFolderWriteProtected(*root);
}

std::int64_t GetDriveFree(char Drive) {
  const auto root = platform::DriveRoot(NormalizeDriveLetter(Drive));
  if (!root) return -1;
  return platform::FreeBytesAvailable(*root).value_or(-1);
}

void GetVolumeInfo(char Drive, TVolumeInfo& Info) {
  Info = TVolumeInfo();
  const auto root = platform::DriveRoot(NormalizeDriveLetter(Drive));
  if (!root) return;
  const auto data = platform::ReadVolumeData(*root);
  if (!data) return;
  Info.VolumeName = data->VolumeName;
  Info.SerialNumber = data->SerialNumber;
  Info.MaxComponentLength = data->MaxComponentLength;
  Info.FileSystemFlags = data->FileSystemFlags;
  Info.FileSystemName = data->FileSystemName;
}

std::string GetDriveFileSystem(char Drive) {
  TVolumeInfo info;
  GetVolumeInfo(Drive, info);
  return info.FileSystemName;
}

}  // namespace qmz
