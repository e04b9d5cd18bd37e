// The string grid's events as the user raises them: the text the editor is given, the editor's selection,
// the context menu from the mouse and from the keyboard; the header click that brings a cut-off column
// into view and the cell button that follows its cell when the grid scrolls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <string>
#include <utility>
#include <vector>

#include "util/MouseMove.h"
#include "widgets/WsStringGridFixture.h"

using namespace qmz;
using qmz::test::MoveMouse;
using qmz::test::StringGrid;

TEST_F(StringGrid, TheEditorTakesTheHandlersTextAndReportsItsSelectionChanges) {
  Fill({"A", "B"}, {{"a0", "b0"}, {"a1", "hello"}});
  grid->SetOptions(grid->Options() | goEditing);
  std::vector<std::pair<int, int>> asked;
  grid->OnGetEditText = [&](TWsStringGrid&, int col, int row, std::string& value) {
    asked.emplace_back(col, row);
    value += " world";
  };
  int selChanges = 0;
  grid->OnSelChange = [&](TWsStringGrid&) { ++selChanges; };
  TWsGridColumn& b = grid->VisibleColumns().Items(1);
  b.SetImeName("ime-b");
  b.SetImeMode(3);
  ShowGrid();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellPoint(1, 1));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  TWsSGInplaceEdit* editor = Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->toPlainText(), "hello world");
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 1}}));
  EXPECT_EQ(editor->ImeName(), "ime-b");
  EXPECT_EQ(editor->ImeMode(), 3);

  // The whole text is selected when the editor opens; a change of the selection's length is reported
  // once, after the key or the mouse move that made it.
  QTest::keyClick(editor, Qt::Key_End);
  EXPECT_EQ(selChanges, 0);  // nothing selected, as last reported
  QTest::keyClick(editor, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(selChanges, 1);
  QTest::keyClick(editor, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(selChanges, 1);  // the same length
  const auto at = [&](int pos) {
    QTextCursor c(editor->document());
    c.setPosition(pos);
    return editor->cursorRect(c).center();
  };
  QTest::keyClick(editor, Qt::Key_End);
  EXPECT_EQ(selChanges, 2);
  QTest::mousePress(editor->viewport(), Qt::LeftButton, {}, at(0));
  MoveMouse(editor->viewport(), at(3), Qt::LeftButton);
  QTest::mouseRelease(editor->viewport(), Qt::LeftButton, {}, at(3));
  EXPECT_EQ(editor->textCursor().selectedText(), "hel");
  EXPECT_EQ(selChanges, 3);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(grid->GetCell(1, 1), "hello world");
}

TEST_F(StringGrid, TheContextMenuEventGetsTheMousePositionOrTheCurrentCellsCorner) {
  Fill({"A", "B"}, {{"a0", "b0"}, {"a1", "b1"}});
  std::vector<QPoint> popups;
  grid->OnContextPopup = [&](TWsStringGrid&, int x, int y) { popups.emplace_back(x, y); };
  ShowGrid();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellPoint(1, 1));
  const QPoint click = CellPoint(0, 0);
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, click, grid->viewport()->mapToGlobal(click));
  QApplication::sendEvent(grid->viewport(), &mouse);
  QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), grid->mapToGlobal(QPoint()));
  QApplication::sendEvent(grid.get(), &key);
  const QPoint corner = grid->visualRect(grid->model()->index(1, 1)).topLeft();
  EXPECT_EQ(popups, (std::vector<QPoint>{grid->viewport()->mapToGlobal(click), grid->viewport()->mapToGlobal(corner)}));
  EXPECT_FALSE(key.isAccepted());  // the normal handling follows: the grid has no menu of its own
}

TEST_F(StringGrid, ClickingACutOffHeaderScrollsOneColumnOn) {
  Fill({"A", "B", "C", "D"}, {{"a", "b", "c", "d"}});
  grid->resize(150, 120);
  QWidget* header = ShowHeader();
  QHeaderView* h = grid->horizontalHeader();
  ASSERT_GT(h->sectionViewportPosition(2) + h->sectionSize(2), grid->viewport()->width());
  QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(1) + 10, h->height() / 2));
  EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);  // whole in view: nothing moves
  QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(2) + 5, h->height() / 2));
  EXPECT_EQ(grid->horizontalScrollBar()->value(), 1);
  EXPECT_EQ(grid->columnAt(0), 1);
  EXPECT_EQ(headerClicks, (std::vector<int>{1, 2}));
}

TEST_F(StringGrid, TheCellButtonFollowsItsCellWhenTheGridScrolls) {
  std::vector<std::vector<std::string>> rows(30, std::vector<std::string>{"x"});
  Fill({"A"}, rows);
  ShowGrid();
  grid->SetSelectedRow(3);
  grid->SetCellFlags(0, 3, kCellButton);
  QPushButton* button = grid->CellButton();
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isVisible());
  const int top = button->y();
  grid->verticalScrollBar()->setValue(1);
  QApplication::processEvents();
  EXPECT_TRUE(button->isVisible());
  EXPECT_EQ(button->y(), top - grid->rowHeight(0));
  grid->verticalScrollBar()->setValue(5);  // the cell is out of view above
  QApplication::processEvents();
  EXPECT_FALSE(button->isVisible());
}
