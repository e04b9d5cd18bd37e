// The program's own operator new and delete, over malloc and free, counting what is in use.
#include "AllocationMeter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};
std::atomic<std::size_t> refuseAbove{std::numeric_limits<std::size_t>::max()};
std::atomic<int> refused{0};
std::atomic<std::size_t> allocations{0};
std::atomic<std::size_t> refuseNumber{0};  // 0: none
std::size_t atStart = 0;

void* Allocate(std::size_t size) {
  const std::size_t number = allocations.fetch_add(1, std::memory_order_relaxed) + 1;
  if (size > refuseAbove.load(std::memory_order_relaxed) || number == refuseNumber.load(std::memory_order_relaxed)) {
    ++refused;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const std::size_t now = inUse.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
  std::size_t seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
  }
  return p;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  inUse.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
  std::free(p);
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace qmz::test {

AllocationMeter::AllocationMeter(std::size_t refuse) {
  atStart = inUse.load();
  peak = atStart;
  refuseAbove = refuse;
  refused = 0;
  allocations = 0;
  refuseNumber = 0;
}

AllocationMeter::~AllocationMeter() {
  refuseAbove = std::numeric_limits<std::size_t>::max();
  refuseNumber = 0;
}

std::size_t AllocationMeter::Peak() const { return peak.load() - atStart; }

int AllocationMeter::Refused() const { return refused.load(); }

std::size_t AllocationMeter::Allocations() const { return allocations.load(); }

void AllocationMeter::RefuseAllocation(std::size_t number) { refuseNumber = allocations.load() + number; }

}  // namespace qmz::test
