#pragma once
#include <cstdint>
#include <string>

namespace qmz::platform {

// Platform identifiers of the version record. Windows uses 1 (95/98/Me) and 2 (NT line); a record
// read on Linux carries its own value so no Windows name is ever given to it.
inline constexpr std::uint32_t kPlatformWin9x = 1;
inline constexpr std::uint32_t kPlatformWinNT = 2;
inline constexpr std::uint32_t kPlatformLinux = 0x100;

// The extended OS version record, field for field, plus what Linux adds.
struct OsVersionRecord {
  std::uint32_t MajorVersion = 0;
  std::uint32_t MinorVersion = 0;
  std::uint32_t BuildNumber = 0;
  std::uint32_t PlatformId = 0;
  std::string CSDVersion;  // service-pack text; on Linux the kernel name and release (at most 127 bytes)
  std::uint16_t ServicePackMajor = 0;
  std::uint16_t ServicePackMinor = 0;
  std::uint16_t SuiteMask = 0;
  std::uint8_t ProductType = 0;
  std::uint8_t Reserved = 0;
  std::string SystemName;  // Linux: PRETTY_NAME of /etc/os-release (else NAME VERSION); empty on Windows
};

// Reads uname and /etc/os-release (falling back to /usr/lib/os-release).
OsVersionRecord ReadOsVersionRecord();

// Builds the record from uname's system name and release and the text of an os-release file.
// The kernel release "6.1.0-18-amd64" gives major 6, minor 1, build 0.
OsVersionRecord MakeOsVersionRecord(const std::string& sysName, const std::string& release,
                                    const std::string& osReleaseText);

}  // namespace qmz::platform
