#include "app/core/uFormMain_Display.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <new>

#include "support/SysUtils.h"

namespace qmz {

namespace {

// A quotient cut toward zero, kept inside 0 .. max of int64 (negative and not-a-number give 0).
std::int64_t WholePart(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
  return std::int64_t(std::trunc(v));
}

const std::string& NameOf(const TGoodArr& arr, std::size_t i) {
  static const std::string empty;
  return i < arr.size() ? arr[i].name.str() : empty;
}

void AddDecimal(TRouteTable& rows, std::uint64_t v) {
  char digits[24];
  rows.AddField(std::string_view(digits, std::size_t(std::to_chars(digits, digits + sizeof digits, v).ptr - digits)));
}

// After this many routes the texts of the rest are foreseen from those so far.
constexpr std::size_t kSampleRoutes = 4096;

// Room for the rows of the routes still to come, foreseen from the bytes the first routes took, and a
// quarter more. Growing the texts step by step would copy them each time and, at the last step, hold
// them twice over; room reserved and never written costs no memory. Too little room only means growing
// after all; no room at all (the address space refuses), the same.
void ReserveForTheRest(TRouteTable& rows, std::size_t examined, std::size_t limit) {
  const double perRoute = double(rows.TextSize()) / double(std::max<std::size_t>(examined, 1));
  const double rest = double(limit - examined);
  try {
    rows.Reserve(std::size_t(perRoute * rest * 1.25) + 65536, limit - examined);
  } catch (const std::bad_alloc&) {
  }
}

std::string TwoDecimals(float v, char separator) {
  std::string s = Format("%.2f", double(v));
  if (separator != '.') std::replace(s.begin(), s.end(), '.', separator);
  return s;
}

}  // namespace

TRouteQuantity RouteQuantity(double Money, std::int64_t Cargo, double BuyPrice, std::uint32_t Volume,
                             std::uint32_t Profit) {
  TRouteQuantity q;
  const std::int64_t byMoney = BuyPrice > 0.0 ? WholePart(Money / BuyPrice) : 2147483647;
  // The volume is read as a signed 32-bit number, as the data give it; 0 or less carries nothing.
  const std::int32_t volume = std::int32_t(Volume);
  const std::int64_t byCargo = volume > 0 ? WholePart(double(Cargo) / double(volume)) : 0;
  // At most 2^32 - 1 units (the cargo box holds a 32-bit number anyway) and a profit below 2^32: the
  // products fit 64 bits.
  q.Count = std::clamp<std::int64_t>(std::min(byCargo, byMoney), 0, 4294967295LL);
  const std::uint64_t count = std::uint64_t(q.Count);
  q.Total = count * Profit;
  const double buy = std::max(0.0, std::trunc(BuyPrice));
  q.Money = buy <= 4294967295.0 ? count * std::uint64_t(buy) : std::numeric_limits<std::uint64_t>::max();
  return q;
}

bool RouteShown(const SvModel& Data, const TRouteList& List, const TRouteRecord& R, const TDisplayOptions& Options) {
  if (!Options.Unlawful && !RouteLawful(Data, List, R)) return false;
  if (!Options.Perishable && RouteDecay(Data, R) > 0.0f) return false;
  if (Options.Level < double(RouteLevel(Data, R))) return false;
  return true;
}

void AppendRouteRow(TRouteTable& Rows, const SvModel& Data, const TRouteList& List, const TRouteRecord& R,
                    const TRouteQuantity& Q, char DecimalSeparator) {
  const std::uint8_t type = RouteGoodType(Data, R);
  AddDecimal(Rows, Q.Total);
  AddDecimal(Rows, R.Profit);
  Rows.AddField(NameOf(Data.aGood, R.Commodity));
  Rows.AddField(type < EquipmentTypeNames.size() ? EquipmentTypeNames[type] : std::string_view());
  Rows.AddField(NameOf(Data.aBase, R.FromBase));
  Rows.AddField(NameOf(Data.aSystem, RouteFromSystem(Data, R)));
  Rows.AddField(NameOf(Data.aBase, R.ToBase));
  Rows.AddField(NameOf(Data.aSystem, RouteToSystem(Data, R)));
  // The prices are whole numbers of 32 bits (the calculation cuts them): "%.0f" gives their digits.
  AddDecimal(Rows, std::uint64_t(RouteBuyPrice(Data, List, R)));
  AddDecimal(Rows, std::uint64_t(RouteSellPrice(Data, R)));
  AddDecimal(Rows, Q.Money);
  AddDecimal(Rows, std::uint64_t(Q.Count));
  Rows.AddField(TwoDecimals(RouteReputation(Data, R), DecimalSeparator));
  Rows.AddField(TwoDecimals(RouteLevel(Data, R), DecimalSeparator));
  Rows.AddField(TwoDecimals(RouteDecay(Data, R), DecimalSeparator));
  AddDecimal(Rows, RouteVolume(Data, R));
  Rows.AddField({});
  Rows.AddField(NameOf(Data.aFaction, RouteFromFaction(Data, R)));
  Rows.AddField(NameOf(Data.aFaction, RouteToFaction(Data, R)));
  Rows.AddField(RouteLawful(Data, List, R) ? "True" : "False");
  Rows.EndRow();
}

TDisplayEnd BuildRouteRows(const SvModel& Data, const TRouteList& List, const TDisplayOptions& Options,
                           TCalcHooks& Hooks, TRouteTable& Rows) {
  const std::size_t limit = Options.LinesCount <= 0
                                ? 0
                                : std::min<std::size_t>(std::size_t(Options.LinesCount), List.Count());
  TPumpTimer timer;
  for (std::size_t i = 0; i < limit; ++i) {
    if (timer.Due()) Hooks.Status("", 0, std::uint32_t(limit - 1), std::uint32_t(i));
    if (Hooks.StopRequested()) return TDisplayEnd::Stopped;
    if (i % 30 == 1) Hooks.ProcessMessages();
    if (i == kSampleRoutes) ReserveForTheRest(Rows, i, limit);
    const TRouteRecord& r = List[i];
    if (!RouteShown(Data, List, r, Options)) continue;
    const TRouteQuantity q = RouteQuantity(Options.Money, Options.Cargo, RouteBuyPrice(Data, List, r),
                                           RouteVolume(Data, r), r.Profit);
    AppendRouteRow(Rows, Data, List, r, q, Options.DecimalSeparator);
  }
  return TDisplayEnd::Finished;
}

std::string PrintedRoutesText(std::size_t Rows) { return Format("Finished - Printed %d Routes", std::uint64_t(Rows)); }

}  // namespace qmz
