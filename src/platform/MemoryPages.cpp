#include "platform/MemoryPages.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace qmz::platform {

void DiscardPages(void* Data, std::size_t Size) {
  const long page = sysconf(_SC_PAGESIZE);
  const std::uintptr_t begin = std::uintptr_t(Data);
  if (Data == nullptr || Size == 0 || page <= 0 || begin + Size < begin) return;
  const std::uintptr_t pageSize = std::uintptr_t(page);
  const std::uintptr_t first = (begin + pageSize - 1) / pageSize * pageSize;
  const std::uintptr_t last = (begin + Size) / pageSize * pageSize;
  if (last <= first) return;
  madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

void ReleaseFreeMemory() { ::malloc_trim(0); }

}  // namespace qmz::platform
