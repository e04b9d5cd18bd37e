// The read side of the model: nickname lookup, the list builders of the main window and the debug page.

#include <clocale>

#include "gamedata/uSvFunctions_Model.h"

namespace qmz {

namespace {

TStringList OwningList() { return TStringList(true); }

// The decimal mark of the user's locale, for the market lines the debug page shows: the process's numeric
// locale, which the application takes over from the user's environment at start.
char UserDecimalSeparator() {
  const char* mark = std::localeconv()->decimal_point;
  return mark != nullptr && mark[0] != '\0' ? mark[0] : '.';
}

std::string Localised(std::string number, char separator) {
  if (separator != '.') {
    for (auto& c : number)
      if (c == '.') c = separator;
  }
  return number;
}

}  // namespace

SvModel::SvModel() {
  marketGoodNames_.SetSorted(true);
  marketGoodNames_.SetDuplicates(TDuplicates::dupIgnore);
}

SvModel::~SvModel() = default;

int SvModel::getIndexByNickname(std::string_view Nickname, const TGoodArr& Arr) const {
  return Arr.IndexOfNickname(Nickname);
}

TStringList SvModel::getNameList(const TGoodArr& Arr) const {
  TStringList list = OwningList();
  for (std::size_t i = 1; i < Arr.size(); ++i) list.AddObject(Arr[i].name.str(), new TIndex(std::uint32_t(i), 0));
  return list;
}

TStringList SvModel::getNicknameList(const TGoodArr& Arr) const {
  TStringList list = OwningList();
  for (std::size_t i = 1; i < Arr.size(); ++i) list.AddObject(Arr[i].nickname.str(), new TIndex(std::uint32_t(i), 0));
  return list;
}

TStringList SvModel::getRecordInfo(const TGoodArr& Arr, int Index) const {
  TStringList list;
  // The debug page passes indices of the model itself; anything else gets no lines, not a crash.
  if (Index < 0 || std::size_t(Index) >= Arr.size()) return list;
  const TGood& g = Arr[std::size_t(Index)];
  const std::string noName;
  const std::string& faction = g.faction < aFaction.size() ? aFaction[g.faction].name.str() : noName;
  const std::string& system = g.system < aSystem.size() ? aSystem[g.system].name.str() : noName;
  list.Add(Format("index:      %d", Index));
  list.Add(Format("nick:       %s", g.nickname.str()));
  list.Add(Format("name:       \"%s\"", g.name.str()));
  list.Add(Format("short:      \"%s\"", g.short_name.str()));
  list.Add(Format("ids:        %s", g.ids_name.str()));
  list.Add(Format("ids_short:  %s", g.ids_short_name.str()));
  list.Add(Format("faction:    %s", faction));
  list.Add(Format("system:     %s", system));
  list.Add(Format("units/cont: %d", g.units_per_container));
  const char mark = FormatSettings.DecimalSeparator;
  list.Add("decay:      " + Localised(Format("%.6f", g.decay_per_second), mark));
  list.Add("volume:     " + Localised(Format("%.6f", double(g.volume)), mark));
  list.Add("price:      " + Localised(Format("%.6f", g.price), mark));
  return list;
}

TStringList SvModel::getMarketCsv(int Base, bool OnlySold) const {
  TStringList list;
  if (Base < 0 || std::size_t(Base) >= aBase.size() || std::size_t(Base) >= aMarket.size()) return list;
  const char sep = UserDecimalSeparator();
  auto row = aMarket[std::size_t(Base)];
  for (std::size_t g = 1; g < row.size() && g < aGood.size(); ++g) {
    const TMarketCell& cell = row[g];
    if (OnlySold && !cell.Sold) continue;
    const TGood& good = aGood[g];
    // Only the numbers take the user's decimal mark; a dot in the good's name stays. A quote in the name
    // is doubled, as CSV readers expect, so it cannot end the field early.
    list.Add(
        Format("\"%s\",", StringReplaceAll(good.name.str(), "\"", "\"\"")) +
        Localised(Format("\"%.6f\",\"%d\",\"%.6f\",\"%.6f\",\"%.6f\",\"%.6f\",\"%.6f\"", good.price, cell.Sold ? 1 : 0,
                         cell.Level, cell.Reputation, cell.PriceFactor, good.decay_per_second, double(good.volume)),
                  sep));
  }
  return list;
}

TStringList SvModel::getBaseGoods(int Base, bool OnlySold) const {
  TStringList list = OwningList();
  if (Base < 0 || std::size_t(Base) >= aBase.size() || std::size_t(Base) >= aMarket.size()) return list;
  auto row = aMarket[std::size_t(Base)];
  for (std::size_t g = 1; g < row.size() && g < aGood.size(); ++g) {
    if (OnlySold && !row[g].Sold) continue;
    list.AddObject(aGood[g].name.str(), new TIndex(std::uint32_t(g), 5));
  }
  return list;
}

TStringList SvModel::getSystemBases(int System) const {
  TStringList list = OwningList();
  for (std::size_t b = 1; b < aBase.size(); ++b) {
    if (std::int64_t(aBase[b].system) == System) list.AddObject(aBase[b].name.str(), new TIndex(std::uint32_t(b), 0));
  }
  return list;
}

int SvModel::getItemIndexByIndex(const TStringList& List, int Index) {
  for (int i = 0; i < List.Count(); ++i) {
    const auto* tag = dynamic_cast<const TIndex*>(List.Objects(i));
    if (tag && std::int64_t(tag->Index) == Index) return i;
  }
  return -1;
}

}  // namespace qmz
