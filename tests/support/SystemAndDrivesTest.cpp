#include <gtest/gtest.h>

#include <filesystem>

#include "platform/TestEnv.h"
#include "platform/TestTempDir.h"
#include "support/dwDrives.h"
#include "support/dwWinSystem.h"

using namespace qmz;
using qmz::test::ScopedEnv;
using qmz::test::TempDir;
namespace fs = std::filesystem;

namespace {

TOSVersionRecord Nt(unsigned major, unsigned minor, unsigned build, unsigned suite, unsigned productType = 1) {
  TOSVersionRecord r;
  r.PlatformId = platform::kPlatformWinNT;
  r.MajorVersion = major;
  r.MinorVersion = minor;
  r.BuildNumber = build;
  r.SuiteMask = static_cast<std::uint16_t>(suite);
  r.ProductType = static_cast<std::uint8_t>(productType);
  return r;
}

TOSVersionRecord Win9x(unsigned minor, unsigned build, const char* sp) {
  TOSVersionRecord r;
  r.PlatformId = platform::kPlatformWin9x;
  r.MajorVersion = 4;
  r.MinorVersion = minor;
  r.BuildNumber = build;
  r.CSDVersion = sp;
  return r;
}

}  // namespace

TEST(OSName, WindowsEditionsBySuiteBits) {
  EXPECT_EQ(GetOSNameOf(Nt(5, 1, 2600, 0x100)), "Microsoft Windows XP Professional");
  EXPECT_EQ(GetOSNameOf(Nt(5, 1, 2600, 0x200)), "Microsoft Windows XP Home");
  EXPECT_EQ(GetOSNameOf(Nt(5, 1, 2600, 0x300)), "Microsoft Windows XP Home");  // with terminal-services bit
  EXPECT_EQ(GetOSNameOf(Nt(5, 1, 2600, 0x2)), "Microsoft Windows .NET Server");
  EXPECT_EQ(GetOSCodeOf(Nt(5, 1, 2600, 0x2)), 0);
  EXPECT_EQ(GetOSNameOf(Nt(5, 0, 2195, 0x82)), "Microsoft Windows 2000 Datadenter Server");
  EXPECT_EQ(GetOSNameOf(Nt(5, 0, 2195, 0x2)), "Microsoft Windows 2000 Advanced Server");
  EXPECT_EQ(GetOSNameOf(Nt(5, 0, 2195, 0x10)), "Microsoft Windows 2000 Professional");
  EXPECT_EQ(GetOSNameOf(Nt(5, 2, 3790, 0x82)), "Microsoft Windows Server 2003 Datacenter Edition");
  EXPECT_EQ(GetOSNameOf(Nt(5, 2, 3790, 0x112)), "Microsoft Windows Server 2003 Enterprise Edition");
  EXPECT_EQ(GetOSNameOf(Nt(5, 2, 3790, 0x1000)), "Microsoft Windows Server 2003 Security Appliance");
  EXPECT_EQ(GetOSNameOf(Nt(5, 2, 3790, 0x400)), "Microsoft Windows Server 2003 Web Edition");
  EXPECT_EQ(GetOSNameOf(Nt(5, 2, 3790, 0x10)), "Microsoft Windows Server 2003");
}

TEST(OSName, OlderSystemsAndTheRest) {
  EXPECT_EQ(GetOSNameOf(Nt(4, 0, 1381, 0, 2)), "Microsoft Windows NT 4.0 Domain Controller");
  EXPECT_EQ(GetOSNameOf(Nt(4, 0, 1381, 0, 3)), "Microsoft Windows NT 4.0 Server");
  EXPECT_EQ(GetOSNameOf(Nt(4, 0, 1381, 0, 1)), "Microsoft Windows NT 4.0 Workstation");
  EXPECT_EQ(GetOSNameOf(Nt(4, 0, 1381, 0, 0)), "MS OS unknown");
  EXPECT_EQ(GetOSNameOf(Nt(3, 51, 1057, 0)), "Microsoft Windows NT 3.51");
  EXPECT_EQ(GetOSCodeOf(Win9x(0, 950, "A")), 2);
  EXPECT_EQ(GetOSCodeOf(Win9x(0, 950, " ")), 1);
  EXPECT_EQ(GetOSCodeOf(Win9x(0, 0x04000000 | 1111, "")), 3);  // only the low word of the build counts
  EXPECT_EQ(GetOSCodeOf(Win9x(3, 1214, "b")), 4);
  EXPECT_EQ(GetOSNameOf(Win9x(10, 2222, "")), "Microsoft Windows 98 Second Edition");
  EXPECT_EQ(GetOSNameOf(Win9x(90, 2476, "")), "Microsoft Windows Millenium Edition Beta");
  EXPECT_EQ(GetOSNameOf(Win9x(90, 3000, "")), "Microsoft Windows Millenium Edition");
  EXPECT_EQ(GetOSNameOf(Win9x(5, 0, "")), "MS OS unknown");
  EXPECT_EQ(GetOSNameOf(Nt(6, 0, 4051, 0)), "");
  EXPECT_EQ(GetOSNameOf(Nt(6, 0, 6000, 0)), "MS OS unknown");
  EXPECT_EQ(GetOSNameOf(Nt(5, 3, 0, 0)), "MS OS unknown");
  EXPECT_EQ(GetOSCodeName(99), "MS OS unknown");
}

TEST(OSName, LinuxNamesItsDistribution) {
  const auto r = platform::MakeOsVersionRecord("Linux", "6.1.0", "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
  EXPECT_EQ(GetOSCodeOf(r), kOSUnknown);
  EXPECT_EQ(GetOSNameOf(r), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_FALSE(GetOSName().empty());
  EXPECT_FALSE(GetServicePackText().empty());
}

TEST(DriveLetters, NormalisingAndNumbering) {
  EXPECT_EQ(NormalizeDriveLetter('d'), 'D');
  EXPECT_EQ(NormalizeDriveLetter('1'), 'C');
  EXPECT_EQ(DriveNumber('d'), 4);
  EXPECT_EQ(DriveNumber('A'), 1);
  EXPECT_TRUE(IsDriveLetter('z'));
  EXPECT_FALSE(IsDriveLetter('\\'));
  EXPECT_THROW(IsDriveWriteProtected('\\'), EAssertionFailed);
  try {
    IsDriveWriteProtected('1');
  } catch (const EAssertionFailed& e) {
    EXPECT_STREQ(e.what(), "Invalid drive specification");
  }
}

TEST(Drives, FakeWinePrefixGivesSpaceVolumeAndWriteProbe) {
  TempDir prefix;
  fs::create_directories(prefix.Path() / "dosdevices");
  fs::create_directories(prefix.Path() / "drive_c");
  fs::create_directory_symlink("../drive_c", prefix.Path() / "dosdevices" / "c:");
  fs::create_directory_symlink(prefix.Path() / "gone", prefix.Path() / "dosdevices" / "e:");
  qmz::test::WriteWholeFile(prefix.Path() / "drive_c" / ".windows-label", "SYSTEM");
  ScopedEnv env("WINEPREFIX", prefix.Str().c_str());

  EXPECT_GE(GetDriveFree('c'), 0);
  EXPECT_GE(GetDriveFree('?'), 0);                  // a non-letter asks for C
  EXPECT_EQ(GetDriveFree('E'), -1);                 // dangling link: not ready
  EXPECT_EQ(GetDriveFree('Q'), -1);                 // no such drive

  TVolumeInfo info;
  GetVolumeInfo('C', info);
  EXPECT_EQ(info.VolumeName, "SYSTEM");
  EXPECT_FALSE(info.FileSystemName.empty());
  EXPECT_EQ(GetDriveFileSystem('C'), info.FileSystemName);
  GetVolumeInfo('E', info);
  EXPECT_TRUE(info.VolumeName.empty());
  EXPECT_EQ(info.SerialNumber, 0u);
  EXPECT_TRUE(GetDriveFileSystem('Q').empty());

  EXPECT_FALSE(IsDriveWriteProtected('c'));
  EXPECT_TRUE(fs::exists(prefix.Path() / "drive_c" / ".windows-label"));
  EXPECT_EQ(std::distance(fs::directory_iterator(prefix.Path() / "drive_c"), fs::directory_iterator()), 1);
  EXPECT_TRUE(IsDriveWriteProtected('E'));
  EXPECT_TRUE(IsDriveWriteProtected('Q'));
  EXPECT_EQ(GetExeDrive(), '\\');  // the test program lies outside the fake drive
}

TEST(Drives, WithoutAPrefixTheRootFolderIsDriveC) {
  TempDir dir;
  ScopedEnv env("WINEPREFIX", (dir.Path() / "no prefix").c_str());
  EXPECT_EQ(GetExeDrive(), 'C');
  EXPECT_GE(GetDriveFree('C'), 0);
  EXPECT_EQ(GetDriveFree('D'), -1);
}
