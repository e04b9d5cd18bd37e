#include "platform/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

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

bool ReadWholeFile(const std::string& Path, std::string& Data, std::size_t MaxSize) {
  Data.clear();
  const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::size_t(st.st_size) <= MaxSize;
  if (ok) {
    Data.resize(std::size_t(st.st_size));
    std::size_t done = 0;
    // The size is a hint only: the file may change while it is read.
    for (;;) {
      if (done == Data.size()) {
        if (done > MaxSize) {
          ok = false;  // grew beyond the bound while being read
          break;
        }
        // One byte beyond the bound is enough to tell a file that is too large.
        Data.resize(done + std::max<std::size_t>(1, std::min<std::size_t>(4096 + done / 2, MaxSize - done)));
      }
      const ssize_t n = ::read(fd, Data.data() + done, Data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      done += std::size_t(n);
    }
    Data.resize(done);
  }
  ::close(fd);
  if (!ok) Data.clear();
  return ok;
}

bool WriteFileAtomic(const std::string& Path, std::string_view Data) {
  if (Path.empty()) return false;
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = Path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    // 0666 lets the umask decide, as for any new file of the user's.
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  struct stat old {};
  if (::stat(Path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
  const bool ok = WriteAll(fd, Data) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), Path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace qmz::platform
