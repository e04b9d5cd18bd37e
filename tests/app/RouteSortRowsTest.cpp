// The route sort on lists large enough for every way it splits the work, and the display's rows of a list
// longer than the sample it foresees the rest from.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/core/uFormGrid_Table.h"
#include "app/core/uFormMain_Calc.h"
#include "app/core/uFormMain_Display.h"
#include "app/core/uFormMain_Sort.h"
#include "util/GeneratedModel.h"

using namespace qmz;

namespace {

// The recursion as the sort is defined: middle pivot, Hoare's scans, highest profit first (not stable).
void PlainQuickSort(std::vector<TRouteRecord>& a, std::int64_t lo, std::int64_t hi, std::uint64_t& calls) {
  for (;;) {
    ++calls;
    if (lo >= hi) return;
    const std::uint32_t pivot = a[std::size_t((lo + hi) / 2)].Profit;
    std::int64_t i = lo;
    std::int64_t j = hi;
    do {
      while (a[std::size_t(i)].Profit > pivot) ++i;
      while (a[std::size_t(j)].Profit < pivot) --j;
      if (i <= j) std::swap(a[std::size_t(i++)], a[std::size_t(j--)]);
    } while (i <= j);
    // The second call as a loop: the same calls and order, without a recursion as deep as a run of ties.
    PlainQuickSort(a, lo, j, calls);
    lo = i;
  }
}

std::vector<std::uint32_t> Tags(const TRouteList& l) {
  std::vector<std::uint32_t> t;
  for (std::size_t i = 0; i < l.Count(); ++i) t.push_back(l[i].Commodity);
  return t;
}

}  // namespace

// Lists beyond twice the default split size, full of equal profits: both split levels are partitioned by all
// threads together (and a range of one profit, where every element is a stop of both scans). The profits
// come out as a sort by profit gives them, the equal ones in the order of the plain recursion, with its
// number of calls.
TEST(SortTest, DefaultSplitsOfLargeListsGiveThePlainRecursionsOrder) {
  std::mt19937 rng(1201);
  const std::size_t n = (std::size_t(1) << 20) + 4321;  // above 2 x 2^19: the second level splits both halves
  for (std::uint32_t distinct : {1u, 5u, 1000u}) {
    std::vector<TRouteRecord> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = {1 + std::uint32_t(rng() % distinct), std::uint32_t(i), 0, 0};
    if (distinct == 5u)
      std::sort(v.begin(), v.begin() + std::ptrdiff_t(n / 3), [](auto& x, auto& y) {
        return x.Profit < y.Profit;  // a long run against the order
      });
    std::vector<TRouteRecord> expected = v;
    std::uint64_t calls = 0;
    PlainQuickSort(expected, 0, std::int64_t(n) - 1, calls);
    std::vector<TRouteRecord> byProfit = v;
    std::stable_sort(byProfit.begin(), byProfit.end(), [](auto& x, auto& y) { return x.Profit > y.Profit; });

    TRouteList l;
    l.Reserve(n);
    for (const auto& r : v) l.Add(r);
    std::uint64_t lastProgress = 0;
    bool progressRose = true;
    const auto progress = [&](std::uint64_t c) {
      progressRose = progressRose && c >= lastProgress;
      lastProgress = c;
    };
    EXPECT_EQ(SortRoutes(l, 0, std::int64_t(n) - 1, progress, 4), calls) << distinct;
    EXPECT_TRUE(progressRose);
    EXPECT_LE(lastProgress, calls);
    bool sameProfits = true;
    for (std::size_t i = 0; i < n; ++i) sameProfits = sameProfits && l[i].Profit == byProfit[i].Profit;
    EXPECT_TRUE(sameProfits) << distinct;
    std::vector<std::uint32_t> tags;
    for (const auto& r : expected) tags.push_back(r.Commodity);
    EXPECT_TRUE(Tags(l) == tags) << "order of equal profits, " << distinct << " profits";
  }
}

// A display of more routes than the sample it foresees the rest from: the rows are those written one by
// one, and the table's text size is the bytes of their fields with their ends.
TEST(DisplayTest, LongListsGiveTheSameRowsAsRouteByRoute) {
  auto d = test::LoadSmallModel();
  ASSERT_TRUE(d->DataValid);
  TCalcHooks hooks;
  TCalcWork work;
  const TIndex anywhere{0, 4};
  ASSERT_EQ(CalculateRoutes(*d, {true, {anywhere}, {anywhere}, {anywhere}}, work, hooks, nullptr), TCalcEnd::Finished);
  const TRouteList& routes = work.FRoutes;
  ASSERT_GT(routes.Count(), 4500u) << "the model gives too few routes to pass the sample";

  TDisplayOptions o;
  o.Level = 1e6;
  for (const auto& [lines, unlawful] : {std::pair{std::int64_t(4500), true}, {std::int64_t(1) << 40, false}}) {
    o.LinesCount = lines;
    o.Unlawful = unlawful;
    TRouteTable shown;
    ASSERT_EQ(BuildRouteRows(*d, routes, o, hooks, shown), TDisplayEnd::Finished);
    TRouteTable expected;
    std::size_t bytes = 0;
    const std::size_t limit = std::min<std::size_t>(std::size_t(lines), routes.Count());
    for (std::size_t i = 0; i < limit; ++i) {
      if (!RouteShown(*d, routes, routes[i], o)) continue;
      const TRouteRecord& r = routes[i];
      AppendRouteRow(expected, *d, routes, r,
                     RouteQuantity(o.Money, o.Cargo, RouteBuyPrice(*d, routes, r), RouteVolume(*d, r), r.Profit), '.');
    }
    ASSERT_GT(limit, 4096u);
    ASSERT_EQ(shown.Count(), expected.Count());
    std::vector<std::string_view> a;
    std::vector<std::string_view> b;
    bool same = true;
    for (std::size_t row = 0; row < shown.Count(); ++row) {
      shown.Fields(row, a);
      expected.Fields(row, b);
      same = same && a == b;
      for (auto field : a) bytes += field.size() + 1;
    }
    EXPECT_TRUE(same) << lines;
    EXPECT_EQ(shown.TextSize(), bytes);
    EXPECT_EQ(expected.TextSize(), bytes);
  }
}
