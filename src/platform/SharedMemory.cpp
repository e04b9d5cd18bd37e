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

SharedMemoryHandle CreateOrOpenSharedMemory(const std::string& name, std::size_t size, bool* existed,
                                            std::string* refusal) {
  if (existed != nullptr) *existed = false;
  if (size == 0) return 0;
  const std::string objectName = SharedMemoryObjectName(name);
  bool created = true;
  int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
  }
  if (fd < 0) return 0;
  struct stat st {};
  std::string problem;
  if (fstat(fd, &st) != 0) {
    problem = "its status cannot be read";
  } else if (!created && st.st_uid != geteuid()) {
    // Made by another user first: that user could read the texts and shrink the block under our view.
    problem = "it belongs to another user";
  } else if (!created && (st.st_mode & 077) != 0) {
    problem = "others may open it";
  } else if (static_cast<std::size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0) {
    // A block of the right name but too small would fault on access beyond its end.
    problem = "it cannot be given its size";
  }
  if (!problem.empty()) {
    ::close(fd);
    if (created) shm_unlink(objectName.c_str());
    if (refusal != nullptr) *refusal = "Shared memory block " + objectName + " not used: " + problem;
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
  // Pages beyond the end of a block that shrank since it was opened would fault (SIGBUS) when touched.
  struct stat st {};
  if (fstat(it->second.fd, &st) != 0 || static_cast<std::size_t>(st.st_size) < it->second.size) return;
  void* p = mmap(nullptr, it->second.size, PROT_READ | PROT_WRITE, MAP_SHARED, it->second.fd, 0);
  if (p == MAP_FAILED) return;
  data_ = static_cast<char*>(p);
  size_ = it->second.size;
}

SharedMemoryView::~SharedMemoryView() {
  if (data_ != nullptr) munmap(data_, size_);
}

}  // namespace qmz::platform
