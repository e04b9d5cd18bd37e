#include "app/core/uFormMain_Display.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

TRouteRow MakeRouteRow(const SvModel& Data, const TRouteList& List, const TRouteRecord& R, const TRouteQuantity& Q,
                       char DecimalSeparator) {
  const std::uint8_t type = RouteGoodType(Data, R);
  TRouteRow row;
  row.Caption = Format("%d", Q.Total);
  row.SubItems = {
      Format("%d", R.Profit),
      NameOf(Data.aGood, R.Commodity),
      type < EquipmentTypeNames.size() ? std::string(EquipmentTypeNames[type]) : std::string(),
      NameOf(Data.aBase, R.FromBase),
      NameOf(Data.aSystem, RouteFromSystem(Data, R)),
      NameOf(Data.aBase, R.ToBase),
      NameOf(Data.aSystem, RouteToSystem(Data, R)),
      Format("%.0f", RouteBuyPrice(Data, List, R)),
      Format("%.0f", RouteSellPrice(Data, R)),
      Format("%d", Q.Money),
      Format("%d", Q.Count),
      TwoDecimals(RouteReputation(Data, R), DecimalSeparator),
      TwoDecimals(RouteLevel(Data, R), DecimalSeparator),
      TwoDecimals(RouteDecay(Data, R), DecimalSeparator),
      Format("%d", RouteVolume(Data, R)),
      std::string(),
      NameOf(Data.aFaction, RouteFromFaction(Data, R)),
      NameOf(Data.aFaction, RouteToFaction(Data, R)),
      RouteLawful(Data, List, R) ? "True" : "False",
  };
  return row;
}

TDisplayEnd BuildRouteRows(const SvModel& Data, const TRouteList& List, const TDisplayOptions& Options,
                           TCalcHooks& Hooks, std::vector<TRouteRow>& Rows) {
  const std::size_t limit = Options.LinesCount <= 0
                                ? 0
                                : std::min<std::size_t>(std::size_t(Options.LinesCount), List.Count());
  TPumpTimer timer;
  for (std::size_t i = 0; i < limit; ++i) {
    if (timer.Due()) Hooks.Status("", 0, std::uint32_t(limit - 1), std::uint32_t(i));
    if (Hooks.StopRequested()) return TDisplayEnd::Stopped;
    if (i % 30 == 1) Hooks.ProcessMessages();
    const TRouteRecord& r = List[i];
    if (!RouteShown(Data, List, r, Options)) continue;
    const TRouteQuantity q = RouteQuantity(Options.Money, Options.Cargo, RouteBuyPrice(Data, List, r),
                                           RouteVolume(Data, r), r.Profit);
    Rows.push_back(MakeRouteRow(Data, List, r, q, Options.DecimalSeparator));
  }
  return TDisplayEnd::Finished;
}

std::string PrintedRoutesText(std::size_t Rows) { return Format("Finished - Printed %d Routes", std::uint64_t(Rows)); }

}  // namespace qmz
