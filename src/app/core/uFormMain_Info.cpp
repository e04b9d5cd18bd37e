#include "app/core/uFormMain_Info.h"

#include "support/SysUtils.h"

namespace qmz {

namespace {

constexpr std::uint8_t kTypeUnknown = 0;
constexpr std::uint8_t kTypeAny = 17;
constexpr std::uint8_t kFirstCategory = 1;
constexpr std::uint8_t kLastCategory = 16;

TInfoNode GoodNode(const std::string& name, std::uint32_t index) { return {name, {false, index, 5, 0}, {}}; }

std::string WithSeparator(std::string text, char separator) {
  if (separator != '.')
    for (char& c : text)
      if (c == '.') c = separator;
  return text;
}

}  // namespace

std::vector<TInfoNode> InfoGoodGroups(const SvModel& Data, const TStringList& Goods, std::uint8_t AllKind) {
  std::vector<TInfoNode> children;
  children.push_back({std::string(AllCommoditiesNode), {false, 0, AllKind, 0}, {}});
  for (std::uint8_t t = kFirstCategory; t <= kLastCategory; ++t)
    children.push_back({"{" + std::string(EquipmentTypeNames[t]) + "}", {true, 0, 0, t}, {}});

  // The names in the order of a sorted string list: ascending, case ignored, duplicates kept.
  TStringList sorted;
  sorted.SetDuplicates(TDuplicates::dupAccept);
  sorted.SetSorted(true);
  for (int i = 0; i < Goods.Count(); ++i) {
    if (dynamic_cast<const TIndex*>(Goods.Objects(i))) sorted.AddObject(Goods[i], Goods.Objects(i));
  }
  std::vector<TInfoNode> anyGoods;
  for (int i = 0; i < sorted.Count(); ++i) {
    const std::uint32_t index = static_cast<const TIndex*>(sorted.Objects(i))->Index;
    if (index == 0 || index >= Data.aGood.size()) continue;
    const TInfoNode node = GoodNode(std::string(sorted[i]), index);
    children[0].Children.push_back(node);
    const std::uint8_t type = Data.aGood[index].etype;
    if (type >= kFirstCategory && type <= kLastCategory) children[type].Children.push_back(node);
    else if (type == kTypeAny) anyGoods.push_back(node);
    else if (type == kTypeUnknown) children[0].Children.push_back(node);
  }
  for (TInfoNode& node : anyGoods) children.push_back(std::move(node));
  return children;
}

std::vector<TInfoNode> BaseBuysChildren(const SvModel& Data) { return InfoGoodGroups(Data, Data.getGoodNames(), 0); }

std::vector<TInfoNode> BaseSellsChildren(const SvModel& Data, int Base) {
  return InfoGoodGroups(Data, Data.getBaseGoods(Base, true), 4);
}

std::vector<TCardLine> BaseCardLines(const SvModel& Data, int Base) {
  if (Base <= 0 || std::size_t(Base) >= Data.aBase.size()) return {};
  const TGood& base = Data.aBase[std::size_t(Base)];
  const std::string noName;
  const std::string& system = base.system < Data.aSystem.size() ? Data.aSystem[base.system].name.str() : noName;
  const std::string& faction = base.faction < Data.aFaction.size() ? Data.aFaction[base.faction].name.str() : noName;
  const bool lawful = base.faction < Data.aFactionProps.size() && Data.aFactionProps[base.faction].lawful;
  const std::string courier = "Courier New";
  return {
      {base.name.str(), "", 16, true},
      {"", "", 16, true},
      {"Type   :  Base", courier, 9, false},
      {Format("System :  %s", system), courier, 9, false},
      {Format("Run by :  %s", faction), courier, 9, false},
      {Format("Lawful :  %s", lawful ? "True" : "False"), courier, 9, false},
      {"", courier, 9, false},
  };
}

std::vector<TCardLine> GoodCardLines(const SvModel& Data, int Good, std::optional<int> Base, char DecimalSeparator) {
  if (Good <= 0 || std::size_t(Good) >= Data.aGood.size()) return {};
  const TGood& good = Data.aGood[std::size_t(Good)];
  const std::string courier = "Courier New", times = "Times New Roman";
  const std::string_view type = good.etype < EquipmentTypeNames.size() ? EquipmentTypeNames[good.etype] : "";
  std::vector<TCardLine> lines = {
      {good.name.str(), "", 19, true},
      {"", "", 9, false},
      {Format("       Category: %s", type), courier, 9, false},
  };
  if (Base && *Base >= 0 && std::size_t(*Base) < Data.aMarket.size() && std::size_t(Good) < Data.aMarket.RowLength())
    lines.push_back({Format("          Price: %.0f", Data.aMarket[std::size_t(*Base)][std::size_t(Good)].Price),
                     courier, 9, false});
  lines.push_back({Format("Units/Container: %d", good.units_per_container), courier, 9, false});
  lines.push_back(
      {WithSeparator(Format("  Decay of Good: %.2f", good.decay_per_second), DecimalSeparator), courier, 9, false});
  // Written as a whole number, so a volume of 0 shows as 0 and not as nothing.
  lines.push_back({Format("         Volume: %d", good.volume), courier, 9, false});
  lines.push_back({"", courier, 9, false});
  lines.push_back({"", courier, 9, false});
  lines.push_back({"Infocard", times, 11, true});
  lines.push_back({"", times, 11, true});
  lines.push_back({"Will soon be added", times, 9, false});
  return lines;
}

}  // namespace qmz
