// The atomic writer replaces regular files only: a device, FIFO, socket or folder in the target's place,
// or behind a link there, is refused with the reason and left as it stands.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/WholeFile.h"
#include "util/TempDir.h"

using namespace qmz::platform;
namespace fs = std::filesystem;

namespace {

// What stands at a name, links not followed.
mode_t KindAt(const fs::path& name) {
  struct stat st {};
  return ::lstat(name.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

TEST(WholeFileTest, WhatIsNoRegularFileIsRefusedAndLeftAsItStands) {
  qmz::test::TempDir dir;
  const fs::path fifo = dir.Path() / "fifo", socket = dir.Path() / "socket", device = dir.Path() / "null";
  const fs::path folder = dir.Path() / "folder";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(folder);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  // The null device's twin, where this user may make devices.
  const bool withDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  fs::create_symlink("fifo", dir.Path() / "to-fifo");
  fs::create_symlink(dir.Path() / "to-fifo", dir.Path() / "to-link-to-fifo");
  fs::create_symlink("loop-b", dir.Path() / "loop-a");
  fs::create_symlink("loop-a", dir.Path() / "loop-b");
  const std::size_t names = std::size_t(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));

  const struct {
    fs::path target, holds;
    const char* reason;
  } cases[] = {
      {fifo, fifo, "a FIFO, not a regular file"},
      {dir.Path() / "to-fifo", fifo, "a FIFO, not a regular file"},
      {dir.Path() / "to-link-to-fifo", fifo, "a FIFO, not a regular file"},
      {socket, socket, "a socket, not a regular file"},
      {device, device, "a device, not a regular file"},
      {folder, folder, "a folder, not a regular file"},
      {dir.Path() / "loop-a", dir.Path() / "loop-a", "Too many levels of symbolic links"},
  };
  for (const auto& c : cases) {
    if (c.holds == device && !withDevice) continue;
    const mode_t kind = KindAt(c.holds);
    std::string why;
    bool asked = false;
    EXPECT_FALSE(WriteFileAtomicPieces(
        c.target.string(), [&](std::string_view&) { return !(asked = true); }, &why));
    EXPECT_FALSE(asked) << c.target;  // refused before a piece is made
    EXPECT_EQ(why, c.reason) << c.target;
    EXPECT_EQ(KindAt(c.holds), kind) << c.target;
    EXPECT_EQ(fs::is_symlink(c.target), c.target != c.holds || c.holds.filename() == "loop-a") << c.target;
  }
  EXPECT_EQ(std::size_t(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator())), names);
  ::close(listener);
}

}  // namespace
