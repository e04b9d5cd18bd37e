#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qmz::samplegen {

// splitmix64: tiny and fully defined by its few lines, so a seed gives the same installation with every
// compiler and standard library (std distributions differ between library versions).
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A whole number in [lo, hi]; the tiny modulo bias does not matter for test data.
  int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1)); }

  // True with a chance of percent in 100.
  bool Percent(int percent) { return Range(0, 99) < percent; }

  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[Next() % items.size()];
  }

  template <typename T>
  void Shuffle(std::vector<T>& items) {
    for (std::size_t i = items.size(); i > 1; --i) {
      std::size_t j = Next() % i;
      std::swap(items[i - 1], items[j]);
    }
  }

 private:
  std::uint64_t state_;
};

}  // namespace qmz::samplegen
