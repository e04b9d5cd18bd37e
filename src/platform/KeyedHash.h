#pragma once
// A hash under a key drawn once per process, for every hash table filled with names read from outside
// (game files, folder listings): names crafted to collide under a fixed hash would otherwise make every
// lookup walk one chain of all of them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace qmz::platform {

// SipHash-1-3 of the text under the process's key.
std::uint64_t KeyedHash(std::string_view text);
// KeyedHash of a text given in pieces, for a text made on the way that is never held whole in memory: Add
// the pieces in order, then Finish (once) gives what KeyedHash gives for them joined. Allocates nothing.
class KeyedHashStream {
 public:
  KeyedHashStream();
  void Add(std::string_view piece);
  std::uint64_t Finish();

 private:
  std::uint64_t v_[4];
  std::uint64_t tail_ = 0;  // bytes of a word not yet whole, in its low end
  std::size_t tailBytes_ = 0;
  std::uint64_t length_ = 0;
};

// The same algorithm under a given key (its two halves read little-endian from the key's 16 bytes), with
// one and three rounds as KeyedHash and with the two and four rounds the algorithm was published with.
std::uint64_t SipHash13(std::uint64_t k0, std::uint64_t k1, std::string_view text);
std::uint64_t SipHash24(std::uint64_t k0, std::uint64_t k1, std::string_view text);

// KeyedHash for the standard hash containers; looks std::string keys up by std::string_view as well.
struct KeyedHasher {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::size_t(KeyedHash(text)); }
};

template <typename Value>
using KeyedHashMap = std::unordered_map<std::string, Value, KeyedHasher, std::equal_to<>>;
template <typename Key = std::string>
using KeyedHashSet = std::unordered_set<Key, KeyedHasher, std::equal_to<>>;

}  // namespace qmz::platform
