#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "platform/AdminTest.h"
#include "platform/ExePath.h"
#include "platform/LocalTime.h"
#include "platform/OsVersion.h"
#include "platform/SystemLanguage.h"
#include "util/ScopedEnv.h"
#include "platform/DosDevices.h"
#include "platform/FileSystemInfo.h"
#include "platform/WinePrefix.h"
#include "util/TempDir.h"

using namespace qmz::platform;
namespace fs = std::filesystem;
using qmz::test::ScopedEnv;

TEST(ExePath, NamesThisTestProgramAndItsFolder) {
  const std::string path = ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "test_platform");
  EXPECT_EQ(ExecutableFolder() + "test_platform", path);
}

TEST(AdminTest, RootOrAnAdministeringGroupCounts) {
  EXPECT_TRUE(IsAdministratorAccount(0, {}));
  EXPECT_TRUE(IsAdministratorAccount(1000, {"users", "wheel"}));
  EXPECT_FALSE(IsAdministratorAccount(1000, {"users", "sudoers", "adm"}));  // whole names only
}

TEST(OsVersion, KernelReleaseAndOsReleaseFillTheRecordEvenWhenOdd) {
  const auto r = MakeOsVersionRecord("Linux", "6.1.0-18-amd64",
                                     "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
  EXPECT_EQ(r.PlatformId, kPlatformLinux);
  EXPECT_EQ(r.MajorVersion, 6u);
  EXPECT_EQ(r.MinorVersion, 1u);
  EXPECT_EQ(r.BuildNumber, 0u);
  EXPECT_EQ(r.CSDVersion, "Linux 6.1.0-18-amd64");
  EXPECT_EQ(r.SystemName, "Debian GNU/Linux 12 (bookworm)");
  // Without PRETTY_NAME, and with odd releases, there is still a name.
  const auto alpine = MakeOsVersionRecord("Linux", "5.15", "NAME='Alpine'\nVERSION=3.19\n");
  EXPECT_EQ(alpine.SystemName, "Alpine 3.19");
  EXPECT_EQ(alpine.MinorVersion, 15u);
  const auto bare = MakeOsVersionRecord("Linux", "weird", "");
  EXPECT_EQ(bare.SystemName, "Linux");
  EXPECT_EQ(bare.MajorVersion, 0u);
  const auto huge = MakeOsVersionRecord(std::string(200, 'L'), "1", "");
  EXPECT_EQ(huge.CSDVersion.size(), 127u);
}

TEST(SystemLanguage, LocaleTextsGiveEnglishNamesAndLcAllWinsOverLang) {
  EXPECT_EQ(LanguageNameOfLocale("pt_BR@euro"), "Portuguese (Brazil)");
  EXPECT_EQ(LanguageNameOfLocale("C.UTF-8"), "Language Neutral");
  EXPECT_EQ(LanguageNameOfLocale("xx_YY"), "xx (YY)");
  EXPECT_LE(LanguageNameOfLocale(std::string(80, 'q')).size(), 49u);
  ScopedEnv all("LC_ALL", "it_IT.UTF-8");
  ScopedEnv lang("LANG", "en_US.UTF-8");
  EXPECT_EQ(SystemLanguageName(), "Italian (Italy)");
  ScopedEnv noAll("LC_ALL", nullptr);
  ScopedEnv noMessages("LC_MESSAGES", nullptr);
  EXPECT_EQ(SystemLanguageName(), "English (United States)");
}

TEST(LocalTime, DaysCountFrom1899) {
  EXPECT_DOUBLE_EQ(ToDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
  EXPECT_DOUBLE_EQ(ToDateTime({2006, 5, 14, 12, 0, 0, 0}), 38851.5);
  EXPECT_DOUBLE_EQ(ToDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  // And back, to the nearest millisecond; values outside the calendar are held at its ends.
  EXPECT_EQ(FormatTimeStamp(FromDateTime(38851.5)), "2006-05-14 12:00:00");
  EXPECT_EQ(FromDateTime(36526.0 + 1.5 / 86400000.0).Millisecond, 2);
  EXPECT_EQ(FormatTimeStamp(FromDateTime(38851.0 - 0.5 / 86400000.0)), "2006-05-14 00:00:00");
  EXPECT_EQ(FormatDate(FromDateTime(-1.0)), "1899-12-29");
  EXPECT_EQ(FormatTimeStamp(FromDateTime(1e12)), "9999-12-31 23:59:59");
  EXPECT_EQ(FormatDate(FromDateTime(-1e12)), "0001-01-01");
  EXPECT_EQ(FormatDate(FromDateTime(std::nan(""))), "1899-12-30");
}

// An empty or unset WINEPREFIX falls back to ~/.wine; a set one is where the drives are read.
TEST(WinePrefix, FallsBackToHomeWineAndGivesTheDrivesInOrderWithThePathsOfTheDeepestDrive) {
  ScopedEnv home("HOME", "/home/player");
  for (const char* value : {"", static_cast<const char*>(nullptr)}) {
    ScopedEnv prefix("WINEPREFIX", value);
    EXPECT_EQ(WinePrefix(), fs::path("/home/player/.wine"));
  }
  // c: -> ../drive_c, d: -> an absolute folder, z: -> /, plus the entries Wine keeps beside the drive letters.
  qmz::test::TempDir dir;
  const fs::path devices = dir.Path() / "dosdevices", driveC = dir.Path() / "drive_c",
                 driveD = dir.Path() / "elsewhere" / "games";
  for (const fs::path& folder : {devices, driveC / "Program Files", driveD}) fs::create_directories(folder);
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
  const std::pair<const char*, const char*> cases[] = {{"/home/player", "ext4"},
                                                       {"/tmp/x", "tmpfs"},
                                                       {"/tmpfoo", "ext4"},
                                                       {"/media/my disk/game", "vfat"}};
  for (const auto& [path, type] : cases) EXPECT_EQ(FileSystemTypeOf(mounts, path), type) << path;
  EXPECT_EQ(FileSystemTypeOf("", "/"), "");
}
