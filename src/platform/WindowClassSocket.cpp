#include "platform/WindowClassSocket.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace qmz::platform {

namespace {

constexpr std::uint32_t kCopyDataMessage = 0x004A;

void PutLe(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A connected, non-blocking stream socket to the class's listener, or -1.
int ConnectTo(std::string_view windowClass) {
  const std::string path = WindowClassSocketPath(windowClass);
  sockaddr_un address{};
  if (path.size() >= sizeof(address.sun_path)) return -1;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string WindowClassSocketPath(std::string_view windowClass) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder + std::string(windowClass);
}

bool FindWindowClass(std::string_view windowClass) {
  const int fd = ConnectTo(windowClass);
  if (fd < 0) return false;
  close(fd);
  return true;
}

CopyDataResult SendCopyData(std::string_view windowClass, WParam sender, std::uint32_t dwData, std::string_view data) {
  const int fd = ConnectTo(windowClass);
  if (fd < 0) return CopyDataResult::NoWindow;
  std::string frame;
  frame.reserve(20 + data.size());
  PutLe(frame, kCopyDataMessage, 4);
  PutLe(frame, dwData, 4);
  PutLe(frame, sender, 8);
  PutLe(frame, data.size(), 4);
  frame.append(data);
  const ssize_t sent = send(fd, frame.data(), frame.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  close(fd);
  return sent == static_cast<ssize_t>(frame.size()) ? CopyDataResult::Sent : CopyDataResult::Dropped;
}

bool StartProgram(const std::string& path) {
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t child = 0;
  const int rc = posix_spawn(&child, path.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return false;
  // Reap the child whenever it ends, so it never lingers as a zombie of ours.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

}  // namespace qmz::platform
