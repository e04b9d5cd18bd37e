#pragma once
// The rows of the route list as texts (a caption and its sub-items, in column order), their column
// headers and the comparison the list sorts them by. The route display writes these rows, the route-list
// window shows, sorts, saves and loads them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qmz {

inline constexpr int RouteColumnCount = 20;
inline constexpr int RouteSubItemCount = RouteColumnCount - 1;
inline constexpr std::array<std::string_view, RouteColumnCount> RouteColumnHeaders =
    {"Profit",        "Profit/#",  "Commodity", "Typ",    "From Base",     "From System",
     "To Base",       "To System", "Price",     "Earn",   "Money to buy",  "Count",
     "Repu",          "Level",     "Decay",     "Volume", "Who scans for", "FromBase run by",
     "ToBase run by", "Lawful"};
inline constexpr std::array<int, RouteColumnCount> RouteColumnWidths = {100, 60, 150, 120, 150, 100, 150, 100, 42,  42,
                                                                        50,  50, 42,  42,  51,  60,  150, 150, 150, 40};
// Sub-item positions the window reads for its row colours.
inline constexpr int RouteSubItemDecay = 13;
inline constexpr int RouteSubItemLawful = 18;

// One row: the caption (column 0, "Profit") and the sub-items (columns 1 ..). Rows of the display have
// 19 sub-items; rows loaded from a file as many as their line holds.
struct TRouteRow {
  std::string Caption;
  std::vector<std::string> SubItems;
};

// The base direction of ParamSort = column, the reversed one ParamSort = column + 65,535.
inline constexpr int ReversedSort = 65535;
// The column a ParamSort sorts by, whichever its direction.
int RouteSortColumn(int ParamSort);

// How a column's texts compare. Whole: "Profit", "Profit/#", "Price", "Earn" as 64-bit whole numbers,
// lowest first. Float: "Money to buy" .. "Volume" as whole-text numbers with '.' (or ',' when the text
// holds no '.') as decimal mark, exponent allowed, lowest first, equal only when the numbers are. Text:
// ASCII-folded, Z to A. A text that is no number counts as 0.
enum class TRouteColumnKind { Whole, Float, Text };
TRouteColumnKind RouteColumnKind(int Column);
std::int64_t RouteWholeNumber(std::string_view Text);
double RouteFloatNumber(std::string_view Text);

// CompareRouteRows: the list's comparison of two rows, by their keys in the sorted column (read once per
// row before a sort: the whole number, the float number, or the rank of the text among the column's
// texts, A to Z). The base result is Item1 - Item2 for numbers and the reversed text order (Z to A);
// ParamSort from ReversedSort on negates it. Negative: Item1 comes first.
struct TRouteTextRank {
  std::uint32_t Rank;
};
inline int RouteSortDirection(int ParamSort) { return ParamSort >= ReversedSort ? -1 : 1; }
inline int CompareRouteRows(std::int64_t Item1, std::int64_t Item2, int ParamSort) {
  return RouteSortDirection(ParamSort) * ((Item1 > Item2) - (Item1 < Item2));
}
inline int CompareRouteRows(double Item1, double Item2, int ParamSort) {
  const double d = Item1 - Item2;
  return RouteSortDirection(ParamSort) * ((d > 0) - (d < 0));
}
inline int CompareRouteRows(TRouteTextRank Item1, TRouteTextRank Item2, int ParamSort) {
  return RouteSortDirection(ParamSort) * ((Item1.Rank < Item2.Rank) - (Item1.Rank > Item2.Rank));
}

// Called now and then by long runs with the work done and the work in all; may pump the message queue.
using TRouteTick = std::function<void(std::size_t Done, std::size_t Total)>;

// The stable order of Count rows by ParamSort, given each row's text of the sorted column: element n is
// the row that comes n-th. The texts are read once, before sorting, into keys. A stable merge sort: it
// stays safe whatever order a comparison gives (a number that is not a number compares equal to every
// other), which the library sorts do not promise.
std::vector<std::uint32_t> RouteOrder(std::size_t Count, int ParamSort,
                                      const std::function<std::string_view(std::size_t)>& Text,
                                      const TRouteTick& Tick = {});

}  // namespace qmz
