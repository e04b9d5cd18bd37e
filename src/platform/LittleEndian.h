#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace qmz::platform {

// Little-endian numbers of Windows file formats. The caller has checked that the bytes are there. On a
// little-endian machine the number is one load (decoders read millions of them).
inline uint16_t ReadLe16(std::span<const uint8_t> b, size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
  }
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

inline uint32_t ReadLe32(std::span<const uint8_t> b, size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
  }
  return ReadLe16(b, at) | (static_cast<uint32_t>(ReadLe16(b, at + 2)) << 16);
}

inline uint64_t ReadLe64(std::span<const uint8_t> b, size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t v;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
  }
  return ReadLe32(b, at) | (static_cast<uint64_t>(ReadLe32(b, at + 4)) << 32);
}

}  // namespace qmz::platform
