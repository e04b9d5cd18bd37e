// The string grid as the user edits it: the in-place editor, multi-line and integer cells, button cells,
// refused cell moves, row moving and sizing on the row header, and the selection's colours.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <string>
#include <utility>
#include <vector>

#include "util/ModalAnswer.h"
#include "widgets/WsStringGridFixture.h"

using namespace qmz;
using qmz::test::StringGrid;

TEST_F(StringGrid, EditingStoresOnEnterAndEscapeRestores) {
  Fill({"A", "B"}, {{"one", "two"}, {"three", "four"}});
  grid->SetOptions(grid->Options() | goEditing);
  std::vector<std::string> set, cancelled;
  grid->OnSetEditText = [&](TWsStringGrid&, int, int, const std::string& v) { set.push_back(v); };
  grid->OnCancelEdit = [&](TWsStringGrid&, int, int, const std::string& v) { cancelled.push_back(v); };
  ShowGrid();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellPoint(1, 1));
  ASSERT_EQ(grid->GetSelectedRow(), 1);
  ASSERT_EQ(grid->GetActiveCol(), 1);
  ASSERT_EQ(grid->ActiveColumn(), &grid->VisibleColumns().Items(1));

  ASSERT_TRUE(Edit(Qt::Key_Return, "five", Qt::Key_Return));
  EXPECT_EQ(grid->GetCell(1, 1), "five");
  EXPECT_EQ(set, std::vector<std::string>{"five"});

  ASSERT_TRUE(Edit(Qt::Key_F2, "lost", Qt::Key_Escape));
  EXPECT_EQ(grid->GetCell(1, 1), "five");
  EXPECT_EQ(cancelled, std::vector<std::string>{"five"});
  EXPECT_EQ(set.size(), 1u);

  grid->VisibleColumns().Items(1).SetReadOnly(true);
  EXPECT_FALSE(Edit(Qt::Key_F2, "", Qt::Key_Escape));

  // An integer cell's editor takes digits only.
  grid->SetCell(0, 1, "");
  grid->VisibleColumns().Items(0).SetKind(1, kCellKindInteger);
  QTest::keyClick(grid.get(), Qt::Key_Left);
  EXPECT_EQ(grid->GetCellKind(0, 1), kCellKindInteger);
  ASSERT_TRUE(Edit(Qt::Key_F2, "4a2-", Qt::Key_Return));
  EXPECT_EQ(grid->GetCell(0, 1), "42");
}

TEST_F(StringGrid, CtrlEnterMakesTheCellMultiLineAndOpensATallEditor) {
  Fill({"A"}, {{"one"}, {"two"}});
  grid->SetOptions(grid->Options() | goEditing);
  ShowGrid();
  QTest::keyClick(grid.get(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(grid->GetCellFlags(0, 0) & kCellMultiLine, kCellMultiLine);
  auto* editor = Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->MultiLine());
  EXPECT_EQ(editor->height(), 100);
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClick(editor, Qt::Key_Return);  // a new line, not the end of editing
  QTest::keyClicks(editor, "more words");
  QTest::keyClick(editor, Qt::Key_Tab);  // leaving the editor stores its text
  QApplication::processEvents();
  EXPECT_EQ(grid->GetCell(0, 0), "one\r\nmore words");
  EXPECT_EQ(grid->VisibleColumns().Items(0).StoredText(0), "one,\"more words\"");

  // In a multi-line cell Enter and Ctrl+Enter trade places: Ctrl+Enter ends the editing and stores.
  grid->setFocus();
  QTest::keyClick(grid.get(), Qt::Key_F2);
  editor = Editor();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(editor, "!");
  QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(grid->GetCell(0, 0), "one\r\nmore words!");
}

TEST_F(StringGrid, OnSelectCellCanRefuseTheMove) {
  Fill({"A"}, {{"x"}, {"y"}, {"z"}});
  grid->OnSelectCell = [](TWsStringGrid&, int, int row, bool& can) { can = row != 2; };
  ShowGrid();
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(grid->GetSelectedRow(), 1);
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(grid->GetSelectedRow(), 1);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellPoint(0, 2));
  EXPECT_EQ(grid->GetSelectedRow(), 1);
  EXPECT_TRUE(grid->selectionModel()->isSelected(grid->model()->index(1, 0)));
}

TEST_F(StringGrid, ButtonCellsShowTheButtonAndEnterClicksIt) {
  Fill({"A", "B"}, {{"x", "y"}, {"z", "w"}});
  int clicks = 0;
  grid->OnButtonClick = [&](TWsStringGrid&) { ++clicks; };
  ShowGrid();
  grid->SetCellFlags(0, 0, kCellButton);
  ASSERT_NE(grid->CellButton(), nullptr);
  EXPECT_TRUE(grid->CellButton()->isVisible());
  EXPECT_EQ(grid->CellButton()->text(), QString::fromUtf8("\u00B7\u00B7\u00B7"));
  QTest::keyClick(grid.get(), Qt::Key_Return);
  EXPECT_EQ(clicks, 1);
  QTest::mouseClick(grid->CellButton(), Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
  QTest::keyClick(grid.get(), Qt::Key_Down);  // another cell: the button goes
  EXPECT_FALSE(grid->CellButton()->isVisible());
  grid->SetCellFlags(0, 1, kCellButton | kCellReadOnly);  // read-only wins
  EXPECT_FALSE(grid->CellButton()->isVisible());
  QTest::keyClick(grid.get(), Qt::Key_Return);
  EXPECT_EQ(clicks, 2);
}

TEST_F(StringGrid, SelectedRowIsPaintedInTheSelectionColourWithRowSelect) {
  Fill({"A", "B"}, {{"a", "b"}, {"c", "d"}});
  grid->SetOptions(grid->Options() | goRowSelect);
  grid->SetSelectedColor(0x0000FF);  // red, as $00BBGGRR
  grid->SetActiveRowColor(0x00FF00);
  grid->SetSelectedRow(1);
  ShowGrid();
  const QImage image = grid->viewport()->grab().toImage();
  const QRect cell = grid->visualRect(grid->model()->index(1, 1));
  EXPECT_EQ(image.pixelColor(cell.left() + 1, cell.bottom() - 1), QColor(255, 0, 0));
  const QRect other = grid->visualRect(grid->model()->index(0, 1));
  EXPECT_NE(image.pixelColor(other.left() + 1, other.bottom() - 1), QColor(255, 0, 0));
}

TEST_F(StringGrid, RowHeaderMovesRowsAndSizesAllRowsAtOnce) {
  Fill({"A", "Hidden"}, {{"r0", "h0"}, {"r1", "h1"}, {"r2", "h2"}, {"r3", "h3"}});
  grid->Columns().FindColumn("Hidden")->SetVisible(false);
  grid->SetOptions(grid->Options() | goRowMoving | goRowSizing);
  std::vector<std::pair<int, int>> moves;
  grid->OnRowMoved = [&](TWsStringGrid&, int f, int t) { moves.emplace_back(f, t); };
  ShowGrid();
  QHeaderView* rows = grid->verticalHeader();
  ASSERT_TRUE(rows->isVisible());
  rows->moveSection(0, 2);  // what a drag of the first row below the third ends in
  EXPECT_EQ(Column(0), (std::vector<std::string>{"r1", "r2", "r0", "r3"}));
  EXPECT_EQ(grid->GetSelectedRow(), 2);  // the current row moves with its row
  rows->moveSection(3, 0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"r3", "r1", "r2", "r0"}));
  EXPECT_EQ(grid->GetSelectedRow(), 3);  // and with a row moved across it
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{0, 3}, {3, 0}}));
  EXPECT_EQ(rows->visualIndex(0), 0);  // the header itself stays in plain order
  const auto& hidden = grid->Columns().FindColumn("Hidden")->Cells();
  EXPECT_EQ(hidden[0].Text, "h3");
  EXPECT_EQ(hidden[3].Text, "h0");

  rows->resizeSection(1, 30);
  EXPECT_EQ(grid->DefaultRowHeight(), 30);
  for (int r = 0; r < 4; ++r) EXPECT_EQ(grid->rowHeight(r), 30);
}

TEST_F(StringGrid, NavigationKeysEndOneLineEditingAndAnAlwaysShownEditorWritesAtOnce) {
  Fill({"A"}, {{"one"}, {"two"}, {"three"}});
  grid->SetOptions(grid->Options() | goEditing);
  ShowGrid();
  ASSERT_TRUE(Edit(Qt::Key_F2, "uno", Qt::Key_Down));  // the grid moves on with the key
  EXPECT_EQ(grid->GetCell(0, 0), "uno");
  EXPECT_EQ(grid->GetSelectedRow(), 1);
  EXPECT_EQ(Editor(), nullptr);

  grid->SetOptions(grid->Options() | goAlwaysShowEditor);
  QTest::keyClick(grid.get(), Qt::Key_Down);  // the editor opens on the new cell by itself
  QApplication::processEvents();
  auto* editor = Editor();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "tres");
  EXPECT_EQ(grid->GetCell(0, 2), "tres");  // every change reaches the cell while the editor stays open
  EXPECT_EQ(Editor(), editor);
}

TEST_F(StringGrid, APastedNonNumberInAnIntegerCellIsRefusedWithAMessage) {
  Fill({"N"}, {{"1"}});
  grid->SetOptions(grid->Options() | goEditing);
  grid->VisibleColumns().Items(0).SetKind(0, kCellKindInteger);
  ShowGrid();
  QTest::keyClick(grid.get(), Qt::Key_F2);
  auto* editor = Editor();
  ASSERT_NE(editor, nullptr);
  editor->setPlainText("4x");  // a paste bypasses the digit filter
  QString shown;
  qmz::test::AnswerModal<QMessageBox>([&](QMessageBox* box) {
    shown = box->text();
    box->accept();
  });
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(shown, "'4x' is not a valid integer value");
  EXPECT_EQ(grid->GetCell(0, 0), "1");
}
