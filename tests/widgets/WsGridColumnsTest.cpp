#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/SysUtils.h"
#include "widgets/WsGridColumns.h"

using namespace qmz;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

TEST(WsGridCommaList, StoresLinesAndReadsThemBack) {
  struct Case {
    std::string text, stored, readBack;
  };
  const Case cases[] = {
      {"", "", ""},
      {"plain", "plain", "plain"},
      {"one\r\ntwo words", "one,\"two words\"", "one\r\ntwo words"},
      {"a\n", "a,", "a\r\n"},
      {"a\rb", "a,b", "a\r\nb"},
      {"a\n\nb", "a,,b", "a\r\n\r\nb"},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", "say \"hi\""},
      {"x,y", "\"x,y\"", "x,y"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToCommaList(c.text), c.stored) << c.text;
    EXPECT_EQ(CommaListToText(c.stored), c.readBack) << c.stored;
  }
}

TEST(WsGridCommaList, MalformedStoredTextEndsCleanly) {
  EXPECT_EQ(CommaListToText("\"open quote"), "open quote");
  EXPECT_EQ(CommaListToText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(CommaListToText("  , "), "\r\n");
}

TEST(WsGridColumns, NamesAreUniqueIgnoringCase) {
  TWsGridColumns columns;
  TWsGridColumn& folder = columns.Add();
  TWsGridColumn& title = columns.Add();
  folder.SetName("Folder");
  EXPECT_THAT([&] { title.SetName("FOLDER"); },
              ThrowsMessage<EWsGridColumnsError>(StrEq("Column name \"FOLDER\" already exists")));
  EXPECT_EQ(title.Name(), "");
  folder.SetName("FOLDER");  // its own name in other letter case
  EXPECT_EQ(folder.Name(), "FOLDER");
  title.SetName("Titel");
  columns.Add();
  EXPECT_THROW(title.SetName(""), EWsGridColumnsError);  // the new column's name is empty
  EXPECT_EQ(columns.FindColumn("titel"), &title);
}

TEST(WsGridColumns, AddSortedPutsEqualDisplayIndexAfterTheExistingEntry) {
  TWsGridColumns columns;
  TWsGridColumnList list;
  TWsGridColumn& a = columns.Add();
  TWsGridColumn& b = columns.Add();
  TWsGridColumn& c = columns.Add();
  EXPECT_EQ(list.AddSorted(a), 0);  // -1 becomes the count
  EXPECT_EQ(list.AddSorted(b), 1);
  c.SetDisplayIndex(1);
  EXPECT_EQ(list.AddSorted(c), 2);
  EXPECT_EQ(&list.Items(2), &c);
  list.Move(2, 0);
  EXPECT_EQ(c.DisplayIndex(), 0);
  EXPECT_EQ(a.DisplayIndex(), 1);
  EXPECT_THROW(list.Move(0, 3), EWsGridError);
  EXPECT_THROW(a.SetDisplayIndex(-1), EWsGridError);
}

TEST(WsGridColumns, CellKindsAndFlags) {
  TWsGridColumns columns;
  TWsGridColumn& col = columns.Add();
  columns.InsertRow(0);
  columns.InsertRow(1);
  col.SetText(0, "one\r\ntwo words");
  EXPECT_EQ(col.StoredText(0), "one,\"two words\"");
  EXPECT_EQ(col.GetFlags(0), kCellMultiLine);
  EXPECT_EQ(col.GetText(0), "one\r\ntwo words");

  col.SetKind(1, kCellKindInteger);
  col.SetText(1, " 42 ");
  EXPECT_EQ(col.GetText(1), "42");
  EXPECT_THAT([&] { col.SetText(1, "4x"); }, ThrowsMessage<EConvertError>(StrEq("'4x' is not a valid integer value")));
  EXPECT_EQ(col.GetText(1), "42");
  col.SetFlags(1, kCellMultiLine | kCellButton | kCellReadOnly);
  EXPECT_EQ(col.GetFlags(1), kCellReadOnly);  // integer cells are never multi-line or buttons
  EXPECT_EQ(col.GetKind(1), kCellKindInteger);
  EXPECT_THROW(col.GetText(2), EWsGridError);
}
