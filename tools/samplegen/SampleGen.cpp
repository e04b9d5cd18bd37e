#include "samplegen/SampleGen.h"

#include "samplegen/FileOut.h"
#include "samplegen/IniWriter.h"
#include "samplegen/PeWriter.h"
#include "samplegen/Prng.h"
#include "samplegen/WineOut.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

namespace qmz::samplegen {

namespace fs = std::filesystem;

Options Options::ForSize(const std::string& name) {
  Options o;
  o.size = name;
  if (name == "small") {
    o.systems = 8, o.bases = 30, o.goods = 80, o.factions = 10, o.marketLines = 480;
  } else if (name == "typical") {
    o.systems = 48, o.bases = 250, o.goods = 600, o.factions = 40, o.marketLines = 10000;
  } else if (name == "large") {
    o.systems = 200, o.bases = 2000, o.goods = 4000, o.factions = 100, o.marketLines = 100000;
  } else if (name == "xlarge") {
    o.systems = 600, o.bases = 6000, o.goods = 12000, o.factions = 300, o.marketLines = 300000;
  } else {
    throw std::invalid_argument("unknown size '" + name + "' (small, typical, large or xlarge)");
  }
  return o;
}

std::string Manifest::ToText() const {
  auto join = [](const std::vector<std::string>& items) {
    std::string s;
    for (const auto& i : items) s += (s.empty() ? "" : ";") + i;
    return s;
  };
  std::string t;
  auto line = [&t](const std::string& k, const std::string& v) { t += k + "=" + v + "\n"; };
  line("size", size);
  line("seed", std::to_string(seed));
  line("install_dir", installDir.string());
  line("wine_prefix", winePrefix.string());
  line("app_path", appPath);
  line("factions", std::to_string(factions));
  line("lawful_factions", std::to_string(lawfulFactions));
  line("solar_archetypes", std::to_string(solarArchetypes));
  line("base_archetypes", std::to_string(baseArchetypes));
  line("systems", std::to_string(systems));
  line("universe_bases", std::to_string(universeBases));
  line("dockable_bases", std::to_string(dockableBases));
  line("goods", std::to_string(goods));
  line("market_goods", std::to_string(marketGoods));
  line("traded_goods", std::to_string(tradedGoods));
  line("market_lines", std::to_string(marketLines));
  line("market_cells", std::to_string(marketCells));
  line("sold_cells", std::to_string(soldCells));
  line("resource_dlls", std::to_string(resourceDlls));
  line("resource_strings", std::to_string(resourceStrings));
  line("binary_files", join(binaryFiles));
  line("mods", join(modNames));
  return t;
}

namespace {

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "Luxury Food" -> "luxury_food"
std::string Slug(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c)) out += static_cast<char>(std::tolower(c));
    else if (!out.empty() && out.back() != '_') out += '_';
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out;
}

std::string Fmt(const char* fmt, const std::string& a, int n) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a.c_str(), n);
  return buf;
}

std::string Roman(int n) {
  static const char* const r[] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X"};
  return n >= 1 && n <= 10 ? r[n - 1] : std::to_string(n);
}

// The resource libraries: EXE\<name>, listed in this order under [Resources].
const char* const kDllNames[] = {"StvResources.dll", "StvNames.dll", "StvInfoCards.dll"};
enum Lib { kLibResources = 0, kLibNames = 1, kLibInfo = 2 };

struct EquipKind {
  const char* section;  // section name in the equipment files
  const char* noun;     // display name part
  const char* code;     // nickname part
  bool weapon;          // weapon_equip.ini or misc_equip.ini
  bool typed;           // a type the loader keeps (not "Unknown")
};

// Every tradeable equipment type, written with the game's own capitalisation, plus Armor,
// which the loader does not know and therefore drops.
const EquipKind kEquipKinds[] = {
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
constexpr int kEquipKindCount = static_cast<int>(sizeof kEquipKinds / sizeof kEquipKinds[0]);

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

int Generator::Ids(Lib lib, const std::string& text, bool plainNumber) {
  if (nextRes_[lib] == 0xFFFF) throw std::length_error("resource library full");
  const std::uint16_t res = nextRes_[lib]++;
  libs_[lib][res] = text;
  // Numbers below 65536 address the first library as well; the faction names use that form.
  return plainNumber ? res : (lib + 1) * 65536 + res;
}

std::string Generator::PlaceName() {
  static const std::vector<std::string> heads = {"Ar",  "Bel", "Cor", "Dra", "El",  "Fen", "Gal",  "Hel", "Ix",  "Jor",
                                                 "Kal", "Lum", "Mor", "Nex", "Or",  "Pra", "Quin", "Rho", "Sol", "Tar",
                                                 "Ul",  "Ven", "Wyr", "Xan", "Yor", "Zel", "Bré",  "Vö"};
  static const std::vector<std::string> tails = {"ia", "on",  "ar",  "is",  "us",   "ea",  "or",
                                                 "ix", "ani", "eth", "ora", "ulon", "ava", "en"};
  std::string n = rng_.Pick(heads) + rng_.Pick(tails);
  if (rng_.Percent(30)) n += rng_.Pick(tails);
  return n;
}

std::string Generator::UniqueName(std::string name) {
  std::string candidate = name;
  for (int n = 2; !usedNames_.insert(candidate).second; ++n) candidate = name + " " + Roman(n);
  return candidate;
}

void Generator::WriteIni(const std::string& dataRel, const IniDoc& doc, bool binaryCandidate) {
  const fs::path path = OnDisk(install_, "DATA\\" + dataRel);
  const bool binary = binaryCandidate && opt_.binaryFiles;
  WriteFileBytes(path, binary ? IniToBini(doc) : IniToText(doc));
  if (binary) man_.binaryFiles.push_back(path.lexically_relative(install_).generic_string());
}

void Generator::MakeFactions() {
  struct Kind {
    const char* name;
    const char* code;
    bool lawful;
  };
  static const std::vector<Kind> kinds = {{"Police", "p", true},
                                          {"Navy", "n", true},
                                          {"Trading Company", "tc", true},
                                          {"Mining Guild", "mg", true},
                                          {"Shipping Company", "sc", true},
                                          {"Research Institute", "ri", true},
                                          {"Militia", "m", true},
                                          {"Corsairs", "c", false},
                                          {"Smugglers", "s", false},
                                          {"Outcasts", "o", false},
                                          {"Pirates", "pi", false},
                                          {"Raiders", "r", false}};
  const int n = std::max(2, opt_.factions);
  for (int i = 0; i < n; ++i) {
    // The first two are one of each kind, so every installation has both.
    const bool lawful = i == 0 ? true : i == 1 ? false : rng_.Percent(60);
    Kind k = rng_.Pick(kinds);
    while (k.lawful != lawful) k = rng_.Pick(kinds);
    Faction f;
    f.name = UniqueName(PlaceName() + " " + k.name);
    f.nick = Fmt("f%s%02d_grp", std::string(k.code) + "_", i + 1);
    f.lawful = lawful;
    f.hasProps = !(n >= 5 && i == n - 1);  // one faction without properties: never lawful
    f.idsName = Ids(kLibResources, f.name, true);
    f.idsShort = Ids(kLibResources, k.name, true);
    f.idsInfo = Ids(kLibInfo, "The " + f.name + (lawful ? " keep to the law." : " live outside the law."));
    factions_.push_back(f);
    if (f.lawful && f.hasProps) ++man_.lawfulFactions;
  }
  man_.factions = n;
}

void Generator::MakeArchetypes() {
  struct A {
    const char* nick;
    const char* type;
    const char* name;
  };
  // Letter case of the type varies: the loader compares it ignoring case.
  static const A list[] = {
      {"sun_1000", "SUN", "Sun"},
      {"sun_2000", "SUN", "Giant Sun"},
      {"planet_earthgrn_3000", "PLANET", "Earthlike Planet"},
      {"planet_desert_2000", "PLANET", "Desert Planet"},
      {"planet_ice_1500", "PLANET", "Ice Planet"},
      {"planet_gasgiant_5000", "PLANET", "Gas Giant"},
      {"planet_rock_800", "Planet", "Rock Planet"},
      {"planet_water_2500", "PLANET", "Ocean Planet"},
      {"station_trade", "STATION", "Trade Station"},
      {"station_shipyard", "STATION", "Shipyard"},
      {"station_outpost", "STATION", "Outpost"},
      {"station_prison", "STATION", "Prison Station"},
      {"station_battleship", "STATION", "Battleship"},
      {"station_mining", "station", "Mining Station"},
      {"station_research", "STATION", "Research Station"},
      {"jumpgate", "JUMP_GATE", "Jump Gate"},
      {"jumphole", "JUMP_HOLE", "Jump Hole"},
      {"Trade_Lane_Ring", "TRADELANE_RING", "Trade Lane Ring"},
      {"dock_ring", "DOCKING_RING", "Docking Ring"},
      {"satellite_comm", "SATELLITE", "Communication Satellite"},
  };
  for (const auto& a : list) {
    Archetype arch{a.nick, a.type, Ids(kLibNames, a.name)};
    archIds_[arch.nick] = arch.ids;
    const std::string t = Lower(arch.type);
    if (t == "planet") planetArchs_.push_back(arch.nick);
    if (t == "station") stationArchs_.push_back(arch.nick);
    archetypes_.push_back(arch);
  }
  man_.solarArchetypes = static_cast<int>(archetypes_.size());
  man_.baseArchetypes = static_cast<int>(planetArchs_.size() + stationArchs_.size());
}

void Generator::MakeUniverse() {
  static const std::vector<std::string> stationKinds = {"Trading Outpost",  "Shipyard", "Battleship", "Mining Facility",
                                                        "Research Station", "Prison",   "Depot",      "Refinery",
                                                        "Freeport",         "Habitat"};
  const int s = std::max(1, opt_.systems);
  const int b = std::max(s, opt_.bases);
  const int width = s < 100 ? 2 : 3;

  std::vector<int> lawful, all;
  for (int i = 0; i < static_cast<int>(factions_.size()); ++i) {
    all.push_back(i);
    if (factions_[i].lawful) lawful.push_back(i);
  }

  for (int i = 0; i < s; ++i) {
    System sys;
    char nick[16];
    std::snprintf(nick, sizeof nick, "St%0*d", width, i + 1);
    sys.nick = nick;
    sys.name = UniqueName(PlaceName());
    sys.file = "systems\\" + sys.nick + "\\" + Lower(sys.nick) + ".ini";
    sys.idsName = Ids(kLibResources, sys.name);
    sys.idsInfo = Ids(kLibInfo, "The " + sys.name + " system.");
    sys.localFaction = rng_.Percent(80) ? rng_.Pick(lawful) : rng_.Pick(all);
    systems_.push_back(sys);
  }

  // Every system gets one base, the rest are spread at random.
  std::vector<int> count(s, 1);
  for (int i = s; i < b; ++i) ++count[rng_.Next() % s];

  for (int i = 0; i < s; ++i) {
    System& sys = systems_[i];
    const int ghosts = rng_.Percent(30) ? 1 : 0;  // listed in the universe, never docked at
    for (int j = 0; j < count[i] + ghosts; ++j) {
      Base base;
      base.system = i;
      base.nick = Fmt("%s_%02d_Base", sys.nick, j + 1);
      base.dockable = j < count[i];
      base.planet = base.dockable && rng_.Percent(35);
      if (!base.dockable) base.name = UniqueName(sys.name + " Derelict");
      else if (base.planet) base.name = UniqueName("Planet " + PlaceName());
      else base.name = UniqueName(sys.name + " " + rng_.Pick(stationKinds));
      base.archetype = base.planet ? rng_.Pick(planetArchs_) : rng_.Pick(stationArchs_);
      base.ids = Ids(kLibNames, base.name);
      const int r = rng_.Range(0, 99);
      base.faction = r < 50 ? sys.localFaction : r < 85 ? rng_.Pick(all) : -1;
      sys.bases.push_back(static_cast<int>(bases_.size()));
      bases_.push_back(base);
      man_.dockableBases += base.dockable ? 1 : 0;
    }
  }
  man_.universeBases = static_cast<int>(bases_.size());
  man_.systems = s;
}

void Generator::MakeGoods() {
  static const std::vector<std::string> commodities = {"Water",
                                                       "Oxygen",
                                                       "Food Rations",
                                                       "Luxury Food",
                                                       "Consumer Goods",
                                                       "Gold",
                                                       "Silver",
                                                       "Diamonds",
                                                       "Platinum",
                                                       "Cobalt",
                                                       "Niobium",
                                                       "Boron",
                                                       "Beryllium",
                                                       "Iron Ore",
                                                       "Copper Ore",
                                                       "Hydrocarbons",
                                                       "Polymers",
                                                       "Optronics",
                                                       "Superconductors",
                                                       "Engine Components",
                                                       "Hull Panels",
                                                       "Medical Supplies",
                                                       "Pharmaceuticals",
                                                       "Alien Organisms",
                                                       "Artifacts",
                                                       "Cardamine",
                                                       "Side Arms",
                                                       "Fertilizers",
                                                       "Textiles",
                                                       "Construction Machinery",
                                                       "Mining Machinery",
                                                       "Robotics",
                                                       "Scrap Metal",
                                                       "Toxic Waste",
                                                       "Passengers",
                                                       "Prisoners",
                                                       "Helium-3",
                                                       "Spice",
                                                       "Coffee",
                                                       "Vintage Wine"};
  static const std::vector<std::string> grades = {"Refined",    "Raw",  "Processed", "Synthetic",
                                                  "Compressed", "Rare", "Bulk"};
  static const std::vector<std::string> brands = {"Kestrel", "Orion", "Vanguard", "Halcyon", "Talon",
                                                  "Aegis",   "Nomad", "Ferro",    "Lynx",    "Corona"};
  static const std::vector<std::string> ships = {"Starflier", "Patriot", "Defender", "Eagle", "Titan",
                                                 "Rhino",     "Hawk",    "Falcon",   "Sabre", "Dromedary"};

  const int g = std::max(4, opt_.goods);
  const int nShips = std::max(1, g / 40);
  const int rest = g - 2 * nShips;
  const int nCommodities = std::max(1, rest * 45 / 100);
  const int nEquipment = rest - nCommodities;

  std::set<std::string> nicks;
  auto uniqueNick = [&nicks](const std::string& base) {
    std::string n = base;
    for (int k = 2; !nicks.insert(n).second; ++k) n = base + "_" + std::to_string(k);
    return n;
  };

  const int nc = static_cast<int>(commodities.size());
  for (int i = 0; i < nCommodities; ++i) {
    Good good;
    const int round = i / nc;
    good.name = commodities[i % nc];
    if (round > 0) good.name = grades[(round - 1) % grades.size()] + " " + good.name;
    if (round > static_cast<int>(grades.size()))
      good.name += " " + Roman((round - 1) / static_cast<int>(grades.size()) + 1);
    good.nick = uniqueNick("commodity_" + Slug(good.name));
    good.cat = Cat::Commodity;
    good.marketable = i == 0 || !rng_.Percent(5);
    goods_.push_back(good);
  }
  for (int i = 0; i < nEquipment; ++i) {
    Good good;
    good.kind = i % kEquipKindCount;
    const int n = i / kEquipKindCount;
    const EquipKind& k = kEquipKinds[good.kind];
    const std::string brand = brands[n % brands.size()];
    const int mark = n / static_cast<int>(brands.size()) + 1;
    good.name = brand + " " + k.noun + " Mk " + Roman(mark);
    good.nick = uniqueNick(std::string(k.code) + "_" + Lower(brand) + "_mk" + std::to_string(mark));
    good.cat = Cat::Equipment;
    good.marketable = i == 0 || !rng_.Percent(5);
    goods_.push_back(good);
  }
  for (int i = 0; i < nShips; ++i) {
    const std::string ship = ships[i % ships.size()] + (i >= static_cast<int>(ships.size())
                                                            ? " " + std::to_string(i / ships.size() + 1)
                                                            : std::string());
    Good package;
    package.name = ship;
    package.nick = uniqueNick("ship_" + Slug(ship) + "_package");
    package.cat = Cat::Ship;
    goods_.push_back(package);
    Good hull;
    hull.name = ship + " Hull";
    hull.nick = uniqueNick("ship_" + Slug(ship) + "_hull");
    hull.cat = Cat::Hull;
    hull.marketable = false;
    goods_.push_back(hull);
  }
  man_.goods = static_cast<int>(goods_.size());
}

void Generator::MakeMarkets() {
  std::vector<int> commodityPool, equipmentPool, shipPool, dockable, ghosts;
  for (int i = 0; i < static_cast<int>(goods_.size()); ++i) {
    if (!goods_[i].marketable) continue;
    if (goods_[i].cat == Cat::Commodity) commodityPool.push_back(i);
    else if (goods_[i].cat == Cat::Equipment) equipmentPool.push_back(i);
    else if (goods_[i].cat == Cat::Ship) shipPool.push_back(i);
  }
  for (int i = 0; i < static_cast<int>(bases_.size()); ++i) (bases_[i].dockable ? dockable : ghosts).push_back(i);

  // Goods per base: commodity and equipment lists, no good twice in one list.
  const int nb = static_cast<int>(dockable.size());
  std::vector<std::vector<int>> comm(bases_.size()), equip(bases_.size());
  auto cover = [&](const std::vector<int>& pool, std::vector<std::vector<int>>& lists) {
    // Each marketable good at one base at least, so the market names it.
    std::vector<int> order = dockable;
    rng_.Shuffle(order);
    for (std::size_t k = 0; k < pool.size(); ++k) lists[order[k % order.size()]].push_back(pool[k]);
  };
  cover(commodityPool, comm);
  cover(equipmentPool, equip);
  for (int ship : shipPool) equip[dockable[rng_.Next() % nb]].push_back(ship);

  const double perBase = static_cast<double>(opt_.marketLines) / nb;
  auto fill = [&](std::vector<int>& list, const std::vector<int>& pool, double want) {
    const int target = std::min(static_cast<int>(pool.size()),
                                std::max(1, static_cast<int>(want * rng_.Range(70, 130) / 100.0 + 0.5)));
    std::set<int> have(list.begin(), list.end());
    for (int tries = 0; static_cast<int>(list.size()) < target && tries < target * 4; ++tries) {
      const int g = rng_.Pick(pool);
      if (have.insert(g).second) list.push_back(g);
    }
  };
  for (int b : dockable) {
    fill(comm[b], commodityPool, perBase * 0.55);
    fill(equip[b], equipmentPool, perBase * 0.45);
  }
  // Some universe-only bases keep a market, whose lines the loader reads but never uses.
  for (std::size_t k = 0; k < ghosts.size(); k += 2) fill(comm[ghosts[k]], commodityPool, 4);

  // Lines. Commodities are either sold cheaply or only bought dearly, so routes exist
  // with profit and without; equipment is mostly sold, with level and reputation.
  std::map<std::pair<std::string, std::string>, Cell> cells;
  std::set<std::string> marketGoods;
  auto record = [&](int b, int g, bool sold) {
    ++man_.marketLines;
    marketGoods.insert(Lower(goods_[g].nick));
    if (bases_[b].dockable && goods_[g].loaderKeeps())
      cells[{Lower(bases_[b].nick), Lower(goods_[g].nick)}].sold = sold;
  };
  auto factor = [this](int lo, int hi) { return rng_.Range(lo, hi) / 100.0; };

  IniDoc commodityMarket, miscMarket;
  commodityMarket.comments = {"Commodity markets"};
  miscMarket.comments = {"Equipment and ship markets"};
  for (int b = 0; b < static_cast<int>(bases_.size()); ++b) {
    if (!comm[b].empty()) {
      IniSection& sec = commodityMarket.Section("BaseGood");
      sec.Add("base", {bases_[b].nick});
      for (int g : comm[b]) {
        const bool sold = rng_.Percent(50);
        if (sold)
          sec.Add("MarketGood",
                  {goods_[g].nick, 0, -1, rng_.Range(50, 200), rng_.Range(300, 1500), 0, factor(60, 105)});
        else sec.Add("MarketGood", {goods_[g].nick, 0, -1, 0, 0, 1, factor(95, 180)});
        record(b, g, sold);
      }
      if (rng_.Percent(5)) {
        // The first good once more: the later line overrides the earlier one.
        const int g = comm[b].front();
        sec.Add("MarketGood", {goods_[g].nick, 0, -1, 100, 400, 0, factor(60, 105)});
        record(b, g, true);
      }
    }
    if (!equip[b].empty()) {
      IniSection& sec = miscMarket.Section("BaseGood");
      // Lower case here, mixed case in the other file: one base, merged by the loader.
      sec.Add("base", {Lower(bases_[b].nick)});
      for (int g : equip[b]) {
        if (goods_[g].cat == Cat::Ship) {
          sec.Add("MarketGood", {goods_[g].nick, 0, -1, 1, 1, 0, 1});
          record(b, g, true);
          continue;
        }
        const bool sold = rng_.Percent(75);
        static const std::vector<double> reps = {-1.0, -0.2, 0.0, 0.2, 0.45};
        if (sold)
          sec.Add("MarketGood", {goods_[g].nick, rng_.Range(0, 35), rng_.Pick(reps), 10, 50, 0, factor(85, 130)});
        else sec.Add("MarketGood", {goods_[g].nick, 0, -1, 0, 0, 1, factor(90, 140)});
        record(b, g, sold);
      }
    }
  }
  WriteIni("equipment\\market_commodities.ini", commodityMarket, false);
  WriteIni("equipment\\market_misc.ini", miscMarket, true);

  std::map<std::string, bool> keeps;
  for (const auto& g : goods_) keeps[Lower(g.nick)] = g.loaderKeeps();
  man_.marketGoods = static_cast<int>(marketGoods.size());
  for (const auto& n : marketGoods) man_.tradedGoods += keeps[n] ? 1 : 0;
  for (const auto& [key, cell] : cells) {
    ++man_.marketCells;
    man_.soldCells += cell.sold ? 1 : 0;
  }
}

void Generator::WriteMainIni() {
  IniDoc ini;
  ini.comments = {"Starvagant main configuration"};
  ini.Section("Starvagant")
      .Add("data path", {"..\\data"})
      .Add("initial_world", {"initialworld.ini"})
      .Add("local_server", {"rpclocal.dll"});
  IniSection& res = ini.Section("Resources");
  for (const char* dll : kDllNames) res.Add("DLL", {dll});
  // Kinds the loader reads, in the game's mixed spelling, with an inline comment and
  // one kind (ships) that the loader ignores.
  ini.Section("Data")
      .Add("solar", {"solar\\solararch.ini"})
      .Add("universe", {"universe\\universe.ini"})
      .Add("Groups", {"groups.ini"})
      .Add("equipment", {"equipment\\select_equip.ini"})
      .Add("equipment", {"equipment\\weapon_equip.ini ; guns, munitions, mines"})
      .Add("equipment", {"equipment\\misc_equip.ini"})
      .Add("goods", {"equipment\\goods.ini"})
      .Add("goods", {"equipment\\misc_good.ini"})
      .Add("markets", {"equipment\\market_commodities.ini"})
      .Add("markets", {"equipment\\market_misc.ini"})
      .Add("ships", {"ships\\shiparch.ini"});
  WriteFileBytes(OnDisk(install_, "EXE\\starvagant.ini"), IniToText(ini));

  IniDoc world;
  world.Section("Time").Add("seconds_per_day", {1800});
  IniSection& gates = world.Section("Locked_Gates");
  for (std::size_t i = 0; i < systems_.size() && i < 3; ++i)
    gates.Add("locked_gate", {systems_[i].nick + "_to_unknown"});
  WriteIni("initialworld.ini", world, false);
}

void Generator::WriteGroupsAndProps() {
  IniDoc groups;
  for (const auto& f : factions_) {
    IniSection& sec = groups.Section("Group");
    sec.Add("nickname", {f.nick})
        .Add("ids_name", {f.idsName})
        .Add("ids_info", {f.idsInfo})
        .Add("ids_short_name", {f.idsShort});
    for (int k = 0; k < 4; ++k) {
      const Faction& other = rng_.Pick(factions_);
      if (other.nick != f.nick)
        sec.Add("rep", {(other.lawful == f.lawful ? 1 : -1) * rng_.Range(10, 90) / 100.0, other.nick});
    }
  }
  WriteIni("groups.ini", groups, false);

  std::vector<std::string> contraband;
  for (const auto& g : goods_)
    if (g.cat == Cat::Commodity) contraband.push_back(g.nick);
  IniDoc props;
  for (std::size_t i = 0; i < factions_.size(); ++i) {
    const Faction& f = factions_[i];
    if (!f.hasProps) continue;
    IniSection& sec = props.Section("FactionProps");
    sec.Add("affiliation", {f.nick})
        .Add("legality", {f.lawful ? (i % 3 == 2 ? "Lawful" : "lawful") : "unlawful"})
        .Add("nickname_plurality", {"plural"})
        .Add("jump_preference", {"any"})
        .Add("scan_announce", {f.lawful ? "true" : "false"})
        .Add("scan_chance", {f.lawful ? rng_.Range(20, 90) / 100.0 : 0.0});
    if (f.lawful)
      for (int k = rng_.Range(1, 3); k > 0; --k) sec.Add("scan_for_cargo", {rng_.Pick(contraband), 1});
  }
  WriteIni("missions\\faction_prop.ini", props, false);
}

void Generator::WriteUniverse() {
  IniDoc solar;
  for (const auto& a : archetypes_) {
    solar.Section("Solar")
        .Add("nickname", {a.nick})
        .Add("type", {a.type})
        .Add("ids_name", {a.ids})
        .Add("DA_archetype", {"solar\\models\\" + a.nick + ".cmp"})
        .Add("mass", {10000.0});
  }
  WriteIni("solar\\solararch.ini", solar, true);

  IniDoc universe;
  universe.comments = {"Systems and bases"};
  for (const auto& sys : systems_) {
    universe.Section("System")
        .Add("nickname", {sys.nick})
        .Add("file", {sys.file})
        .Add("pos", {rng_.Range(0, 20), rng_.Range(0, 20)})
        .Add("msg_id_prefix", {"gcs_refer_system_" + sys.nick})
        .Add("strid_name", {sys.idsName})
        .Add("ids_info", {sys.idsInfo})
        .Add("NavMapScale", {1.25});
  }
  for (const auto& base : bases_) {
    const System& sys = systems_[base.system];
    universe.Section("Base")
        .Add("nickname", {base.nick})
        .Add("system", {sys.nick})
        .Add("strid_name", {base.ids})
        .Add("file", {"Universe\\Systems\\" + sys.nick + "\\Bases\\" + base.nick + ".ini"});
  }
  WriteIni("universe\\universe.ini", universe, true);

  const int ns = static_cast<int>(systems_.size());
  for (int i = 0; i < ns; ++i) {
    const System& sys = systems_[i];
    IniDoc f;
    f.Section("SystemInfo")
        .Add("name", {sys.nick})
        .Add("space_color", {0, 0, 0})
        .Add("local_faction", {factions_[sys.localFaction].nick});
    auto pos = [this]() {
      return std::vector<IniValue>{rng_.Range(-90000, 90000), rng_.Range(-500, 500), rng_.Range(-90000, 90000)};
    };
    const std::string sun = i % 2 ? "sun_1000" : "sun_2000";
    f.Section("Object")
        .Add("nickname", {sys.nick + "_Sun"})
        .Add("ids_name", {archIds_[sun]})
        .Add("pos", {0, 0, 0})
        .Add("Archetype", {sun})
        .Add("star", {"med_white_sun"});
    for (int b : sys.bases) {
      const Base& base = bases_[b];
      const std::string objNick = base.nick.substr(0, base.nick.size() - 5);  // without "_Base"
      if (!base.dockable) {
        // A docking ring that names the base is not enough to dock: its archetype is
        // not a planet or station.
        if (b % 2 == 0)
          f.Section("Object")
              .Add("nickname", {objNick + "_dock_ring"})
              .Add("ids_name", {base.ids})
              .Add("pos", pos())
              .Add("Archetype", {"dock_ring"})
              .Add("base", {base.nick});
        continue;
      }
      IniSection& obj = f.Section("Object");
      obj.Add("nickname", {objNick}).Add("ids_name", {base.ids}).Add("pos", pos());
      if (!base.planet) obj.Add("rotate", {0, rng_.Range(0, 359) + 0.5, 0});
      obj.Add("Archetype", {base.archetype}).Add("base", {base.nick}).Add("dock_with", {base.nick});
      if (base.faction >= 0) obj.Add("reputation", {factions_[base.faction].nick});
      if (base.planet) {
        IniSection& ring = f.Section("Object");
        ring.Add("nickname", {objNick + "_dock_ring"})
            .Add("ids_name", {base.ids})
            .Add("pos", pos())
            .Add("Archetype", {"dock_ring"})
            .Add("base", {base.nick});
        if (base.faction >= 0) ring.Add("reputation", {factions_[base.faction].nick});
      }
    }
    if (rng_.Percent(60)) {
      const std::string arch = rng_.Pick(planetArchs_);
      f.Section("Object")
          .Add("nickname", {sys.nick + "_planet"})
          .Add("ids_name", {archIds_[arch]})
          .Add("pos", pos())
          .Add("Archetype", {arch});
    }
    if (ns > 1) {
      for (int other : {(i + 1) % ns, (i + ns - 1) % ns}) {
        const std::string& to = systems_[other].nick;
        f.Section("Object")
            .Add("nickname", {sys.nick + "_to_" + to})
            .Add("ids_name", {archIds_["jumpgate"]})
            .Add("pos", pos())
            .Add("Archetype", {"jumpgate"})
            .Add("goto", {to, to + "_to_" + sys.nick, "gate_tunnel"});
        if (ns == 2) break;
      }
    }
    for (int r = 1; r <= 2; ++r) {
      IniSection& ring = f.Section("Object");
      ring.Add("nickname", {sys.nick + "_Trade_Lane_Ring_" + std::to_string(r)})
          .Add("ids_name", {archIds_["Trade_Lane_Ring"]})
          .Add("pos", pos())
          .Add("Archetype", {"Trade_Lane_Ring"});
      ring.Add(r == 1 ? "next_ring" : "prev_ring", {sys.nick + "_Trade_Lane_Ring_" + std::to_string(3 - r)});
    }
    WriteIni("universe\\" + sys.file, f, i % 2 == 1);
  }
}

void Generator::WriteGoodsAndEquipment() {
  static const std::vector<int> volumes = {1, 1, 1, 2, 3, 5, 10};
  static const std::vector<int> containers = {1, 5, 10};
  static const std::vector<double> decays = {0.01, 0.05, 0.1, 0.25, 0.5, 1.5};

  IniDoc goods, miscGoods, select, weapon, misc;
  goods.comments = {"Commodities and ships"};
  for (const auto& good : goods_) {
    if (good.cat == Cat::Commodity) {
      const int whole = rng_.Range(5, 2500);
      const IniValue price = rng_.Percent(25) ? IniValue(whole + rng_.Range(1, 3) / 4.0) : IniValue(whole);
      goods.Section("Good")
          .Add("nickname", {good.nick})
          .Add("equipment", {good.nick})
          .Add("category", {rng_.Percent(20) ? "Commodity" : "commodity"})
          .Add("price", {price})
          .Add("combinable", {"true"})
          .Add("good_sell_price", {whole * 115 / 100})
          .Add("good_buy_price", {whole * 105 / 100})
          .Add("bad_sell_price", {whole * 90 / 100})
          .Add("bad_buy_price", {whole * 85 / 100})
          .Add("shop_archetype", {"equipment\\models\\commodities\\crate.cmp"});
      select.Section("Commodity")
          .Add("nickname", {good.nick})
          .Add("ids_name", {Ids(kLibNames, good.name)})
          .Add("ids_info", {Ids(kLibInfo, good.name + ": a commodity.")})
          .Add("units_per_container", {rng_.Pick(containers)})
          .Add("decay_per_second", {rng_.Percent(25) ? IniValue(rng_.Pick(decays)) : IniValue(0)})
          .Add("hit_pts", {rng_.Range(50, 500)})
          .Add("volume", {rng_.Pick(volumes)})
          .Add("loot_appearance", {"crate"});
    } else if (good.cat == Cat::Equipment) {
      const EquipKind& k = kEquipKinds[good.kind];
      miscGoods.Section("Good")
          .Add("nickname", {good.nick})
          .Add("equipment", {good.nick})
          .Add("category", {"equipment"})
          .Add("price", {rng_.Range(20, 600) * 50})
          .Add("item_icon", {std::string("equipment\\models\\commodities\\nn_icons\\") + k.code + ".3db"});
      (k.weapon ? weapon : misc)
          .Section(k.section)
          .Add("nickname", {good.nick})
          .Add("ids_name", {Ids(kLibNames, good.name)})
          .Add("ids_info", {Ids(kLibInfo, good.name + ": equipment.")})
          .Add("DA_archetype", {std::string("equipment\\models\\") + k.code + ".cmp"})
          .Add("mass", {rng_.Range(1, 40) / 2.0})
          .Add("hit_pts", {rng_.Range(100, 3000)})
          .Add("volume", {rng_.Range(0, 8)});
    } else if (good.cat == Cat::Ship) {
      const std::string base = good.nick.substr(0, good.nick.size() - 8);  // without "_package"
      goods.Section("Good")
          .Add("nickname", {good.nick})
          .Add("category", {"ship"})
          .Add("hull", {base + "_hull"})
          .Add("addon", {"ge_s_cm_01", "HpCM01", 1});
    } else {
      const std::string base = good.nick.substr(0, good.nick.size() - 5);  // without "_hull"
      goods.Section("Good")
          .Add("nickname", {good.nick})
          .Add("category", {"shiphull"})
          .Add("ship", {base})
          .Add("price", {rng_.Range(20, 900) * 1000});
    }
  }
  WriteIni("equipment\\goods.ini", goods, false);
  WriteIni("equipment\\misc_good.ini", miscGoods, true);
  WriteIni("equipment\\select_equip.ini", select, true);
  WriteIni("equipment\\weapon_equip.ini", weapon, false);
  WriteIni("equipment\\misc_equip.ini", misc, false);
}

void Generator::WriteDlls() {
  for (int lib = 0; lib < 3; ++lib) {
    WriteFileBytes(OnDisk(install_, std::string("EXE\\") + kDllNames[lib]), BuildStringTableDll(libs_[lib]));
    man_.resourceStrings += static_cast<int>(libs_[lib].size());
  }
  man_.resourceDlls = 3;
}

Manifest Generator::Run() {
  man_.size = opt_.size;
  man_.seed = opt_.seed;
  man_.root = root_;

  // Output of an earlier run is replaced, but only when its manifest says it is ours.
  const fs::path manifestFile = root_ / "manifest.txt";
  if (fs::exists(manifestFile)) {
    fs::remove_all(root_ / "Starvagant");
    fs::remove_all(root_ / "wineprefix");
    fs::remove(manifestFile);
  }
  if (opt_.winePrefix) {
    man_.winePrefix = root_ / "wineprefix";
    install_ = man_.winePrefix / "drive_c" / "Games" / "Starvagant";
    man_.appPath = "C:\\Games\\Starvagant";
  } else {
    install_ = root_ / "Starvagant";
  }
  man_.installDir = install_;
  fs::create_directories(install_);

  // The order of the steps fixes the random sequence: keep it independent of the
  // options that only change the form of the files (binary, Wine prefix).
  MakeFactions();
  MakeArchetypes();
  MakeUniverse();
  MakeGoods();
  WriteGoodsAndEquipment();
  MakeMarkets();
  WriteMainIni();
  WriteGroupsAndProps();
  WriteUniverse();
  WriteDlls();
  if (opt_.winePrefix) man_.modNames = WriteWinePrefix(man_.winePrefix, man_.appPath, opt_.mods);

  WriteFileBytes(manifestFile, man_.ToText());
  return man_;
}

}  // namespace

Manifest Generate(const fs::path& root, const Options& options) { return Generator(root, options).Run(); }

}  // namespace qmz::samplegen
