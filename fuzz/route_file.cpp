// Route files of any content: loading never reads outside the text, a refused text adds no row, a row
// has at least its caption, reading in pieces gives what the whole text gives, the rows sort in every
// column, and what is saved again loads back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  qmz::TRouteTable rows;
  const qmz::TRouteFileLoad load = qmz::ParseRouteFileText(text, rows);
  if (load.Error != qmz::TRouteFileError::None && rows.Count() != 0) __builtin_trap();
  if (load.Rows != rows.Count()) __builtin_trap();
  for (std::size_t r = 0; r < rows.Count(); ++r)
    if (rows.FieldCount(r) == 0) __builtin_trap();
  // Read in pieces, as from a file, the text gives the same.
  if (size > 0) {
    qmz::TRouteTable pieces;
    const qmz::TRouteFileLoad again = qmz::ParseRouteFileText(text, pieces, 1 + data[size / 2] % 64);
    if (again.Error != load.Error || again.Rows != load.Rows) __builtin_trap();
    if (qmz::RouteFileText(pieces) != qmz::RouteFileText(rows)) __builtin_trap();
  }
  if (rows.Count() != 0) {
    const int param = int(data[0] % qmz::RouteColumnCount) + (data[0] & 0x80 ? qmz::ReversedSort : 0);
    rows.Reorder(qmz::RouteOrder(rows, param));
  }
  qmz::TRouteTable back;
  if (qmz::ParseRouteFileText(qmz::RouteFileText(rows), back).Error != qmz::TRouteFileError::None) __builtin_trap();
  if (back.Count() != rows.Count()) __builtin_trap();
  for (std::size_t i = 0; i < rows.Count(); ++i) {
    const qmz::TRouteRow a = rows.Row(i), b = back.Row(i);
    if (a.Caption != b.Caption || a.SubItems != b.SubItems) __builtin_trap();
  }
  return 0;
}
