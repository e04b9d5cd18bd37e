#include "app/core/uFormGrid_Rows.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>

#include "platform/AsciiText.h"
#include "platform/KeyedHash.h"
#include "support/SysUtils.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

TRouteColumnKind RouteColumnKind(int Column) {
  switch (Column) {
    case 0:
    case 1:
    case 8:
    case 9:
      return TRouteColumnKind::Whole;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return TRouteColumnKind::Float;
    default:
      return TRouteColumnKind::Text;
  }
}

// A whole number as the runtime reads one (sign, "$"/"0x" hexadecimal, blanks around); anything else 0.
std::int64_t RouteWholeNumber(std::string_view Text) { return TryStrToInt(Text).value_or(0); }

// Rows of the display carry the user's decimal mark, files from elsewhere the other one: a text without
// a '.' is read with ','. Double precision keeps large whole numbers apart.
double RouteFloatNumber(std::string_view Text) {
  const char mark = Text.find('.') == std::string_view::npos && Text.find(',') != std::string_view::npos ? ',' : '.';
  return TryTextToDouble(Text, mark).value_or(0.0);
}

int RouteSortColumn(int ParamSort) { return ParamSort >= ReversedSort ? ParamSort - ReversedSort : ParamSort; }

namespace {

// Bottom-up stable merge sort of positions; Less must only say whether its first row comes strictly first.
template <typename Less>
std::vector<std::uint32_t> StableOrder(std::size_t n, Less less, const TRouteTick& tick) {
  std::vector<std::uint32_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = std::uint32_t(i);
  std::vector<std::uint32_t> tmp(n);
  std::size_t passes = 0;
  for (std::size_t w = 1; w < n; w *= 2) ++passes;
  std::size_t pass = 0;
  std::size_t sinceTick = 0;
  // Checked inside a merge too: the last merges of a long list are long.
  auto moved = [&](std::size_t at) {
    if (tick && ++sinceTick == 16384) {
      sinceTick = 0;
      tick(pass * n + at, passes * n);
    }
  };
  for (std::size_t width = 1; width < n; width *= 2, ++pass) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, n);
      const std::size_t hi = std::min(lo + 2 * width, n);
      // Already in order: nothing to merge (sorting a sorted list costs one pass each).
      if (mid == hi || !less(order[mid], order[mid - 1])) continue;
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        // Take from the right only when it is strictly first: equal rows keep their order.
        if (less(order[j], order[i])) tmp[k++] = order[j++];
        else tmp[k++] = order[i++];
        moved(k);
      }
      while (i < mid) tmp[k++] = order[i++];
      while (j < hi) tmp[k++] = order[j++];
      std::copy(tmp.begin() + std::ptrdiff_t(lo), tmp.begin() + std::ptrdiff_t(hi), order.begin() + std::ptrdiff_t(lo));
    }
  }
  return order;
}

// The rank of each row's text, A to Z; texts that compare equal (ASCII-folded) share one. The caller
// keeps the texts alive while this runs.
std::vector<std::uint32_t> TextRanks(std::size_t count, const std::function<std::string_view(std::size_t)>& text,
                                     const TRouteTick& tick) {
  std::vector<std::uint32_t> id(count);
  // Texts from files: a table keyed against crafted collisions.
  std::unordered_map<std::string_view, std::uint32_t, platform::KeyedHasher> ids;
  std::string distinct;  // the distinct texts one after the other, for a sort that stays in the cache
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view t = text(i);
    const auto [it, added] = ids.try_emplace(t, std::uint32_t(ends.size()));
    if (added) {
      distinct += t;
      ends.push_back(distinct.size());
    }
    id[i] = it->second;
    if (tick && i % 65536 == 65535) tick(0, count);
  }
  ids = {};
  std::vector<std::string_view> texts(ends.size());
  for (std::size_t k = 0, start = 0; k < ends.size(); start = ends[k++])
    texts[k] = std::string_view(distinct).substr(start, ends[k] - start);
  const std::vector<std::uint32_t> order = StableOrder(
      texts.size(),
      [&](std::uint32_t a, std::uint32_t b) { return platform::AsciiCompareText(texts[a], texts[b]) < 0; }, tick);
  std::vector<std::uint32_t> rankOf(texts.size());
  for (std::size_t n = 0, r = 0; n < order.size(); ++n) {
    if (n > 0 && platform::AsciiCompareText(texts[order[n - 1]], texts[order[n]]) != 0) ++r;
    rankOf[order[n]] = std::uint32_t(r);
  }
  for (std::uint32_t& r : id) r = rankOf[r];
  return id;
}

}  // namespace

std::vector<std::uint32_t> RouteOrder(std::size_t Count, int ParamSort,
                                      const std::function<std::string_view(std::size_t)>& Text,
                                      const TRouteTick& Tick) {
  auto keys = [&](auto read) {
    std::vector<decltype(read(std::string_view()))> out;
    out.reserve(Count);
    for (std::size_t i = 0; i < Count; ++i) {
      out.push_back(read(Text(i)));
      if (Tick && i % 65536 == 65535) Tick(0, Count);
    }
    return out;
  };
  switch (RouteColumnKind(RouteSortColumn(ParamSort))) {
    case TRouteColumnKind::Whole: {
      const auto k = keys([](std::string_view t) { return RouteWholeNumber(t); });
      return StableOrder(
          Count, [&](std::uint32_t a, std::uint32_t b) { return CompareRouteRows(k[a], k[b], ParamSort) < 0; }, Tick);
    }
    case TRouteColumnKind::Float: {
      const auto k = keys([](std::string_view t) { return RouteFloatNumber(t); });
      return StableOrder(
          Count, [&](std::uint32_t a, std::uint32_t b) { return CompareRouteRows(k[a], k[b], ParamSort) < 0; }, Tick);
    }
    case TRouteColumnKind::Text:
      break;
  }
  // Texts compare as their rank among the column's distinct texts: a long list holds few distinct names,
  // and numbers in a row compare much faster than texts spread over all the rows.
  const std::vector<std::uint32_t> rank = TextRanks(Count, Text, Tick);
  return StableOrder(
      Count,
      [&](std::uint32_t a, std::uint32_t b) {
    return CompareRouteRows(TRouteTextRank{rank[a]}, TRouteTextRank{rank[b]}, ParamSort) < 0;
      },
      Tick);
}

}  // namespace qmz
