// Grid columns, their cell storage and the ordered list of the visible ones.

#include "widgets/WsGridColumns.h"

#include <algorithm>
#include <limits>

#include "support/SysUtils.h"

namespace qmz {

namespace {

constexpr const char* kWrongColumnIndex = "Wrong column index";
constexpr const char* kWrongRowIndex = "Wrong row index";

bool NeedsQuotes(std::string_view line) {
  return std::any_of(line.begin(), line.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= 32 || c == '"' || c == ','; });
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// A NUL ends the stored text, as it ended the character buffer the text was read from.
bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= 32; }

}  // namespace

std::string TextToCommaList(std::string_view text) {
  std::string result;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t p = rest.find('\r');
    if (p == std::string_view::npos) p = rest.find('\n');
    if (p == std::string_view::npos) p = rest.size();
    const std::string_view line = rest.substr(0, p);
    if (NeedsQuotes(line)) {
      result += '"';
      for (char c : line) {
        result += c;
        if (c == '"') result += '"';
      }
      result += '"';
    } else {
      result += line;
    }
    if (p < rest.size()) result += ',';
    std::size_t skip = 1;
    if (p + 1 < rest.size() && rest[p] == '\r' && rest[p + 1] == '\n') skip = 2;
    rest = rest.substr(std::min(rest.size(), p + skip));
  }
  return result;
}

std::string CommaListToText(std::string_view list) {
  std::string result;
  const std::size_t n = std::min(list.size(), list.find('\0'));
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < n && IsBlank(list[i])) ++i;
  };
  skipBlanks();
  while (i < n) {
    if (list[i] == '"') {
      ++i;
      while (i < n) {
        if (list[i] == '"') {
          if (i + 1 < n && list[i + 1] == '"') {
            result += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        result += list[i++];
      }
    } else {
      while (i < n && !IsBlank(list[i]) && list[i] != ',') result += list[i++];
    }
    skipBlanks();
    if (i < n && list[i] == ',') {
      result += "\r\n";
      ++i;
      skipBlanks();
    }
  }
  return result;
}

// ---- TWsGridColumn ----

TWsGridColumn::TWsGridColumn(TWsGridColumns& collection) : collection_(&collection) {
  if (GridColumnsOwner* grid = collection.Grid()) {
    cells_.resize(static_cast<std::size_t>(std::max(0, grid->DataRowCount())));
    font_ = grid->GridCellFont();
    headerFont_ = grid->GridHeaderFont();
    width_ = grid->DefaultColumnWidth();
  } else {
    headerFont_.Bold = true;
  }
}

GridColumnsOwner* TWsGridColumn::Owner() const { return collection_->Grid(); }

int TWsGridColumn::Index() const {
  for (int i = 0; i < collection_->Count(); ++i)
    if (&collection_->Items(i) == this) return i;
  return -1;
}

void TWsGridColumn::SetIndex(int value) {
  collection_->MoveItem(Index(), value);
  SetDisplayIndex(value);
}

std::string TWsGridColumn::GetDisplayName() const { return caption_.empty() ? std::string("TWsGridColumn") : caption_; }

void TWsGridColumn::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  if (auto* g = Owner()) g->ColumnLookChanged(*this);
}

void TWsGridColumn::SetWidth(int value) {
  if (value == width_) return;
  width_ = value;
  if (auto* g = Owner(); g && visible_) g->ColumnWidthChanged(*this);
}

void TWsGridColumn::SetFont(const GridFont& value) {
  font_ = value;
  parentFont_ = false;
  if (auto* g = Owner()) g->ColumnLookChanged(*this);
}

void TWsGridColumn::SetHeaderFont(const GridFont& value) {
  headerFont_ = value;
  parentHeaderFont_ = false;
  if (auto* g = Owner()) g->ColumnLookChanged(*this);
}

void TWsGridColumn::SetColor(GridColor value) {
  if (value == color_) return;
  color_ = value;
  if (auto* g = Owner()) g->ColumnLookChanged(*this);
}

void TWsGridColumn::SetHeaderColor(GridColor value) {
  if (value == headerColor_) return;
  headerColor_ = value;
  if (auto* g = Owner()) g->ColumnLookChanged(*this);
}

void TWsGridColumn::SetAlignment(GridAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  if (auto* g = Owner()) g->ColumnLookChanged(*this);
}

void TWsGridColumn::SetDisplayIndex(int value) {
  if (value == displayIndex_) return;
  if (value < 0) throw EWsGridError(kWrongColumnIndex);
  auto* g = Owner();
  // A hidden column is not in the visible list; it takes the index when it is shown again.
  if (g == nullptr || g->ReadingStoredForm() || !visible_) {
    displayIndex_ = value;
    return;
  }
  TWsGridColumnList& list = g->VisibleColumnList();
  if (value >= list.Count()) throw EWsGridError(kWrongColumnIndex);
  list.Move(list.IndexOf(this), value);
  g->ColumnsRearranged();
}

void TWsGridColumn::SetName(const std::string& value) {
  if (value == name_) return;
  const TWsGridColumn* other = collection_->FindColumn(value);
  if (other != nullptr && other != this) throw EWsGridColumnsError(Format("Column name \"%s\" already exists", value));
  name_ = value;
}

void TWsGridColumn::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  if (auto* g = Owner()) g->ColumnVisibilityChanged(*this);
}

void TWsGridColumn::SetParentFont(bool value) {
  if (value == parentFont_) return;
  auto* g = Owner();
  if (value && g != nullptr && !g->ReadingStoredForm()) SetFont(g->GridCellFont());
  parentFont_ = value;
}

void TWsGridColumn::SetParentHeaderFont(bool value) {
  if (value == parentHeaderFont_) return;
  auto* g = Owner();
  if (value && g != nullptr && !g->ReadingStoredForm()) SetHeaderFont(g->GridHeaderFont());
  parentHeaderFont_ = value;
}

void TWsGridColumn::SetSortOrder(TColumnSorting value) {
  if (value == sortOrder_) return;
  sortOrder_ = value;
  if (auto* g = Owner()) g->ColumnSortOrderChanged(*this);
}

const GridCell& TWsGridColumn::Cell(int row) const {
  if (row < 0 || row >= static_cast<int>(cells_.size())) throw EWsGridError(kWrongRowIndex);
  return cells_[static_cast<std::size_t>(row)];
}

GridCell& TWsGridColumn::Cell(int row) {
  return const_cast<GridCell&>(static_cast<const TWsGridColumn*>(this)->Cell(row));
}

std::string TWsGridColumn::GetText(int row) const { return CommaListToText(Cell(row).Text); }

void TWsGridColumn::SetText(int row, const std::string& value) {
  GridCell& cell = Cell(row);
  switch (cell.State >> 16) {
    case kCellKindText:
      cell.Text = TextToCommaList(value);
      if (HasLineBreak(value)) SetFlags(row, GetFlags(row) | kCellMultiLine);
      break;
    case kCellKindInteger: {
      const std::string trimmed = Trim(value);
      const auto number = TryStrToInt(trimmed);
      if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
          *number > std::numeric_limits<std::int32_t>::max())
        throw EConvertError(Format("'%s' is not a valid integer value", trimmed));
      cell.Text = IntToStr(*number);
      break;
    }
    default:
      break;
  }
  if (auto* g = Owner()) g->ColumnCellChanged(*this, row);
}

std::uint32_t TWsGridColumn::GetFlags(int row) const { return Cell(row).State & 7; }

std::uint32_t TWsGridColumn::GetKind(int row) const { return Cell(row).State >> 16; }

void TWsGridColumn::SetFlags(int row, std::uint32_t flags) {
  GridCell& cell = Cell(row);
  if (flags == (cell.State & 7)) return;
  if (HasLineBreak(CommaListToText(cell.Text))) flags |= kCellMultiLine;
  const std::uint32_t kind = cell.State >> 16;
  if (kind == kCellKindInteger) flags &= ~(kCellMultiLine | kCellButton);
  cell.State = (flags & 7) | (kind << 16);
  if (auto* g = Owner(); g && visible_) g->ColumnCellChanged(*this, row);
}

void TWsGridColumn::SetKind(int row, std::uint32_t kind) {
  GridCell& cell = Cell(row);
  cell.State = (cell.State & 7) | ((kind & 127) << 16);
  if (auto* g = Owner(); g && visible_) g->ColumnCellChanged(*this, row);
}

// ---- TWsGridColumns ----

TWsGridColumns::~TWsGridColumns() {
  grid_ = nullptr;
  items_.clear();
}

TWsGridColumn& TWsGridColumns::Items(int index) const {
  if (index < 0 || index >= Count()) throw EWsGridError(kWrongColumnIndex);
  return *items_[static_cast<std::size_t>(index)];
}

TWsGridColumn& TWsGridColumns::Add() {
  items_.push_back(std::unique_ptr<TWsGridColumn>(new TWsGridColumn(*this)));
  TWsGridColumn& column = *items_.back();
  if (grid_ != nullptr) grid_->ColumnCreated(column);
  return column;
}

void TWsGridColumns::Delete(int index) {
  TWsGridColumn& column = Items(index);
  column.visible_ = false;
  if (grid_ != nullptr) grid_->ColumnRemoving(column);
  items_.erase(items_.begin() + index);
}

void TWsGridColumns::Clear() {
  while (Count() > 0) Delete(Count() - 1);
}

void TWsGridColumns::Assign(const TWsGridColumns& source) {
  if (&source == this) return;
  Clear();
  for (const auto& from : source.items_) {
    TWsGridColumn& to = Add();
    to.SetCaption(from->caption_);
    to.SetWidth(from->width_);
    if (!from->parentFont_) to.SetFont(from->font_);
    if (!from->parentHeaderFont_) to.SetHeaderFont(from->headerFont_);
    to.SetColor(from->color_);
    to.SetHeaderColor(from->headerColor_);
    to.SetName(from->name_);
    to.SetReadOnly(from->readOnly_);
    to.SetImeName(from->imeName_);
    to.SetImeMode(from->imeMode_);
    to.SetAlignment(from->alignment_);
    to.SetVisible(from->visible_);
    to.SetSortOrder(from->sortOrder_);
  }
}

TWsGridColumn* TWsGridColumns::FindColumn(std::string_view name) const {
  for (const auto& c : items_)
    if (SameText(c->name_, name)) return c.get();
  return nullptr;
}

void TWsGridColumns::InsertRow(int index) {
  for (const auto& c : items_)
    if (index < 0 || index > static_cast<int>(c->cells_.size())) throw EWsGridError(kWrongRowIndex);
  // Room first, so the insertions below cannot fail half-way through the columns.
  for (const auto& c : items_) c->cells_.reserve(c->cells_.size() + 1);
  for (const auto& c : items_) c->cells_.insert(c->cells_.begin() + index, GridCell{});
}

void TWsGridColumns::DeleteRow(int index) {
  for (const auto& c : items_)
    if (index < 0 || index >= static_cast<int>(c->cells_.size())) throw EWsGridError(kWrongRowIndex);
  for (const auto& c : items_) c->cells_.erase(c->cells_.begin() + index);
}

void TWsGridColumns::ExchangeRows(int a, int b) {
  for (const auto& c : items_) {
    const int n = static_cast<int>(c->cells_.size());
    if (a < 0 || a >= n || b < 0 || b >= n) throw EWsGridError(kWrongRowIndex);
  }
  const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
  for (const auto& c : items_) std::swap(c->cells_[ia], c->cells_[ib]);
}

void TWsGridColumns::MoveRow(int from, int to) {
  for (const auto& c : items_) {
    const int n = static_cast<int>(c->cells_.size());
    if (from < 0 || from >= n || to < 0 || to >= n) throw EWsGridError(kWrongRowIndex);
  }
  for (const auto& c : items_) {
    auto first = c->cells_.begin();
    if (from < to) {
      std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
      std::rotate(first + to, first + from, first + from + 1);
    }
  }
}

void TWsGridColumns::MoveItem(int from, int to) {
  if (from < 0 || from >= Count() || to < 0 || to >= Count()) throw EWsGridError(kWrongColumnIndex);
  auto item = std::move(items_[static_cast<std::size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
}

// ---- TWsGridColumnList ----

TWsGridColumn& TWsGridColumnList::Items(int index) const {
  if (index < 0 || index >= Count()) throw EWsGridError(kWrongColumnIndex);
  return *items_[static_cast<std::size_t>(index)];
}

int TWsGridColumnList::IndexOf(const TWsGridColumn* column) const {
  const auto it = std::find(items_.begin(), items_.end(), column);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TWsGridColumnList::Move(int fromIndex, int toIndex) {
  if (fromIndex < 0 || fromIndex >= Count() || toIndex < 0 || toIndex >= Count()) throw EWsGridError(kWrongColumnIndex);
  TWsGridColumn* column = items_[static_cast<std::size_t>(fromIndex)];
  items_.erase(items_.begin() + fromIndex);
  items_.insert(items_.begin() + toIndex, column);
  Renumber();
}

void TWsGridColumnList::Renumber() {
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->displayIndex_ = static_cast<int>(i);
}

int TWsGridColumnList::AddSorted(TWsGridColumn& column) {
  if (column.displayIndex_ == -1) column.displayIndex_ = Count();
  const auto it = std::find_if(items_.begin(), items_.end(),
                               [&](const TWsGridColumn* c) { return c->displayIndex_ > column.displayIndex_; });
  const auto pos = items_.insert(it, &column);
  return static_cast<int>(pos - items_.begin());
}

}  // namespace qmz
