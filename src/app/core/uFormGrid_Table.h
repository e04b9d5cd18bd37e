#pragma once
// The route list's rows held compactly: all texts in one block, each field ended by a NUL (a NUL is
// never part of a field), one offset per row, and the shown order as positions. A list of a million and
// a half loaded routes then costs little more than its file, and clearing it gives every byte back.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/uFormGrid_Rows.h"

namespace qmz {

// The most rows a table holds: as many as a list view can count.
inline constexpr std::size_t RouteTableMaxRows = 0x7FFFFFFF;

class TRouteTable {
 public:
  std::size_t Count() const { return order_.size(); }
  // Fields of the row (the caption and its sub-items) as they were given or read: none are added.
  std::size_t FieldCount(std::size_t Row) const;
  // Field Column of the row (0 the caption); empty where the row has none.
  std::string_view Field(std::size_t Row, int Column) const;
  TRouteRow Row(std::size_t Row) const;
  // The row's fields in order, into Out (emptied first): one walk over the row.
  void Fields(std::size_t Row, std::vector<std::string_view>& Out) const;

  // A text is cut at a NUL inside it.
  void Append(const TRouteRow& Row);
  // Builds a row in place, without a TRouteRow between: AddField for the caption and then for each
  // sub-item, EndRow to add the row. Fields not yet ended by EndRow belong to no row.
  void AddField(std::string_view Text);
  void EndRow();
  // Appends the row of one CSV record (SplitCsvRecord); false (nothing added) when it holds no field. Empty
  // fields after the list's last column are not kept: spreadsheets add such a column.
  bool AppendCsvRecord(std::string_view Record, std::size_t* Fields = nullptr);
  // Reorders the shown rows: element n of Order is the shown row that comes n-th.
  void Reorder(const std::vector<std::uint32_t>& Order);
  // Room for the texts and rows about to come (bytes at most, rows at most).
  void Reserve(std::size_t Bytes, std::size_t Rows);
  // Empties the table and frees its memory.
  void Clear();
  // The same, giving the texts' memory back SliceBytes at a time with Between() after each slice: the
  // texts of millions of rows take longer to give back than the window may go without its message pump.
  // The table is empty already when Between first runs.
  void Clear(const std::function<void()>& Between, std::size_t SliceBytes = std::size_t(1) << 25);
  // The bytes the rows' fields take, their ends included.
  std::size_t TextSize() const { return text_.size(); }

 private:
  std::string_view RowText(std::size_t Row) const;

  std::string text_;
  std::vector<std::uint64_t> starts_;  // stored row r spans [starts_[r], starts_[r + 1]) of text_
  std::vector<std::uint32_t> order_;   // shown row -> stored row
};

// The stable order of the table's shown rows by ParamSort (RouteOrder over the sorted column's texts).
std::vector<std::uint32_t> RouteOrder(const TRouteTable& Rows, int ParamSort, const TRouteTick& Tick = {});

}  // namespace qmz
