#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DosDevices.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"
#include "support/dwDrives.h"

using namespace qmz;
using qmz::test::ScopedEnv;
using qmz::test::TempDir;
namespace fs = std::filesystem;

TEST(DriveLetters, ANonLetterMeansCOrIsRefusedWhereADriveMustBeNamed) {
  EXPECT_EQ(NormalizeDriveLetter('1'), 'C');
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
