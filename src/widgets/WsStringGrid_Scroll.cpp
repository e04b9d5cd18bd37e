// The string grid's sideways scrolling, the base grid's way: the fixed columns stay at the left and the
// columns after them scroll by whole columns, LeftCol being the first one shown. The columns scrolled out
// of view are hidden sections of the view, so the view lays out, paints and hit-tests the rest itself;
// the horizontal scroll bar shows LeftCol - FixedCols and never moves the view on its own.

#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>

#include "widgets/WsStringGrid_Parts.h"

namespace qmz {

// The widths of the grid columns fromCol .. toCol.
int TWsStringGrid::ScrolledWidth(int fromCol, int toCol) const {
  int width = 0;
  for (int i = fromCol; i <= toCol && i < visibleColumns_->Count(); ++i) width += visibleColumns_->Items(i).Width();
  return width;
}

// The width the scrolled columns have beside the fixed ones.
int TWsStringGrid::ScrollRoom() const { return viewport()->width() - ScrolledWidth(0, fixedCols_ - 1); }

// The last LeftCol that still fills the view: the columns from it to the end fit beside the fixed ones;
// when not even the last one fits, the last one.
int TWsStringGrid::MaxLeftCol() const {
  const int count = visibleColumns_->Count();
  const int room = ScrollRoom();
  int left = std::max(fixedCols_, count - 1);
  for (int i = count - 2; i >= fixedCols_ && ScrolledWidth(i, count - 1) <= room; --i) left = i;
  return left;
}

void TWsStringGrid::SetLeftCol(int value) {
  value = std::clamp(value, fixedCols_, MaxLeftCol());
  if (value == leftCol_) return;
  leftCol_ = value;
  ApplyLeftCol();
}

void TWsStringGrid::ApplyLeftCol() {
  leftCol_ = std::clamp(leftCol_, fixedCols_, MaxLeftCol());
  // Hiding and showing sections reports their sizes, which are no new column widths.
  {
    const QScopedValueRollback applying(applyingColumns_, true);
    for (int i = 0; i < header_->count(); ++i) {
      const bool hide = i >= fixedCols_ && i < leftCol_;
      if (header_->isSectionHidden(i) == hide) continue;
      header_->setSectionHidden(i, hide);
      if (!hide && i < visibleColumns_->Count()) header_->resizeSection(i, visibleColumns_->Items(i).Width());
    }
  }
  SyncHorizontalBar();
  RepaintAll();
  UpdateCellButton();
}

void TWsStringGrid::SyncHorizontalBar() {
  const int room = ScrollRoom();
  int shown = 0;
  while (leftCol_ + shown < visibleColumns_->Count() && ScrolledWidth(leftCol_, leftCol_ + shown) <= room) ++shown;
  QScrollBar* bar = horizontalScrollBar();
  {
    const QScopedValueRollback syncing(syncingScrollBar_, true);
    bar->setRange(0, MaxLeftCol() - fixedCols_);
    bar->setPageStep(std::max(1, shown));
    bar->setSingleStep(1);
    bar->setValue(leftCol_ - fixedCols_);
  }
  if (header_->offset() != 0) header_->setOffset(0);
}

void TWsStringGrid::updateGeometries() {
  // The view sets the scroll bar for its own way of scrolling; the grid's replaces it right after.
  {
    const QScopedValueRollback syncing(syncingScrollBar_, true);
    QTableView::updateGeometries();
  }
  // A wider view may show more columns at the end: LeftCol comes back as far as they fill it.
  if (leftCol_ != std::clamp(leftCol_, fixedCols_, MaxLeftCol())) {
    ApplyLeftCol();
  } else {
    SyncHorizontalBar();
  }
}

void TWsStringGrid::scrollContentsBy(int dx, int dy) {
  HideCellButton();
  if (dx != 0 && !syncingScrollBar_) SetLeftCol(fixedCols_ + horizontalScrollBar()->value());
  if (dy != 0) QTableView::scrollContentsBy(0, dy);
  UpdateCellButton();
}

void TWsStringGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.isValid() && index.column() >= fixedCols_) {
    // A column left of LeftCol becomes LeftCol; one beyond the right edge brings as many columns in as it
    // needs to show whole.
    const int col = index.column();
    const int room = ScrollRoom();
    int left = std::min(leftCol_, col);
    while (left < col && ScrolledWidth(left, col) > room) ++left;
    SetLeftCol(left);
  }
  // The rows scroll as the view says; its sideways scrolling is undone.
  {
    const QScopedValueRollback syncing(syncingScrollBar_, true);
    QTableView::scrollTo(index, hint);
  }
  SyncHorizontalBar();
}

QModelIndex TWsStringGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex cur = currentIndex();
  const int rows = model_->rowCount(), cols = model_->columnCount();
  if (!cur.isValid() || rows == 0 || cols == 0) return QTableView::moveCursor(cursorAction, modifiers);
  // Sideways steps count the columns scrolled out of view, which the view would step over, and stop at
  // the fixed ones.
  const int row = cur.row(), col = cur.column(), first = std::min(fixedCols_, cols - 1);
  const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
  switch (cursorAction) {
    case MoveLeft:
      return model_->index(row, std::max(first, col - 1));
    case MoveRight:
      return model_->index(row, std::min(cols - 1, col + 1));
    case MoveHome:
      return model_->index(ctrl ? 0 : row, first);
    case MoveEnd:
      return model_->index(ctrl ? rows - 1 : row, cols - 1);
    case MoveNext:
      if (col + 1 < cols) return model_->index(row, col + 1);
      return model_->index(row + 1 < rows ? row + 1 : 0, first);
    case MovePrevious:
      if (col - 1 >= first) return model_->index(row, col - 1);
      return model_->index(row > 0 ? row - 1 : rows - 1, cols - 1);
    default:
      break;
  }
  // Up and down keep the column, which the view finds no cell in while it is scrolled out of view.
  scrollTo(model_->index(row, col));
  return QTableView::moveCursor(cursorAction, modifiers);
}

}  // namespace qmz
