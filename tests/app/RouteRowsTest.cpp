// Route rows: their order by column kind, their texts in route files, and the table that holds them.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

TRouteTable TableOf(const std::vector<TRouteRow>& rows) {
  TRouteTable table;
  for (const TRouteRow& r : rows) table.Append(r);
  return table;
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
      {12, "1.20", "1.60", -1},  // any difference counts
      {12, "1.00", "1.60", -1},
      {12, "1,00", "1,60", -1},  // written with the user's decimal comma
      {13, "2.50", "2.00", 1},
      {13, "0.01", "0.00", 1},
      {14, "0.25", "0.250", 0},  // equal numbers are equal
      {13, "3.50", "2.00", 1},
      {10, "x", "0.4", -1},  // x reads 0
      {19, "True", "False", -1},
      // The whole text must be a number, exponent allowed; anything else reads 0.
      {10, "1e3", "13", 1},
      {11, "12abc", "0", 0},
      {15, "1.234.567", "1.2", 1},      // only the text before a second mark: 1.234
      {11, "16777217", "16777216", 1},  // more precise than a float
      // Letter case folds for A-Z only, a-z counting as capitals.
      {2, "\xC3\x89mile", "\xC3\xA9mile", 1},
      {7, "a_b", "aZb", -1},
  };
  // Equal rows keep their order in both directions; others come first in one and last in the other.
  const std::vector<std::uint32_t> kept{0, 1}, swapped{1, 0};
  for (const auto& c : cases) {
    const TRouteTable pair = TableOf({RowWith(c.column, c.a), RowWith(c.column, c.b)});
    EXPECT_EQ(RouteOrder(pair, c.column), c.base > 0 ? swapped : kept) << c.column << " " << c.a << " " << c.b;
    EXPECT_EQ(RouteOrder(pair, c.column + ReversedSort), c.base < 0 ? swapped : kept) << c.column;
  }
  // The comparison itself, on the keys the sort reads: numbers Item1 - Item2, texts (ranked A to Z) Z to A.
  EXPECT_EQ(CompareRouteRows(std::int64_t(1000), std::int64_t(999), 0), 1);
  EXPECT_EQ(CompareRouteRows(std::int64_t(1000), std::int64_t(999), ReversedSort), -1);
  EXPECT_EQ(CompareRouteRows(1.2, 1.6, 12), -1);
  EXPECT_EQ(CompareRouteRows(0.25, 0.25, 14 + ReversedSort), 0);
  EXPECT_EQ(CompareRouteRows(TRouteTextRank{0}, TRouteTextRank{1}, 2), 1);
  EXPECT_EQ(CompareRouteRows(TRouteTextRank{0}, TRouteTextRank{1}, 2 + ReversedSort), -1);
}

TEST(RouteRowsTest, SortIsStableAndSafeWithEqualAndOddNumbers) {
  auto sorted = [](std::vector<const char*> values, int param) {
    TRouteTable rows;
    for (const char* v : values) {
      TRouteRow r = RowWith(param % ReversedSort, v);
      r.Caption = std::to_string(rows.Count() + 1);
      rows.Append(r);
    }
    rows.Reorder(RouteOrder(rows, param));
    std::string order;
    for (std::size_t i = 0; i < rows.Count(); ++i) order += rows.Field(i, 0);
    return order;
  };
  // Equal rows keep their order in both directions.
  EXPECT_EQ(sorted({"1.0", "3.0", "1.2", "3.1", "1.00"}, 12 + ReversedSort), "42315");
  EXPECT_EQ(sorted({"1.0", "3.0", "1.2", "3.1", "1.00"}, 12), "15324");
  // A text that is no number reads 0; "nan" would be equal to every number: still every row once.
  std::string order = sorted({"1.2", "nan", "1.6", "0.9", "x", "2.4", "1.2", "nan", "1.6"}, 12);
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
  test::TempDir dir;
  const std::string path = (dir.Path() / "routes.csv").string();
  ASSERT_TRUE(SaveRouteFile(path, TableOf(rows)));
  const std::string text = test::ReadWholeFile(path);
  EXPECT_EQ(text.find("\r\n\"1000\",,\"Good, with comma\",,\"Base \"\"Alpha\"\"\",,"), text.find("\r\n"));
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
  EXPECT_EQ(rows.Row(0).SubItems, (std::vector<std::string>{"two words", "x"}));  // fields end only at commas
  EXPECT_EQ(rows.FieldCount(1), 21u);
  EXPECT_EQ(rows.Field(1, 20), "extra");
  EXPECT_EQ(rows.FieldCount(2), 15u);
  EXPECT_EQ(rows.FieldCount(3), 1u);
  const std::string saved = RouteFileText(rows);
  EXPECT_EQ(saved.substr(saved.find("\r\n") + 2),
            "\"7\",\"two words\",x\r\n\"8\"," + std::string(19, ',') + "extra\r\n" + fifteen + "\r\n\"5\"\r\n");
}

// The header is known by its fields, as a spreadsheet may write them back: quoted or not, blanks around,
// with or without the comma after the last; the titles as written, letter case and all.
TEST(RouteRowsTest, HeaderFieldsAndWhatIsNoRouteFile) {
  const std::string header = RouteFileHeader();
  std::string plain;  // the titles unquoted, no comma after the last
  for (std::string_view title : RouteColumnHeaders)
    plain += std::string(plain.empty() ? "" : " , ") + std::string(title);
  const std::string row = "\r\n\"1\",Ore,x\r\n";
  struct Case {
    std::string text;
    TRouteFileError error;
    std::size_t rows;
  } cases[] = {
      {"", TRouteFileError::NoHeader, 0},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), TRouteFileError::NoHeader, 0},
      {"\"5\",\"1\",a route in place of the header" + row, TRouteFileError::NoHeader, 0},
      {header.substr(0, header.size() - 1) + row, TRouteFileError::None, 1},
      {plain + row, TRouteFileError::None, 1},
      {"\t" + plain + ", " + row, TRouteFileError::None, 1},
      {plain + ",," + row, TRouteFileError::NoHeader, 0},
      {plain + ",Extra" + row, TRouteFileError::NoHeader, 0},
      {plain.substr(0, plain.rfind(',')) + row, TRouteFileError::NoHeader, 0},  // 19 titles
      {"\"profit\"" + header.substr(8) + row, TRouteFileError::NoHeader, 0},
      {"\"Profit" + header.substr(8) + row, TRouteFileError::NoHeader, 0},  // the quote never closes
      {header + row + std::string("\"2\",a\0b,c\r\n", 11), TRouteFileError::HoldsNul, 0},
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

// A file in the 8-bit code page loads as its UTF-8 twin and saves as that twin. A file read as UTF-8 up to
// a line that is not UTF-8 is the code page's all through: the lines before are read again that way.
TEST(RouteRowsTest, Windows1252FilesReadAsTheirUtf8Twins) {
  const std::string utf8 = RouteFileHeader() +
                           "\r\n\"120\",4,Ore,Commodity,\"V\xC3\xB6ulon Depot\",St01,Caf\xC3\xA9,St02,5,9,,,,,,,,"
                           "\"V\xC3\xB6ulon Shipping Company\",\xE2\x82\xAC,True\r\n";
  const std::string cp1252 = RouteFileHeader() +
                             "\r\n\"120\",4,Ore,Commodity,\"V\xF6ulon Depot\",St01,Caf\xE9,St02,5,9,,,,,,,,"
                             "\"V\xF6ulon Shipping Company\",\x80,True\r\n";
  const std::string mixed = utf8 + "\"7\",V\xF6ulon\r\n";
  test::TempDir dir;
  auto load = [&](const std::string& name, const std::string& text, TRouteFileLoad* result = nullptr) {
    test::WriteWholeFile(dir.Path() / name, text);
    TRouteTable rows;
    const TRouteFileLoad l = LoadRouteFile((dir.Path() / name).string(), rows);
    EXPECT_EQ(l.Error, TRouteFileError::None) << name;
    if (result != nullptr) *result = l;
    return rows;
  };
  TRouteFileLoad twin;
  const TRouteTable fromCp1252 = load("cp1252.csv", cp1252, &twin);
  EXPECT_EQ(twin.OtherFieldCountLines, 0u);
  ASSERT_EQ(fromCp1252.Count(), 1u);
  EXPECT_EQ(fromCp1252.Field(0, 17), "V\xC3\xB6ulon Shipping Company");
  EXPECT_EQ(fromCp1252.Row(0).SubItems, load("utf8.csv", utf8).Row(0).SubItems);
  ASSERT_TRUE(SaveRouteFile(dir.Str() + "/saved.csv", fromCp1252));
  EXPECT_EQ(test::ReadWholeFile(dir.Path() / "saved.csv"), utf8);

  const TRouteTable fromMixed = load("mixed.csv", mixed);
  ASSERT_EQ(fromMixed.Count(), 2u);
  EXPECT_EQ(fromMixed.Field(0, 17), "V\xC3\x83\xC2\xB6ulon Shipping Company");
  EXPECT_EQ(fromMixed.Field(1, 1), "V\xC3\xB6ulon");
  TRouteTable pieces;
  ASSERT_EQ(ParseRouteFileText(mixed, pieces, 5).Error, TRouteFileError::None);
  EXPECT_EQ(RouteFileText(pieces), RouteFileText(fromMixed));
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
}

// A NUL inside a row's text ends the stored field. A long table is freed in slices, empty at each pause.
TEST(RouteRowsTest, TableCutsTextsAtANulAndIsClearedInSlicesEmptyAtEachPause) {
  TRouteTable cut;
  cut.Append(TRouteRow{std::string("12\0x", 4), {std::string("a\0b", 3), "c"}});
  ASSERT_EQ(cut.FieldCount(0), 3u);
  EXPECT_EQ(cut.Row(0).Caption, "12");
  EXPECT_EQ(cut.Row(0).SubItems, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(cut.Field(0, 3), "");

  TRouteTable rows;
  for (int i = 0; i < 2000; ++i) rows.Append(RowWith(2, "Good " + std::to_string(i)));
  int pauses = 0;
  rows.Clear(
      [&] {
    EXPECT_EQ(rows.Count(), 0u);
    ++pauses;
      },
      4096);
  EXPECT_GT(pauses, 10);
  rows.Append(RowWith(0, "7"));
  EXPECT_EQ(rows.Field(0, 0), "7");
}

}  // namespace
