// The calculation, its sort and display rows on hand-made models; whole calculations saved by the route-list
// window and compared with tests/data (QMZ_UPDATE_GOLDEN=1 writes them instead; check before committing).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>
#include <cstdlib>
#include <map>
#include <random>

#include "app/core/uFormMain_Calc.h"
#include "app/core/uFormMain_CalcLoop.h"
#include "app/core/uFormMain_Display.h"
#include "app/core/uFormMain_Sort.h"
#include "app/uFormGrid.h"
#include "platform/WholeFile.h"
#include "util/GeneratedModel.h"  // the model, the journal helpers and the temporary folder

using namespace qmz;

namespace {

// Systems 1 and 2; factions 1 (lawful) and 2 (not lawful); bases 1 .. bases, odd ones in system 1 run by
// faction 1, even ones in system 2 run by faction 2; goods 1 .. goods, price 100, volume 1, commodities.
// Every cell of a real base and good has the markets' defaults: not sold, factor 1, price 100, rep -1.
std::unique_ptr<TSvData> MakeRouteModel(int bases, int goods) {
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

void SetCell(TSvData& d, int base, int good, bool sold, double price, float level = 0.0f, float rep = 0.0f) {
  TMarketCell c = d.aMarket[std::size_t(base)][std::size_t(good)];
  c.Sold = sold;
  c.Price = price;
  c.Level = level;
  c.Reputation = rep;
  d.aMarket.Write(std::size_t(base), std::size_t(good), c);
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
void ReferenceQuickSort(std::vector<TRouteRecord>& a, long lo, long hi, std::uint64_t& calls) {
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
std::vector<TRouteRecord> ReferenceRoutes(const SvModel& d, bool trade, const std::vector<std::int32_t>& from,
                                          const std::vector<std::int32_t>& to, const std::vector<std::int32_t>& goods) {
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

std::vector<TRouteRecord> ToVector(const TRouteList& l) {
  return std::vector<TRouteRecord>(l.Data(), l.Data() + l.Count());
}

bool SameRoutes(const std::vector<TRouteRecord>& a, const std::vector<TRouteRecord>& b) {
  const auto key = [](const TRouteRecord& r) { return std::tie(r.Profit, r.Commodity, r.FromBase, r.ToBase); };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](auto& x, auto& y) { return key(x) == key(y); });
}

TIndex Base(std::uint32_t i) { return {i, 1}; }
TIndex System(std::uint32_t i) { return {i, 2}; }
TIndex Anywhere() { return {0, 4}; }
TIndex Good(std::uint32_t i) { return {i, 5}; }

TDisplayOptions Options(std::int64_t lines, bool unlawful, bool perishable, double level, double money = 1000000,
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

TEST(CalcTest, PricesAreCutToWholeNumbersAndTheOriginMustSell) {
  struct Case {
    double buy, sell;
    bool sold;
    std::uint32_t profit;  // 0: no route
  } cases[] = {{12.9, 13.1, true, 1}, {12.9, 12.95, true, 0}, {100, 200, false, 0}, {0.5, 1.0, true, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.buy);
    auto d = MakeRouteModel(2, 1);
    SetCell(*d, 1, 1, c.sold, c.buy);
    SetCell(*d, 2, 1, false, c.sell);
    CalcRun r;
    r.Calculate(*d, {true, {Base(1)}, {Base(2)}, {Good(1)}});
    ASSERT_EQ(r.work.FRoutes.Count(), c.profit ? 1u : 0u);
    if (!c.profit) continue;
    const TRouteRecord& route = r.work.FRoutes[0];
    EXPECT_EQ(route.Profit, c.profit);
    EXPECT_EQ(RouteBuyPrice(*d, r.work.FRoutes, route), std::trunc(c.buy));
    EXPECT_EQ(RouteSellPrice(*d, route), std::trunc(c.sell));
  }
}

TEST(CalcTest, IndexListsGiveEachBaseAndGoodOnce) {
  auto d = MakeRouteModel(6, 3);
  TCalcHooks hooks;
  struct Case {
    std::vector<TIndex> items;
    std::vector<std::int32_t> bases;
  } cases[] = {
      {{Base(3), Anywhere()}, {1, 2, 3, 4, 5, 6}},     // Anywhere after a base: every base once
      {{Base(3), System(1), Base(2)}, {3, 1, 5, 2}},   // a base and its own system: no duplicate
      {{Base(5), System(2)}, {5, 2, 4, 6}},            // base 5 and system 2 are different places
      {{System(9), Base(1), Base(1), Base(99)}, {1}},  // no bases, a repeat, a base beyond the model
  };
  for (const auto& c : cases) EXPECT_EQ(BuildPlaceIndexes(*d, c.items, hooks), c.bases);
  // Any commodity stands for all goods wherever it stands.
  const std::vector<std::int32_t> all = {0, 1, 2, 3};
  EXPECT_EQ(BuildCommodityIndexes(*d, std::vector<TIndex>{Good(2), Anywhere()}, hooks), all);
  EXPECT_EQ(BuildCommodityIndexes(*d, std::vector<TIndex>{Good(3), Good(1), Good(3)}, hooks),
            (std::vector<std::int32_t>{3, 1}));
}

TEST(CalcTest, JournalAndStatusLinesOfARun) {
  auto d = MakeRouteModel(2, 1);
  SetCell(*d, 1, 1, true, 10);
  SetCell(*d, 2, 1, true, 20);
  CalcRun r;
  r.Calculate(*d, {true, {Base(1), Base(2)}, {Base(1), Base(2)}, {Good(1)}});
  ASSERT_EQ(r.end, TCalcEnd::Finished);
  ASSERT_EQ(r.work.FRoutes.Count(), 1u);  // 1 -> 2; the same base twice gives nothing
  EXPECT_EQ(r.work.FSortCalls, 1u);
  EXPECT_TRUE(r.work.FFromBases.empty() && r.work.FToBases.empty() && r.work.FCommodities.empty());
  std::vector<std::string> lines;
  for (const auto& l : r.journal->Buffer())
    if (l.Level == jlInfo) lines.push_back(l.Text);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"Building FROM List", "Building TO List", "Building Commo List",
                                      "Start calculation", "Length: From(2)  To(2) Commo(1) Maxi(4)", "Ende From: 0",
                                      "Ende From: 1", "Finished Calculation - Start sorting routes (1)",
                                      "Finished Sorting (1)"}));
  EXPECT_EQ(r.hooks.Texts,
            (std::vector<std::string>{"Building List of Origin Bases...", "Building List of Destination Bases...",
                                      "Building List of commodities...",
                                      "Starting calculation (please stay calm and get yourself a coffee..)",
                                      "Sorting the Routes - this can take a while - I hope you got your coffee",
                                      "Finished calculating", "Finished parsing - printing routes"}));
}

TEST(CalcTest, APriceOutOfRangeIsJournaledAndTheLoopGoesOn) {
  auto d = MakeRouteModel(3, 2);
  SetCell(*d, 1, 1, true, 10);
  SetCell(*d, 1, 2, true, 10);
  SetCell(*d, 2, 1, false, -5);  // no whole-number price
  SetCell(*d, 2, 2, false, 30);
  SetCell(*d, 3, 1, false, 5e12);
  SetCell(*d, 3, 2, false, 40);
  CalcRun r;
  r.Calculate(*d, {true, {Base(1)}, {Base(2), Base(3)}, {Good(1), Good(2)}});
  ASSERT_EQ(r.work.FRoutes.Count(), 2u);
  EXPECT_EQ(r.work.FRoutes[0].Profit, 30u);
  EXPECT_TRUE(test::HasLine(*r.journal, "From: 1  To: 2  Commo: 0 CommoB: 1 - Zeile 1", jlError));
  EXPECT_TRUE(test::HasLine(*r.journal, "From: 1  To: 3  Commo: 0 CommoB: 1 - Zeile 3", jlError));
}

TEST(CalcTest, AStopKeepsTheRoutesSoFarUnsorted) {
  auto d = MakeRouteModel(3, 1);
  SetCell(*d, 1, 1, true, 10);
  SetCell(*d, 2, 1, true, 20);
  SetCell(*d, 3, 1, true, 50);
  CalcRun r;
  int asked = 0;
  // Asked before the loops, at origin 1 and at its three destinations; at origin 2 the stop is seen.
  r.hooks.Stop = [&] { return ++asked > 5; };
  r.Calculate(*d, {true, {Anywhere()}, {Anywhere()}, {Good(1)}});
  EXPECT_EQ(r.end, TCalcEnd::Stopped);
  ASSERT_EQ(r.work.FRoutes.Count(), 2u);  // 1 -> 2 (10), 1 -> 3 (40): found order, not sorted
  EXPECT_EQ(r.work.FRoutes[0].Profit, 10u);
  EXPECT_EQ(r.work.FRoutes[1].Profit, 40u);
  EXPECT_FALSE(test::HasText(*r.journal, "Finished Sorting"));
}

// The per-origin column pass and the "only goods sold here" shortcut against the plain triple loop, on
// random markets full of equal profits, then both through the same quicksort.
TEST(CalcTest, FastLoopMatchesThePlainLoop) {
  std::mt19937 rng(17);
  for (int round = 0; round < 20; ++round) {
    auto d = MakeRouteModel(9, 12);
    for (int b = 1; b <= 9; ++b)
      for (int g = 1; g <= 12; ++g)
        SetCell(*d, b, g, rng() % 3 != 0, double(rng() % 8) * 10.0 + (rng() % 2 ? 0.5 : 0.0));
    if (round % 5 == 4) SetCell(*d, 2, 3, true, -1.0);  // a bad price forces the exact path
    const bool trade = round % 4 != 3;
    std::vector<TIndex> from = {Base(1 + rng() % 9), System(1 + rng() % 2), Base(1 + rng() % 9)};
    std::vector<TIndex> to = round % 2 ? std::vector<TIndex>{Anywhere()} : std::vector<TIndex>{System(2), Base(3)};
    std::vector<TIndex> goods = round % 3 ? std::vector<TIndex>{Anywhere()} : std::vector<TIndex>{Good(5), Good(2)};
    TCalcHooks hooks;
    const auto f = trade ? BuildPlaceIndexes(*d, from, hooks) : std::vector<std::int32_t>{0};
    const auto t = BuildPlaceIndexes(*d, to, hooks);
    const auto g = BuildCommodityIndexes(*d, goods, hooks);
    auto expected = ReferenceRoutes(*d, trade, f, t, g);
    std::uint64_t calls = 0;
    ReferenceQuickSort(expected, 0, long(expected.size()) - 1, calls);
    CalcRun r;
    r.Calculate(*d, {trade, from, to, goods});
    EXPECT_TRUE(SameRoutes(ToVector(r.work.FRoutes), expected)) << round;
    EXPECT_EQ(r.work.FSortCalls, calls);
  }
}

// The loop on several threads gives the routes and journal lines of the loop on one; running out of memory
// there too keeps the first routes in loop order.
TEST(CalcTest, ThreadsGiveTheSameRoutesAndJournal) {
  std::mt19937 rng(99);
  auto d = MakeRouteModel(30, 20);
  for (int b = 1; b <= 30; ++b)
    for (int g = 1; g <= 20; ++g) SetCell(*d, b, g, rng() % 2 != 0, double(rng() % 50));
  SetCell(*d, 7, 4, true, -3.0);  // journaled combinations
  TCalcHooks hooks;
  const auto anywhere = BuildPlaceIndexes(*d, std::vector<TIndex>{Anywhere()}, hooks);
  const auto some = BuildPlaceIndexes(*d, std::vector<TIndex>{System(2), Base(1), Base(4)}, hooks);
  // The routes and journal texts of one run; "bad_alloc" when the list could not grow.
  const auto run = [&](unsigned threads, bool trade, const std::vector<std::int32_t>& to, std::size_t maxCount) {
    TCalcWork w;
    w.FFromBases = trade ? anywhere : std::vector<std::int32_t>{0};
    w.FToBases = to;
    w.FCommodities = BuildCommodityIndexes(*d, std::vector<TIndex>{Anywhere()}, hooks);
    w.FRoutes.MaxCount = maxCount;
    auto journal = test::MemoryJournal();
    std::vector<std::string> lines;
    try {
      EXPECT_EQ(RunCalculationLoop(*d, w, hooks, journal.get(), trade, {threads, 0}), TCalcEnd::Finished);
      for (const auto& l : journal->Buffer()) lines.push_back(l.Text);
    } catch (const std::bad_alloc&) {
      lines = {"bad_alloc"};
    }
    return std::pair(ToVector(w.FRoutes), lines);
  };
  for (bool trade : {true, false}) {
    const auto one = run(1, trade, some, SIZE_MAX), three = run(3, trade, some, SIZE_MAX);
    EXPECT_TRUE(SameRoutes(one.first, three.first));
    EXPECT_GT(one.first.size(), 100u);
    EXPECT_EQ(one.second, three.second);
  }
  const auto one = run(1, true, anywhere, 50), three = run(3, true, anywhere, 50);
  EXPECT_EQ(one.second, std::vector<std::string>{"bad_alloc"});
  EXPECT_EQ(three.second, std::vector<std::string>{"bad_alloc"});
  EXPECT_EQ(one.first.size(), 50u);
  EXPECT_TRUE(SameRoutes(one.first, three.first));
}

// While the threads run, the calling thread pumps and reads the stop flag: a stop seen there ends the
// calculation with the origins finished in full, in loop order (the installation grows until a run lasts
// long enough for the pump to come while origins are left).
TEST(CalcTest, AStopWhileTheThreadsRunKeepsTheOriginsFinished) {
  struct StopAtPump : TCalcHooks {
    void ProcessMessages() override { ++pumps; }
    bool StopRequested() override { return pumps > 0; }
    int pumps = 0;
  };
  for (int bases = 40;; bases *= 2) {
    ASSERT_LE(bases, 1280) << "no run was stopped while its threads ran";
    auto d = MakeRouteModel(bases, 20);
    std::mt19937 rng(7);
    for (int b = 1; b <= bases; ++b)
      for (int g = 1; g <= 20; ++g) SetCell(*d, b, g, rng() % 4 != 0, double(rng() % 200));
    TCalcHooks plain;
    TCalcWork w;
    w.FFromBases = w.FToBases = BuildPlaceIndexes(*d, std::vector<TIndex>{Anywhere()}, plain);
    w.FCommodities = BuildCommodityIndexes(*d, std::vector<TIndex>{Anywhere()}, plain);
    TCalcWork all;
    all.FFromBases = all.FToBases = w.FFromBases;
    all.FCommodities = w.FCommodities;
    StopAtPump hooks;
    // A pump that comes after the threads took the last origin sees a finished run: a larger one is tried.
    if (RunCalculationLoop(*d, w, hooks, nullptr, true, {3, 0}) != TCalcEnd::Stopped) continue;
    ASSERT_EQ(RunCalculationLoop(*d, all, plain, nullptr, true, {1, 0}), TCalcEnd::Finished);
    const auto some = ToVector(w.FRoutes), every = ToVector(all.FRoutes);
    ASSERT_LT(some.size(), every.size());
    EXPECT_TRUE(
        SameRoutes(some, std::vector<TRouteRecord>(every.begin(), every.begin() + std::ptrdiff_t(some.size()))));
    break;
  }
}

// The routes before are given back in slices; the pump between them finds the list empty, mode and limit kept.
TEST(CalcTest, RoutesAreGivenBackInSlices) {
  for (const auto& [count, calls] : {std::pair{0, 0}, {1, 0}, {3, 0}, {10, 3}}) {
    TRouteList l;
    l.TradeMode = false;
    l.MaxCount = 100;
    for (int i = 0; i < count; ++i) l.Add({std::uint32_t(i + 1), 0, 0, 0});
    int between = 0;
    const auto pump = [&] {
      ++between;
      EXPECT_TRUE(l.Empty());
    };
    l.Clear(pump, 3);
    EXPECT_EQ(between, calls) << count;
    EXPECT_TRUE(l.Empty());
    EXPECT_FALSE(l.TradeMode);
    EXPECT_EQ(l.MaxCount, 100u);
    l.Add({5, 0, 0, 0});
    EXPECT_EQ(l[0].Profit, 5u);
  }
}

// A calculation after one that left more than a slice of routes gives the old ones back between pumps and
// keeps none of them.
TEST(CalcTest, ANewCalculationAfterAVeryLongOneStartsEmpty) {
  auto d = MakeRouteModel(2, 1);
  SetCell(*d, 1, 1, true, 10);
  SetCell(*d, 2, 1, false, 30);
  CalcRun r;
  r.work.FRoutes.Resize((std::size_t(1) << 21) + 5);
  r.Calculate(*d, {true, {Base(1)}, {Base(2)}, {Good(1)}});
  ASSERT_EQ(r.end, TCalcEnd::Finished);
  ASSERT_EQ(r.work.FRoutes.Count(), 1u);
  EXPECT_EQ(r.work.FRoutes[0].Profit, 20u);
}

// When the route list cannot grow the calculation ends with one line and the routes so far, sorted.
TEST(CalcTest, OutOfMemoryEndsWithTheRoutesSoFar) {
  auto d = MakeRouteModel(3, 3);
  for (int g = 1; g <= 3; ++g) {
    SetCell(*d, 1, g, true, 10);
    SetCell(*d, 2, g, false, 10.0 + g);
    SetCell(*d, 3, g, false, 20.0 + g);
  }
  CalcRun r;
  r.work.FRoutes.MaxCount = 4;
  r.Calculate(*d, {true, {Base(1)}, {Anywhere()}, {Anywhere()}});
  EXPECT_EQ(r.end, TCalcEnd::OutOfMemory);
  ASSERT_EQ(r.work.FRoutes.Count(), 4u);  // 1 -> 2: goods 1 .. 3; 1 -> 3: good 1
  EXPECT_EQ(r.work.FRoutes[0].Profit, 11u);
  EXPECT_EQ(r.work.FRoutes[3].Profit, 1u);
  EXPECT_TRUE(test::HasLine(*r.journal, OutOfMemoryText(4), jlError));
  EXPECT_TRUE(test::HasLine(*r.journal, "Finished Sorting (4)", jlInfo));
  EXPECT_EQ(test::CountLines(*r.journal, jlError, ""), 1);
}

// Random lists full of ties: tie order and call count of the plain recursion, on one thread and on several.
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
      ReferenceQuickSort(expected, 0, long(n) - 1, calls);
      // One thread; several; several that also split the first two levels together.
      const std::pair<unsigned, std::int64_t> runs[] = {{1u, 1 << 30}, {4u, 1 << 30}, {4u, 5000}, {3u, 20000}};
      for (const auto& [threads, split] : runs) {
        TRouteList l;
        for (const auto& r : v) l.Add(r);
        std::uint64_t progressCalls = 0;
        const auto progress = [&](std::uint64_t c) { progressCalls = c; };
        EXPECT_EQ(SortRoutes(l, 0, std::int64_t(n) - 1, progress, threads, split), calls);
        EXPECT_LE(progressCalls, calls);
        EXPECT_TRUE(SameRoutes(ToVector(l), expected)) << n << " " << distinct << " " << threads << " " << split;
      }
    }
  }
}

TEST(DisplayTest, QuantityOfOneRoute) {
  struct Case {
    double money;
    std::int64_t cargo;
    double buy;
    std::uint32_t volume, profit;
    std::int64_t count;
    std::uint64_t total, cost;
  } cases[] = {
      {10000, 50, 300, 2, 40, 25, 1000, 7500},     // by cargo
      {10000, 500, 300, 2, 40, 33, 1320, 9900},    // by money
      {10000, 50, 0, 2, 40, 25, 1000, 0},          // loot: cargo only
      {-10, 50, 300, 2, 40, 0, 0, 0},              // negative money
      {10000, -50, 300, 2, 40, 0, 0, 0},           // negative cargo
      {10000, 50, 300, 0, 40, 0, 0, 0},            // no volume in the data
      {10000, 50, 300, 0x80000000u, 40, 0, 0, 0},  // a volume beyond the signed range
      {1e12, 2147483647, 1, 1, 4000000000u, 2147483647, 2147483647ull * 4000000000ull, 2147483647},  // 64-bit
  };
  for (const auto& c : cases) {
    const TRouteQuantity q = RouteQuantity(c.money, c.cargo, c.buy, c.volume, c.profit);
    EXPECT_EQ(q.Count, c.count) << c.money << " " << c.cargo;
    EXPECT_EQ(q.Total, c.total);
    EXPECT_EQ(q.Money, c.cost);
  }
}

// Routes 1 -> 2 of goods 1 .. 4, profits 40, 30, 20, 10: good 2 needs level 5, good 3 decays, and every
// route to base 2 (pirates) is unlawful.
struct DisplayFixture : ::testing::Test {
  void SetUp() override {
    d = MakeRouteModel(2, 4);
    for (int g = 1; g <= 4; ++g) {
      SetCell(*d, 1, g, true, 300.0, g == 2 ? 5.5f : 1.0f, 0.25f);
      SetCell(*d, 2, g, false, 300.0 + 10.0 * (5 - g));
      d->aGood[std::size_t(g)].volume = 2;
    }
    d->aGood[3].decay_per_second = 0.015f;
    RecordingHooks hooks;
    TCalcWork work;
    CalculateRoutes(*d, {true, {{1, 1}}, {{2, 1}}, {{0, 4}}}, work, hooks, nullptr);
    routes = std::move(work.FRoutes);
  }
  std::vector<TRouteRow> Rows(const TDisplayOptions& o) {
    RecordingHooks hooks;
    TRouteTable table;
    EXPECT_EQ(BuildRouteRows(*d, routes, o, hooks, table), TDisplayEnd::Finished);
    std::vector<TRouteRow> rows;
    for (std::size_t r = 0; r < table.Count(); ++r) rows.push_back(table.Row(r));
    return rows;
  }
  std::unique_ptr<TSvData> d;
  TRouteList routes;
};

TEST_F(DisplayFixture, RowTextsInColumnOrder) {
  TDisplayOptions o = Options(4000, true, true, 10, 10000, 50);
  o.DecimalSeparator = ',';
  const auto rows = Rows(o);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].Caption, "1000");
  EXPECT_EQ(rows[0].SubItems, (std::vector<std::string>{"40", "Good 1", "Commodity", "Base 1", "Sys One", "Base 2",
                                                        "Sys Two", "300", "340", "7500", "25", "0,25", "1,00", "0,00",
                                                        "2", "", "Lawful Guild", "Pirates, Inc.", "False"}));
  EXPECT_EQ(rows[2].SubItems[13], "0,01");  // 0.015 as a float is just below the half
}

TEST_F(DisplayFixture, LimitAndFilters) {
  struct Case {
    std::int64_t lines;
    bool unlawful, perishable;
    double level;
    std::vector<std::string> profits;  // the "Profit/#" of the rows
  } cases[] = {
      {4000, true, true, 10, {"40", "30", "20", "10"}},
      {0, true, true, 10, {}},
      {-3, true, true, 10, {}},
      {4000, true, false, 10, {"40", "30", "10"}},
      {3, true, false, 10, {"40", "30"}},  // a skipped route still counts against the limit
      {4000, true, true, 5.0, {"40", "20", "10"}},
      {4000, true, true, 5.5, {"40", "30", "20", "10"}},
      {4000, false, true, 10, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    for (const auto& r : Rows(Options(c.lines, c.unlawful, c.perishable, c.level))) got.push_back(r.SubItems[0]);
    EXPECT_EQ(got, c.profits) << c.lines << " " << c.unlawful << c.perishable << " " << c.level;
  }
}

const TIndex kAny = Anywhere();

// A calculation and the display's options for its file.
struct Golden {
  const char* file;
  const char* size;
  std::uint64_t seed;
  TCalcSelection selection;
  std::int64_t lines;
  bool unlawful = true, perishable = true;
  double level = 1e6, money = 1000000;
  std::int64_t cargo = 250;
};

const Golden kCases[] = {
    {"small_trade_anywhere.csv", "small", 1, {true, {kAny}, {kAny}, {kAny}}, 300},
    {"small_trade_filtered.csv", "small", 1, {true, {kAny}, {kAny}, {kAny}}, 300, false, false, 10, 20000, 40},
    {"small_loot_goods.csv", "small", 1, {false, {}, {kAny}, {{3, 5}, {7, 5}, {12, 5}}}, 100},
    {"small_trade_places.csv", "small", 1, {true, {{1, 2}, {4, 1}}, {{3, 2}, {4, 1}}, {kAny}}, 4000, true, true, 1},
    {"typical_trade_anywhere.csv", "typical", 2, {true, {kAny}, {kAny}, {kAny}}, 250, true, true, 1e6, 2000000, 100},
    {"typical_loot_system.csv", "typical", 2, {false, {}, {{2, 2}}, {kAny}}, 150, true, false, 0},
};

class GoldenRoutesTest : public ::testing::Test {
 protected:
  const TSvData& Model(const std::string& size, std::uint64_t seed) {
    const std::string key = size + std::to_string(seed);
    auto& slot = models_[key];
    if (!slot) {
      auto options = samplegen::Options::ForSize(size);
      options.seed = seed;
      slot = test::LoadModel(samplegen::Generate(dir_.Path() / key, options).installDir);
      EXPECT_TRUE(slot->DataValid);
    }
    return *slot;
  }

  test::TempDir dir_;
  std::map<std::string, std::unique_ptr<TSvData>> models_;
};

TEST_F(GoldenRoutesTest, RouteFilesMatchTheCheckedInOnes) {
  const bool update = std::getenv("QMZ_UPDATE_GOLDEN") != nullptr;
  for (const Golden& g : kCases) {
    SCOPED_TRACE(g.file);
    const TSvData& d = Model(g.size, g.seed);
    TCalcWork work;
    TCalcHooks hooks;
    ASSERT_EQ(CalculateRoutes(d, g.selection, work, hooks, nullptr), TCalcEnd::Finished);
    TRouteTable rows;
    const TDisplayOptions o = Options(g.lines, g.unlawful, g.perishable, g.level, g.money, g.cargo);
    ASSERT_EQ(BuildRouteRows(d, work.FRoutes, o, hooks, rows), TDisplayEnd::Finished);
    // Through the route-list window: it takes the rows with its closing sort, then saves them.
    TformGrid grid;
    grid.ShowMessage = [](const QString& text, const QString&) { ADD_FAILURE() << text.toStdString(); };
    grid.TakeRoutes(std::move(rows), true);
    grid.SaveRoutesTo(QString::fromStdString((dir_.Path() / g.file).string()));
    const std::string text = test::ReadWholeFile(dir_.Path() / g.file);
    const std::string path = std::string(QMZ_TESTS_DIR) + "/data/" + g.file;
    if (update) {
      ASSERT_TRUE(platform::WriteFileAtomic(path, text));
      continue;
    }
    std::string expected;
    ASSERT_TRUE(platform::ReadWholeFile(path, expected)) << path;
    EXPECT_TRUE(text == expected) << "differs from " << path;
  }
}

}  // namespace
