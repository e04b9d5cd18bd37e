#include <gtest/gtest.h>

#include <filesystem>

#include "platform/DosDevices.h"
#include "platform/FileSystemInfo.h"
#include "platform/WinePrefix.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

using namespace qmz::platform;
using qmz::test::ScopedEnv;
namespace fs = std::filesystem;

// A set WINEPREFIX is what every drive test below reads.
TEST(WinePrefix, AnEmptyOrUnsetVariableFallsBackToHomeWine) {
  ScopedEnv home("HOME", "/home/player");
  for (const char* value : {"", static_cast<const char*>(nullptr)}) {
    ScopedEnv prefix("WINEPREFIX", value);
    EXPECT_EQ(WinePrefix(), fs::path("/home/player/.wine"));
  }
}

// c: -> ../drive_c, d: -> an absolute folder, z: -> /, plus the entries Wine keeps beside the drive letters.
TEST(DosDevices, LettersInOrderAndPathsOfTheDeepestDrive) {
  qmz::test::TempDir dir;
  const fs::path devices = dir.Path() / "dosdevices", driveC = dir.Path() / "drive_c",
                 driveD = dir.Path() / "elsewhere" / "games";
  fs::create_directories(devices);
  fs::create_directories(driveC / "Program Files");
  fs::create_directories(driveD);
  fs::create_directory_symlink("../drive_c", devices / "c:");
  fs::create_directory_symlink(driveD, devices / "d:");
  fs::create_directory_symlink("/", devices / "z:");
  fs::create_directory_symlink("/dev/null", devices / "c::");
  fs::create_directory_symlink("/dev/ttyS0", devices / "com1");
  ScopedEnv env("WINEPREFIX", dir.Str().c_str());

  const auto drives = DriveMappings();
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].Letter, 'C');
  EXPECT_EQ(fs::canonical(drives[0].Root), fs::canonical(driveC));
  EXPECT_EQ(drives[1].Letter, 'D');
  EXPECT_EQ(drives[1].Root, driveD);
  EXPECT_EQ(drives[2].Letter, 'Z');
  EXPECT_EQ(drives[2].Root, fs::path("/"));
  EXPECT_TRUE(DriveRoot('d').has_value());
  EXPECT_FALSE(DriveRoot('E').has_value());
  EXPECT_EQ(DriveLetterOfPath(driveC / "Program Files" / "x.exe"), 'C');
  EXPECT_EQ(DriveLetterOfPath(driveD / "game.exe"), 'D');
  EXPECT_EQ(DriveLetterOfPath("/usr/bin/env"), 'Z');
  fs::remove(devices / "z:");
  EXPECT_EQ(DriveLetterOfPath("/usr/bin"), '\\') << "outside every drive";
}

TEST(FileSystemInfo, MountTableGivesTheTypeOfTheDeepestMount) {
  const std::string mounts =
      "/dev/sda1 / ext4 rw 0 0\n"
      "tmpfs /tmp tmpfs rw 0 0\n"
      "/dev/sdb1 /media/my\\040disk vfat rw 0 0\n"
      "broken-line\n";
  EXPECT_EQ(FileSystemTypeOf(mounts, "/home/player"), "ext4");
  EXPECT_EQ(FileSystemTypeOf(mounts, "/tmp/x"), "tmpfs");
  EXPECT_EQ(FileSystemTypeOf(mounts, "/tmpfoo"), "ext4");
  EXPECT_EQ(FileSystemTypeOf(mounts, "/media/my disk/game"), "vfat");
  EXPECT_EQ(FileSystemTypeOf("", "/"), "");
}
