#include <gtest/gtest.h>

#include "CalcTestSupport.h"
#include "RouteTestModel.h"
#include "app/core/uFormMain_Display.h"

using namespace qmz;
using test::SetCell;

namespace {

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
    d = test::MakeRouteModel(2, 4);
    for (int g = 1; g <= 4; ++g) {
      SetCell(*d, 1, g, true, 300.0, g == 2 ? 5.5f : 1.0f, 0.25f);
      SetCell(*d, 2, g, false, 300.0 + 10.0 * (5 - g));
      d->aGood[std::size_t(g)].volume = 2;
    }
    d->aGood[3].decay_per_second = 0.015f;
    test::RecordingHooks hooks;
    TCalcWork work;
    CalculateRoutes(*d, {true, {{1, 1}}, {{2, 1}}, {{0, 4}}}, work, hooks, nullptr);
    routes = std::move(work.FRoutes);
  }
  std::vector<TRouteRow> Rows(const TDisplayOptions& o) {
    test::RecordingHooks hooks;
    std::vector<TRouteRow> rows;
    EXPECT_EQ(BuildRouteRows(*d, routes, o, hooks, rows), TDisplayEnd::Finished);
    return rows;
  }
  std::unique_ptr<TSvData> d;
  TRouteList routes;
};

TEST_F(DisplayFixture, RowTextsInColumnOrder) {
  TDisplayOptions o;
  o.Money = 10000;
  o.Cargo = 50;
  o.Level = 10;
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
      {2, true, true, 10, {"40", "30"}},
      {0, true, true, 10, {}},
      {-3, true, true, 10, {}},
      {4000, true, false, 10, {"40", "30", "10"}},
      {3, true, false, 10, {"40", "30"}},  // a skipped route still counts against the limit
      {4000, true, true, 5.0, {"40", "20", "10"}},
      {4000, true, true, 5.5, {"40", "30", "20", "10"}},
      {4000, false, true, 10, {}},
  };
  for (const auto& c : cases) {
    TDisplayOptions o;
    o.LinesCount = c.lines;
    o.Unlawful = c.unlawful;
    o.Perishable = c.perishable;
    o.Level = c.level;
    std::vector<std::string> got;
    for (const auto& r : Rows(o)) got.push_back(r.SubItems[0]);
    EXPECT_EQ(got, c.profits) << c.lines << " " << c.unlawful << c.perishable << " " << c.level;
  }
}

}  // namespace
