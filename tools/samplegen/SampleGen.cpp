#include "samplegen/SampleGen.h"

#include "samplegen/Generator.h"

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

namespace detail {

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
                                          {"Cutthroats", "c", false},
                                          {"Smugglers", "s", false},
                                          {"Outlaws", "o", false},
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
      {"star_small", "STAR", "Star"},
      {"star_large", "STAR", "Giant Star"},
      {"planet_earthlike", "PLANET", "Earthlike Planet"},
      {"planet_desert", "PLANET", "Desert Planet"},
      {"planet_ice", "PLANET", "Ice Planet"},
      {"planet_gas", "PLANET", "Gas Giant"},
      {"planet_rock", "Planet", "Rock Planet"},
      {"planet_ocean", "PLANET", "Ocean Planet"},
      {"station_trade", "STATION", "Trade Station"},
      {"station_shipyard", "STATION", "Shipyard"},
      {"station_outpost", "STATION", "Outpost"},
      {"station_prison", "STATION", "Prison Station"},
      {"station_battleship", "STATION", "Battleship"},
      {"station_mining", "station", "Mining Station"},
      {"station_research", "STATION", "Research Station"},
      {"jump_portal", "PORTAL", "Jump Portal"},
      {"rift", "RIFT", "Rift"},
      {"Transit_Ring", "TRANSIT_RING", "Transit Ring"},
      {"docking_collar", "COLLAR", "Docking Collar"},
      {"relay_buoy", "BUOY", "Relay Buoy"},
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
                                                        "Free Haven",       "Habitat"};
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
                                                       "Alien Spores",
                                                       "Artifacts",
                                                       "Caladrix",
                                                       "Sidearm Kits",
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
                                                  "Aegis",   "Nadir", "Ferro",    "Lynx",    "Corona"};
  static const std::vector<std::string> ships = {"Stellan", "Pathway", "Delver", "Egret", "Tarn",
                                                 "Rook",    "Heron",   "Fulmar", "Skua",  "Drover"};

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
  WriteIni("equipment\\kiosk_cargo.ini", commodityMarket, false);
  WriteIni("equipment\\kiosk_gear.ini", miscMarket, true);

  std::map<std::string, bool> keeps;
  for (const auto& g : goods_) keeps[Lower(g.nick)] = g.loaderKeeps();
  man_.marketGoods = static_cast<int>(marketGoods.size());
  for (const auto& n : marketGoods) man_.tradedGoods += keeps[n] ? 1 : 0;
  for (const auto& [key, cell] : cells) {
    ++man_.marketCells;
    man_.soldCells += cell.sold ? 1 : 0;
  }
}

}  // namespace detail

Manifest Generate(const fs::path& root, const Options& options) { return detail::Generator(root, options).Run(); }

}  // namespace qmz::samplegen
