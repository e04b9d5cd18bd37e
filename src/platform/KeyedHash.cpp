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

using SipWords = std::uint64_t[4];

void SipStart(SipWords& v, SipKey key) {
  v[0] = 0x736f6d6570736575ULL ^ key.k0;
  v[1] = 0x646f72616e646f6dULL ^ key.k1;
  v[2] = 0x6c7967656e657261ULL ^ key.k0;
  v[3] = 0x7465646279746573ULL ^ key.k1;
}

// The round counts are fixed at compile time: the process's hash runs for every name put in a table.
template <int CompressionRounds, int FinalRounds>
struct Sip {
  SipWords& v;

  void Round() {
    v[0] += v[1];
    v[1] = Rotl(v[1], 13);
    v[1] ^= v[0];
    v[0] = Rotl(v[0], 32);
    v[2] += v[3];
    v[3] = Rotl(v[3], 16);
    v[3] ^= v[2];
    v[0] += v[3];
    v[3] = Rotl(v[3], 21);
    v[3] ^= v[0];
    v[2] += v[1];
    v[1] = Rotl(v[1], 17);
    v[1] ^= v[2];
    v[2] = Rotl(v[2], 32);
  }

  void Compress(std::uint64_t m) {
    v[3] ^= m;
    for (int i = 0; i < CompressionRounds; ++i) Round();
    v[0] ^= m;
  }

  // Compresses the whole words of bytes; the bytes left over after them, in the low end of a word, and
  // their number.
  std::uint64_t CompressWords(std::span<const std::uint8_t> bytes, std::size_t& left) {
    const std::size_t whole = bytes.size() & ~std::size_t(7);
    for (std::size_t i = 0; i < whole; i += 8) Compress(ReadLe64(bytes, i));
    std::uint64_t tail = 0;
    for (std::size_t i = whole; i < bytes.size(); ++i) tail |= std::uint64_t(bytes[i]) << (8 * (i - whole));
    left = bytes.size() - whole;
    return tail;
  }

  // tail: the last bytes (fewer than eight); length: of the whole text.
  std::uint64_t Finish(std::uint64_t tail, std::uint64_t length) {
    Compress(tail | ((length & 0xFF) << 56));
    v[2] ^= 0xFF;
    for (int i = 0; i < FinalRounds; ++i) Round();
    return v[0] ^ v[1] ^ v[2] ^ v[3];
  }
};

using ProcessSip = Sip<1, 3>;

std::span<const std::uint8_t> BytesOf(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

template <int CompressionRounds, int FinalRounds>
std::uint64_t SipOf(SipKey key, std::string_view text) {
  SipWords v;
  SipStart(v, key);
  Sip<CompressionRounds, FinalRounds> sip{v};
  std::size_t left = 0;
  const std::uint64_t tail = sip.CompressWords(BytesOf(text), left);
  return sip.Finish(tail, text.size());
}

}  // namespace

std::uint64_t KeyedHash(std::string_view text) { return SipOf<1, 3>(ProcessKey(), text); }

KeyedHashStream::KeyedHashStream() { SipStart(v_, ProcessKey()); }

void KeyedHashStream::Add(std::string_view piece) {
  ProcessSip sip{v_};
  auto bytes = BytesOf(piece);
  length_ += bytes.size();
  // Bytes that complete the word begun by the pieces before.
  while (tailBytes_ != 0 && !bytes.empty()) {
    tail_ |= std::uint64_t(bytes.front()) << (8 * tailBytes_);
    bytes = bytes.subspan(1);
    if (++tailBytes_ == 8) {
      sip.Compress(tail_);
      tail_ = 0;
      tailBytes_ = 0;
    }
  }
  if (bytes.empty()) return;
  tail_ = sip.CompressWords(bytes, tailBytes_);
}

std::uint64_t KeyedHashStream::Finish() {
  ProcessSip sip{v_};
  return sip.Finish(tail_, length_);
}

std::uint64_t SipHash13(std::uint64_t k0, std::uint64_t k1, std::string_view text) {
  return SipOf<1, 3>({k0, k1}, text);
}

std::uint64_t SipHash24(std::uint64_t k0, std::uint64_t k1, std::string_view text) {
  return SipOf<2, 4>({k0, k1}, text);
}

}  // namespace qmz::platform
