#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"
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
      {0, "1000", "999", 1},
      {0, "3000000000", "2147483647", 1},  // totals beyond 32 bits
      {0, "abc", "5", -1},                 // no number counts as 0
      {8, "-5", "5", -1},
      {2, "Ore", "Gold", -1},  // texts run Z to A
      {2, "ore", "ORE", 0},
      {12, "1.20", "1.60", 0},  // differences up to 0.5 are equal
      {12, "1.00", "1.60", -1},
      {12, "1,00", "1,60", -1},  // written with the user's decimal comma
      {13, "2.50", "2.00", 0},   // 0.5 rounds to even
      {13, "3.50", "2.00", 1},
      {10, "x", "0.4", 0},
      {19, "True", "False", -1},
      // The whole text must be a number, exponent allowed; anything else reads 0.
      {10, "1e3", "13", 1},
      {11, "12abc", "0", 0},
      {14, "5-", "0", 0},
      {15, "1.234.567", "1.2", 0},      // only the text before a second mark
      {11, "16777217", "16777216", 1},  // more precise than a float
      // Letter case folds for A-Z only, a-z counting as capitals.
      {2, "\xC3\x89mile", "\xC3\xA9mile", 1},
      {7, "a_b", "aZb", -1},
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
      rows.push_back(RowWith(param % ReversedSort, v));
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
  // So do texts equal but for the case of A-Z.
  EXPECT_EQ(sorted({"ore", "Gold", "ORE", "gold", "Ore"}, 2), "13524");
  EXPECT_EQ(sorted({"ore", "Gold", "ORE", "gold", "Ore"}, 2 + ReversedSort), "24135");
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
  TRouteTable back;
  ASSERT_EQ(LoadRouteFile(path, back).Error, TRouteFileError::None);
  ASSERT_EQ(back.Count(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.Row(i).Caption, rows[i].Caption);
    EXPECT_EQ(back.Row(i).SubItems, rows[i].SubItems);
  }
  EXPECT_EQ(RouteFileText(back), text);
  EXPECT_EQ(LoadRouteFile((dir.Path() / "missing.csv").string(), back).Error, TRouteFileError::Unreadable);
  EXPECT_EQ(LoadRouteFile(dir.Str(), back).Reason, "not a regular file");
  EXPECT_EQ(back.Count(), 3u);
}

// Rows keep the fields their line holds, for colours and for saving; blank lines hold no row; the lines
// with another number of fields are counted.
TEST(RouteRowsTest, LoadingToleratesHandEditedFiles) {
  const std::string fifteen = "\"9\",a,b,c,d,e,f,g,h,i,j,k,l,0.50,m";
  TRouteTable rows;
  const TRouteFileLoad load = ParseRouteFileText(RouteFileHeader() + "\r\n" + "\r\n" + "   \r" + "\"7\",two words,x\n" +
                                                     "\"8\"," + std::string(19, ',') + "extra\r\n" + fifteen + "\r\n" +
                                                     "\"5\"",
                                                 rows);
  ASSERT_EQ(load.Error, TRouteFileError::None);
  EXPECT_EQ(load.Rows, 4u);
  EXPECT_EQ(load.OtherFieldCountLines, 4u);
  ASSERT_EQ(rows.Count(), 4u);
  EXPECT_EQ(rows.Row(0).Caption, "7");
  EXPECT_EQ(rows.Row(0).SubItems, (std::vector<std::string>{"two", "words", "x"}));
  EXPECT_EQ(rows.FieldCount(1), 21u);
  EXPECT_EQ(rows.Field(1, 20), "extra");
  EXPECT_EQ(rows.FieldCount(2), 15u);
  EXPECT_EQ(rows.FieldCount(3), 1u);
  const std::string saved = RouteFileText(rows);
  EXPECT_EQ(saved.substr(saved.find("\r\n") + 2),
            "\"7\",two,words,x\r\n\"8\"," + std::string(19, ',') + "extra\r\n" + fifteen + "\r\n\"5\"\r\n");
}

TEST(RouteRowsTest, WhatIsNoRouteFileIsRefusedAndAddsNoRow) {
  const std::string header = RouteFileHeader();
  const std::string row = "\r\n\"1\",Ore,x\r\n";
  struct Case {
    std::string text;
    TRouteFileError error;
    std::size_t rows;
  } cases[] = {
      {"", TRouteFileError::NoHeader, 0},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), TRouteFileError::NotUtf8, 0},
      {"\"5\",\"1\",a route in place of the header" + row, TRouteFileError::NoHeader, 0},
      {header.substr(0, header.size() - 1) + row, TRouteFileError::NoHeader, 0},
      {header + row + std::string("\"2\",a\0b,c\r\n", 11), TRouteFileError::HoldsNul, 0},
      {header + row + "\"2\",\xE9mile\r\n", TRouteFileError::NotUtf8, 0},
      {"  " + header + " \r\n", TRouteFileError::None, 0},  // blanks around, a header alone: no rows
      {"\xEF\xBB\xBF" + header + row, TRouteFileError::None, 1},
      {header + "\r" + "\"1\",x\r\"2\",y", TRouteFileError::None, 2},
  };
  for (const auto& c : cases) {
    TRouteTable rows;
    rows.Append(TRouteRow{"kept", {"x"}});
    EXPECT_EQ(ParseRouteFileText(c.text, rows).Error, c.error) << c.text;
    EXPECT_EQ(rows.Count(), 1 + c.rows) << c.text;
    EXPECT_EQ(rows.Row(0).Caption, "kept");
  }
}

// A file is read a piece at a time: lines, line ends (CR LF split between two pieces too) and characters
// cut at a piece's end come out as from the whole text.
TEST(RouteRowsTest, PiecesReadAsTheWholeText) {
  const std::string text = "\xEF\xBB\xBF" + RouteFileHeader() +
                           "\r\n\"1\",\"a \"\"b\"\"\",Z\xC3\xBCrich\r\n\r\"2\",x\n\n" + "\"3\",,,y\r\r\n\"4\"";
  TRouteTable whole;
  ASSERT_EQ(ParseRouteFileText(text, whole).Error, TRouteFileError::None);
  ASSERT_EQ(whole.Count(), 4u);
  for (std::size_t piece : {1, 2, 3, 5, 7, 64}) {
    TRouteTable rows;
    const TRouteFileLoad load = ParseRouteFileText(text, rows, piece);
    EXPECT_EQ(load.Error, TRouteFileError::None) << piece;
    EXPECT_EQ(load.Rows, 4u) << piece;
    EXPECT_EQ(RouteFileText(rows), RouteFileText(whole)) << piece;
  }
  TRouteTable rows;
  EXPECT_EQ(ParseRouteFileText(text + "\r\n\"5\",\xC3", rows, 3).Error, TRouteFileError::NotUtf8);
}

// A NUL inside a row's text never reaches the stored fields, which end at NULs.
TEST(RouteRowsTest, TableCutsTextsAtANul) {
  TRouteTable rows;
  rows.Append(TRouteRow{std::string("12\0x", 4), {std::string("a\0b", 3), "c"}});
  ASSERT_EQ(rows.FieldCount(0), 3u);
  EXPECT_EQ(rows.Field(0, 0), "12");
  EXPECT_EQ(rows.Field(0, 1), "a");
  EXPECT_EQ(rows.Field(0, 2), "c");
  EXPECT_EQ(rows.Field(0, 3), "");
}

}  // namespace
