#include "platform/WindowClassSocket.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/FileSystemInfo.h"

namespace qmz::platform {

namespace {

constexpr std::uint32_t kCopyDataMessage = 0x004A;

void PutLe(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

struct SocketFolder {
  std::string path;   // ends in '/'
  bool ours = false;  // the fallback folder, which this program makes when it is missing
};

SocketFolder WindowClassFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  SocketFolder folder;
  if (runtime != nullptr && *runtime != '\0') {
    folder.path = runtime;
  } else {
    const char* tmp = std::getenv("TMPDIR");
    folder.path = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    if (folder.path.back() != '/') folder.path += '/';
    folder.path += "qmz-" + std::to_string(geteuid());
    folder.ours = true;
  }
  if (folder.path.back() != '/') folder.path += '/';
  return folder;
}

// A connected, non-blocking stream socket to the class's listener, or -1; a socket that must not be
// trusted is not even connected to, and *distrust says why.
int ConnectTo(std::string_view windowClass, std::string* distrust) {
  std::string why = WindowClassSocketDistrust(windowClass);
  if (!why.empty()) {
    if (distrust != nullptr) *distrust = std::move(why);
    return -1;
  }
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
  return WindowClassFolder().path + std::string(windowClass);
}

std::string UserPrivateFolder(std::string* problem) {
  const SocketFolder folder = WindowClassFolder();
  const std::string folderPath = folder.path.substr(0, folder.path.size() - 1);
  std::string why;
  if (folder.ours && !MakePrivateFolder(folderPath)) {
    why = "the folder " + folderPath + " cannot be made: " + std::strerror(errno);
  } else {
    why = PrivateFolderProblem(folderPath);
  }
  if (why.empty()) return folder.path;
  if (problem != nullptr) *problem = std::move(why);
  return {};
}

std::string WindowClassSocketDistrust(std::string_view windowClass) {
  const SocketFolder folder = WindowClassFolder();
  const std::string folderPath = folder.path.substr(0, folder.path.size() - 1);
  struct stat info {};
  // Claimed at once, so no one else can make it first; the session's own folder is never made here. No
  // folder: no listener, which is no reason for distrust.
  if (folder.ours && !MakePrivateFolder(folderPath)) return {};
  if (lstat(folderPath.c_str(), &info) != 0) return {};
  if (std::string why = PrivateFolderProblem(folderPath); !why.empty()) return why;
  const std::string path = folder.path + std::string(windowClass);
  // Nothing there: no listener, which is no reason for distrust.
  if (lstat(path.c_str(), &info) != 0) return {};
  if (S_ISLNK(info.st_mode)) return path + " is a symbolic link";
  if (!S_ISSOCK(info.st_mode)) return path + " is not a socket";
  if (info.st_uid != geteuid()) return path + " belongs to another user";
  return {};
}

bool FindWindowClass(std::string_view windowClass) {
  // Looked up in the kernel's table of local sockets, never by connecting: a listener takes every
  // connection for a message, and one closed unsent would reach it as an empty one.
  if (!WindowClassSocketDistrust(windowClass).empty()) return false;
  const std::string path = WindowClassSocketPath(windowClass);
  std::ifstream table("/proc/net/unix");
  if (!table) {
    // No table to read: a socket of ours in its place is the best sign of a listener there is.
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
  }
  constexpr unsigned long kListening = 0x10000;  // __SO_ACCEPTCON
  std::string line;
  std::getline(table, line);  // the heading
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, refCount, protocol, flags, type, state, inode;
    if (!(fields >> slot >> refCount >> protocol >> flags >> type >> state >> inode)) continue;
    std::string name;
    std::getline(fields >> std::ws, name);
    if (name == path && (std::strtoul(flags.c_str(), nullptr, 16) & kListening) != 0) return true;
  }
  return false;
}

CopyDataResult SendCopyData(std::string_view windowClass, WParam sender, std::uint32_t dwData, std::string_view data,
                            std::string* distrust) {
  std::string why;
  const int fd = ConnectTo(windowClass, &why);
  if (!why.empty()) {
    if (distrust != nullptr) *distrust = std::move(why);
    return CopyDataResult::Refused;
  }
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
