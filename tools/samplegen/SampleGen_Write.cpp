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

namespace qmz::samplegen::detail {

void Generator::WriteMainIni() {
  IniDoc ini;
  ini.comments = {"Starvagant main configuration"};
  ini.Section("Starvagant").Add("data path", {"..\\data"}).Add("initial_world", {"launch_world.ini"});
  IniSection& res = ini.Section("Resources");
  for (const char* dll : kDllNames) res.Add("DLL", {dll});
  // Kinds the loader reads, in the game's mixed spelling, with an inline comment and
  // one kind (ships) that the loader ignores.
  ini.Section("Data")
      .Add("solar", {"solar\\solar_kinds.ini"})
      .Add("universe", {"universe\\universe.ini"})
      .Add("Groups", {"groups.ini"})
      .Add("equipment", {"equipment\\wares_specs.ini"})
      .Add("equipment", {"equipment\\wpn_gear.ini ; guns, munitions, mines"})
      .Add("equipment", {"equipment\\kit_other.ini"})
      .Add("goods", {"equipment\\goods.ini"})
      .Add("goods", {"equipment\\wares_gear.ini"})
      .Add("markets", {"equipment\\kiosk_cargo.ini"})
      .Add("markets", {"equipment\\kiosk_gear.ini"})
      .Add("ships", {"ships\\hulls.ini"});
  WriteFileBytes(OnDisk(install_, "EXE\\starvagant.ini"), IniToText(ini));

  IniDoc world;
  world.Section("Time").Add("seconds_per_day", {1800});
  IniSection& sealed = world.Section("Sealed_Portals");
  for (std::size_t i = 0; i < systems_.size() && i < 3; ++i)
    sealed.Add("sealed_portal", {systems_[i].nick + "_to_unknown"});
  WriteIni("launch_world.ini", world, false);
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
        .Add("mass", {10000.0});
  }
  WriteIni("solar\\solar_kinds.ini", solar, true);

  IniDoc universe;
  universe.comments = {"Systems and bases"};
  for (const auto& sys : systems_) {
    universe.Section("System")
        .Add("nickname", {sys.nick})
        .Add("file", {sys.file})
        .Add("pos", {rng_.Range(0, 20), rng_.Range(0, 20)})
        .Add("strid_name", {sys.idsName})
        .Add("ids_info", {sys.idsInfo});
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
    f.Section("SystemInfo").Add("name", {sys.nick}).Add("local_faction", {factions_[sys.localFaction].nick});
    auto pos = [this]() {
      return std::vector<IniValue>{rng_.Range(-90000, 90000), rng_.Range(-500, 500), rng_.Range(-90000, 90000)};
    };
    const std::string star = i % 2 ? "star_small" : "star_large";
    f.Section("Object")
        .Add("nickname", {sys.nick + "_Star"})
        .Add("ids_name", {archIds_[star]})
        .Add("pos", {0, 0, 0})
        .Add("Archetype", {star});
    for (int b : sys.bases) {
      const Base& base = bases_[b];
      const std::string objNick = base.nick.substr(0, base.nick.size() - 5);  // without "_Base"
      if (!base.dockable) {
        // A docking collar that names the base is not enough to dock: its archetype is
        // not a planet or station.
        if (b % 2 == 0)
          f.Section("Object")
              .Add("nickname", {objNick + "_collar"})
              .Add("ids_name", {base.ids})
              .Add("pos", pos())
              .Add("Archetype", {"docking_collar"})
              .Add("base", {base.nick});
        continue;
      }
      IniSection& obj = f.Section("Object");
      obj.Add("nickname", {objNick}).Add("ids_name", {base.ids}).Add("pos", pos());
      if (!base.planet) obj.Add("rotate", {0, rng_.Range(0, 359) + 0.5, 0});
      obj.Add("Archetype", {base.archetype}).Add("base", {base.nick}).Add("dock_with", {base.nick});
      if (base.faction >= 0) obj.Add("reputation", {factions_[base.faction].nick});
      if (base.planet) {
        IniSection& collar = f.Section("Object");
        collar.Add("nickname", {objNick + "_collar"})
            .Add("ids_name", {base.ids})
            .Add("pos", pos())
            .Add("Archetype", {"docking_collar"})
            .Add("base", {base.nick});
        if (base.faction >= 0) collar.Add("reputation", {factions_[base.faction].nick});
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
            .Add("ids_name", {archIds_["jump_portal"]})
            .Add("pos", pos())
            .Add("Archetype", {"jump_portal"});
        if (ns == 2) break;
      }
    }
    for (int r = 1; r <= 2; ++r) {
      f.Section("Object")
          .Add("nickname", {sys.nick + "_Transit_Ring_" + std::to_string(r)})
          .Add("ids_name", {archIds_["Transit_Ring"]})
          .Add("pos", pos())
          .Add("Archetype", {"Transit_Ring"});
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
          .Add("bad_buy_price", {whole * 85 / 100});
      select.Section("Commodity")
          .Add("nickname", {good.nick})
          .Add("ids_name", {Ids(kLibNames, good.name)})
          .Add("ids_info", {Ids(kLibInfo, good.name + ": a commodity.")})
          .Add("units_per_container", {rng_.Pick(containers)})
          .Add("decay_per_second", {rng_.Percent(25) ? IniValue(rng_.Pick(decays)) : IniValue(0)})
          .Add("integrity", {rng_.Range(50, 500)})
          .Add("volume", {rng_.Pick(volumes)});
    } else if (good.cat == Cat::Equipment) {
      const EquipKind& k = kEquipKinds[good.kind];
      miscGoods.Section("Good")
          .Add("nickname", {good.nick})
          .Add("equipment", {good.nick})
          .Add("category", {"equipment"})
          .Add("price", {rng_.Range(20, 600) * 50});
      (k.weapon ? weapon : misc)
          .Section(k.section)
          .Add("nickname", {good.nick})
          .Add("ids_name", {Ids(kLibNames, good.name)})
          .Add("ids_info", {Ids(kLibInfo, good.name + ": equipment.")})
          .Add("mass", {rng_.Range(1, 40) / 2.0})
          .Add("integrity", {rng_.Range(100, 3000)})
          .Add("volume", {rng_.Range(0, 8)});
    } else if (good.cat == Cat::Ship) {
      const std::string base = good.nick.substr(0, good.nick.size() - 8);  // without "_package"
      goods.Section("Good").Add("nickname", {good.nick}).Add("category", {"ship"}).Add("hull", {base + "_hull"});
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
  WriteIni("equipment\\wares_gear.ini", miscGoods, true);
  WriteIni("equipment\\wares_specs.ini", select, true);
  WriteIni("equipment\\wpn_gear.ini", weapon, false);
  WriteIni("equipment\\kit_other.ini", misc, false);
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

}  // namespace qmz::samplegen::detail
