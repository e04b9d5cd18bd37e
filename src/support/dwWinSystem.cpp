#include "support/dwWinSystem.h"

#include "platform/SystemLanguage.h"
#include "support/SysUtils.h"

namespace qmz {

TOSVersionRecord GetOSVersionRecord() { return platform::ReadOsVersionRecord(); }

TOSCode GetOSCodeOf(const TOSVersionRecord& r) {
  const unsigned build = r.BuildNumber & 0xFFFF;
  const std::string sp = UpperCase(r.CSDVersion);
  const unsigned suite = r.SuiteMask;
  const auto has = [suite](unsigned bit) { return (suite & bit) != 0; };
  if (r.PlatformId == platform::kPlatformWin9x) {
    switch (r.MinorVersion) {
      case 0:
        if (build == 950) return sp == "A" ? 2 : 1;
        return build == 1111 ? 3 : 1;
      case 3:
        return sp == "B" ? 4 : 5;
      case 10:
        return build == 2222 ? 7 : 6;
      case 90:
        return build == 2476 ? 9 : 8;
      default:
        return kOSUnknown;
    }
  }
  if (r.PlatformId != platform::kPlatformWinNT) return kOSUnknown;
  switch (r.MajorVersion) {
    case 3:
      return 10;
    case 4:
      switch (r.ProductType) {
        case 1:
          return 13;
        case 2:
          return 11;
        case 3:
          return 12;
        default:
          return kOSUnknown;
      }
    case 5:
      switch (r.MinorVersion) {
        case 0:
          // Datacenter editions carry the enterprise bit as well.
          if (has(VER_SUITE_DATACENTER)) return 16;
          return has(VER_SUITE_ENTERPRISE) ? 15 : 14;
        case 1:
          if (has(VER_SUITE_ENTERPRISE)) return 0;
          return has(VER_SUITE_PERSONAL) ? 17 : 18;
        case 2:
          if (has(VER_SUITE_DATACENTER)) return 20;
          if (has(VER_SUITE_ENTERPRISE)) return 21;
          if (has(VER_SUITE_SECURITY_APPLIANCE)) return 22;
          if (has(VER_SUITE_BLADE)) return 23;
          return 19;
        default:
          return kOSUnknown;
      }
    case 6:
      return r.MinorVersion == 0 && build == 4051 ? 24 : kOSUnknown;
    default:
      return kOSUnknown;
  }
}

std::string GetOSCodeName(TOSCode Code) {
  static const char* const kNames[] = {
      "Microsoft Windows .NET Server",
      "Microsoft Windows 95",
      "Microsoft Windows 95",
      "Microsoft Windows 95 OSR2",
      "Microsoft Windows 95 OSR2",
      "Microsoft Windows 95 OSR2",
      "Microsoft Windows 98",
      "Microsoft Windows 98 Second Edition",
      "Microsoft Windows Millenium Edition",
      "Microsoft Windows Millenium Edition Beta",
      "Microsoft Windows NT 3.51",
      "Microsoft Windows NT 4.0 Domain Controller",
      "Microsoft Windows NT 4.0 Server",
      "Microsoft Windows NT 4.0 Workstation",
      "Microsoft Windows 2000 Professional",
      "Microsoft Windows 2000 Advanced Server",
      "Microsoft Windows 2000 Datadenter Server",
      "Microsoft Windows XP Home",
      "Microsoft Windows XP Professional",
      "Microsoft Windows Server 2003",
      "Microsoft Windows Server 2003 Datacenter Edition",
      "Microsoft Windows Server 2003 Enterprise Edition",
      "Microsoft Windows Server 2003 Security Appliance",
      "Microsoft Windows Server 2003 Web Edition",
      "",
      "MS OS unknown",
  };
  if (Code < 0 || Code > kOSUnknown) Code = kOSUnknown;
  return kNames[Code];
}

std::string GetOSNameOf(const TOSVersionRecord& Record) {
  if (Record.PlatformId == platform::kPlatformLinux && !Record.SystemName.empty()) return Record.SystemName;
  return GetOSCodeName(GetOSCodeOf(Record));
}

TOSCode GetOSCode() { return GetOSCodeOf(GetOSVersionRecord()); }
std::string GetOSName() { return GetOSNameOf(GetOSVersionRecord()); }
std::string GetServicePackText() { return GetOSVersionRecord().CSDVersion; }
std::string GetSystemLanguageName() { return platform::SystemLanguageName(); }

}  // namespace qmz
