#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace qmz::platform {

namespace {

struct Block {
  int fd;
  std::size_t size;
  std::string objectName;
  bool created;
};

std::mutex blocksMutex;
std::map<SharedMemoryHandle, Block>& Blocks() {
  static std::map<SharedMemoryHandle, Block> blocks;
  return blocks;
}
SharedMemoryHandle nextHandle = 1;

}  // namespace

std::string SharedMemoryObjectName(const std::string& name) { return "/" + name + std::to_string(geteuid()); }

SharedMemoryHandle CreateOrOpenSharedMemory(const std::string& name, std::size_t size, bool* existed) {
  if (existed != nullptr) *existed = false;
  if (size == 0) return 0;
  const std::string objectName = SharedMemoryObjectName(name);
  bool created = true;
  int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC, 0600);
  }
  if (fd < 0) return 0;
  struct stat st {};
  // A block of the right name but too small would fault on access beyond its end.
  if (fstat(fd, &st) != 0 || (static_cast<std::size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0)) {
    ::close(fd);
    if (created) shm_unlink(objectName.c_str());
    return 0;
  }
  if (existed != nullptr) *existed = !created;
  std::lock_guard lock(blocksMutex);
  const SharedMemoryHandle handle = nextHandle++;
  Blocks().emplace(handle, Block{fd, size, objectName, created});
  return handle;
}

void CloseSharedMemory(SharedMemoryHandle handle) {
  std::lock_guard lock(blocksMutex);
  const auto it = Blocks().find(handle);
  if (it == Blocks().end()) return;
  ::close(it->second.fd);
  if (it->second.created) shm_unlink(it->second.objectName.c_str());
  Blocks().erase(it);
}

SharedMemoryView::SharedMemoryView(SharedMemoryHandle handle) {
  std::lock_guard lock(blocksMutex);
  const auto it = Blocks().find(handle);
  if (it == Blocks().end()) return;
  void* p = mmap(nullptr, it->second.size, PROT_READ | PROT_WRITE, MAP_SHARED, it->second.fd, 0);
  if (p == MAP_FAILED) return;
  data_ = static_cast<char*>(p);
  size_ = it->second.size;
}

SharedMemoryView::~SharedMemoryView() {
  if (data_ != nullptr) munmap(data_, size_);
}

}  // namespace qmz::platform
