#pragma once
// What this test program allocates through operator new: the bytes in use, their peak, and a size above
// which an allocation fails with std::bad_alloc, as it does when the system has no memory left.
#include <cstddef>
#include <limits>

namespace qmz::test {

class AllocationMeter {
 public:
  // Measures from now on; allocations of more than refuseAbove bytes fail while the meter lives.
  explicit AllocationMeter(std::size_t refuseAbove = std::numeric_limits<std::size_t>::max());
  ~AllocationMeter();
  AllocationMeter(const AllocationMeter&) = delete;
  AllocationMeter& operator=(const AllocationMeter&) = delete;

  // The most bytes in use at once since the meter was made, beyond those in use when it was.
  std::size_t Peak() const;
  // How many allocations were refused since the meter was made.
  int Refused() const;
  // How many allocations were asked for since the meter was made.
  std::size_t Allocations() const;
  // Refuses the number-th allocation from now on (1: the next one), and only that one, as a system does
  // whose memory runs out for a moment.
  void RefuseAllocation(std::size_t number);
};

}  // namespace qmz::test
