// Interaction of the string grid: the in-place editor, editing keys, the cell button, sorting, row moves
// and the context-menu event.

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#include "platform/AsciiText.h"
#include "support/SysUtils.h"
#include "widgets/WsPlainText.h"
#include "widgets/WsStringGrid_Parts.h"

namespace qmz {

namespace {

QString EditorText(const std::string& cellText) {
  // Cells give their line breaks as CR LF; the editor keeps plain line feeds.
  return QString::fromStdString(StringReplaceAll(cellText, "\r\n", "\n"));
}

bool IsNavigationKey(int key) {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

}  // namespace

// ---- the in-place editor ----

TWsSGInplaceEdit::TWsSGInplaceEdit(TWsStringGrid& grid, QWidget* parent) : QPlainTextEdit(parent), grid_(grid) {
  setObjectName("InplaceEdit");
  setLineWrapMode(NoWrap);
  setTabChangesFocus(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(1);
  UpdateStyle(-1, -1);
  // With the editor always shown, every change goes into the cell at once.
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!(grid_.Options() & goAlwaysShowEditor) || !isVisible()) return;
    // The changed cell comes back to its open editor as new data, which must not replace the text being typed.
    writing_ = true;
    emit grid_.delegate_->commitData(this);
    writing_ = false;
  });
}

void TWsSGInplaceEdit::UpdateStyle(int aCol, int aRow) {
  const int col = aCol < 0 ? grid_.CurrentCol() : aCol;
  const int row = aRow - 1 < 0 ? grid_.GetSelectedRow() : aRow - 1;
  multiLine_ = col >= 0 && col < grid_.VisibleColumns().Count() && row >= 0 && row < grid_.GetRowCount() &&
               (grid_.GetCellFlags(col, row) & kCellMultiLine) != 0;
  setFrameShape(multiLine_ ? QFrame::StyledPanel : QFrame::NoFrame);
  setVerticalScrollBarPolicy(multiLine_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  if (col >= 0 && col < grid_.VisibleColumns().Count()) {
    const TWsGridColumn& column = grid_.VisibleColumns().Items(col);
    imeName_ = column.ImeName();
    imeMode_ = column.ImeMode();
  }
}

void TWsSGInplaceEdit::showEvent(QShowEvent* event) {
  UpdateStyle(-1, -1);
  selectAll();
  QPlainTextEdit::showEvent(event);
}

void TWsSGInplaceEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // A multi-line cell exchanges the two: Enter breaks the line, Ctrl+Enter ends the editing as Enter does
    // elsewhere.
    if (multiLine_ && !(event->modifiers() & Qt::ControlModifier)) {
      insertPlainText("\n");
    } else {
      grid_.CommitAndClose(this);
    }
    event->accept();
    return;
  }
  if (!multiLine_ && IsNavigationKey(key)) {
    // A one-line cell hands navigation back to the grid, as moving to another cell ends the editing.
    QKeyEvent forward(QEvent::KeyPress, key, event->modifiers(), event->text());
    TWsStringGrid& grid = grid_;
    grid.CommitAndClose(this);
    QCoreApplication::sendEvent(&grid, &forward);
    return;
  }
  const int row = grid_.GetSelectedRow();
  if (!event->text().isEmpty() && row >= 0 && grid_.GetActiveCol() >= 0 &&
      grid_.GetCellKind(grid_.CurrentCol(), row) == kCellKindInteger) {
    const QChar ch = event->text().at(0);
    const bool accepted = (ch >= u'0' && ch <= u'9') || ch == u'\b' || ch == u'\r' || ch == u'\n' || ch == QChar(27);
    if (!accepted && ch.isPrint()) {
      QApplication::beep();
      event->accept();
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TWsSGInplaceEdit::keyReleaseEvent(QKeyEvent* event) {
  QPlainTextEdit::keyReleaseEvent(event);
  CheckSelChange();
}

void TWsSGInplaceEdit::mouseMoveEvent(QMouseEvent* event) {
  QPlainTextEdit::mouseMoveEvent(event);
  CheckSelChange();
}

void TWsSGInplaceEdit::CheckSelChange() {
  const QTextCursor cursor = textCursor();
  const int length = cursor.selectionEnd() - cursor.selectionStart();
  if (length == reportedSelLength_) return;
  reportedSelLength_ = length;
  if (grid_.OnSelChange) grid_.OnSelChange(grid_);
}

// ---- delegate: editor side ----

QWidget* WsGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  return new TWsSGInplaceEdit(grid_, parent);
}

void WsGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* edit = static_cast<TWsSGInplaceEdit*>(editor);
  if (edit->Writing()) return;
  edit->UpdateStyle(index.column(), index.row() + 1);
  edit->setPlainText(EditorText(grid_.GetEditText(index.column(), index.row() + 1)));
  edit->selectAll();
}

void WsGridDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const {
  auto* edit = static_cast<TWsSGInplaceEdit*>(editor);
  try {
    grid_.SetEditText(index.column(), index.row() + 1, edit->toPlainText().toStdString());
  } catch (const std::exception& error) {
    // A pasted text that an integer cell cannot take: the cell keeps its value and the user hears why.
    PlainMessageBox(&grid_, QMessageBox::Warning, QApplication::applicationName(),
                    QString::fromStdString(error.what()));
  }
}

void WsGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
  auto* edit = static_cast<TWsSGInplaceEdit*>(editor);
  edit->UpdateStyle(index.column(), index.row() + 1);
  QRect r = option.rect;
  if (edit->MultiLine()) {
    const int previous = r.height();
    r.setHeight(100);
    if (grid_.viewport()->height() <= r.top() + 100) r.moveTop(r.top() - (100 - previous));
  }
  edit->setGeometry(r);
  if (index.column() < grid_.VisibleColumns().Count())
    edit->setFont(GridQFont(grid_.VisibleColumns().Items(index.column()).Font()));
}

// ---- grid: editing ----

bool TWsStringGrid::CanEditShow() const {
  if (!(options_ & goEditing) || empty_ || visibleColumns_->Count() == 0) return false;
  const int col = CurrentCol(), gridRow = CurrentGridRow();
  if (col < 0 || col >= visibleColumns_->Count() || visibleColumns_->Items(col).ReadOnly()) return false;
  if (IsButtonCell(col, gridRow)) return false;
  return !(GetCellFlags(col, gridRow - 1) & kCellReadOnly);
}

std::string TWsStringGrid::GetEditText(int aCol, int aRow) {
  std::string value;
  if (empty_ || visibleColumns_->Count() == 0) return value;
  value = GetCell(aCol, aRow - 1);
  if (OnGetEditText) OnGetEditText(*this, aCol, aRow - 1, value);
  return value;
}

void TWsStringGrid::SetEditText(int aCol, int aRow, const std::string& value) {
  if (!cancelling_) {
    if (empty_ || visibleColumns_->Count() == 0 || aRow < 1) return;
    if (OnSetEditText) OnSetEditText(*this, aCol, aRow - 1, value);
  }
  SetCell(aCol, aRow - 1, value);
}

bool TWsStringGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (index.isValid() && index == currentIndex() && trigger != NoEditTriggers && !CanEditShow()) return false;
  return QTableView::edit(index, trigger, event);
}

void TWsStringGrid::CommitAndClose(TWsSGInplaceEdit* editor) { delegate_->CommitAndClose(editor); }

void TWsStringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Escape: the cell keeps its text; the handler hears what it is.
  if (hint == QAbstractItemDelegate::RevertModelCache && qobject_cast<TWsSGInplaceEdit*>(editor) != nullptr &&
      !(options_ & goAlwaysShowEditor)) {
    cancelling_ = true;
    const int col = CurrentCol(), row = GetSelectedRow();
    if (row >= 0 && col >= 0 && col < visibleColumns_->Count() && OnCancelEdit)
      OnCancelEdit(*this, col, row, GetCell(col, row));
    cancelling_ = false;
  }
  QTableView::closeEditor(editor, hint);
}

void TWsStringGrid::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && state() != EditingState && !empty_ &&
      visibleColumns_->Count() > 0) {
    const int col = CurrentCol(), gridRow = CurrentGridRow();
    if (event->modifiers() & Qt::ControlModifier) {
      // Ctrl+Enter turns the cell into a multi-line one and opens it.
      if (!IsButtonCell(col, gridRow)) SetCellFlags(col, gridRow - 1, GetCellFlags(col, gridRow - 1) | kCellMultiLine);
    }
    if (IsButtonCell(col, gridRow)) {
      CellButtonClick();
      return;
    }
    if (GetCellFlags(col, gridRow - 1) & kCellReadOnly) return;
    if (CanEditShow()) {
      edit(currentIndex(), EditKeyPressed, event);
      return;
    }
  }
  selectVetoed_ = false;
  QTableView::keyPressEvent(event);
  if (selectVetoed_) RestoreSelection();
}

void TWsStringGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  // A press on a read-only current cell does nothing at all.
  if (index.isValid() && index == currentIndex() && (GetCellFlags(index.column(), index.row()) & kCellReadOnly)) return;
  selectVetoed_ = false;
  QTableView::mousePressEvent(event);
  if (selectVetoed_) RestoreSelection();
}

void TWsStringGrid::contextMenuEvent(QContextMenuEvent* event) {
  if (OnContextPopup) {
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid())
      at = viewport()->mapToGlobal(visualRect(currentIndex()).topLeft());
    OnContextPopup(*this, at.x(), at.y());
  }
  QTableView::contextMenuEvent(event);
}

void TWsStringGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  UpdateCellButton();
}

void TWsStringGrid::RowSectionMoved(int fromIndex, int toIndex) {
  QHeaderView* rows = verticalHeader();
  rows->blockSignals(true);
  rows->moveSection(toIndex, fromIndex);
  rows->blockSignals(false);
  if (empty_) return;
  columns_->MoveRow(fromIndex, toIndex);
  model_->CellsChanged();
  if (const QModelIndex cur = currentIndex(); cur.isValid())
    SetCurrentDirectly(MoveAdjust(cur.row(), fromIndex, toIndex) + 1, cur.column());
  // Reported as the base grid counts it: the insertion index, past the destination for a move down.
  if (OnRowMoved) OnRowMoved(*this, fromIndex, fromIndex >= toIndex ? toIndex : toIndex + 1);
  RepaintAll();
}

void TWsStringGrid::RowSectionResized(int, int newSize) {
  // One row's new height becomes every row's height.
  if (newSize > 0 && newSize != defaultRowHeight_) SetDefaultRowHeight(newSize);
}

// ---- the cell button ----

bool TWsStringGrid::IsButtonCell(int aCol, int row) const {
  if (empty_ || visibleColumns_->Count() == 0 || aCol != CurrentCol() || row != CurrentGridRow()) return false;
  if (aCol < 0 || aCol >= visibleColumns_->Count() || row < 1 || row > GetRowCount()) return false;
  const std::uint32_t flags = GetCellFlags(aCol, row - 1);
  return (flags & kCellButton) && !(flags & kCellReadOnly);
}

void TWsStringGrid::ShowCellButton(int aCol, int row) {
  if (cellButton_ == nullptr) {
    cellButton_ = new QPushButton(QString::fromUtf8("\u00B7\u00B7\u00B7"), viewport());
    cellButton_->setObjectName("CellButton");
    cellButton_->setFocusPolicy(Qt::NoFocus);
    cellButton_->setFont(QFont("Arial", 10));
    connect(cellButton_, &QPushButton::clicked, this, [this] { CellButtonClick(); });
  }
  QRect r = visualRect(model_->index(row - 1, aCol));
  // A cell scrolled out of view has no rectangle on the grid, so it gets no button.
  if (!r.intersects(viewport()->rect())) r = QRect();
  const int height = r.height() - 2;
  const int width = height;
  if (width + 3 > r.width() || height <= 0) {
    cellButton_->hide();
    return;
  }
  cellButton_->setGeometry(r.left() + r.width() - width, r.top() + 1, width, height);
  cellButton_->show();
}

void TWsStringGrid::HideCellButton() {
  if (cellButton_ != nullptr) cellButton_->hide();
}

void TWsStringGrid::UpdateCellButton() {
  const int col = CurrentCol(), row = CurrentGridRow();
  if (IsButtonCell(col, row)) {
    ShowCellButton(col, row);
  } else {
    HideCellButton();
  }
}

void TWsStringGrid::CellButtonClick() {
  if (OnButtonClick) OnButtonClick(*this);
  if (!IsButtonCell(CurrentCol(), CurrentGridRow())) HideCellButton();
  if (currentIndex().isValid()) viewport()->update(visualRect(currentIndex()));
}

// ---- sorting ----

void TWsStringGrid::Sort() {
  sortedColumns_ = std::make_unique<TWsGridColumnList>();
  struct Release {
    std::unique_ptr<TWsGridColumnList>& list;
    ~Release() { list.reset(); }
  } release{sortedColumns_};
  for (int i = 0; i < visibleColumns_->Count(); ++i) {
    TWsGridColumn& c = visibleColumns_->Items(i);
    if (c.SortOrder() == csAsc || c.SortOrder() == csDsc) sortedColumns_->AddSorted(c);
  }
  QuickSortRows(0, GetRowCount() - 1);
  model_->CellsChanged();
  RepaintAll();
}

int TWsStringGrid::CompareRows(int index1, int index2) {
  int result = DefaultCompareRows(index1, index2);
  if (OnCompareRows && sortedColumns_ && sortedColumns_->Count() > 0)
    OnCompareRows(*sortedColumns_, index1, index2, result);
  return result;
}

int TWsStringGrid::DefaultCompareRows(int index1, int index2) const {
  if (!sortedColumns_) return 0;
  for (int i = 0; i < sortedColumns_->Count(); ++i) {
    const TWsGridColumn& c = sortedColumns_->Items(i);
    // Letter case counts for A-Z only: an accented capital stays another character than its small letter.
    int r = platform::AsciiCompareText(c.GetText(index1), c.GetText(index2));
    if (c.SortOrder() == csDsc) r = -r;
    if (r != 0) return r;
  }
  return 0;
}

// Quicksort over the data rows. The scans stay inside l..r and every pass moves i or j, so a comparison
// that contradicts itself can disorder the rows but never runs past the ends or loops for ever; the
// smaller part is sorted first and the larger one in the loop, which bounds the recursion depth.
void TWsStringGrid::QuickSortRows(int l, int r) {
  while (l < r) {
    int p = l + (r - l) / 2;
    int i = l, j = r;
    do {
      while (i < r && CompareRows(i, p) < 0) ++i;
      while (j > l && CompareRows(j, p) > 0) --j;
      if (j > i) {
        ExchangeRows(i, j);
        if (p == i) {
          p = j;
        } else if (p == j) {
          p = i;
        }
        ++i;
        --j;
      } else if (j == i) {
        if (i >= r) {
          --j;
        } else {
          ++i;
        }
      }
    } while (j >= i);
    if (j - l < r - i) {
      QuickSortRows(l, j);
      l = i;
    } else {
      QuickSortRows(i, r);
      r = j;
    }
  }
}

}  // namespace qmz
