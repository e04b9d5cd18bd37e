#pragma once
// The generator's inner parts, shared by its two halves: SampleGen.cpp makes the model of an installation
// (factions, archetypes, universe, goods, markets), SampleGen_Write.cpp writes it out as the game's files.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "samplegen/IniWriter.h"
#include "samplegen/Prng.h"
#include "samplegen/SampleGen.h"

namespace qmz::samplegen::detail {

namespace fs = std::filesystem;

inline std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "Luxury Food" -> "luxury_food"
inline std::string Slug(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
    else if (!out.empty() && out.back() != '_') out += '_';
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out;
}

inline std::string Fmt(const char* fmt, const std::string& a, int n) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a.c_str(), n);
  return buf;
}

inline std::string Roman(int n) {
  static const char* const r[] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X"};
  return n >= 1 && n <= 10 ? r[n - 1] : std::to_string(n);
}

// The resource libraries: EXE\<name>, listed in this order under [Resources].
inline const char* const kDllNames[] = {"StvResources.dll", "StvNames.dll", "StvInfoCards.dll"};
enum Lib { kLibResources = 0, kLibNames = 1, kLibInfo = 2 };

struct EquipKind {
  const char* section;  // section name in the equipment files
  const char* noun;     // display name part
  const char* code;     // nickname part
  bool weapon;          // wpn_gear.ini or kit_other.ini
  bool typed;           // a type the loader keeps (not "Unknown")
};

// Every tradeable equipment type, written with the game's own capitalisation, plus Armor,
// which the loader does not know and therefore drops.
inline const EquipKind kEquipKinds[] = {
    {"ShieldGenerator", "Shield", "shield", false, true},
    {"Power", "Power Plant", "power", false, true},
    {"Engine", "Engine", "engine", false, true},
    {"Scanner", "Scanner", "scanner", false, true},
    {"Tractor", "Tractor Beam", "tractor", false, true},
    {"RepairKit", "Nanobots", "repairkit", false, true},
    {"ShieldBattery", "Shield Batteries", "shieldbattery", false, true},
    {"CounterMeasureDropper", "Countermeasure Dropper", "cmdropper", true, true},
    {"CounterMeasure", "Countermeasure Flare", "countermeasure", true, true},
    {"Thruster", "Thruster", "thruster", false, true},
    {"CloakingDevice", "Cloaking Device", "cloak", false, true},
    {"Gun", "Cannon", "gun", true, true},
    {"Munition", "Missile", "missile", true, true},
    {"MineDropper", "Mine Dropper", "minedropper", true, true},
    {"Mine", "Mine", "mine", true, true},
    {"Armor", "Armor Plating", "armor", false, false},
};
inline constexpr int kEquipKindCount = static_cast<int>(sizeof kEquipKinds / sizeof kEquipKinds[0]);

struct Faction {
  std::string nick, name;
  bool lawful = false;
  bool hasProps = true;
  int idsName = 0, idsShort = 0, idsInfo = 0;
};

struct Archetype {
  std::string nick, type;
  int ids = 0;
};

struct Base {
  std::string nick, name;
  int system = 0;
  int ids = 0;
  int faction = -1;  // -1: no owner
  std::string archetype;
  bool planet = false;
  bool dockable = true;
};

struct System {
  std::string nick, name, file;  // file: relative to DATA\universe
  int idsName = 0, idsInfo = 0;
  int localFaction = 0;
  std::vector<int> bases;  // dockable ones first, then the universe-only ones
};

enum class Cat { Commodity, Equipment, Ship, Hull };

struct Good {
  std::string nick, name;
  Cat cat = Cat::Commodity;
  int kind = -1;  // index into kEquipKinds for equipment
  bool marketable = true;
  bool loaderKeeps() const { return cat == Cat::Commodity || (cat == Cat::Equipment && kEquipKinds[kind].typed); }
};

struct Cell {
  bool sold = false;
};

class Generator {
 public:
  Generator(const fs::path& root, const Options& o) : opt_(o), rng_(o.seed), root_(fs::absolute(root)) {}

  Manifest Run();

 private:
  int Ids(Lib lib, const std::string& text, bool plainNumber = false);
  std::string PlaceName();
  std::string UniqueName(std::string name);
  void WriteIni(const std::string& dataRel, const IniDoc& doc, bool binaryCandidate);

  void MakeFactions();
  void MakeArchetypes();
  void MakeUniverse();
  void MakeGoods();
  void MakeMarkets();
  void WriteMainIni();
  void WriteGroupsAndProps();
  void WriteUniverse();
  void WriteGoodsAndEquipment();
  void WriteDlls();

  Options opt_;
  Prng rng_;
  fs::path root_;
  fs::path install_;
  Manifest man_;

  std::map<std::uint16_t, std::string> libs_[3];
  std::uint16_t nextRes_[3] = {1, 1, 1};
  std::set<std::string> usedNames_;

  std::vector<Faction> factions_;
  std::vector<Archetype> archetypes_;
  std::vector<std::string> planetArchs_, stationArchs_;
  std::map<std::string, int> archIds_;
  std::vector<System> systems_;
  std::vector<Base> bases_;
  std::vector<Good> goods_;
};

}  // namespace qmz::samplegen::detail
