#include <gtest/gtest.h>

#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormGrid_Rows.h"
#include "util/TempDir.h"

using namespace qmz;

namespace {

TRouteRow RowWith(int column, const std::string& text) {
  TRouteRow r;
  r.SubItems.resize(RouteSubItemCount);
  if (column == 0) r.Caption = text;
  else r.SubItems[std::size_t(column - 1)] = text;
  return r;
}

TEST(RouteRowsTest, CompareByColumnKind) {
  struct Case {
    int column;
    std::string a, b;
    int base;  // sign of the base direction
  } cases[] = {
      {0, "1000", "999", 1},     {0, "3000000000", "2147483647", 1},  // totals beyond 32 bits
      {0, "abc", "5", -1},                                            // no number counts as 0
      {8, "-5", "5", -1},        {2, "Ore", "Gold", -1},              // texts run Z to A
      {2, "ore", "ORE", 0},      {12, "1.20", "1.60", 0},             // differences up to 0.5 are equal
      {12, "1.00", "1.60", -1},  {12, "1,00", "1,60", -1},            // written with the user's decimal comma
      {13, "2.50", "2.00", 0},                                        // 0.5 rounds to even
      {13, "3.50", "2.00", 1},   {10, "x", "0.4", 0},
      {19, "True", "False", -1},
  };
  for (const auto& c : cases) {
    const TRouteRow a = RowWith(c.column, c.a);
    const TRouteRow b = RowWith(c.column, c.b);
    EXPECT_EQ(CompareRouteRows(a, b, c.column), c.base) << c.column << " " << c.a << " " << c.b;
    EXPECT_EQ(CompareRouteRows(a, b, c.column + ReversedSort), -c.base) << c.column;
  }
}

TEST(RouteRowsTest, SortIsStableAndSafeWithTheTolerantCompare) {
  auto sorted = [](std::vector<const char*> values, int param) {
    std::vector<TRouteRow> rows;
    for (const char* v : values) {
      rows.push_back(RowWith(12, v));
      rows.back().Caption = std::to_string(rows.size());
    }
    SortRouteRows(rows, param);
    std::string order;
    for (const auto& r : rows) order += r.Caption;
    return order;
  };
  // Equal rows (differences up to 0.5) keep their order in both directions.
  EXPECT_EQ(sorted({"1.0", "3.0", "1.2", "3.1"}, 12 + ReversedSort), "2413");
  EXPECT_EQ(sorted({"1.0", "3.0", "1.2", "3.1"}, 12), "1324");
  // Not transitive (1.2 ~ 1.6 ~ 2.0, but 1.2 < 2.0): still every row once.
  std::string order = sorted({"1.2", "2.0", "1.6", "0.9", "1.6", "2.4", "1.2", "2.0", "1.6"}, 12);
  std::sort(order.begin(), order.end());
  EXPECT_EQ(order, "123456789");
}

TEST(RouteRowsTest, FileRoundTripKeepsEveryText) {
  std::vector<TRouteRow> rows(3);
  for (auto& r : rows) r.SubItems.resize(RouteSubItemCount);
  rows[0].Caption = "1000";
  rows[0].SubItems[1] = "Good, with comma";
  rows[0].SubItems[3] = "Base \"Alpha\"";
  rows[1].Caption = "say \"hi\"";
  rows[1].SubItems[1] = " leading blank";
  rows[2].Caption = "";
  rows[2].SubItems[18] = "";
  rows[2].SubItems[0] = "Zürich";
  const std::string text = RouteFileText(rows);
  EXPECT_EQ(text.substr(0, 31), "\"Profit\",\"Profit/#\",\"Commodity\"");
  EXPECT_EQ(text.substr(text.find("\r\n") - 9, 11), "\"Lawful\",\r\n");
  EXPECT_EQ(text.find("\r\n\"1000\",,\"Good, with comma\",,\"Base \"\"Alpha\"\"\",,"), text.find("\r\n"));

  test::TempDir dir;
  const std::string path = (dir.Path() / "routes.csv").string();
  ASSERT_TRUE(SaveRouteFile(path, rows));
  EXPECT_EQ(test::ReadWholeFile(path), text);
  std::vector<TRouteRow> back;
  ASSERT_TRUE(LoadRouteFile(path, back));
  ASSERT_EQ(back.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back[i].Caption, rows[i].Caption);
    EXPECT_EQ(back[i].SubItems, rows[i].SubItems);
  }
  EXPECT_FALSE(LoadRouteFile((dir.Path() / "missing.csv").string(), back));
  EXPECT_EQ(back.size(), 3u);
}

TEST(RouteRowsTest, LoadingToleratesHandEditedFiles) {
  const auto rows = ParseRouteFileText(
      "\"5\",\"1\",first line is the header whatever it holds\r\n"
      "\r\n"
      "   \r\n"
      "\"7\",two words,x\n"
      "\"8\"," +
      std::string(19, ',') + "extra\r\n");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Caption, "7");
  ASSERT_EQ(rows[0].SubItems.size(), std::size_t(RouteSubItemCount));  // filled up
  EXPECT_EQ(rows[0].SubItems[0], "two");
  EXPECT_EQ(rows[0].SubItems[1], "words");
  EXPECT_EQ(rows[0].SubItems[2], "x");
  EXPECT_EQ(rows[0].SubItems[3], "");
  EXPECT_EQ(rows[1].SubItems.size(), 20u);  // more than 19 are kept
  EXPECT_EQ(rows[1].SubItems.back(), "extra");
}

}  // namespace
