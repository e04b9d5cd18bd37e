#include "platform/KeyedHash.h"

#include <cstring>
#include <random>

namespace qmz::platform {

namespace {

constexpr std::uint64_t Rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipKey {
  std::uint64_t k0, k1;
};

SipKey ProcessKey() {
  static const SipKey key = [] {
    std::random_device device;
    const auto word = [&device] { return (std::uint64_t(device()) << 32) | device(); };
    return SipKey{word(), word()};
  }();
  return key;
}

}  // namespace

std::uint64_t KeyedHash(std::string_view text) {
  const SipKey key = ProcessKey();
  std::uint64_t v0 = 0x736f6d6570736575ULL ^ key.k0, v1 = 0x646f72616e646f6dULL ^ key.k1;
  std::uint64_t v2 = 0x6c7967656e657261ULL ^ key.k0, v3 = 0x7465646279746573ULL ^ key.k1;
  const auto round = [&] {
    v0 += v1;
    v1 = Rotl(v1, 13);
    v1 ^= v0;
    v0 = Rotl(v0, 32);
    v2 += v3;
    v3 = Rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = Rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = Rotl(v1, 17);
    v1 ^= v2;
    v2 = Rotl(v2, 32);
  };
  const std::size_t whole = text.size() & ~std::size_t(7);
  for (std::size_t i = 0; i < whole; i += 8) {
    // Eight bytes in one load (the host's byte order: the key is the process's own anyway).
    std::uint64_t m = 0;
    std::memcpy(&m, text.data() + i, sizeof m);
    v3 ^= m;
    round();
    v0 ^= m;
  }
  std::uint64_t last = std::uint64_t(text.size() & 0xFF) << 56;
  for (std::size_t i = whole; i < text.size(); ++i)
    last |= std::uint64_t(static_cast<unsigned char>(text[i])) << (8 * (i - whole));
  v3 ^= last;
  round();
  v0 ^= last;
  v2 ^= 0xFF;
  round();
  round();
  round();
  return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace qmz::platform
