#pragma once
// The string grid's test fixture, shared by the grid's test files (one fixture class for the suite).

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "widgets/WsGridColumns.h"
#include "widgets/WsStringGrid.h"

namespace qmz::test {

class StringGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = std::make_unique<TWsStringGrid>();
    grid->resize(400, 300);
  }

  // Columns with the given captions (also their names) and rows of texts.
  void Fill(const std::vector<std::string>& captions, const std::vector<std::vector<std::string>>& rows) {
    for (const auto& caption : captions) {
      TWsGridColumn& c = grid->Columns().Add();
      c.SetCaption(caption);
      c.SetName(caption);
    }
    for (const auto& row : rows) {
      grid->AddRow();
      for (int c = 0; c < static_cast<int>(row.size()); ++c) grid->SetCell(c, grid->RowCount() - 1, row[c]);
    }
  }

  std::vector<std::string> Column(int col) {
    std::vector<std::string> out;
    for (int r = 0; r < grid->RowCount(); ++r) out.push_back(grid->GetCell(col, r));
    return out;
  }

  void ShowGrid() {
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    // An inactive window takes the focus from an open editor, which ends the editing.
    grid->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(grid.get()));
    grid->setFocus();
  }

  // Shows the grid with its header clicks recorded in headerClicks; returns the header's viewport, which takes
  // the mouse.
  QWidget* ShowHeader() {
    grid->OnHeaderClick = [this](TWsStringGrid&, int col) { headerClicks.push_back(col); };
    grid->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    return grid->horizontalHeader()->viewport();
  }

  QPoint HeaderPoint(int col) {
    QHeaderView* h = grid->horizontalHeader();
    return QPoint(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2);
  }

  QPoint CellPoint(int col, int row) { return grid->visualRect(grid->model()->index(row, col)).center(); }

  // The open editor (a closed one may linger until its deferred deletion).
  TWsSGInplaceEdit* Editor() {
    for (auto* e : grid->findChildren<TWsSGInplaceEdit*>())
      if (e->isVisible()) return e;
    return nullptr;
  }

  // Opens the current cell's editor with a key, types and ends with another; false when no editor opened.
  bool Edit(Qt::Key open, const char* typed, Qt::Key end) {
    QTest::keyClick(grid.get(), open);
    QApplication::processEvents();
    auto* editor = Editor();
    if (editor == nullptr) return false;
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, end);
    QApplication::processEvents();
    return true;
  }

  // The grid as the screen shows it once pending repaints are done (grid coordinates): a setter that does
  // not repaint leaves the old pixels here.
  QImage OnScreen() {
    QApplication::processEvents();
    return grid->screen()->grabWindow(grid->winId()).toImage();
  }

  // A data cell (visible column, data row) and a header cell in grid coordinates.
  QRect CellRect(int col, int row) {
    return grid->visualRect(grid->model()->index(row, col)).translated(grid->viewport()->mapTo(grid.get(), QPoint()));
  }
  QRect HeaderRect(int col) {
    QHeaderView* h = grid->horizontalHeader();
    return QRect(h->sectionViewportPosition(col), 0, h->sectionSize(col), h->height())
        .translated(h->viewport()->mapTo(grid.get(), QPoint()));
  }

  // Whether any pixel of the area is the colour, give or take the blending of a glyph's edge.
  static bool HasColor(const QImage& image, const QRect& area, const QColor& color) {
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) {
        const QColor p = image.pixelColor(x, y);
        if (std::abs(p.red() - color.red()) + std::abs(p.green() - color.green()) + std::abs(p.blue() - color.blue()) <
            60)
          return true;
      }
    return false;
  }

  std::unique_ptr<TWsStringGrid> grid;
  std::vector<int> headerClicks;
};

}  // namespace qmz::test
