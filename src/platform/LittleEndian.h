#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace qmz::platform {

// Little-endian numbers of Windows file formats. The caller has checked that the bytes are there.
inline uint16_t ReadLe16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

inline uint32_t ReadLe32(std::span<const uint8_t> b, size_t at) {
  return ReadLe16(b, at) | (static_cast<uint32_t>(ReadLe16(b, at + 2)) << 16);
}

}  // namespace qmz::platform
