#pragma once
// The arithmetic of the route display: which routes of the sorted list are shown, how many units the
// player can buy, and the texts of each row. The main window reads its option boxes into
// TDisplayOptions, the rows go to the route-list window.

#include <cstdint>
#include <string>

#include "app/core/uFormGrid_Table.h"
#include "app/core/uFormMain_Calc.h"

namespace qmz {

// The option boxes of the main window, as their getters read them.
struct TDisplayOptions {
  double Money = 1000000.0;        // edMoney FloatValue
  std::int64_t Cargo = 250;        // edCargo Value
  std::int64_t LinesCount = 4000;  // edLinesCount Value: how many routes to examine
  double Level = 1.0;              // edLevel FloatValue: the player's level
  bool Unlawful = true;            // cbUnlawful: include routes that are not lawful
  bool Perishable = true;          // cbPerishable: include goods that decay
  char DecimalSeparator = '.';     // the user's, for the "%.2f" columns
};

// How many units one route can carry, and what they earn and cost. Money and cargo are the player's;
// buyPrice is whole. Negative money or cargo, or a volume that gives no count (0, or beyond the signed
// 32-bit range as the data are read) give 0 units.
struct TRouteQuantity {
  std::int64_t Count = 0;
  std::uint64_t Total = 0;  // Count x profit per unit
  std::uint64_t Money = 0;  // Count x buy price
};
TRouteQuantity RouteQuantity(double Money, std::int64_t Cargo, double BuyPrice, std::uint32_t Volume,
                             std::uint32_t Profit);

// False when the options leave the route out: not lawful without cbUnlawful, decaying without
// cbPerishable, or needing a higher level than the player's.
bool RouteShown(const SvModel& Data, const TRouteList& List, const TRouteRecord& R, const TDisplayOptions& Options);

// Appends the row of one route to Rows: caption and 19 sub-items in column order.
void AppendRouteRow(TRouteTable& Rows, const SvModel& Data, const TRouteList& List, const TRouteRecord& R,
                    const TRouteQuantity& Q, char DecimalSeparator);

enum class TDisplayEnd { Finished, Stopped };

// The loop of ShowRoutes: examines the first LinesCount routes of the list (a skipped route still
// counts), appending the row of every shown one to Rows, straight into the table the route-list window
// shows. Gauge posts and the message pump as the window needs them; a stop request ends it with the rows
// so far (Stopped).
TDisplayEnd BuildRouteRows(const SvModel& Data, const TRouteList& List, const TDisplayOptions& Options,
                           TCalcHooks& Hooks, TRouteTable& Rows);

// The status line at the end of a display.
std::string PrintedRoutesText(std::size_t Rows);

}  // namespace qmz
