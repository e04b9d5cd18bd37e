// The string grid's header under the mouse: a click is a press and a release on one column with no move
// between them; the right edge of a fixed column sizes it in steps from the last mouse position; a drag
// from a header cell starts the column moving.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "util/MouseMove.h"
#include "widgets/WsStringGridFixture.h"

using namespace qmz;
using qmz::test::MoveMouse;
using qmz::test::StringGrid;

TEST_F(StringGrid, AnyMoveBetweenPressAndReleaseCancelsTheHeaderClick) {
  Fill({"Name", "Other"}, {{"b", "x"}, {"c", "y"}, {"a", "z"}});
  QWidget* header = ShowHeader();
  const QPoint at = HeaderPoint(0);

  QTest::mousePress(header, Qt::LeftButton, {}, at);
  MoveMouse(header, at + QPoint(2, 0), Qt::LeftButton);  // still inside the same column
  QTest::mouseRelease(header, Qt::LeftButton, {}, at + QPoint(2, 0));
  EXPECT_TRUE(headerClicks.empty());
  EXPECT_EQ(Column(0), (std::vector<std::string>{"b", "c", "a"}));  // not sorted

  // The second press of a double click clicks like the first.
  QTest::mouseClick(header, Qt::LeftButton, {}, HeaderPoint(1));
  QTest::mouseDClick(header, Qt::LeftButton, {}, HeaderPoint(1));
  QTest::mouseRelease(header, Qt::LeftButton, {}, HeaderPoint(1));
  EXPECT_EQ(headerClicks, (std::vector<int>{1, 1}));
  EXPECT_EQ(grid->VisibleColumns().Items(1).SortOrder(), csDsc);

  // A release on the one-pixel border between two columns belongs to neither.
  const int border = grid->horizontalHeader()->sectionViewportPosition(1);
  QTest::mousePress(header, Qt::LeftButton, {}, QPoint(border - 1, at.y()));
  QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(border - 1, at.y()));
  EXPECT_EQ(headerClicks.size(), 2u);
  QTest::mouseDClick(header, Qt::RightButton, {}, HeaderPoint(0));  // only the left button clicks
  QTest::mouseRelease(header, Qt::RightButton, {}, HeaderPoint(0));
  EXPECT_EQ(headerClicks.size(), 2u);
}

TEST_F(StringGrid, TheRightEdgeOfAFixedColumnSizesItStepByStep) {
  Fill({"Key", "Value"}, {{"k", "v"}});
  grid->SetFixedCols(1);
  QWidget* header = ShowHeader();
  QHeaderView* h = grid->horizontalHeader();
  TWsGridColumn& key = grid->VisibleColumns().Items(0);
  const int width = key.Width();
  const int y = h->height() / 2;

  MoveMouse(header, QPoint(width + 2, y));  // within three pixels of the edge
  EXPECT_EQ(h->cursor().shape(), Qt::SplitHCursor);
  QTest::mousePress(header, Qt::LeftButton, {}, QPoint(width + 2, y));
  MoveMouse(header, QPoint(width - 70, y), Qt::LeftButton);  // would leave no width: ignored
  EXPECT_EQ(h->sectionSize(0), width);
  MoveMouse(header, QPoint(width - 60, y), Qt::LeftButton);  // ten pixels on from the last position
  EXPECT_EQ(h->sectionSize(0), width + 10);
  QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(width - 60, y));
  EXPECT_EQ(key.Width(), width + 10);
  EXPECT_TRUE(headerClicks.empty());

  // Four pixels off the edge it is a press on the column.
  MoveMouse(header, QPoint(width + 10 - 4, y));
  EXPECT_NE(h->cursor().shape(), Qt::SplitHCursor);
  QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(width + 10 - 4, y));
  EXPECT_EQ(headerClicks, std::vector<int>{0});

  // With column sizing on, a press where the header shows its own split cursor is the header's: it sizes.
  grid->SetOptions(grid->Options() | goColSizing);
  TWsGridColumn& value = grid->VisibleColumns().Items(1);
  const int valueWidth = value.Width();
  const QPoint edge(h->sectionViewportPosition(1) + valueWidth - 1, y);
  MoveMouse(header, edge);
  QTest::mousePress(header, Qt::LeftButton, {}, edge);
  MoveMouse(header, edge + QPoint(15, 0), Qt::LeftButton);
  QTest::mouseRelease(header, Qt::LeftButton, {}, edge + QPoint(15, 0));
  EXPECT_EQ(value.Width(), valueWidth + 15);
  EXPECT_EQ(headerClicks.size(), 1u);
}

TEST_F(StringGrid, DraggingFromAHeaderCellMovesTheColumn) {
  Fill({"A", "B", "C"}, {{"a", "b", "c"}});
  grid->SetOptions(grid->Options() | goColMoving);
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](TWsStringGrid&, int from, int to) { moves.emplace_back(from, to); };
  QWidget* header = ShowHeader();
  QTest::mousePress(header, Qt::LeftButton, {}, HeaderPoint(0));
  const QPoint to = HeaderPoint(2) + QPoint(10, 0);  // past the middle of the last column
  for (int x = HeaderPoint(0).x() + 10; x < to.x(); x += 10) MoveMouse(header, QPoint(x, to.y()), Qt::LeftButton);
  MoveMouse(header, to, Qt::LeftButton);
  QTest::mouseRelease(header, Qt::LeftButton, {}, to);
  EXPECT_EQ(grid->VisibleColumns().Items(2).Caption(), "A");
  EXPECT_EQ(grid->GetCell(2, 0), "a");
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{0, 2}}));
  EXPECT_TRUE(headerClicks.empty());
  // The current cell moves with its column, and with the columns moved across it.
  EXPECT_EQ(grid->GetActiveCol(), 2);
  grid->horizontalHeader()->moveSection(0, 2);  // B C A -> C A B
  EXPECT_EQ(grid->GetActiveCol(), 1);
  ASSERT_NE(grid->ActiveColumn(), nullptr);
  EXPECT_EQ(grid->ActiveColumn()->Caption(), "A");
}

TEST_F(StringGrid, ColumnDragsLeaveTheFixedColumnsInPlace) {
  Fill({"K", "A", "B", "C"}, {{"k", "a", "b", "c"}});
  grid->SetFixedCols(1);
  grid->SetOptions(grid->Options() | goColMoving);
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](TWsStringGrid&, int from, int to) { moves.emplace_back(from, to); };
  QWidget* header = ShowHeader();
  const auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(header, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 20; ++i) MoveMouse(header, from + (to - from) * i / 20, Qt::LeftButton);
    QTest::mouseRelease(header, Qt::LeftButton, {}, to);
  };
  drag(HeaderPoint(0), HeaderPoint(3) + QPoint(10, 0));  // the fixed column does not move
  EXPECT_EQ(grid->VisibleColumns().Items(0).Caption(), "K");
  drag(HeaderPoint(3), QPoint(5, HeaderPoint(0).y()));  // dropped on it: the first place after it
  EXPECT_EQ(grid->VisibleColumns().Items(1).Caption(), "C");
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{3, 1}}));
  EXPECT_TRUE(headerClicks.empty());
}
