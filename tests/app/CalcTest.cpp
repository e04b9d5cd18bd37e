// The calculation and its display rows on hand-made models; whole calculations saved by the route-list
// window and compared with tests/data (QMZ_UPDATE_GOLDEN=1 writes them instead; check before committing).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>
#include <memory>
#include <string>
#include <vector>

#include "CalcTest.h"
#include "app/core/uFormMain_Calc.h"
#include "app/core/uFormMain_Display.h"
#include "app/uFormGrid.h"
#include "platform/WholeFile.h"

using namespace qmz;
using namespace qmz::test;

namespace {

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
