#pragma once
// Hand-made models and reference results shared by the calculation's tests (CalcTest*.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "app/core/uFormMain_Calc.h"
#include "app/core/uFormMain_Display.h"
#include "util/GeneratedModel.h"  // the model, the journal helpers and the temporary folder

namespace qmz::test {

// Systems 1 and 2; factions 1 (lawful) and 2 (not lawful); bases 1 .. bases, odd ones in system 1 run by
// faction 1, even ones in system 2 run by faction 2; goods 1 .. goods, price 100, volume 1, commodities.
// Every cell of a real base and good has the markets' defaults: not sold, factor 1, price 100, rep -1.
inline std::unique_ptr<TSvData> MakeRouteModel(int bases, int goods) {
  auto d = std::make_unique<TSvData>();
  d->aSystem.resize(3);
  d->aSystem[0].nickname = "loot";
  d->aSystem[0].name = "Loot Trading";
  d->aSystem[1].name = "Sys One";
  d->aSystem[2].name = "Sys Two";
  d->aFaction.resize(3);
  d->aFaction[1].name = "Lawful Guild";
  d->aFaction[2].name = "Pirates, Inc.";
  d->aFactionProps.resize(3);
  d->aFactionProps[1].lawful = true;
  d->aBase.resize(std::size_t(bases) + 1);
  d->aBase[0].nickname = "not available";
  d->aBase[0].name = "Loot trading dummy";
  for (int b = 1; b <= bases; ++b) {
    d->aBase[std::size_t(b)].name = "Base " + std::to_string(b);
    d->aBase[std::size_t(b)].system = b % 2 ? 1 : 2;
    d->aBase[std::size_t(b)].faction = b % 2 ? 1 : 2;
  }
  d->aGood.resize(std::size_t(goods) + 1);
  for (int g = 1; g <= goods; ++g) {
    TGood& good = d->aGood[std::size_t(g)];
    good.name = "Good " + std::to_string(g);
    good.etype = 1;
    good.volume = 1;
    good.price = 100.0;
  }
  d->aMarket.Reset(d->aBase.size(), d->aGood);
  d->aMarket.SetDefaults(std::size_t(bases));
  d->DataValid = true;
  return d;
}

inline void SetCell(TSvData& d, int base, int good, bool sold, double price, float level = 0.0f, float rep = 0.0f) {
  TMarketCell c = d.aMarket[std::size_t(base)][std::size_t(good)];
  c.Sold = sold;
  c.Price = price;
  c.Level = level;
  c.Reputation = rep;
  d.aMarket.Write(std::size_t(base), std::size_t(good), c);
}

// MakeRouteModel's bases x 20 goods, each cell sold three times in four at a whole price below 200, drawn from seed:
// enough routes that a threaded run lasts until the pump comes once the bases are many.
inline std::unique_ptr<TSvData> RandomRouteModel(int bases, unsigned seed) {
  auto d = MakeRouteModel(bases, 20);
  std::mt19937 rng(seed);
  for (int b = 1; b <= bases; ++b)
    for (int g = 1; g <= 20; ++g) SetCell(*d, b, g, rng() % 4 != 0, double(rng() % 200));
  return d;
}

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

inline TIndex Base(std::uint32_t i) { return {i, 1}; }
inline TIndex System(std::uint32_t i) { return {i, 2}; }
inline TIndex Anywhere() { return {0, 4}; }
inline TIndex Good(std::uint32_t i) { return {i, 5}; }

inline TDisplayOptions Options(std::int64_t lines, bool unlawful, bool perishable, double level, double money = 1000000,
                               std::int64_t cargo = 250) {
  TDisplayOptions o;
  o.LinesCount = lines;
  o.Unlawful = unlawful;
  o.Perishable = perishable;
  o.Level = level;
  o.Money = money;
  o.Cargo = cargo;
  return o;
}

struct CalcRun {
  TCalcWork work;
  RecordingHooks hooks;
  std::unique_ptr<TJournal> journal = test::MemoryJournal();
  TCalcEnd end = TCalcEnd::Finished;
  void Calculate(const TSvData& d, const TCalcSelection& s) { end = CalculateRoutes(d, s, work, hooks, journal.get()); }
};

}  // namespace qmz::test
