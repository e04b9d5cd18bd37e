#pragma once
// What the hidden debug page shows, without a window: the name and nickname lists of one kind of
// record, the stored fields of one record, a base's market as rows of the route list, and the dump of
// the loader's INI slots.

#include <string>
#include <vector>

#include "app/core/uFormGrid_Rows.h"
#include "gamedata/uSvFunctions.h"
#include "gamedata/uSvFunctions_Model.h"

namespace qmz {

// The list modes, as the list buttons' tags give them.
enum TDebugListMode : int { dlmNone = 0, dlmFactions = 20, dlmBases = 30, dlmSystems = 40, dlmGoods = 50 };

struct TDebugLists {
  std::vector<std::string> Names;      // entry i stands for array index i + 1
  std::vector<std::string> Nicknames;  // none for bases
};
TDebugLists DebugLists(const SvModel& Data, int Mode);

// The field lines of the record at Index of the mode's array; none for another mode or an index outside
// the array.
std::vector<std::string> DebugRecordLines(const SvModel& Data, int Mode, int Index);

// The number of sub-items of a market row.
inline constexpr int MarketRowSubItems = 12;

// One market line ("name","price","sold","level","reputation","factor","decay","volume", numbers written
// with the user's decimal mark) as a row of the route list: an empty caption and 12 sub-items. A name
// holding quotes or commas stays whole. A line that is not such a line gives a row of empty sub-items.
TRouteRow MarketRow(const std::string& Line, const std::string& BaseName);

// The market of a base (every good, or only those sold there) as rows; none for an index that is not a
// base of the model.
std::vector<TRouteRow> MarketRows(const SvModel& Data, int Base, bool OnlySold);

// Writes the text of every INI slot 1 .. 12 the model still holds to "IniFile_<slot>" in Folder (which
// ends with a separator), each file replaced in one rename. Returns the number of files written; slots
// the loader has released write nothing.
int WriteIniDump(const TSvData& Data, const std::string& Folder);

}  // namespace qmz
