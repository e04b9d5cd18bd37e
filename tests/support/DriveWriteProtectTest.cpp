// Whether a drive is write-protected is asked of the file system: nothing is written into the drive's root,
// and rights and read-only mounts count.

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>

#include "support/dwDrives.h"
#include "util/ChildProcess.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

using namespace qmz;
using qmz::test::ScopedEnv;
using qmz::test::TempDir;
namespace fs = std::filesystem;

namespace {

class DriveWriteProtect : public ::testing::Test {
 protected:
  // A Wine prefix whose drive letter stands for a folder of the test's.
  fs::path Drive(char letter) {
    const fs::path root = prefix.Path() / (std::string("drive_") + char(letter + 32));
    fs::create_directories(root);
    fs::create_directories(prefix.Path() / "dosdevices");
    fs::create_directory_symlink(root, prefix.Path() / "dosdevices" / (std::string(1, char(letter + 32)) + ":"));
    return root;
  }

  TempDir prefix;
};

// A name made and removed there would leave the folder's modification time at the moment of the probe.
TEST_F(DriveWriteProtect, NothingIsWrittenIntoTheDrivesRoot) {
  const fs::path c = Drive('C');
  const auto longAgo = fs::file_time_type(std::chrono::hours(24 * 365));
  fs::last_write_time(c, longAgo);
  {
    ScopedEnv env("WINEPREFIX", prefix.Str().c_str());
    EXPECT_FALSE(IsDriveWriteProtected('C'));  // the test's own folder is writable
  }
  EXPECT_EQ(fs::last_write_time(c), longAgo);
  EXPECT_TRUE(fs::is_empty(c));
  if (geteuid() != 0) {
    ScopedEnv env("WINEPREFIX", "/no such prefix");  // drive C is the root folder now
    EXPECT_TRUE(IsDriveWriteProtected('c'));         // only the administrator may write there
  }
}

// A user without the right to write a folder, and a read-only mount, mean write protection. The
// administrator tries both as another user, the mount in a namespace of the test's own where the system
// lets it make one.
TEST_F(DriveWriteProtect, RightsAndReadOnlyMountsCount) {
  const fs::path c = Drive('C');
  const fs::path d = Drive('D');
  const fs::path e = Drive('E');
  fs::permissions(c, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(d, fs::perms::all);
  fs::permissions(prefix.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  ScopedEnv env("WINEPREFIX", prefix.Str().c_str());
  const int code = test::RunInChild(
      [&] {
    if (geteuid() == 0) {
      const bool mounted = unshare(CLONE_NEWNS) == 0 &&
                           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                           mount(e.c_str(), e.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                           mount(nullptr, e.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
      if (mounted && !IsDriveWriteProtected('E')) return 1;
      constexpr gid_t kNobody = 65534;
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) return 8;
    }
    return (IsDriveWriteProtected('C') ? 0 : 2) | (IsDriveWriteProtected('D') ? 4 : 0);
      },
      98);
  EXPECT_EQ(code, 0) << "1: a read-only mount, 2: a folder without the right to write, 4: a writable one, "
                        "8: no other user";
}

}  // namespace
