#include "app/core/uFormGrid_Rows.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "support/SysUtils.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

const std::string& TRouteRow::Column(int c) const {
  static const std::string empty;
  if (c == 0) return Caption;
  if (c < 1 || std::size_t(c - 1) >= SubItems.size()) return empty;
  return SubItems[std::size_t(c - 1)];
}

namespace {

int Sign(long double v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// A whole number as the runtime reads one (sign, "$"/"0x" hexadecimal, blanks around); anything else 0.
std::int64_t WholeNumber(const std::string& text) { return TryStrToInt(text).value_or(0); }

// A number with '.' or ',' as decimal mark, whichever the row was written with; no number gives 0.
long double FloatNumber(const std::string& text) { return TextToExtended(text).value_or(0.0L); }

}  // namespace

int CompareRouteRows(const TRouteRow& Row1, const TRouteRow& Row2, int ParamSort) {
  const bool reversed = ParamSort >= ReversedSort;
  const int column = reversed ? ParamSort - ReversedSort : ParamSort;
  const std::string& a = Row1.Column(column);
  const std::string& b = Row2.Column(column);
  int result = 0;
  switch (column) {
    case 0:
    case 1:
    case 8:
    case 9: {
      const std::int64_t x = WholeNumber(a);
      const std::int64_t y = WholeNumber(b);
      result = x < y ? -1 : (x > y ? 1 : 0);
      break;
    }
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      result = Sign(std::nearbyint(FloatNumber(a) - FloatNumber(b)));
      break;
    default:
      result = -Sign(CompareText(a, b));
      break;
  }
  return reversed ? -result : result;
}

namespace {

void MergeSort(const std::vector<TRouteRow>& rows, std::vector<std::size_t>& order, std::vector<std::size_t>& tmp,
               std::size_t lo, std::size_t hi, int param) {
  if (hi - lo < 2) return;
  const std::size_t mid = lo + (hi - lo) / 2;
  MergeSort(rows, order, tmp, lo, mid, param);
  MergeSort(rows, order, tmp, mid, hi, param);
  // Already in order: nothing to merge (sorting a sorted list costs one pass).
  if (CompareRouteRows(rows[order[mid - 1]], rows[order[mid]], param) <= 0) return;
  std::size_t i = lo;
  std::size_t j = mid;
  std::size_t k = lo;
  while (i < mid && j < hi) {
    // Take from the right only when it is strictly first: equal rows keep their order.
    if (CompareRouteRows(rows[order[j]], rows[order[i]], param) < 0) tmp[k++] = order[j++];
    else tmp[k++] = order[i++];
  }
  while (i < mid) tmp[k++] = order[i++];
  while (j < hi) tmp[k++] = order[j++];
  std::copy(tmp.begin() + std::ptrdiff_t(lo), tmp.begin() + std::ptrdiff_t(hi), order.begin() + std::ptrdiff_t(lo));
}

}  // namespace

std::vector<std::size_t> RouteRowsOrder(const std::vector<TRouteRow>& Rows, int ParamSort) {
  std::vector<std::size_t> order(Rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::vector<std::size_t> tmp(Rows.size());
  MergeSort(Rows, order, tmp, 0, Rows.size(), ParamSort);
  return order;
}

void SortRouteRows(std::vector<TRouteRow>& Rows, int ParamSort) {
  const std::vector<std::size_t> order = RouteRowsOrder(Rows, ParamSort);
  std::vector<TRouteRow> sorted;
  sorted.reserve(Rows.size());
  for (std::size_t i : order) sorted.push_back(std::move(Rows[i]));
  Rows = std::move(sorted);
}

}  // namespace qmz
