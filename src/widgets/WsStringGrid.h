#pragma once
// A grid of text cells kept by column (WsGridColumns.h): a header row with one cell per visible column,
// data rows below it addressed from 0, its own colours for the current column, the selected row and
// the current column's header, sorting by columns and in-place editing. Built on QTableView: the model,
// the delegate and the header live in WsStringGrid_Parts.h; the grid keeps every piece of state itself.

#include <QPlainTextEdit>
#include <QTableView>

#include <functional>
#include <memory>
#include <string>

#include "widgets/WsGridColumns.h"

class QPushButton;

namespace qmz {

class TWsStringGrid;
class WsGridModel;
class WsGridDelegate;
class WsGridHeader;
class WsGridSelectionModel;

// The base grid's options.
enum GridOption : unsigned {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6,
  goColSizing = 1u << 7,
  goRowMoving = 1u << 8,
  goColMoving = 1u << 9,
  goEditing = 1u << 10,
  goTabs = 1u << 11,
  goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13,
  goThumbTracking = 1u << 14,
};
using GridOptions = unsigned;

// The state a cell is drawn in.
enum GridDrawState : unsigned { gdSelected = 1u, gdFocused = 2u, gdFixed = 4u };

struct TWsCellProperties {
  GridFont Font;
  GridColor Color = kGridColorNone;
  GridAlignment Alignment = GridAlignment::Left;
};

// The in-place editor: one line, or several with a scroll bar for a multi-line cell.
class TWsSGInplaceEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  TWsSGInplaceEdit(TWsStringGrid& grid, QWidget* parent);
  virtual void CheckSelChange();
  virtual void UpdateStyle(int aCol, int aRow);
  bool MultiLine() const { return multiLine_; }
  // The input method the cell's column asks for; Qt itself picks the input method, so these are kept for
  // whoever asks the editor.
  const std::string& ImeName() const { return imeName_; }
  int ImeMode() const { return imeMode_; }
  // True while the editor writes its text into the cell (always-shown editor).
  bool Writing() const { return writing_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  TWsStringGrid& grid_;
  int reportedSelLength_ = 0;
  bool multiLine_ = false;
  std::string imeName_;
  int imeMode_ = 0;
  bool writing_ = false;
};

class TWsStringGrid : public QTableView, public GridColumnsOwner {
  Q_OBJECT

 public:
  explicit TWsStringGrid(QWidget* parent = nullptr);
  ~TWsStringGrid() override;

  // ---- properties ----
  GridColor ActiveHeaderColor() const { return activeHeaderColor_; }
  void SetActiveHeaderColor(GridColor value) { SetColorProperty(activeHeaderColor_, value); }
  const GridFont& ActiveHeaderFont() const { return activeHeaderFont_; }
  void SetActiveHeaderFont(const GridFont& value) { SetFontProperty(activeHeaderFont_, value); }
  GridColor ActiveColColor() const { return activeColColor_; }
  void SetActiveColColor(GridColor value);
  GridColor ActiveRowColor() const { return activeRowColor_; }
  void SetActiveRowColor(GridColor value) { SetColorProperty(activeRowColor_, value); }
  GridColor ActiveRowFontColor() const { return activeRowFontColor_; }
  void SetActiveRowFontColor(GridColor value);
  GridColor ActiveFixedColor() const { return activeFixedColor_; }
  void SetActiveFixedColor(GridColor value) { SetColorProperty(activeFixedColor_, value); }
  const GridFont& ActiveFixedFont() const { return activeFixedFont_; }
  void SetActiveFixedFont(const GridFont& value) { SetFontProperty(activeFixedFont_, value); }
  bool AutoSort() const { return autoSort_; }
  void SetAutoSort(bool value);
  bool DefaultLook() const { return defaultLook_; }
  void SetDefaultLook(bool value);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int value);
  // The first column shown after the fixed ones (FixedCols while the view is not scrolled sideways).
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int value);
  GridColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(GridColor value) { SetColorProperty(fixedColor_, value); }
  const GridFont& FixedFont() const { return fixedFont_; }
  void SetFixedFont(const GridFont& value) { SetFontProperty(fixedFont_, value); }
  GridColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(GridColor value) { SetColorProperty(headerColor_, value); }
  const GridFont& HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const GridFont& value);
  GridColor SelectedColor() const { return selectedColor_; }
  void SetSelectedColor(GridColor value) { SetColorProperty(selectedColor_, value); }
  GridColor SelectedFontColor() const { return selectedFontColor_; }
  void SetSelectedFontColor(GridColor value) { SetColorProperty(selectedFontColor_, value); }
  GridColor Color() const { return color_; }
  void SetColor(GridColor value);
  const GridFont& Font() const { return font_; }
  void SetFont(const GridFont& value);
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int value);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int value) { defaultColWidth_ = value; }
  GridOptions Options() const { return options_; }
  void SetOptions(GridOptions value);

  // Form loading: display indexes and parent-font flags are only stored until EndLoad, which rebuilds the
  // visible columns once from them.
  void BeginLoad() { loading_ = true; }
  void EndLoad();
  bool Loading() const { return loading_; }

  TWsGridColumns& Columns() { return *columns_; }
  void SetColumns(const TWsGridColumns& value) { columns_->Assign(value); }
  TWsGridColumnList& VisibleColumns() { return *visibleColumns_; }
  bool Empty() const { return empty_; }
  TWsGridColumn* ActiveColumn() const { return activeColumn_; }

  // ---- rows (data-row indexes from 0) ----
  int RowCount() const { return GetRowCount(); }
  int GetRowCount() const;
  void SetRowCount(int value);
  void InsertRow(int index);
  void AddRows(int count);
  void AddRow() { AddRows(1); }
  void DeleteRows(int fromIndex, int toIndex);
  void DeleteRow(int index) { DeleteRows(index, index); }
  void ExchangeRows(int a, int b);

  // ---- selection ----
  int GetSelectedRow() const;
  void SetSelectedRow(int index);
  int GetActiveCol() const;
  // May the cell (visible column, grid row) become current? Also recomputes the active column.
  virtual bool SelectCell(int aCol, int aRow);
  virtual void DoActiveColChanged(TWsGridColumn* oldActiveCol, TWsGridColumn* newActiveCol);

  // ---- cells (visible-column index, data-row index) ----
  std::string GetCell(int aCol, int aRow) const;
  void SetCell(int aCol, int aRow, const std::string& value);
  std::uint32_t GetCellFlags(int aCol, int aRow) const;
  void SetCellFlags(int aCol, int aRow, std::uint32_t flags);
  std::uint32_t GetCellKind(int aCol, int aRow) const;

  // ---- columns ----
  void UpdateVisibleColumns();
  void UpdateColumns();
  void InvalidateRow(int gridRow);
  void InvalidateCol(int col);

  // ---- sorting ----
  void Sort();
  int CompareRows(int index1, int index2);
  int DefaultCompareRows(int index1, int index2) const;
  const TWsGridColumnList* SortedColumns() const { return sortedColumns_.get(); }

  // ---- editing and the cell button ----
  bool CanEditShow() const;
  std::string GetEditText(int aCol, int aRow);
  void SetEditText(int aCol, int aRow, const std::string& value);
  bool IsButtonCell(int aCol, int row) const;
  void ShowCellButton(int aCol, int row);
  void HideCellButton();
  void CellButtonClick();
  QPushButton* CellButton() const { return cellButton_; }

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

  // Paints one cell; aCol a visible-column index, aRow a grid row (0 = header).
  void DrawCell(QPainter& painter, int aCol, int aRow, const QRect& rect, unsigned state);

  // ---- events (Sender first) ----
  std::function<void(TWsStringGrid&, int aCol, int aRow, bool& canSelect)> OnSelectCell;
  std::function<void(TWsStringGrid&, TWsGridColumn* oldCol, TWsGridColumn* newCol)> OnActiveColChanged;
  std::function<void(TWsStringGrid&, int aCol, int aRow, TWsCellProperties& props)> OnGetCellProps;
  std::function<void(TWsStringGrid&, QPainter&, int aCol, int aRow, const QRect&, unsigned state)> OnDrawCell;
  std::function<void(TWsStringGrid&, QPainter&, int aCol, const QRect&, unsigned state)> OnDrawHeader;
  std::function<void(TWsStringGrid&, int aCol, int aRow, std::string& value)> OnGetEditText;
  std::function<void(TWsStringGrid&, int aCol, int aRow, const std::string& value)> OnSetEditText;
  std::function<void(TWsStringGrid&, int aCol, int aRow, const std::string& value)> OnCancelEdit;
  std::function<void(TWsStringGrid&)> OnSelChange;
  std::function<void(TWsStringGrid&)> OnButtonClick;
  std::function<void(TWsStringGrid&, int aCol)> OnHeaderClick;
  std::function<void(TWsStringGrid&, int fromIndex, int toIndex)> OnColumnMoved;
  // F, the data row moved, and T, its insertion index (one more than the destination for a move down).
  std::function<void(TWsStringGrid&, int fromIndex, int toIndex)> OnRowMoved;
  std::function<void(const TWsGridColumnList& sortedColumns, int index1, int index2, int& result)> OnCompareRows;
  std::function<void(TWsStringGrid&, int x, int y)> OnContextPopup;

  // ---- GridColumnsOwner ----
  int DefaultColumnWidth() const override { return defaultColWidth_; }
  const GridFont& GridCellFont() const override { return font_; }
  const GridFont& GridHeaderFont() const override { return headerFont_; }
  int DataRowCount() const override { return GetRowCount(); }
  bool ReadingStoredForm() const override { return loading_; }
  TWsGridColumnList& VisibleColumnList() override { return *visibleColumns_; }
  void ColumnCreated(TWsGridColumn& column) override;
  void ColumnRemoving(TWsGridColumn& column) override;
  void ColumnVisibilityChanged(TWsGridColumn& column) override;
  void ColumnWidthChanged(TWsGridColumn& column) override;
  void ColumnSortOrderChanged(TWsGridColumn& column) override;
  void ColumnsRearranged() override;
  void ColumnCellChanged(TWsGridColumn& column, int row) override;
  void ColumnLookChanged(TWsGridColumn& column) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void updateGeometries() override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void resizeEvent(QResizeEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  friend class WsGridModel;
  friend class WsGridDelegate;
  friend class WsGridHeader;
  friend class WsGridSelectionModel;
  friend class TWsSGInplaceEdit;

  void SetColorProperty(GridColor& field, GridColor value);
  void SetFontProperty(GridFont& field, const GridFont& value);
  void CheckCell(int aCol, int aRow) const;
  int CurrentCol() const;
  int CurrentGridRow() const;
  void SetCurrentDirectly(int gridRow, int col);
  void EnsureCurrentCell();
  void ActiveColumnFollowsCell();
  void RestoreSelection();
  void UpdateCellButton();
  void ApplyOptions();
  void ColWidthsChanged();
  void HeaderClicked(int col);
  void SectionMoved(int fromIndex, int toIndex);
  void RowSectionMoved(int fromIndex, int toIndex);
  void RowSectionResized(int row, int newSize);
  void QuickSortRows(int l, int r);
  int MaxLeftCol() const;
  int ScrolledWidth(int fromCol, int toCol) const;
  int ScrollRoom() const;
  void ApplyLeftCol();
  void SyncHorizontalBar();
  void RepaintAll();
  void CommitAndClose(TWsSGInplaceEdit* editor);

  std::unique_ptr<TWsGridColumns> columns_;
  std::unique_ptr<TWsGridColumnList> visibleColumns_;
  std::unique_ptr<TWsGridColumnList> sortedColumns_;
  WsGridModel* model_ = nullptr;
  WsGridDelegate* delegate_ = nullptr;
  WsGridHeader* header_ = nullptr;
  WsGridSelectionModel* selection_ = nullptr;
  QPushButton* cellButton_ = nullptr;

  int wantedFixedCols_ = 0;
  int fixedCols_ = 0;
  int leftCol_ = 0;
  bool syncingScrollBar_ = false;  // the horizontal scroll bar is being set to LeftCol, not moved by the user
  bool empty_ = true;
  int dataRows_ = 0;
  TWsGridColumn* activeColumn_ = nullptr;
  bool applyingColumns_ = false;
  bool cancelling_ = false;
  // Header mouse state: a fixed column being sized from its right edge, and a header cell pressed.
  bool sizing_ = false;
  bool overSizingEdge_ = false;
  bool overHeaderSplit_ = false;  // the header's own sizing edge (column sizing on) is under the mouse
  int sizingCol_ = 0;
  int lastX_ = 0;
  int pressedCol_ = -1;
  bool selectVetoed_ = false;
  bool settingCurrent_ = false;
  bool loading_ = false;

  GridColor activeHeaderColor_ = 0x808080;
  GridFont activeHeaderFont_{"MS Sans Serif", 8, 0xFFFFFF, true, false};
  GridColor activeColColor_ = kGridColorNone;
  GridColor activeRowColor_ = 0xFF000018;
  GridColor activeRowFontColor_ = kGridColorNone;
  GridColor activeFixedColor_ = 0x808080;
  GridFont activeFixedFont_{"MS Sans Serif", 8, 0xFFFFFF, false, false};
  bool autoSort_ = true;
  bool defaultLook_ = false;
  GridColor fixedColor_ = 0xFF00000F;
  GridFont fixedFont_{"MS Sans Serif", 8, 0xFF000008, false, false};
  GridColor headerColor_ = 0xFF00000F;
  GridFont headerFont_{"MS Sans Serif", 8, 0xFF000008, true, false};
  GridColor selectedColor_ = 0xFF00000D;
  GridColor selectedFontColor_ = 0xFF00000E;
  GridColor color_ = 0xFF000005;
  GridFont font_{"MS Sans Serif", 8, 0xFF000008, false, false};
  int defaultRowHeight_ = 18;
  int defaultColWidth_ = 64;
  GridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
};

}  // namespace qmz
