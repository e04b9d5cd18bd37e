// The string grid's column changes as they re-select the current cell: the row each one hands to the
// cell query, as OnSelectCell reports it.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "widgets/WsStringGridFixture.h"

using namespace qmz;
using qmz::test::StringGrid;

TEST_F(StringGrid, ColumnChangesReselectWithTheRowTheirOwnStepGives) {
  Fill({"A", "B", "C", "D"}, {{"a0", "b0", "c0", "d0"}, {"a1", "b1", "c1", "d1"}, {"a2", "b2", "c2", "d2"}});
  grid->SetSelectedRow(2);
  ASSERT_EQ(grid->GetSelectedRow(), 2);
  std::vector<std::pair<int, int>> asked;  // (column, data row) as OnSelectCell hears them
  grid->OnSelectCell = [&](TWsStringGrid&, int col, int row, bool&) { asked.emplace_back(col, row); };

  // Rebuilding the visible list moves the current cell out of the new fixed column: the re-selection
  // asks for grid row 1 (a row is selected), data row 0.
  grid->SetFixedCols(1);
  ASSERT_EQ(grid->GetActiveCol(), 1);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 0}}));
  EXPECT_EQ(grid->ActiveColumn()->Caption(), "B");

  // Hiding a column and deleting one re-select with the selected data row as the grid row, so the
  // handler hears the row above it.
  asked.clear();
  grid->Columns().FindColumn("D")->SetVisible(false);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 1}}));
  asked.clear();
  grid->Columns().Delete(grid->Columns().FindColumn("C")->Index());
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 1}}));
  EXPECT_EQ(grid->GetSelectedRow(), 2);
  EXPECT_EQ(grid->ActiveColumn()->Caption(), "B");
}

TEST_F(StringGrid, WhileLoadingDisplayIndexesAndParentFontsAreOnlyStored) {
  const GridFont own{"Arial", 11, 0x0000FF, false, false};
  grid->BeginLoad();
  EXPECT_TRUE(grid->Loading());
  Fill({"A", "B", "C"}, {{"a", "b", "c"}});
  TWsGridColumn& a = *grid->Columns().FindColumn("A");
  TWsGridColumn& c = *grid->Columns().FindColumn("C");
  a.SetDisplayIndex(5);  // past the visible columns: no error while loading
  c.SetDisplayIndex(0);
  c.SetFont(own);
  c.SetParentFont(true);  // the flag only, the font stays
  EXPECT_EQ(a.DisplayIndex(), 5);
  EXPECT_EQ(&grid->VisibleColumns().Items(0), &a);  // nothing re-arranged yet
  EXPECT_EQ(c.Font(), own);
  EXPECT_TRUE(c.ParentFont());

  grid->EndLoad();
  EXPECT_FALSE(grid->Loading());
  std::vector<std::string> order;
  for (int i = 0; i < grid->VisibleColumns().Count(); ++i) {
    order.push_back(grid->VisibleColumns().Items(i).Caption());
    EXPECT_EQ(grid->VisibleColumns().Items(i).DisplayIndex(), i);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_EQ(grid->GetCell(0, 0), "c");
  EXPECT_EQ(grid->ActiveColumn(), &c);
  EXPECT_EQ(c.Font(), own);

  // Loaded, the same steps act at once.
  EXPECT_THROW(a.SetDisplayIndex(5), EWsGridError);
  a.SetDisplayIndex(0);
  EXPECT_EQ(grid->GetCell(0, 0), "a");
  EXPECT_EQ(grid->ActiveColumn(), &a);  // the column now under the current cell
  c.SetParentFont(false);
  c.SetParentFont(true);
  EXPECT_EQ(c.Font(), grid->Font());
}

TEST_F(StringGrid, ColumnsMoveInTheCollectionAndAreCopiedWhole) {
  Fill({"A", "B", "C"}, {{"a", "b", "c"}, {"a1", "b1", "c1"}});
  TWsGridColumn& c = *grid->Columns().FindColumn("C");
  std::vector<std::string> activated;
  grid->OnActiveColChanged = [&](TWsStringGrid&, TWsGridColumn*, TWsGridColumn* now) {
    activated.push_back(now->Caption());
  };
  c.SetIndex(0);  // first in the collection and on screen
  EXPECT_EQ(c.Index(), 0);
  EXPECT_EQ(grid->ActiveColumn(), &c);
  EXPECT_EQ(activated, std::vector<std::string>{"C"});
  EXPECT_EQ(&grid->Columns().Items(1), grid->Columns().FindColumn("A"));
  EXPECT_EQ(grid->GetCell(0, 1), "c1");
  EXPECT_EQ(grid->model()->index(1, 0).data().toString(), "c1");  // what the view's model reports
  EXPECT_FALSE(grid->model()->index(1, 0).data(Qt::DecorationRole).isValid());
  EXPECT_EQ(c.GetDisplayName(), "C");
  c.SetCaption("");
  EXPECT_EQ(c.GetDisplayName(), "TWsGridColumn");

  TWsGridColumns source;
  TWsGridColumn& shown = source.Add();
  shown.SetCaption("Shown");
  shown.SetName("shown");
  shown.SetWidth(90);
  shown.SetFont(GridFont{"Arial", 9, 0x00FF00, true, false});
  shown.SetColor(0x123456);
  shown.SetHeaderColor(0x654321);
  shown.SetReadOnly(true);
  shown.SetImeName("ime");
  shown.SetImeMode(2);
  shown.SetAlignment(GridAlignment::Center);
  TWsGridColumn& hidden = source.Add();
  hidden.SetCaption("Hidden");
  hidden.SetVisible(false);
  grid->SetColumns(source);
  ASSERT_EQ(grid->Columns().Count(), 2);
  const TWsGridColumn& copy = grid->Columns().Items(0);
  EXPECT_EQ(copy.Caption(), "Shown");
  EXPECT_EQ(copy.Name(), "shown");
  EXPECT_EQ(copy.Width(), 90);
  EXPECT_EQ(copy.Font(), shown.Font());
  EXPECT_FALSE(copy.ParentFont());
  EXPECT_TRUE(copy.ParentHeaderFont());
  EXPECT_EQ(copy.HeaderFont(), grid->HeaderFont());
  EXPECT_EQ(copy.Color(), 0x123456u);
  EXPECT_EQ(copy.HeaderColor(), 0x654321u);
  EXPECT_TRUE(copy.ReadOnly());
  EXPECT_EQ(copy.ImeName(), "ime");
  EXPECT_EQ(copy.ImeMode(), 2);
  EXPECT_EQ(copy.Alignment(), GridAlignment::Center);
  EXPECT_EQ(copy.Cells().size(), 2u);  // the grid's rows, empty: cells are not copied
  EXPECT_EQ(grid->GetCell(0, 0), "");
  ASSERT_EQ(grid->VisibleColumns().Count(), 1);
  EXPECT_EQ(grid->horizontalHeader()->sectionSize(0), 90);
  EXPECT_EQ(grid->ActiveColumn(), &copy);
}
