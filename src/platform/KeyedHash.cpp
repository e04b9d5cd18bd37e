#include "platform/KeyedHash.h"

#include <random>
#include <span>

#include "platform/LittleEndian.h"

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

// The round counts are fixed at compile time: the process's hash runs for every name put in a table.
template <int CompressionRounds, int FinalRounds>
std::uint64_t Sip(SipKey key, std::string_view text) {
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
  const auto compress = [&](std::uint64_t m) {
    v3 ^= m;
    for (int i = 0; i < CompressionRounds; ++i) round();
    v0 ^= m;
  };
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  const std::size_t whole = text.size() & ~std::size_t(7);
  for (std::size_t i = 0; i < whole; i += 8) compress(ReadLe64(bytes, i));
  std::uint64_t last = std::uint64_t(text.size() & 0xFF) << 56;
  for (std::size_t i = whole; i < text.size(); ++i) last |= std::uint64_t(bytes[i]) << (8 * (i - whole));
  compress(last);
  v2 ^= 0xFF;
  for (int i = 0; i < FinalRounds; ++i) round();
  return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace

std::uint64_t KeyedHash(std::string_view text) { return Sip<1, 3>(ProcessKey(), text); }

std::uint64_t SipHash13(std::uint64_t k0, std::uint64_t k1, std::string_view text) { return Sip<1, 3>({k0, k1}, text); }

std::uint64_t SipHash24(std::uint64_t k0, std::uint64_t k1, std::string_view text) { return Sip<2, 4>({k0, k1}, text); }

}  // namespace qmz::platform
