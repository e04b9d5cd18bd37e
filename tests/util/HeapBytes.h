#pragma once
// Bytes the program holds on the heap right now: the sanitizer's own count in the test build (its
// quarantine keeps freed memory resident, so the process size would not show a release), else malloc's.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's runtime provides it; g++ ships no header for it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace qmz::test {

inline std::size_t HeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#endif
}

}  // namespace qmz::test
