#pragma once
// The operating system's name, service-pack text and default language.

#include <string>

#include "platform/OsVersion.h"

namespace qmz {

using TOSVersionRecord = platform::OsVersionRecord;

// Suite mask bits the naming looks at.
inline constexpr unsigned VER_SUITE_ENTERPRISE = 0x0002;
inline constexpr unsigned VER_SUITE_DATACENTER = 0x0080;
inline constexpr unsigned VER_SUITE_PERSONAL = 0x0200;
inline constexpr unsigned VER_SUITE_BLADE = 0x0400;
inline constexpr unsigned VER_SUITE_SECURITY_APPLIANCE = 0x1000;

using TOSCode = int;  // 0 to 25
inline constexpr TOSCode kOSUnknown = 25;

TOSVersionRecord GetOSVersionRecord();

// The classification over a record. Suite masks are tested as bits, so an edition that also
// carries other suite bits (terminal services, for one) keeps its name.
TOSCode GetOSCodeOf(const TOSVersionRecord& Record);
// The display name of a code; code 24 has none.
std::string GetOSCodeName(TOSCode Code);
// The name of a record: the table's name for Windows records; a Linux record names its
// distribution (os-release), since no Windows name fits it.
std::string GetOSNameOf(const TOSVersionRecord& Record);

TOSCode GetOSCode();
std::string GetOSName();
std::string GetServicePackText();
std::string GetSystemLanguageName();

}  // namespace qmz
