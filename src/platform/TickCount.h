#pragma once
#include <cstdint>

namespace qmz::platform {

// Milliseconds of a monotonic clock, 64 bits wide so it never wraps during a run.
std::uint64_t TickCount64();

}  // namespace qmz::platform
