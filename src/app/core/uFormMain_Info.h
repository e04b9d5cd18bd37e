#pragma once
// What the information page shows, without a window: the good trees of a base (what it sells, what it
// buys) and the cards of a base and of a good as styled lines. The page turns these into tree nodes and
// rich-text lines.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gamedata/uSvFunctions_Model.h"

namespace qmz {

inline constexpr std::string_view BaseSellsRoot = "<<BASE SELLS>>";
inline constexpr std::string_view BaseBuysRoot = "<<BASE BUYS>>";
inline constexpr std::string_view AllCommoditiesNode = "{All Commodities}";

// The tag of an information tree node: a TIndex (index, kind) or a TETyp (equipment type).
struct TInfoTag {
  bool IsEType = false;
  std::uint32_t Index = 0;
  std::uint8_t Kind = 0;
  std::uint8_t EType = 0;
  friend bool operator==(const TInfoTag&, const TInfoTag&) = default;
};

struct TInfoNode {
  std::string Text;
  TInfoTag Tag;
  std::vector<TInfoNode> Children;
};

// The children of a root of the base's good tree: "{All Commodities}" (tagged kind allKind) with every
// good, the category nodes "{Commodity}" .. "{Mine}" with the goods of their type, then the goods of type
// "Any" at the root's own level. Goods stand in ascending name order, case ignored; a good of type
// "Unknown" is listed twice under "{All Commodities}". Good nodes carry their TIndex with kind 5.
std::vector<TInfoNode> InfoGoodGroups(const SvModel& Data, const TStringList& Goods, std::uint8_t AllKind);

// "<<BASE BUYS>>": every good of the model; its "{All Commodities}" shares the roots' plain tag.
std::vector<TInfoNode> BaseBuysChildren(const SvModel& Data);
// "<<BASE SELLS>>" for one base: the goods sold there ("{All Commodities}" tagged kind 4). A base index
// outside the model gives the bare groups.
std::vector<TInfoNode> BaseSellsChildren(const SvModel& Data, int Base);

// One line of a card with the attributes it is written in. An empty font is the box's own.
struct TCardLine {
  std::string Text;
  std::string Font;
  int Size = 9;
  bool Bold = false;
  friend bool operator==(const TCardLine&, const TCardLine&) = default;
};

// The base card: name, system, owning faction and whether it is lawful. Empty for an index outside the
// bases.
std::vector<TCardLine> BaseCardLines(const SvModel& Data, int Base);

// The good card: category, the price at Base, units per container, decay and volume. Without a base
// (none chosen yet, or an index outside the market) the card has no price line. Empty for an index
// outside the goods. Decimals use DecimalSeparator.
std::vector<TCardLine> GoodCardLines(const SvModel& Data, int Good, std::optional<int> Base,
                                     char DecimalSeparator = '.');

}  // namespace qmz
