// The calculation's loop and the route sort on several threads: the same results as on one, and a stop or
// an error while the threads run.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "CalcTest.h"
#include "app/core/uFormMain_CalcLoop.h"
#include "app/core/uFormMain_Sort.h"

using namespace qmz;
using namespace qmz::test;

namespace {

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
    auto d = RandomRouteModel(bases, 7);
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

// A window hook that raises while the loop runs ends it with the routes found so far, in loop order, and the
// journal lines of the origins finished; then the error goes on. On one thread at once (the stop check before a
// destination of the third origin); on several once the workers are stopped and joined (the pump raising at its
// first call, the installation grown until that comes while they run).
TEST(CalcTest, AHookThatRaisesEndsTheLoopWithTheRoutesSoFar) {
  struct Raising : TCalcHooks {
    void ProcessMessages() override {
      if (pumpRaises) throw std::runtime_error("pump");
    }
    bool StopRequested() override {
      if (++checks == raiseAtCheck) throw std::runtime_error("stop check");
      return false;
    }
    bool pumpRaises = false;
    int checks = 0;
    int raiseAtCheck = 0;
  };
  for (int bases = 40;; bases *= 2) {
    ASSERT_LE(bases, 1280) << "the pump never came while the threads ran";
    auto d = RandomRouteModel(bases, 11);
    TCalcHooks plain;
    const auto places = BuildPlaceIndexes(*d, std::vector<TIndex>{Anywhere()}, plain);
    const auto goods = BuildCommodityIndexes(*d, std::vector<TIndex>{Anywhere()}, plain);
    const auto fill = [&](TCalcWork& w) {
      w.FFromBases = w.FToBases = places;
      w.FCommodities = goods;
    };
    TCalcWork all;
    fill(all);
    ASSERT_EQ(RunCalculationLoop(*d, all, plain, nullptr, true, {1, 0}), TCalcEnd::Finished);
    const std::vector<TRouteRecord> every = ToVector(all.FRoutes);
    // The routes of the first n origins (the list holds them origin by origin).
    std::vector<std::size_t> position(d->aBase.size());
    for (std::size_t i = 0; i < places.size(); ++i) position[std::size_t(places[i])] = i;
    const auto routesBefore = [&](std::size_t n) {
      return std::size_t(std::partition_point(every.begin(), every.end(),
                                              [&](const TRouteRecord& r) { return position[r.FromBase] < n; }) -
                         every.begin());
    };
    // Runs until the hook raises; the number of origins finished, or -1 when the run ended without an error.
    const auto run = [&](unsigned threads, Raising& hooks, TCalcWork& w) {
      auto journal = test::MemoryJournal();
      try {
        RunCalculationLoop(*d, w, hooks, journal.get(), true, {threads, 0});
        return -1;
      } catch (const std::runtime_error&) {
      }
      std::vector<std::string> ends;
      for (const auto& l : journal->Buffer())
        if (l.Text.rfind("Ende From: ", 0) == 0) ends.push_back(l.Text);
      for (std::size_t i = 0; i < ends.size(); ++i) EXPECT_EQ(ends[i], "Ende From: " + std::to_string(i));
      const auto got = ToVector(w.FRoutes);
      EXPECT_LE(got.size(), every.size());
      EXPECT_TRUE(
          SameRoutes(got, std::vector<TRouteRecord>(every.begin(), every.begin() + std::ptrdiff_t(got.size()))));
      EXPECT_GE(got.size(), routesBefore(ends.size()));
      return int(ends.size());
    };
    if (bases == 40) {
      Raising hooks;
      hooks.raiseAtCheck = 2 * (bases + 1) + 10;  // at each origin and each of its destinations
      TCalcWork w;
      fill(w);
      EXPECT_EQ(run(1, hooks, w), 2);
      EXPECT_GT(w.FRoutes.Count(), routesBefore(2));
    }
    Raising hooks;
    hooks.pumpRaises = true;
    TCalcWork w;
    fill(w);
    const int finished = run(3, hooks, w);
    if (finished < 0) continue;  // over before the first pump: a larger one is tried
    // Whole origins only, as after a stop.
    EXPECT_EQ(w.FRoutes.Count(), routesBefore(std::size_t(finished)));
    break;
  }
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

// A progress call (the window's pump) that raises while the sort runs: on several threads the workers are
// stopped and joined before the error goes on; the list holds the same routes, in whatever order they stood.
// The list grows until the progress comes during the sort.
TEST(SortTest, AProgressThatRaisesLeavesTheSameRoutes) {
  std::mt19937 rng(5);
  // One thread; several sharing the ranges; several that also split the first two levels together.
  const std::pair<unsigned, std::int64_t> runs[] = {{1u, 1 << 30}, {4u, 1 << 30}, {4u, 1 << 17}};
  for (const auto& [threads, split] : runs) {
    for (std::size_t n = std::size_t(1) << 17;; n *= 2) {
      ASSERT_LE(n, std::size_t(1) << 22) << "the progress never came, threads " << threads;
      std::vector<TRouteRecord> v(n);
      for (std::size_t i = 0; i < n; ++i) v[i] = {1 + std::uint32_t(rng() % 5000), std::uint32_t(i), 0, 0};
      TRouteList l;
      l.Reserve(n);
      for (const auto& r : v) l.Add(r);
      try {
        SortRoutes(
            l, 0, std::int64_t(n) - 1, [](std::uint64_t) { throw std::runtime_error("pump"); }, threads, split);
        continue;
      } catch (const std::runtime_error&) {
      }
      auto got = ToVector(l);
      const auto byIndex = [](const TRouteRecord& x, const TRouteRecord& y) { return x.Commodity < y.Commodity; };
      std::sort(got.begin(), got.end(), byIndex);
      EXPECT_TRUE(SameRoutes(got, v)) << threads;
      break;
    }
  }
}

}  // namespace
