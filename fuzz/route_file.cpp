// Route files of any content: loading never reads outside the text, every row has at least the 19
// columns the window reads, the rows sort in every column, and what is saved again loads back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormGrid_Rows.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<qmz::TRouteRow> rows = qmz::ParseRouteFileText(text);
  for (const auto& r : rows)
    if (r.SubItems.size() < std::size_t(qmz::RouteSubItemCount)) __builtin_trap();
  if (!rows.empty()) {
    qmz::SortRouteRows(rows, int(data[0] % qmz::RouteColumnCount) + (data[0] & 0x80 ? qmz::ReversedSort : 0));
  }
  const std::vector<qmz::TRouteRow> back = qmz::ParseRouteFileText(qmz::RouteFileText(rows));
  if (back.size() != rows.size()) __builtin_trap();
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (back[i].Caption != rows[i].Caption || back[i].SubItems != rows[i].SubItems) __builtin_trap();
  return 0;
}
