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

TEST(SortTest, SmallListsAndTheirCallCounts) {
  struct Case {
    std::vector<std::uint32_t> profits, sorted;
    std::uint64_t calls;
  } cases[] = {
      {{}, {}, 1},
      {{7}, {7}, 1},
      {{10, 20, 20, 5}, {20, 20, 10, 5}, 5},
      {{1, 2}, {2, 1}, 3},
  };
  for (const auto& c : cases) {
    std::vector<TRouteRecord> v;
    for (std::size_t i = 0; i < c.profits.size(); ++i) v.push_back({c.profits[i], std::uint32_t(i), 0, 0});
    TRouteList l = ListOf(v);
    EXPECT_EQ(SortRoutes(l, 0, std::int64_t(l.Count()) - 1), c.calls);
    std::vector<std::uint32_t> got;
    for (std::size_t i = 0; i < l.Count(); ++i) got.push_back(l[i].Profit);
    EXPECT_EQ(got, c.sorted);
  }
}

// Random lists with many equal profits: the order of ties and the number of calls are those of the
// plain recursive form, on one thread and on several (the lists are large enough to be split).
TEST(SortTest, MatchesThePlainRecursionOnRandomTies) {
  std::mt19937 rng(4711);
  for (std::size_t n : {std::size_t(2), std::size_t(3), std::size_t(57), std::size_t(1000), std::size_t(300000)}) {
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
