// Whether a drive is write-protected is asked of the file system: nothing is written into the drive's root
// (the root folder itself, without a Wine prefix), and rights and read-only mounts count.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <stddef.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "support/dwDrives.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

using namespace qmz;
using qmz::test::ScopedEnv;
using qmz::test::TempDir;
namespace fs = std::filesystem;

namespace {

constexpr int kNotHere = 99;  // the child could not set up what the test needs

// The exit code of Run in a child process, or minus the signal that ended it.
int InChild(const std::function<int()>& run) {
  const pid_t child = fork();
  if (child == 0) {
    int code = 98;
    try {
      code = run();
    } catch (...) {
    }
    _exit(code);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// From now on this process is ended by SIGSYS when it makes, removes or renames any name anywhere.
bool ForbidNewNames() {
#if defined(__x86_64__)
  const auto load = [](std::uint32_t at) { return sock_filter BPF_STMT(BPF_LD | BPF_W | BPF_ABS, at); };
  const sock_filter end = BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS);
  const sock_filter allow = BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
  std::vector<sock_filter> filter = {load(offsetof(seccomp_data, arch)),
                                     BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0), end,
                                     load(offsetof(seccomp_data, nr))};
  for (int nr : {SYS_creat, SYS_mkdir, SYS_mkdirat, SYS_unlink, SYS_unlinkat, SYS_rename, SYS_renameat, SYS_renameat2,
                 SYS_link, SYS_linkat, SYS_symlink, SYS_symlinkat, SYS_mknod, SYS_mknodat, SYS_openat2}) {
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(nr), 0, 1));
    filter.push_back(end);
  }
  // open and openat only when they may create: the flags' low word (little-endian) holds O_CREAT.
  for (const auto& [nr, flags] : {std::pair{SYS_open, 1}, std::pair{SYS_openat, 2}}) {
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, std::uint32_t(nr), 0, 4));
    filter.push_back(load(std::uint32_t(offsetof(seccomp_data, args) + 8 * flags)));
    filter.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_CREAT, 0, 1));
    filter.push_back(end);
    filter.push_back(allow);
  }
  filter.push_back(allow);
  const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#else
  return false;
#endif
}

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

TEST_F(DriveWriteProtect, NothingIsWrittenIntoTheDrivesRootNorIntoTheRootFolder) {
  const fs::path c = Drive('C');
  ScopedEnv env("WINEPREFIX", prefix.Str().c_str());
  const int code = InChild([] {
    if (!ForbidNewNames()) return kNotHere;
    const bool prefixDrive = IsDriveWriteProtected('C');
    setenv("WINEPREFIX", "/no such prefix", 1);  // drive C is the root folder now
    const bool rootFolder = IsDriveWriteProtected('c');
    return (prefixDrive ? 1 : 0) | (rootFolder ? 2 : 0);
  });
  if (code == kNotHere) GTEST_SKIP() << "no system-call filter here";
  ASSERT_GE(code, 0) << "ended by signal " << -code << " (a name was made or removed)";
  EXPECT_EQ(code & 1, 0);  // the test's own folder is writable
  if (geteuid() != 0) {
    EXPECT_EQ(code & 2, 2);  // only the administrator may write the root folder
  }
  EXPECT_TRUE(fs::is_empty(c));
}

// A user without the right to write a folder, and a read-only mount, mean write protection; as the
// administrator both are tried as another user and in a mount of this test's own.
TEST_F(DriveWriteProtect, RightsAndReadOnlyMountsCount) {
  const fs::path c = Drive('C');
  const fs::path d = Drive('D');
  const fs::path e = Drive('E');
  fs::permissions(c, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(d, fs::perms::all);
  fs::permissions(prefix.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  ScopedEnv env("WINEPREFIX", prefix.Str().c_str());
  const int code = InChild([&] {
    if (geteuid() == 0) {
      if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          mount(e.c_str(), e.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
          mount(nullptr, e.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        return kNotHere;
      const bool readOnly = IsDriveWriteProtected('E');
      constexpr gid_t kNobody = 65534;
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) return kNotHere;
      if (!readOnly) return 1;
    }
    return (IsDriveWriteProtected('C') ? 0 : 2) | (IsDriveWriteProtected('D') ? 4 : 0);
  });
  if (code == kNotHere) GTEST_SKIP() << "no other user or mount of the test's own here";
  EXPECT_EQ(code, 0) << "1: a read-only mount, 2: a folder without the right to write, 4: a writable one";
}

}  // namespace
