#include "app/core/uFormGrid_Table.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/MemoryPages.h"
#include "app/core/uFormGrid_Csv.h"

namespace qmz {

std::string_view TRouteTable::RowText(std::size_t Row) const {
  if (Row >= order_.size()) return {};
  const std::uint32_t r = order_[Row];
  return std::string_view(text_).substr(std::size_t(starts_[r]), std::size_t(starts_[r + 1] - starts_[r]));
}

std::size_t TRouteTable::FieldCount(std::size_t Row) const {
  const std::string_view t = RowText(Row);
  return std::size_t(std::count(t.begin(), t.end(), '\0'));
}

std::string_view TRouteTable::Field(std::size_t Row, int Column) const {
  std::string_view t = RowText(Row);
  for (int c = 0; c < Column && !t.empty(); ++c) t.remove_prefix(t.find('\0') + 1);
  return t.substr(0, t.find('\0'));
}

TRouteRow TRouteTable::Row(std::size_t Row) const {
  TRouteRow out;
  std::string_view t = RowText(Row);
  for (bool first = true; !t.empty(); first = false) {
    const std::size_t end = t.find('\0');
    if (first) out.Caption = t.substr(0, end);
    else out.SubItems.emplace_back(t.substr(0, end));
    t.remove_prefix(end + 1);
  }
  return out;
}

void TRouteTable::Fields(std::size_t Row, std::vector<std::string_view>& Out) const {
  Out.clear();
  for (std::string_view t = RowText(Row); !t.empty(); t.remove_prefix(Out.back().size() + 1))
    Out.push_back(t.substr(0, t.find('\0')));
}

void TRouteTable::Append(const TRouteRow& Row) {
  AddField(Row.Caption);
  for (const std::string& s : Row.SubItems) AddField(s);
  EndRow();
}

void TRouteTable::AddField(std::string_view Text) {
  text_ += Text.substr(0, Text.find('\0'));
  text_ += '\0';
}

void TRouteTable::EndRow() {
  if (starts_.empty()) starts_.push_back(0);
  order_.push_back(std::uint32_t(starts_.size() - 1));
  starts_.push_back(text_.size());
}

bool TRouteTable::AppendCsvRecord(std::string_view Record, std::size_t* Fields) {
  std::size_t n = SplitCsvRecord(Record, text_, '\0');
  // An empty field ends with two NULs in a row: the one of the field before and its own.
  while (n > std::size_t(RouteColumnCount) && text_.size() >= 2 && text_[text_.size() - 2] == '\0') {
    text_.pop_back();
    --n;
  }
  if (Fields != nullptr) *Fields = n;
  if (n == 0) return false;
  if (starts_.empty()) starts_.push_back(0);
  order_.push_back(std::uint32_t(starts_.size() - 1));
  starts_.push_back(text_.size());
  return true;
}

void TRouteTable::Reorder(const std::vector<std::uint32_t>& Order) {
  if (Order.size() != order_.size()) return;
  std::vector<std::uint32_t> next(order_.size());
  for (std::size_t n = 0; n < Order.size(); ++n) next[n] = order_[Order[n]];
  order_ = std::move(next);
}

void TRouteTable::Reserve(std::size_t Bytes, std::size_t Rows) {
  // Only the pages written to cost memory: reserving the most the file can need is cheap.
  text_.reserve(text_.size() + Bytes);
  starts_.reserve(starts_.size() + Rows + 1);
  order_.reserve(order_.size() + Rows);
}

void TRouteTable::Clear() {
  std::string().swap(text_);
  std::vector<std::uint64_t>().swap(starts_);
  std::vector<std::uint32_t>().swap(order_);
}

void TRouteTable::Clear(const std::function<void()>& Between, std::size_t SliceBytes) {
  std::string text = std::exchange(text_, std::string());
  Clear();
  const std::size_t slice = std::max<std::size_t>(SliceBytes, 1);
  // Only the written bytes hold pages; the rest of the block goes with the string at no cost.
  for (std::size_t at = 0; at + slice < text.size(); at += slice) {
    platform::DiscardPages(text.data() + at, slice);
    if (Between) Between();
  }
}

std::vector<std::uint32_t> RouteOrder(const TRouteTable& Rows, int ParamSort, const TRouteTick& Tick) {
  const int column = RouteSortColumn(ParamSort);
  return RouteOrder(
      Rows.Count(), ParamSort, [&](std::size_t i) { return Rows.Field(i, column); }, Tick);
}

}  // namespace qmz
