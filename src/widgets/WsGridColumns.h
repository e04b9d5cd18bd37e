#pragma once
// The string grid keeps its data by column: every column owns its display properties and one cell per
// data row. This layer is plain C++; the grid (WsStringGrid.h) hears about changes through
// GridColumnsOwner, and columns without a grid work on their own with the defaults below.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qmz {

// The class library's 32-bit colour values: $00BBGGRR plain, $FF0000nn system colour nn.
using GridColor = std::uint32_t;
constexpr GridColor kGridColorNone = 0x1FFFFFFF;
constexpr GridColor kGridColorDefault = 0x20000000;

// A font as the grid describes it; the widget turns it into a QFont where it paints.
struct GridFont {
  std::string Name = "MS Sans Serif";
  int Size = 8;                  // points
  GridColor Color = 0xFF000008;  // window text
  bool Bold = false;
  bool Italic = false;
  bool operator==(const GridFont&) const = default;
};

enum TColumnSorting { csNone, csAsc, csDsc };
enum class GridAlignment { Left, Right, Center };

// Bits of a cell's state word: flags in bits 0..2, the kind in bits 16..22.
constexpr std::uint32_t kCellMultiLine = 1;
constexpr std::uint32_t kCellButton = 2;
constexpr std::uint32_t kCellReadOnly = 4;
constexpr std::uint32_t kCellKindText = 0;
constexpr std::uint32_t kCellKindInteger = 1;

class EWsGridError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EWsGridColumnsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The stored form of a cell: its lines as a comma list, quoted where needed.
std::string TextToCommaList(std::string_view text);
// The text of a stored cell; every line break comes back as CR LF.
std::string CommaListToText(std::string_view list);

class TWsGridColumn;
class TWsGridColumnList;

// What a column needs from the grid it belongs to.
class GridColumnsOwner {
 public:
  virtual ~GridColumnsOwner() = default;
  virtual int DefaultColumnWidth() const = 0;
  virtual const GridFont& GridCellFont() const = 0;
  virtual const GridFont& GridHeaderFont() const = 0;
  virtual int DataRowCount() const = 0;
  virtual bool ReadingStoredForm() const = 0;  // the grid is being loaded from its stored form
  virtual TWsGridColumnList& VisibleColumnList() = 0;

  virtual void ColumnCreated(TWsGridColumn& column) = 0;
  virtual void ColumnRemoving(TWsGridColumn& column) = 0;
  virtual void ColumnVisibilityChanged(TWsGridColumn& column) = 0;
  virtual void ColumnWidthChanged(TWsGridColumn& column) = 0;
  virtual void ColumnSortOrderChanged(TWsGridColumn& column) = 0;
  virtual void ColumnsRearranged() = 0;  // display indexes changed: apply the columns
  virtual void ColumnCellChanged(TWsGridColumn& column, int row) = 0;
  virtual void ColumnLookChanged(TWsGridColumn& column) = 0;
};

struct GridCell {
  std::string Text;  // comma-list form
  std::uint32_t State = 0;
};

class TWsGridColumns;

class TWsGridColumn {
 public:
  TWsGridColumn(const TWsGridColumn&) = delete;
  TWsGridColumn& operator=(const TWsGridColumn&) = delete;
  ~TWsGridColumn() = default;

  TWsGridColumns& Collection() const { return *collection_; }
  int Index() const;         // position in the collection
  void SetIndex(int value);  // moves the item in the collection and to that display index
  std::string GetDisplayName() const;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  int Width() const { return width_; }
  void SetWidth(int value);
  const GridFont& Font() const { return font_; }
  void SetFont(const GridFont& value);
  GridColor Color() const { return color_; }
  void SetColor(GridColor value);
  GridColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(GridColor value);
  const GridFont& HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const GridFont& value);
  int DisplayIndex() const { return displayIndex_; }
  void SetDisplayIndex(int value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  TColumnSorting SortOrder() const { return sortOrder_; }
  void SetSortOrder(TColumnSorting value);
  const std::string& ImeName() const { return imeName_; }
  void SetImeName(const std::string& value) { imeName_ = value; }
  int ImeMode() const { return imeMode_; }
  void SetImeMode(int value) { imeMode_ = value; }
  GridAlignment Alignment() const { return alignment_; }
  void SetAlignment(GridAlignment value);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);
  bool ParentHeaderFont() const { return parentHeaderFont_; }
  void SetParentHeaderFont(bool value);

  const std::vector<GridCell>& Cells() const { return cells_; }
  // Row is a data-row index; out of range raises EWsGridError "Wrong row index".
  std::string GetText(int row) const;
  void SetText(int row, const std::string& value);
  std::uint32_t GetFlags(int row) const;
  std::uint32_t GetKind(int row) const;
  void SetFlags(int row, std::uint32_t flags);
  // No operation of the grid gives a cell another kind; this is the one way to do it.
  void SetKind(int row, std::uint32_t kind);
  const std::string& StoredText(int row) const { return Cell(row).Text; }

 private:
  friend class TWsGridColumns;
  friend class TWsGridColumnList;
  explicit TWsGridColumn(TWsGridColumns& collection);
  GridColumnsOwner* Owner() const;
  const GridCell& Cell(int row) const;
  GridCell& Cell(int row);

  TWsGridColumns* collection_;
  std::string caption_;
  int width_ = 64;
  GridFont font_;
  GridColor color_ = kGridColorNone;
  GridColor headerColor_ = kGridColorNone;
  GridFont headerFont_;
  int displayIndex_ = -1;
  std::string name_;
  bool readOnly_ = false;
  std::vector<GridCell> cells_;
  bool visible_ = true;
  TColumnSorting sortOrder_ = csNone;
  std::string imeName_;
  int imeMode_ = 0;
  GridAlignment alignment_ = GridAlignment::Left;
  bool parentFont_ = true;
  bool parentHeaderFont_ = true;
};

class TWsGridColumns {
 public:
  explicit TWsGridColumns(GridColumnsOwner* grid = nullptr) : grid_(grid) {}
  TWsGridColumns(const TWsGridColumns&) = delete;
  TWsGridColumns& operator=(const TWsGridColumns&) = delete;
  virtual ~TWsGridColumns();

  GridColumnsOwner* Grid() const { return grid_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TWsGridColumn& Items(int index) const;  // EWsGridError "Wrong column index" outside the collection
  TWsGridColumn& Add();
  void Delete(int index);
  void Clear();
  // Copies the columns' properties (not their cells); the columns of this collection are replaced.
  void Assign(const TWsGridColumns& source);
  TWsGridColumn* FindColumn(std::string_view name) const;

  // Row bookkeeping over every column, visible or not. A failure leaves every column as it was.
  virtual void InsertRow(int index);
  virtual void DeleteRow(int index);
  void ExchangeRows(int a, int b);
  // Moves row from to position to in every column.
  void MoveRow(int from, int to);

 private:
  friend class TWsGridColumn;
  void MoveItem(int from, int to);

  GridColumnsOwner* grid_;
  std::vector<std::unique_ptr<TWsGridColumn>> items_;
};

// The visible columns in display order; entry i has DisplayIndex i after every change.
class TWsGridColumnList {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TWsGridColumn& Items(int index) const;  // EWsGridError "Wrong column index" outside the list
  int IndexOf(const TWsGridColumn* column) const;
  void Move(int fromIndex, int toIndex);
  void Renumber();
  int AddSorted(TWsGridColumn& column);
  void Clear() { items_.clear(); }

 private:
  std::vector<TWsGridColumn*> items_;
};

}  // namespace qmz
