#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DosDevices.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"
#include "support/dwDrives.h"
#include "support/dwWinSystem.h"

using namespace qmz;
using qmz::test::ScopedEnv;
using qmz::test::TempDir;
namespace fs = std::filesystem;

namespace {

TOSVersionRecord Record(unsigned platformId, unsigned major, unsigned minor, unsigned build, unsigned suite = 0,
                        unsigned productType = 1, const char* sp = "") {
  TOSVersionRecord r;
  r.PlatformId = platformId;
  r.MajorVersion = major;
  r.MinorVersion = minor;
  r.BuildNumber = build;
  r.SuiteMask = static_cast<std::uint16_t>(suite);
  r.ProductType = static_cast<std::uint8_t>(productType);
  r.CSDVersion = sp;
  return r;
}

}  // namespace

// The rows where bits, product type, build or service pack decide between editions; a row per plain
// version would only repeat the name table.
TEST(OSName, EditionsBySuiteBitsProductTypeBuildAndServicePack) {
  constexpr unsigned NT = 2, W9x = 1;
  const struct {
    TOSVersionRecord r;
    TOSCode code;
  } cases[] = {
      {Record(NT, 5, 1, 2600, 0x100), 18},  // XP Professional (single-user terminal services bit)
      {Record(NT, 5, 1, 2600, 0x200), 17},  // XP Home
      {Record(NT, 5, 1, 2600, 0x300), 17},  // Home with the terminal-services bit still Home
      {Record(NT, 5, 1, 2600, 0x2), 0},
      {Record(NT, 5, 0, 2195, 0x82), 16},  // Datacenter carries the enterprise bit too
      {Record(NT, 5, 2, 3790, 0x82), 20},
      {Record(NT, 5, 2, 3790, 0x112), 21},
      {Record(NT, 4, 0, 1381, 0, 2), 11},
      {Record(NT, 4, 0, 1381, 0, 0), kOSUnknown},
      {Record(NT, 6, 0, 4051), 24},
      {Record(NT, 6, 0, 6000), kOSUnknown},
      {Record(NT, 5, 3, 0), kOSUnknown},
      {Record(W9x, 4, 0, 950, 0, 0, "A"), 2},
      {Record(W9x, 4, 0, 950, 0, 0, " "), 1},
      {Record(W9x, 4, 0, 0x04000000 | 1111), 3},  // only the low word of the build counts
      {Record(W9x, 4, 3, 1214, 0, 0, "b"), 4},    // the service-pack text is compared in upper case
      {Record(W9x, 4, 5, 0), kOSUnknown},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetOSCodeOf(c.r), c.code) << c.r.MajorVersion << "." << c.r.MinorVersion << " " << c.r.SuiteMask;
  }
  EXPECT_EQ(GetOSNameOf(Record(NT, 5, 1, 2600, 0x100)), "Microsoft Windows XP Professional");
  EXPECT_EQ(GetOSNameOf(Record(NT, 5, 0, 2195, 0x82)), "Microsoft Windows 2000 Datadenter Server");
  EXPECT_EQ(GetOSNameOf(Record(NT, 6, 0, 4051)), "");
  EXPECT_EQ(GetOSNameOf(Record(NT, 6, 0, 6000)), "MS OS unknown");
  EXPECT_EQ(GetOSCodeName(99), "MS OS unknown");
  // This system is none of the Windows editions.
  EXPECT_EQ(GetOSCode(), kOSUnknown);
}

TEST(DriveLetters, ANonLetterMeansCOrIsRefusedWhereADriveMustBeNamed) {
  EXPECT_EQ(NormalizeDriveLetter('1'), 'C');
  EXPECT_EQ(DriveNumber('d'), 4);
  EXPECT_EQ(DriveNumber('A'), 1);
  for (char letter : {'\\', '1'})
    EXPECT_THAT([letter] { IsDriveWriteProtected(letter); },
                testing::ThrowsMessage<EAssertionFailed>(testing::StrEq("Invalid drive specification")));
}

TEST(Drives, FakeWinePrefixGivesSpaceVolumeAndWriteProbeWithoutOneTheRootFolderIsDriveC) {
  TempDir prefix;
  fs::create_directories(prefix.Path() / "dosdevices");
  fs::create_directories(prefix.Path() / "drive_c");
  fs::create_directory_symlink("../drive_c", prefix.Path() / "dosdevices" / "c:");
  fs::create_directory_symlink(prefix.Path() / "gone", prefix.Path() / "dosdevices" / "e:");
  qmz::test::WriteWholeFile(prefix.Path() / "drive_c" / ".windows-label", "SYSTEM\n");
  qmz::test::WriteWholeFile(prefix.Path() / "drive_c" / ".windows-serial", "1a2b3c4d\r\n");
  ScopedEnv env("WINEPREFIX", prefix.Str().c_str());

  EXPECT_GE(GetDriveFree('c'), 0);
  EXPECT_GE(GetDriveFree('?'), 0);   // a non-letter asks for C
  EXPECT_EQ(GetDriveFree('E'), -1);  // dangling link: not ready
  EXPECT_EQ(GetDriveFree('Q'), -1);  // no such drive

  TVolumeInfo info;
  GetVolumeInfo('C', info);
  EXPECT_EQ(info.VolumeName, "SYSTEM");
  EXPECT_EQ(info.SerialNumber, 0x1a2b3c4du);
  EXPECT_GT(info.MaxComponentLength, 0u);
  EXPECT_FALSE(info.FileSystemName.empty());
  EXPECT_EQ(GetDriveFileSystem('C'), info.FileSystemName);
  GetVolumeInfo('E', info);
  EXPECT_TRUE(info.VolumeName.empty());
  EXPECT_EQ(info.SerialNumber, 0u);
  EXPECT_TRUE(GetDriveFileSystem('Q').empty());

  EXPECT_FALSE(IsDriveWriteProtected('c'));
  EXPECT_TRUE(fs::exists(prefix.Path() / "drive_c" / ".windows-label"));
  EXPECT_EQ(std::distance(fs::directory_iterator(prefix.Path() / "drive_c"), fs::directory_iterator()), 2);
  EXPECT_TRUE(IsDriveWriteProtected('E'));
  EXPECT_TRUE(IsDriveWriteProtected('Q'));
  EXPECT_EQ(GetExeDrive(), '\\');  // the test program lies outside the fake drive
  TempDir dir;
  ScopedEnv noPrefix("WINEPREFIX", (dir.Path() / "no prefix").c_str());
  EXPECT_EQ(platform::DriveMappings().size(), 1u);
  EXPECT_EQ(GetExeDrive(), 'C');
  EXPECT_GE(GetDriveFree('C'), 0);
  EXPECT_EQ(GetDriveFree('D'), -1);
}
