#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "support/SysUtils.h"
#include "widgets/WsGridColumns.h"
#include "widgets/WsStringGrid.h"
#include "widgets/WsStringGridFixture.h"

using namespace qmz;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

using qmz::test::StringGrid;

TEST_F(StringGrid, EmptyGridShowsOneBlankRowAndRefusesCellAccess) {
  Fill({"A", "B"}, {});
  EXPECT_TRUE(grid->Empty());
  EXPECT_EQ(grid->RowCount(), 0);
  EXPECT_EQ(grid->GetSelectedRow(), -1);
  EXPECT_EQ(grid->model()->rowCount(), 1);
  EXPECT_THAT([&] { grid->GetCell(0, 0); }, ThrowsMessage<EWsGridError>(StrEq("Wrong row index")));
  grid->AddRow();
  EXPECT_EQ(grid->RowCount(), 1);
  EXPECT_EQ(grid->model()->rowCount(), 1);
  EXPECT_EQ(grid->GetSelectedRow(), 0);
  grid->SetRowCount(3);
  EXPECT_THROW(grid->GetCell(2, 0), EWsGridError);
  EXPECT_THROW(grid->GetCell(1, 3), EWsGridError);
  grid->SetRowCount(0);
  EXPECT_TRUE(grid->Empty());
  EXPECT_EQ(grid->model()->rowCount(), 1);
}

TEST_F(StringGrid, RowBookkeepingKeepsHiddenColumnsInStep) {
  Fill({"A", "Hidden", "C"}, {{"a0", "h0", "c0"}, {"a1", "h1", "c1"}, {"a2", "h2", "c2"}});
  TWsGridColumn& hidden = *grid->Columns().FindColumn("Hidden");
  hidden.SetVisible(false);
  ASSERT_EQ(grid->VisibleColumns().Count(), 2);
  EXPECT_EQ(grid->VisibleColumns().Items(1).Caption(), "C");

  grid->InsertRow(1);
  grid->SetCell(0, 1, "new");
  grid->DeleteRow(0);
  grid->ExchangeRows(0, 2);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a2", "a1", "new"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"c2", "c1", ""}));
  ASSERT_EQ(hidden.Cells().size(), 3u);

  hidden.SetVisible(true);
  ASSERT_EQ(grid->VisibleColumns().Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(grid->VisibleColumns().Items(i).DisplayIndex(), i);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"h2", "h1", ""}));
}

TEST_F(StringGrid, InsertingAndDeletingRowsKeepsTheCurrentRowNumber) {
  Fill({"A"}, {{"r0"}, {"r1"}, {"r2"}, {"r3"}, {"r4"}});
  grid->SetOptions(grid->Options() | goRowSelect);
  grid->SetSelectedRow(2);
  grid->InsertRow(0);  // the number stays, the row under it changes
  EXPECT_EQ(grid->GetSelectedRow(), 2);
  EXPECT_TRUE(grid->selectionModel()->isRowSelected(2, {}));
  grid->SetSelectedRow(3);
  grid->DeleteRow(0);
  EXPECT_EQ(grid->GetSelectedRow(), 3);
  EXPECT_EQ(grid->GetCell(0, 3), "r3");
  grid->DeleteRows(1, 3);  // fewer rows than the number: the last row
  EXPECT_EQ(grid->GetSelectedRow(), 1);
  EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
}

TEST_F(StringGrid, RowChangesOutOfRangeAreRefusedAndChangeNothing) {
  Fill({"A"}, {{"x"}, {"y"}});
  const auto check = [&](auto&& change) {
    EXPECT_THROW(change(), EWsGridError);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"x", "y"}));
  };
  check([&] { grid->InsertRow(-1); });
  check([&] { grid->InsertRow(3); });
  check([&] { grid->DeleteRows(1, 2); });
  check([&] { grid->DeleteRow(-1); });
  check([&] { grid->SetRowCount(-1); });
  check([&] { grid->AddRows(-2); });
  check([&] { grid->SetSelectedRow(2); });
  check([&] { grid->ExchangeRows(0, 2); });
}

TEST_F(StringGrid, SortsByTwoColumnsEachWay) {
  Fill({"Name", "Price"}, {{"b", "1"}, {"a", "2"}, {"B", "3"}, {"a", "1"}});
  grid->SetAutoSort(false);
  grid->VisibleColumns().Items(0).SetSortOrder(csAsc);
  grid->VisibleColumns().Items(1).SetSortOrder(csDsc);
  grid->Sort();
  EXPECT_EQ(Column(0)[0], "a");
  EXPECT_EQ(Column(1), (std::vector<std::string>{"2", "1", "3", "1"}));  // ties broken by Price descending
  grid->VisibleColumns().Items(0).SetSortOrder(csDsc);
  grid->VisibleColumns().Items(1).SetSortOrder(csAsc);
  grid->Sort();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"1", "3", "1", "2"}));
}

TEST_F(StringGrid, SortingFoldsTheCaseOfAsciiLettersOnly) {
  // An accented capital stays another character than its small letter; '_' follows the letters.
  Fill({"Name"}, {{"\xC3\xA9"}, {"_"}, {"\xC3\x89"}, {"B"}, {"a"}});
  grid->VisibleColumns().Items(0).SetSortOrder(csDsc);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"\xC3\xA9", "\xC3\x89", "_", "B", "a"}));
}

TEST_F(StringGrid, HeaderClicksToggleTheSortWhenAutoSortIsOn) {
  Fill({"Name", "Other"}, {{"b", "x"}, {"c", "y"}, {"a", "z"}});
  QWidget* header = ShowHeader();
  QTest::mouseClick(header, Qt::LeftButton, {}, HeaderPoint(0));
  EXPECT_EQ(grid->VisibleColumns().Items(0).SortOrder(), csAsc);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c"}));
  QTest::mouseClick(header, Qt::LeftButton, {}, HeaderPoint(0));
  EXPECT_EQ(grid->VisibleColumns().Items(0).SortOrder(), csDsc);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"c", "b", "a"}));
  QTest::mouseClick(header, Qt::LeftButton, {}, HeaderPoint(1));
  EXPECT_EQ(grid->VisibleColumns().Items(0).SortOrder(), csNone);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(headerClicks, (std::vector<int>{0, 0, 1}));

  grid->SetAutoSort(false);
  grid->VisibleColumns().Items(1).SetSortOrder(csNone);
  QTest::mouseClick(header, Qt::LeftButton, {}, HeaderPoint(0));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"x", "y", "z"}));  // only the event
  EXPECT_EQ(headerClicks.size(), 4u);
}

TEST_F(StringGrid, ContradictoryComparisonsNeverLoseRowsOrRunOffTheEnds) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 40; ++i) rows.push_back({std::to_string(i)});
  Fill({"N"}, rows);
  grid->SetAutoSort(false);
  grid->VisibleColumns().Items(0).SetSortOrder(csAsc);
  for (int mode = 0; mode < 3; ++mode) {
    unsigned state = 7;
    grid->OnCompareRows = [&](const TWsGridColumnList&, int, int, int& result) {
      if (mode == 0) result = -1;  // everything is smaller than everything
      if (mode == 1) result = 1;
      if (mode == 2) result = static_cast<int>((state = state * 1103515245u + 12345u) >> 16) % 3 - 1;
    };
    grid->Sort();
    auto values = Column(0);
    std::sort(values.begin(), values.end(), [](auto& a, auto& b) { return std::stoi(a) < std::stoi(b); });
    for (int i = 0; i < 40; ++i) ASSERT_EQ(values[i], std::to_string(i)) << "mode " << mode;
  }
}

TEST_F(StringGrid, HidingTheCurrentColumnMakesAnotherOneActive) {
  Fill({"A", "B"}, {{"a", "b"}});
  std::vector<std::string> changes;
  grid->OnActiveColChanged = [&](TWsStringGrid&, TWsGridColumn*, TWsGridColumn* now) {
    changes.push_back(now ? now->Caption() : "-");
  };
  ASSERT_EQ(grid->ActiveColumn()->Caption(), "A");
  grid->Columns().FindColumn("A")->SetVisible(false);
  EXPECT_EQ(grid->GetActiveCol(), 0);
  ASSERT_NE(grid->ActiveColumn(), nullptr);
  EXPECT_EQ(grid->ActiveColumn()->Caption(), "B");
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back(), "B");
  grid->Columns().Delete(1);  // the last visible column goes
  EXPECT_EQ(grid->GetActiveCol(), -1);
  EXPECT_EQ(grid->ActiveColumn(), nullptr);
}

TEST_F(StringGrid, TheCurrentCellLeavesColumnsThatBecomeFixed) {
  Fill({"A", "B", "C"}, {{"a", "b", "c"}, {"d", "e", "f"}});
  ASSERT_EQ(grid->GetActiveCol(), 0);
  grid->SetFixedCols(1);
  EXPECT_EQ(grid->FixedCols(), 1);
  EXPECT_EQ(grid->GetActiveCol(), 1);
  EXPECT_EQ(grid->ActiveColumn()->Caption(), "B");
  grid->SetSelectedRow(1);
  EXPECT_EQ(grid->GetSelectedRow(), 1);
  grid->SetFixedCols(5);  // never all of them
  EXPECT_EQ(grid->FixedCols(), 2);
  EXPECT_EQ(grid->GetActiveCol(), 2);
}

TEST_F(StringGrid, FixedColumnsStayAtTheLeftWhileTheViewScrolls) {
  const std::vector<std::string> row(10, "x");
  Fill({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}, {row, row});
  grid->SetFixedCols(1);
  grid->SetFixedColor(0x00FF00);  // green, as $00BBGGRR
  ShowGrid();
  QHeaderView* h = grid->horizontalHeader();
  const int width = h->sectionSize(0);
  const auto at = [&](int col) { return grid->columnViewportPosition(col); };
  for (int i = 0; i < 3; ++i) grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(h->sectionViewportPosition(0), 0);
  EXPECT_EQ(grid->indexAt(QPoint(width + 2, 2)).column(), 4);  // three columns scrolled out beside the fixed one
  EXPECT_EQ(OnScreen().pixelColor(CellRect(0, 1).topLeft() + QPoint(1, 1)), QColor(0, 255, 0));

  // Moving the current cell brings its column into view next to the fixed one, never into the fixed one.
  QTest::keyClick(grid.get(), Qt::Key_Right);
  EXPECT_EQ(grid->GetActiveCol(), 2);
  EXPECT_EQ(at(2), width);
  QTest::keyClick(grid.get(), Qt::Key_Left);
  QTest::keyClick(grid.get(), Qt::Key_Left);
  EXPECT_EQ(grid->GetActiveCol(), 1);
  EXPECT_EQ(at(1), width);
  QTest::keyClick(grid.get(), Qt::Key_End);  // the last column whole, with no room for the one before
  EXPECT_EQ(at(0), 0);
  EXPECT_LE(at(9) + width, grid->viewport()->width());
  EXPECT_GT(at(9) + 2 * width, grid->viewport()->width());
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(grid->GetActiveCol(), 9);
  QTest::keyClick(grid.get(), Qt::Key_Home);
  EXPECT_EQ(at(1), width);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(grid->VisibleColumns().Items(i).Width(), width);
}

TEST(WsGridColumns, CommaListsUniqueNamesSortedDisplayIndexesCellKindsAndFlags) {
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
  // Malformed stored text ends cleanly.
  EXPECT_EQ(CommaListToText("\"open quote"), "open quote");
  EXPECT_EQ(CommaListToText(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(CommaListToText("  , "), "\r\n");
  // Column names are unique ignoring case.
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
  TWsGridColumns sorted;
  TWsGridColumnList list;
  TWsGridColumn& a = sorted.Add();
  TWsGridColumn& b = sorted.Add();
  TWsGridColumn& c = sorted.Add();
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
  TWsGridColumns cells;
  TWsGridColumn& col = cells.Add();
  cells.InsertRow(0);
  cells.InsertRow(1);
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
  col.SetKind(1, 5);  // a kind the cells do not know stores nothing
  col.SetText(1, "7");
  EXPECT_EQ(col.GetText(1), "42");
}
