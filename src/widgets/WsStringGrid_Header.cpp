// The string grid's header row under the mouse: a click is a press and a release inside one header cell
// with no move between them; the right edge of a fixed column sizes it; a press that moves becomes the
// header's own press at that point, so a drag starts its column moving. The header's own column sizing
// (column sizing on) keeps its edges.

#include <QMouseEvent>

#include <algorithm>

#include "widgets/WsStringGrid_Parts.h"

namespace qmz {

namespace {
// How near the right edge of a fixed column the mouse sizes it, in pixels either way.
constexpr int kSizingReach = 3;
}  // namespace

int WsGridHeader::HeaderColumnAt(int x) const {
  for (int i = 0; i < count(); ++i) {
    if (isSectionHidden(i)) continue;
    const int left = sectionViewportPosition(i);
    const int right = left + sectionSize(i);
    if (left + 1 < x && x < right - 1) return i;
  }
  return -1;
}

void WsGridHeader::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (grid_.sizing_) {
    const int width = sectionSize(grid_.sizingCol_) + at.x() - grid_.lastX_;
    if (width > 0) resizeSection(grid_.sizingCol_, width);
    grid_.lastX_ = at.x();
    return;
  }
  if (grid_.pressedCol_ >= 0) {
    // The press was no click after all: the header gets it here, where the drag goes on from.
    grid_.pressedCol_ = -1;
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->globalPosition(), Qt::LeftButton,
                      Qt::LeftButton, event->modifiers());
    // A fixed column is never moved: a press on one starts no column moving.
    const int under = logicalIndexAt(at);
    const bool movable = sectionsMovable();
    if (under >= 0 && under < grid_.fixedCols_) setSectionsMovable(false);
    QHeaderView::mousePressEvent(&press);
    setSectionsMovable(movable);
    return;
  }
  QHeaderView::mouseMoveEvent(event);
  if (event->buttons() != Qt::NoButton || event->modifiers() != Qt::NoModifier) return;
  // Resting, the header shows its split cursor exactly over its own sizing edges.
  grid_.overHeaderSplit_ = testAttribute(Qt::WA_SetCursor);
  grid_.overSizingEdge_ = false;
  if (at.y() < 0 || at.y() >= height()) return;
  for (int i = 0; i < grid_.fixedCols_ && i < count(); ++i) {
    const int edge = sectionViewportPosition(i) + sectionSize(i);
    if (edge - kSizingReach < at.x() && at.x() < edge + kSizingReach) {
      setCursor(Qt::SplitHCursor);
      grid_.overSizingEdge_ = true;
      grid_.sizingCol_ = i;
      break;
    }
  }
}

void WsGridHeader::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || grid_.overHeaderSplit_) {
    QHeaderView::mousePressEvent(event);
    return;
  }
  const int x = event->position().toPoint().x();
  if (grid_.overSizingEdge_) {
    grid_.sizing_ = true;
    grid_.lastX_ = x;
  } else {
    grid_.pressedCol_ = HeaderColumnAt(x);
  }
}

// The second press of a double click is a press like the first.
void WsGridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || grid_.overHeaderSplit_) {
    QHeaderView::mouseDoubleClickEvent(event);
    return;
  }
  mousePressEvent(event);
}

void WsGridHeader::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (grid_.sizing_) {
    grid_.sizing_ = false;
    grid_.ColWidthsChanged();
  } else if (grid_.pressedCol_ >= 0 && at.y() >= 0 && at.y() < height() &&
             HeaderColumnAt(at.x()) == grid_.pressedCol_) {
    grid_.HeaderClicked(grid_.pressedCol_);
  }
  grid_.pressedCol_ = -1;
  QHeaderView::mouseReleaseEvent(event);
}

// ---- the grid's side ----

void TWsStringGrid::HeaderClicked(int col) {
  if (col < 0 || col >= visibleColumns_->Count()) return;
  if (autoSort_) {
    TWsGridColumn& c = visibleColumns_->Items(col);
    const TColumnSorting next = c.SortOrder() == csAsc ? csDsc : csAsc;
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i).SetSortOrder(csNone);
    c.SetSortOrder(next);
  }
  if (OnHeaderClick) OnHeaderClick(*this, col);
  InvalidateCol(col);
  // A click on a column cut off at the right edge brings one more column into view.
  if (columnViewportPosition(col) + columnWidth(col) > viewport()->width()) SetLeftCol(leftCol_ + 1);
}

void TWsStringGrid::SectionMoved(int fromIndex, int toIndex) {
  // The header only shows the move; the visible list holds the order, so the header goes back to its
  // plain order and the columns are applied again.
  header_->blockSignals(true);
  header_->moveSection(toIndex, fromIndex);
  header_->blockSignals(false);
  // No column leaves the fixed ones or joins them: dropped on them (or on the columns scrolled out of
  // view beside them), a column lands on the first place shown after them.
  toIndex = std::max(toIndex, leftCol_);
  if (fromIndex < fixedCols_ || fromIndex == toIndex) {
    RepaintAll();
    return;
  }
  if (const QModelIndex cur = currentIndex(); cur.isValid())
    SetCurrentDirectly(cur.row() + 1, MoveAdjust(cur.column(), fromIndex, toIndex));
  visibleColumns_->Move(fromIndex, toIndex);
  if (OnColumnMoved) OnColumnMoved(*this, fromIndex, toIndex);
  UpdateColumns();
}

}  // namespace qmz
