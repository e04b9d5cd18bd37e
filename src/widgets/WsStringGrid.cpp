// The string grid: construction, properties, rows, the current cell, cell access and the column hooks.

#include "widgets/WsStringGrid.h"

#include <QApplication>
#include <QPushButton>

#include <algorithm>

#include "widgets/WsStringGrid_Parts.h"

namespace qmz {

namespace {
constexpr const char* kWrongColumnIndex = "Wrong column index";
constexpr const char* kWrongRowIndex = "Wrong row index";
}  // namespace

// ---- model and selection model ----

int WsGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  // An empty grid shows one blank row under the header.
  return grid_.empty_ ? 1 : grid_.dataRows_;
}

int WsGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : grid_.visibleColumns_->Count();
}

QVariant WsGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || grid_.empty_ || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return QString::fromStdString(grid_.GetCell(index.column(), index.row()));
}

QVariant WsGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= grid_.visibleColumns_->Count())
    return {};
  return QString::fromStdString(grid_.visibleColumns_->Items(section).Caption());
}

Qt::ItemFlags WsGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // The blank row of an empty grid is no row the user could choose, so it never shows as selected.
  if (grid_.empty_) return Qt::ItemIsEnabled;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if ((grid_.options_ & goEditing) && !grid_.empty_ && !grid_.visibleColumns_->Items(index.column()).ReadOnly() &&
      !(grid_.GetCellFlags(index.column(), index.row()) & kCellReadOnly))
    f |= Qt::ItemIsEditable;
  return f;
}

void WsGridModel::CellsChanged() {
  const int rows = rowCount(), cols = columnCount();
  if (rows > 0 && cols > 0) emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
}

void WsGridModel::CellChanged(int row, int col) {
  if (row >= 0 && row < rowCount() && col >= 0 && col < columnCount())
    emit dataChanged(index(row, col), index(row, col));
}

void WsGridSelectionModel::setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) {
  if (!grid_.settingCurrent_ && index.isValid() && index != currentIndex()) {
    // Fixed columns never hold the current cell.
    if (index.column() < grid_.fixedCols_ || !grid_.SelectCell(index.column(), index.row() + 1)) {
      grid_.selectVetoed_ = true;
      return;
    }
  }
  QItemSelectionModel::setCurrentIndex(index, command);
}

// ---- construction ----

TWsStringGrid::TWsStringGrid(QWidget* parent)
    : QTableView(parent),
      columns_(std::make_unique<TWsGridColumns>(this)),
      visibleColumns_(std::make_unique<TWsGridColumnList>()) {
  model_ = new WsGridModel(*this);
  delegate_ = new WsGridDelegate(*this);
  header_ = new WsGridHeader(*this);
  setHorizontalHeader(header_);
  // A header press must not move the current cell: the header row only sorts and sizes.
  disconnect(header_, SIGNAL(sectionPressed(int)), this, nullptr);
  disconnect(header_, SIGNAL(sectionEntered(int)), this, nullptr);
  setModel(model_);
  QItemSelectionModel* plain = selectionModel();
  selection_ = new WsGridSelectionModel(*this, model_);
  setSelectionModel(selection_);
  delete plain;
  setItemDelegate(delegate_);
  setWordWrap(false);
  // The grid scrolls by whole rows and columns.
  setHorizontalScrollMode(ScrollPerItem);
  setVerticalScrollMode(ScrollPerItem);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(defaultRowHeight_);
  header_->setMinimumSectionSize(1);
  // Clicks on the header are the grid's own (WsStringGrid_Header.cpp), not the header's.
  header_->setSectionsClickable(false);
  header_->setHighlightSections(false);
  header_->setFixedHeight(defaultRowHeight_);
  connect(header_, &QHeaderView::sectionResized, this, [this](int, int, int) { ColWidthsChanged(); });
  connect(header_, &QHeaderView::sectionMoved, this, [this](int, int from, int to) { SectionMoved(from, to); });
  // Row sizing and moving happen on the row header, shown only while one of them is on.
  connect(verticalHeader(), &QHeaderView::sectionMoved, this,
          [this](int, int from, int to) { RowSectionMoved(from, to); });
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int row, int, int size) { RowSectionResized(row, size); });
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
  SetColor(color_);
  ApplyOptions();
}

TWsStringGrid::~TWsStringGrid() {
  // The views may still ask the model while Qt tears them down: leave them an empty grid.
  model_->BeginReset();
  visibleColumns_->Clear();
  activeColumn_ = nullptr;
  columns_ = std::make_unique<TWsGridColumns>(nullptr);
  empty_ = true;
  dataRows_ = 0;
  model_->EndReset();
}

// ---- properties ----

void TWsStringGrid::EndLoad() {
  if (!loading_) return;
  loading_ = false;
  UpdateVisibleColumns();
  ActiveColumnFollowsCell();
}

// New display indexes may put another column under the current cell with its index unchanged, which the
// rebuild does not see: the active column follows the cell.
void TWsStringGrid::ActiveColumnFollowsCell() {
  const int col = GetActiveCol();
  if (col >= 0 && activeColumn_ != &visibleColumns_->Items(col)) SelectCell(col, GetSelectedRow() < 0 ? 0 : 1);
}

void TWsStringGrid::RepaintAll() {
  viewport()->update();
  header_->viewport()->update();
}

void TWsStringGrid::SetColorProperty(GridColor& field, GridColor value) {
  if (field == value) return;
  field = value;
  RepaintAll();
}

void TWsStringGrid::SetFontProperty(GridFont& field, const GridFont& value) {
  if (field == value) return;
  field = value;
  RepaintAll();
}

void TWsStringGrid::SetActiveColColor(GridColor value) {
  if (activeColColor_ == value) return;
  activeColColor_ = value;
  InvalidateCol(GetActiveCol());
}

void TWsStringGrid::SetActiveRowFontColor(GridColor value) {
  if (activeRowFontColor_ == value) return;
  activeRowFontColor_ = value;
  InvalidateRow(GetSelectedRow() + 1);
}

void TWsStringGrid::SetAutoSort(bool value) {
  if (autoSort_ == value) return;
  autoSort_ = value;
  if (value) Sort();
}

void TWsStringGrid::SetDefaultLook(bool value) {
  if (defaultLook_ == value) return;
  defaultLook_ = value;
  RepaintAll();
}

void TWsStringGrid::SetFixedCols(int value) {
  wantedFixedCols_ = std::max(0, value);
  UpdateVisibleColumns();
}

void TWsStringGrid::SetHeaderFont(const GridFont& value) {
  if (headerFont_ == value) return;
  headerFont_ = value;
  for (int i = 0; i < columns_->Count(); ++i) {
    TWsGridColumn& c = columns_->Items(i);
    if (c.ParentHeaderFont()) {
      c.SetHeaderFont(value);
      c.SetParentHeaderFont(true);
    }
  }
  RepaintAll();
}

void TWsStringGrid::SetFont(const GridFont& value) {
  if (font_ == value) return;
  font_ = value;
  for (int i = 0; i < columns_->Count(); ++i) {
    TWsGridColumn& c = columns_->Items(i);
    if (c.ParentFont()) {
      c.SetFont(value);
      c.SetParentFont(true);
    }
  }
  RepaintAll();
}

void TWsStringGrid::SetColor(GridColor value) {
  color_ = value;
  QPalette p = viewport()->palette();
  p.setColor(QPalette::Base, ToQColor(value, palette()));
  viewport()->setPalette(p);
  RepaintAll();
}

void TWsStringGrid::SetDefaultRowHeight(int value) {
  if (value <= 0 || value == defaultRowHeight_) return;
  defaultRowHeight_ = value;
  verticalHeader()->setDefaultSectionSize(value);
  for (int i = 0; i < verticalHeader()->count(); ++i) verticalHeader()->resizeSection(i, value);
  header_->setFixedHeight(value);
  UpdateCellButton();
}

void TWsStringGrid::SetOptions(GridOptions value) {
  if (options_ == value) return;
  options_ = value;
  ApplyOptions();
  RepaintAll();
}

void TWsStringGrid::ApplyOptions() {
  setShowGrid((options_ & (goVertLine | goHorzLine)) != 0);
  setSelectionBehavior((options_ & goRowSelect) ? SelectRows : SelectItems);
  setSelectionMode(((options_ & goRangeSelect) && !(options_ & goRowSelect)) ? ContiguousSelection : SingleSelection);
  setEditTriggers((options_ & goEditing) ? (DoubleClicked | EditKeyPressed | AnyKeyPressed) : NoEditTriggers);
  setTabKeyNavigation((options_ & goTabs) != 0);
  header_->setSectionsMovable((options_ & goColMoving) != 0);
  verticalHeader()->setVisible((options_ & (goRowSizing | goRowMoving)) != 0);
  verticalHeader()->setSectionsMovable((options_ & goRowMoving) != 0);
  verticalHeader()->setSectionResizeMode((options_ & goRowSizing) ? QHeaderView::Interactive : QHeaderView::Fixed);
  // The header sizes columns itself only with column sizing on; the fixed columns' right edges are
  // handled by the grid (WsStringGrid_Header.cpp) either way.
  header_->setSectionResizeMode((options_ & goColSizing) ? QHeaderView::Interactive : QHeaderView::Fixed);
}

// ---- rows ----

int TWsStringGrid::GetRowCount() const { return empty_ ? 0 : dataRows_; }

void TWsStringGrid::SetRowCount(int value) {
  if (value < 0) throw EWsGridError(kWrongRowIndex);
  if (value == GetRowCount()) return;
  const bool wasEmpty = empty_;
  if (value < GetRowCount()) {
    DeleteRows(value, GetRowCount() - 1);
  } else {
    AddRows(value - GetRowCount());
  }
  if (wasEmpty) SelectCell(CurrentCol(), CurrentGridRow());
}

void TWsStringGrid::InsertRow(int index) {
  if (index < 0 || index > GetRowCount()) throw EWsGridError(kWrongRowIndex);
  const bool wasEmpty = empty_;
  if (!wasEmpty) model_->BeginInsert(index);
  try {
    columns_->InsertRow(index);
  } catch (...) {
    // Nothing was inserted: tell the view the rows it knows are the rows there are.
    if (!wasEmpty) {
      model_->EndInsert();
      model_->BeginReset();
      model_->EndReset();
      EnsureCurrentCell();
    }
    throw;
  }
  ++dataRows_;
  empty_ = false;
  if (!wasEmpty) {
    // The current row keeps its number, as the base grid's does; the view would move it down with its row.
    const QModelIndex before = currentIndex();
    model_->EndInsert();
    if (before.isValid() && currentIndex().row() != before.row()) SetCurrentDirectly(before.row() + 1, before.column());
  } else {
    model_->CellsChanged();
    EnsureCurrentCell();
  }
  RepaintAll();
}

void TWsStringGrid::AddRows(int count) {
  if (count < 0) throw EWsGridError(kWrongRowIndex);
  for (int i = 0; i < count; ++i) InsertRow(GetRowCount());
}

void TWsStringGrid::DeleteRows(int fromIndex, int toIndex) {
  if (fromIndex > toIndex) return;
  if (fromIndex < 0 || toIndex >= GetRowCount()) throw EWsGridError(kWrongRowIndex);
  HideCellButton();
  const int count = toIndex - fromIndex + 1;
  const int remaining = GetRowCount() - count;
  if (remaining > 0) {
    const QModelIndex cur = currentIndex();
    model_->BeginRemove(fromIndex, toIndex);
    for (int i = 0; i < count; ++i) columns_->DeleteRow(fromIndex);
    dataRows_ = remaining;
    model_->EndRemove();
    // The current row keeps its number, the last row when fewer are left, as the base grid's does; the
    // view would move it up with its row, or to the row before the deleted ones.
    const int keep = std::min(cur.row(), remaining - 1);
    if (cur.isValid() && currentIndex().row() != keep) SetCurrentDirectly(keep + 1, cur.column());
  } else {
    // The last data row becomes the blank row of an empty grid.
    const int shown = dataRows_;
    if (shown > 1) model_->BeginRemove(1, shown - 1);
    for (int i = 0; i < count; ++i) columns_->DeleteRow(fromIndex);
    dataRows_ = 0;
    empty_ = true;
    if (shown > 1) model_->EndRemove();
    model_->CellsChanged();
  }
  EnsureCurrentCell();
  RepaintAll();
  UpdateCellButton();
}

void TWsStringGrid::ExchangeRows(int a, int b) {
  columns_->ExchangeRows(a, b);
  model_->CellChanged(a, 0);
  RepaintAll();
}

// ---- current cell ----

int TWsStringGrid::CurrentCol() const {
  const QModelIndex cur = currentIndex();
  if (cur.isValid()) return cur.column();
  return std::min(fixedCols_, std::max(0, visibleColumns_->Count() - 1));
}

int TWsStringGrid::CurrentGridRow() const {
  const QModelIndex cur = currentIndex();
  return cur.isValid() ? cur.row() + 1 : 1;
}

void TWsStringGrid::SetCurrentDirectly(int gridRow, int col) {
  const QModelIndex index = model_->index(gridRow - 1, col);
  if (!index.isValid()) return;
  settingCurrent_ = true;
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (options_ & goRowSelect) flags |= QItemSelectionModel::Rows;
  selection_->setCurrentIndex(index, flags);
  settingCurrent_ = false;
}

// The grid always has a current cell once it has a column, as the base grid has.
void TWsStringGrid::EnsureCurrentCell() {
  if (currentIndex().isValid() || model_->rowCount() == 0 || model_->columnCount() == 0) return;
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (options_ & goRowSelect) flags |= QItemSelectionModel::Rows;
  selection_->setCurrentIndex(model_->index(0, std::min(fixedCols_, model_->columnCount() - 1)), flags);
}

void TWsStringGrid::RestoreSelection() {
  if (!currentIndex().isValid()) return;
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (options_ & goRowSelect) flags |= QItemSelectionModel::Rows;
  selection_->select(currentIndex(), flags);
}

int TWsStringGrid::GetSelectedRow() const {
  if (empty_) return -1;
  const QModelIndex cur = currentIndex();
  return cur.isValid() ? cur.row() : 0;
}

void TWsStringGrid::SetSelectedRow(int index) {
  if (empty_) return;
  if (index < 0 || index >= GetRowCount()) throw EWsGridError("Grid index out of range");
  QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
  if (options_ & goRowSelect) flags |= QItemSelectionModel::Rows;
  const QModelIndex target = model_->index(index, CurrentCol());
  selectVetoed_ = false;
  selection_->setCurrentIndex(target, flags);
  if (!selectVetoed_) scrollTo(target);
}

int TWsStringGrid::GetActiveCol() const { return visibleColumns_->Count() == 0 ? -1 : CurrentCol(); }

bool TWsStringGrid::SelectCell(int aCol, int aRow) {
  const int count = visibleColumns_->Count();
  if (count == 0) {
    activeColumn_ = nullptr;
    return false;
  }
  if (!empty_) {
    bool canSelect = true;
    if (OnSelectCell) {
      OnSelectCell(*this, aCol, aRow - 1, canSelect);
      if (!canSelect) return false;
    }
    InvalidateRow(GetSelectedRow() + 1);
    InvalidateRow(aRow);
    HideCellButton();
  }
  if (activeColumn_ != nullptr && activeColumn_->DisplayIndex() == aCol) return true;
  TWsGridColumn* old = activeColumn_;
  activeColumn_ = (aCol >= 0 && aCol < count) ? &visibleColumns_->Items(aCol) : nullptr;
  DoActiveColChanged(old, activeColumn_);
  return true;
}

void TWsStringGrid::DoActiveColChanged(TWsGridColumn* oldActiveCol, TWsGridColumn* newActiveCol) {
  if (oldActiveCol != nullptr && oldActiveCol->Visible()) InvalidateCol(oldActiveCol->DisplayIndex());
  if (newActiveCol != nullptr) InvalidateCol(newActiveCol->DisplayIndex());
  if (OnActiveColChanged) OnActiveColChanged(*this, oldActiveCol, newActiveCol);
}

void TWsStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  RepaintAll();
  UpdateCellButton();
  if ((options_ & goAlwaysShowEditor) && current.isValid() && state() != EditingState && CanEditShow())
    edit(current, AllEditTriggers, nullptr);
}

// ---- cells ----

void TWsStringGrid::CheckCell(int aCol, int aRow) const {
  if (aCol < 0 || aCol >= visibleColumns_->Count()) throw EWsGridError(kWrongColumnIndex);
  if (aRow < 0 || aRow >= GetRowCount()) throw EWsGridError(kWrongRowIndex);
}

std::string TWsStringGrid::GetCell(int aCol, int aRow) const {
  CheckCell(aCol, aRow);
  return visibleColumns_->Items(aCol).GetText(aRow);
}

void TWsStringGrid::SetCell(int aCol, int aRow, const std::string& value) {
  CheckCell(aCol, aRow);
  visibleColumns_->Items(aCol).SetText(aRow, value);
}

std::uint32_t TWsStringGrid::GetCellFlags(int aCol, int aRow) const {
  if (empty_ || visibleColumns_->Count() == 0) return 0;
  CheckCell(aCol, aRow);
  return visibleColumns_->Items(aCol).GetFlags(aRow);
}

void TWsStringGrid::SetCellFlags(int aCol, int aRow, std::uint32_t flags) {
  CheckCell(aCol, aRow);
  visibleColumns_->Items(aCol).SetFlags(aRow, flags);
}

std::uint32_t TWsStringGrid::GetCellKind(int aCol, int aRow) const {
  if (empty_ || visibleColumns_->Count() == 0) return 0;
  CheckCell(aCol, aRow);
  return visibleColumns_->Items(aCol).GetKind(aRow);
}

// ---- columns ----

void TWsStringGrid::UpdateVisibleColumns() {
  const int remembered = GetActiveCol();
  visibleColumns_->Clear();
  for (int i = 0; i < columns_->Count(); ++i)
    if (columns_->Items(i).Visible()) visibleColumns_->AddSorted(columns_->Items(i));
  visibleColumns_->Renumber();
  const int n = visibleColumns_->Count();
  fixedCols_ = n == 0 ? 0 : (wantedFixedCols_ < n ? wantedFixedCols_ : n - 1);
  UpdateColumns();
  // The re-selection asks for the first data row, or the header row while none is selected.
  if (GetActiveCol() != remembered) SelectCell(CurrentCol(), GetSelectedRow() < 0 ? 0 : 1);
}

void TWsStringGrid::UpdateColumns() {
  applyingColumns_ = true;
  const QModelIndex cur = currentIndex();
  const int row = cur.isValid() ? cur.row() + 1 : 1;
  const int col = cur.isValid() ? cur.column() : fixedCols_;
  model_->BeginReset();
  model_->EndReset();
  for (int i = 0; i < visibleColumns_->Count(); ++i) header_->resizeSection(i, visibleColumns_->Items(i).Width());
  ApplyOptions();
  // The view's new sections all show: the columns scrolled out of view are hidden again.
  ApplyLeftCol();
  // Like the base grid, the current cell never sits in a fixed column.
  if (model_->columnCount() > 0)
    SetCurrentDirectly(std::min(row, model_->rowCount()), std::clamp(col, fixedCols_, model_->columnCount() - 1));
  applyingColumns_ = false;
  ColWidthsChanged();
  RepaintAll();
}

void TWsStringGrid::ColWidthsChanged() {
  if (applyingColumns_) return;
  // A column scrolled out of view keeps its width; its hidden section has none.
  for (int i = 0; i < visibleColumns_->Count() && i < header_->count(); ++i)
    if (!header_->isSectionHidden(i)) visibleColumns_->Items(i).SetWidth(header_->sectionSize(i));
  UpdateCellButton();
}

void TWsStringGrid::InvalidateRow(int gridRow) {
  if (gridRow <= 0) {
    header_->viewport()->update();
    return;
  }
  const int row = gridRow - 1;
  if (row >= model_->rowCount()) return;
  viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

void TWsStringGrid::InvalidateCol(int col) {
  if (col < 0 || col >= header_->count()) return;
  header_->viewport()->update();
  viewport()->update(QRect(columnViewportPosition(col), 0, columnWidth(col), viewport()->height()));
}

void TWsStringGrid::ColumnsRearranged() {
  UpdateColumns();
  ActiveColumnFollowsCell();
}

void TWsStringGrid::ColumnCreated(TWsGridColumn& column) {
  if (visibleColumns_->AddSorted(column) == 0) {
    // The first visible column becomes the active one right away, so the current cell set below
    // finds it active and reports no second change.
    TWsGridColumn* old = activeColumn_;
    activeColumn_ = &column;
    DoActiveColChanged(old, &column);
  }
  UpdateColumns();
  EnsureCurrentCell();
}

void TWsStringGrid::ColumnRemoving(TWsGridColumn& column) {
  if (activeColumn_ == &column) activeColumn_ = nullptr;
  UpdateVisibleColumns();
  // The row argument is the selected data row as it is, not its grid row.
  SelectCell(CurrentCol(), GetSelectedRow());
}

void TWsStringGrid::ColumnVisibilityChanged(TWsGridColumn&) {
  UpdateVisibleColumns();
  activeColumn_ = nullptr;
  SelectCell(CurrentCol(), GetSelectedRow());
  EnsureCurrentCell();
}

void TWsStringGrid::ColumnWidthChanged(TWsGridColumn& column) {
  if (applyingColumns_ || column.DisplayIndex() < 0 || column.DisplayIndex() >= header_->count()) return;
  // A column scrolled out of view takes its width when it is shown again.
  if (header_->isSectionHidden(column.DisplayIndex())) {
    updateGeometries();
    return;
  }
  applyingColumns_ = true;
  header_->resizeSection(column.DisplayIndex(), column.Width());
  applyingColumns_ = false;
  ColWidthsChanged();
}

void TWsStringGrid::ColumnSortOrderChanged(TWsGridColumn& column) {
  if (autoSort_ && column.SortOrder() != csNone) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
      ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    Sort();
  } else {
    RepaintAll();
  }
}

void TWsStringGrid::ColumnCellChanged(TWsGridColumn& column, int row) {
  if (column.Visible()) model_->CellChanged(row, column.DisplayIndex());
  const QModelIndex cur = currentIndex();
  if (cur.isValid()) viewport()->update(visualRect(cur));
  UpdateCellButton();
}

void TWsStringGrid::ColumnLookChanged(TWsGridColumn&) {
  if (model_->columnCount() > 0) emit model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
  RepaintAll();
}

}  // namespace qmz
