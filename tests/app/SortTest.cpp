#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "CalcTestSupport.h"
#include "app/core/uFormMain_Sort.h"

using namespace qmz;

namespace {

TRouteList ListOf(const std::vector<TRouteRecord>& v) {
  TRouteList l;
  for (const auto& r : v) l.Add(r);
  return l;
}

// Random lists with many equal profits, from empty ones up: the order of ties and the number of calls are
// those of the plain recursive form, on one thread and on several (the lists are large enough to be split).
TEST(SortTest, MatchesThePlainRecursionOnRandomTies) {
  std::mt19937 rng(4711);
  for (std::size_t n : {0u, 1u, 2u, 3u, 57u, 1000u, 300000u}) {
    for (std::uint32_t distinct : {1u, 3u, 50u, 100000u}) {
      std::vector<TRouteRecord> v(n);
      for (std::size_t i = 0; i < n; ++i) v[i] = {1 + std::uint32_t(rng() % distinct), std::uint32_t(i), 0, 0};
      // Runs in order and against it as well as shuffled ones.
      if (distinct == 50u) std::sort(v.begin(), v.end(), [](auto& x, auto& y) { return x.Profit < y.Profit; });
      if (distinct == 3u && n > 100)
        std::sort(v.begin(), v.end() - 50, [](auto& x, auto& y) { return x.Profit > y.Profit; });
      std::vector<TRouteRecord> expected = v;
      std::uint64_t calls = 0;
      test::ReferenceQuickSort(expected, 0, long(n) - 1, calls);
      // One thread; several; several that also split the first two levels together.
      const std::pair<unsigned, std::int64_t> runs[] = {{1u, 1 << 30}, {4u, 1 << 30}, {4u, 5000}, {3u, 20000}};
      for (const auto& [threads, split] : runs) {
        TRouteList l = ListOf(v);
        std::uint64_t progressCalls = 0;
        const auto progress = [&](std::uint64_t c) { progressCalls = c; };
        EXPECT_EQ(SortRoutes(l, 0, std::int64_t(n) - 1, progress, threads, split), calls);
        EXPECT_LE(progressCalls, calls);
        EXPECT_TRUE(test::SameRoutes(test::ToVector(l), expected))
            << n << " " << distinct << " " << threads << " " << split;
      }
    }
  }
}

}  // namespace
