#include "platform/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace qmz::platform {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    data.remove_prefix(std::size_t(n));
  }
  return true;
}

std::optional<FileIdentity> IdentityOf(int fd) {
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) return std::nullopt;
  return FileIdentity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

namespace {

// Opens Path for reading when it is a regular file; -1 with Why set otherwise.
int OpenRegularFile(const std::string& Path, struct stat& St, std::string& Why) {
  // Non-blocking: opening a FIFO for reading would otherwise wait for a writer for ever.
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    Why = std::strerror(errno);
    return -1;
  }
  if (::fstat(fd, &St) != 0) {
    Why = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(St.st_mode)) {
    Why = "not a regular file";
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool ReadFileChunks(const std::string& Path, std::size_t ChunkSize,
                    const std::function<bool(std::string_view Data, std::uint64_t FileSize)>& Chunk,
                    std::string* Reason) {
  struct stat st {};
  std::string why;
  const int fd = OpenRegularFile(Path, st, why);
  if (fd < 0) {
    if (Reason != nullptr) *Reason = why;
    return false;
  }
  std::string buffer(std::max<std::size_t>(ChunkSize, 1), '\0');
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      ok = false;
    }
    if (n <= 0) break;
    if (!Chunk(std::string_view(buffer.data(), std::size_t(n)), std::uint64_t(st.st_size))) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (!ok && Reason != nullptr) *Reason = why;
  return ok;
}

bool ReadWholeFile(const std::string& Path, std::string& Data, std::size_t MaxSize, std::string* Reason) {
  Data.clear();
  auto fail = [&](std::string why) {
    if (Reason != nullptr) *Reason = std::move(why);
    Data.clear();
    return false;
  };
  struct stat st {};
  std::string openWhy;
  const int fd = OpenRegularFile(Path, st, openWhy);
  if (fd < 0) return fail(openWhy);
  const std::string tooLarge = "larger than " + std::to_string(MaxSize) + " bytes";
  if (std::size_t(st.st_size) > MaxSize) {
    ::close(fd);
    return fail(tooLarge);
  }
  Data.resize(std::size_t(st.st_size));
  std::size_t done = 0;
  std::string why;
  // The size is a hint only: the file may change while it is read. Beyond it, reads go through a small
  // buffer, so a file that ends where its size said costs its size and no room more.
  char more[4096];
  for (;;) {
    const bool beyond = done == Data.size();
    const ssize_t n = beyond ? ::read(fd, more, sizeof more) : ::read(fd, Data.data() + done, Data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) why = std::strerror(errno);
    if (n <= 0) break;
    if (beyond) {
      // One byte beyond the bound is enough to tell a file that is too large.
      if (std::size_t(n) > MaxSize - done) {
        why = tooLarge;
        break;
      }
      Data.append(more, std::size_t(n));
    }
    done += std::size_t(n);
  }
  ::close(fd);
  if (!why.empty()) return fail(why);
  Data.resize(done);
  return true;
}

std::string FollowFileLinks(const std::string& Path) {
  std::string path = Path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0 || std::size_t(n) >= target.size()) return path;
    target.resize(std::size_t(n));
    if (target.empty()) return path;
    if (target.front() != '/') {
      const std::size_t slash = path.rfind('/');
      target = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
    }
    path = target;
  }
  return path;
}

namespace {

// Why what stands at File must not be replaced by a regular file: a device, FIFO, socket or folder, or a
// link still (one of too many). Empty when a regular file or nothing stands there (or it cannot be told:
// the write then gives the system's reason).
std::string NoRegularFileReason(const std::string& File) {
  struct stat st {};
  if (::lstat(File.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {};
  if (S_ISLNK(st.st_mode)) return std::strerror(ELOOP);
  const char* kind = S_ISDIR(st.st_mode)                          ? "a folder"
                     : S_ISFIFO(st.st_mode)                       ? "a FIFO"
                     : S_ISSOCK(st.st_mode)                       ? "a socket"
                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                  : "something else";
  return std::string(kind) + ", not a regular file";
}

}  // namespace

bool WriteFileAtomicPieces(const std::string& Path, const std::function<bool(std::string_view& Piece)>& Next,
                           std::string* Reason) {
  std::string why;
  auto fail = [&](std::string text) {
    if (Reason != nullptr) *Reason = std::move(text);
    return false;
  };
  if (Path.empty()) return fail(std::strerror(ENOENT));
  // Renaming over a link would replace the link by a plain file and leave its target as it was.
  const std::string file = FollowFileLinks(Path);
  // A device, FIFO or socket stays what it is: renaming over it would put a plain file in its place.
  why = NoRegularFileReason(file);
  if (!why.empty()) return fail(why);
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = file + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // 0666 lets the umask decide, as for any new file of the user's.
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(std::strerror(errno));
  }
  if (fd < 0) return fail(std::strerror(EEXIST));
  struct stat old {};
  if (::stat(file.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  off_t at = 0, lastStart = 0, lastSize = 0;
  bool ok = true;
  std::string_view piece;
  while (ok && Next(piece)) {
    ok = WriteAll(fd, piece);
    if (!ok || piece.empty()) continue;
    // Start writing this piece out now, and wait for the one before (long written by now): the data
    // reaches the disk at the pace it is made instead of all in the closing flush.
    ::sync_file_range(fd, at, off_t(piece.size()), SYNC_FILE_RANGE_WRITE);
    if (lastSize > 0)
      ::sync_file_range(fd, lastStart, lastSize,
                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    lastStart = at;
    lastSize = off_t(piece.size());
    at += off_t(piece.size());
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (!ok) why = std::strerror(errno);
  if (::close(fd) != 0 && ok) {
    ok = false;
    why = std::strerror(errno);
  }
  if (ok) {
    why = NoRegularFileReason(file);  // put there while the file was written
    ok = why.empty();
  }
  if (ok && ::rename(temp.c_str(), file.c_str()) != 0) {
    ok = false;
    why = std::strerror(errno);
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return fail(why);
  }
  return true;
}

bool WriteFileAtomic(const std::string& Path, std::string_view Data, std::string* Reason) {
  bool given = false;
  return WriteFileAtomicPieces(
      Path,
      [&](std::string_view& piece) {
    piece = Data;
    return !std::exchange(given, true);
      },
      Reason);
}

}  // namespace qmz::platform
