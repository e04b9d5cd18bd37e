#include "app/core/uFormGrid_Rows.h"

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

void MergeSort(std::vector<TRouteRow>& rows, std::vector<TRouteRow>& tmp, std::size_t lo, std::size_t hi, int param) {
  if (hi - lo < 2) return;
  const std::size_t mid = lo + (hi - lo) / 2;
  MergeSort(rows, tmp, lo, mid, param);
  MergeSort(rows, tmp, mid, hi, param);
  // Already in order: nothing to merge (sorting a sorted list costs one pass).
  if (CompareRouteRows(rows[mid - 1], rows[mid], param) <= 0) return;
  std::size_t i = lo;
  std::size_t j = mid;
  std::size_t k = lo;
  while (i < mid && j < hi) {
    // Take from the right only when it is strictly first: equal rows keep their order.
    if (CompareRouteRows(rows[j], rows[i], param) < 0) tmp[k++] = std::move(rows[j++]);
    else tmp[k++] = std::move(rows[i++]);
  }
  while (i < mid) tmp[k++] = std::move(rows[i++]);
  while (j < hi) tmp[k++] = std::move(rows[j++]);
  for (std::size_t x = lo; x < hi; ++x) rows[x] = std::move(tmp[x]);
}

}  // namespace

void SortRouteRows(std::vector<TRouteRow>& Rows, int ParamSort) {
  std::vector<TRouteRow> tmp(Rows.size());
  MergeSort(Rows, tmp, 0, Rows.size(), ParamSort);
}

}  // namespace qmz
