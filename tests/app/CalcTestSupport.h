#pragma once
// Shared pieces of the calculator tests: hooks that record the status texts, and the plain forms of the
// calculation loop and the quicksort that the fast ones must match.

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/core/uFormMain_Calc.h"

namespace qmz::test {

// Notes the status texts; stops when Stop says so.
struct RecordingHooks : TCalcHooks {
  void Status(std::string_view text, std::uint32_t, std::uint32_t, std::uint32_t) override {
    if (!text.empty()) Texts.emplace_back(text);
  }
  bool StopRequested() override { return Stop && Stop(); }
  std::vector<std::string> Texts;
  std::function<bool()> Stop;
};

// The recursive quicksort exactly as written: middle pivot, Hoare scans, highest profit first.
inline void ReferenceQuickSort(std::vector<TRouteRecord>& a, long lo, long hi, std::uint64_t& calls) {
  ++calls;
  if (lo >= hi) return;
  const std::uint32_t pivot = a[std::size_t((lo + hi) / 2)].Profit;
  long i = lo;
  long j = hi;
  do {
    while (a[std::size_t(i)].Profit > pivot) ++i;
    while (a[std::size_t(j)].Profit < pivot) --j;
    if (i <= j) {
      std::swap(a[std::size_t(i)], a[std::size_t(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  ReferenceQuickSort(a, lo, j, calls);
  ReferenceQuickSort(a, i, hi, calls);
}

// The plain triple loop over the index arrays, unsorted.
inline std::vector<TRouteRecord> ReferenceRoutes(const SvModel& d, bool trade, const std::vector<std::int32_t>& from,
                                                 const std::vector<std::int32_t>& to,
                                                 const std::vector<std::int32_t>& goods) {
  std::vector<TRouteRecord> r;
  for (auto f : from)
    for (auto t : to) {
      if (f == t) continue;
      for (auto g : goods) {
        std::uint32_t buy = 0;
        std::uint32_t sell = 0;
        if (trade) {
          if (!d.aMarket[std::size_t(f)][std::size_t(g)].Sold) continue;
          if (!TruncPrice(d.aMarket[std::size_t(f)][std::size_t(g)].Price, buy)) continue;
        }
        if (!TruncPrice(d.aMarket[std::size_t(t)][std::size_t(g)].Price, sell)) continue;
        if (sell > buy) r.push_back({sell - buy, std::uint32_t(g), std::uint32_t(f), std::uint32_t(t)});
      }
    }
  return r;
}

inline std::vector<TRouteRecord> ToVector(const TRouteList& l) {
  return std::vector<TRouteRecord>(l.Data(), l.Data() + l.Count());
}

inline bool SameRoutes(const std::vector<TRouteRecord>& a, const std::vector<TRouteRecord>& b) {
  const auto key = [](const TRouteRecord& r) { return std::tie(r.Profit, r.Commodity, r.FromBase, r.ToBase); };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](auto& x, auto& y) { return key(x) == key(y); });
}

}  // namespace qmz::test
