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
