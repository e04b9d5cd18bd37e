// The parsers of the loader: factions, solar archetypes, systems and bases, goods, markets. They read
// the INI slots that getDataInis filled and turn them into the model's arrays and market matrix. A
// problem of one record is journaled and that record skipped; a data kind without any section ends the
// loading with the data-files dialog instead of an exception.

#include <cxxabi.h>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>
#include <optional>
#include <typeinfo>
#include <unordered_map>

#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/AsciiText.h"
#include "platform/KeyedHash.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

constexpr const char* BoolText(bool value) { return value ? "True" : "False"; }

// How many sections of a raw name the object holds; none when it never had one (or there is no object).
std::optional<int> RawCount(const TSvIniFile* ini, std::string_view rawName) {
  if (ini == nullptr) return std::nullopt;
  return SectionCountOf(*ini, rawName);
}

std::string Section(std::string_view format, int number) { return Format(format, number); }

// The display text of a record, or its nickname when the resource gives none.
std::string NameOrNickname(std::string text, const TShortString& nickname) {
  return text.empty() ? nickname.str() : text;
}

// A whole number of a goods field: the text cut toward zero. None when the text is no number (the field
// keeps 0); false in ok when it is negative or beyond 32 unsigned bits.
std::optional<std::uint32_t> WholeNumber(const std::string& text, bool& ok) {
  ok = true;
  if (!IsNumberText(text)) return std::nullopt;
  const auto value = TextToExtended(text);
  if (!value) return std::nullopt;
  const long double whole = std::trunc(*value);
  if (!(whole >= 0.0L) || whole > static_cast<long double>(std::numeric_limits<std::uint32_t>::max())) {
    ok = false;
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(whole);
}

std::string ClassName(const std::exception& e) {
  int status = 0;
  char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
  std::string result = (status == 0 && name != nullptr) ? name : typeid(e).name();
  std::free(name);
  return result;
}

// Class name and message of the error being handled, for the parsers that journal their own errors.
struct CaughtError {
  std::string className;
  std::string message;
};

// Only inside a catch block.
CaughtError CurrentError() {
  try {
    throw;
  } catch (const std::exception& e) {
    return {ClassName(e), e.what()};
  } catch (...) {
    return {"unknown", "unknown error"};
  }
}

}  // namespace

bool TSvData::Stopping() {
  if (!StopLoading && ui_ != nullptr && ui_->stopRequested()) StopLoading = true;
  return StopLoading;
}

void TSvData::MissingSections(std::string_view files, std::string_view section) {
  missingSections_ = true;
  JournalFmt("The %s hold no [%s] section", jlError, files, section);
}

bool TSvData::eachItem(int count, const std::function<void(int)>& item, int* position) {
  for (int i = 1; i <= count; ++i) {
    if (position != nullptr) *position = i;
    if (Stopping()) return false;
    PostItem(1, count, i);
    item(i);
  }
  return true;
}

bool TSvData::eachItemClosed(std::string_view endLine, int count, const std::function<void(int)>& item) {
  bool done = false;
  try {
    done = eachItem(count, item);
  } catch (...) {
    // The End line closes the Begin line also when the error passes on to the loader.
    JournalLine(endLine, jlEnd);
    throw;
  }
  JournalLine(endLine, jlEnd);
  return done;
}

std::optional<int> TSvData::beginCountedParse(std::string_view name, std::string_view step, const TSvIniFile* ini,
                                              std::string_view rawName, std::string_view files) {
  JournalLine(name, jlBegin);
  ++StepCount;
  PostStep(step);
  auto count = RawCount(ini, rawName);
  if (!count) {
    JournalLine(name, jlEnd);
    MissingSections(files, rawName);
  }
  return count;
}

// ---- factions ------------------------------------------------------------------------------------

bool TSvData::parseGroups() {
  constexpr std::string_view name = "[TSVData.parseGroups()]";
  const TSvIniFile* groups = aIni[iniGroups].get();
  const TSvIniFile* props = aIni[iniFactionProps].get();
  const auto count = beginCountedParse(name, "Parsing groups ", groups, "Group", "groups files");
  if (!count) return false;
  const int n = *count;
  // A game without faction properties still loads: every faction is then taken as not lawful.
  const bool havePropsFile = props != nullptr && props->Loaded;
  const bool haveProps = havePropsFile && RawCount(props, "FactionProps").has_value();
  if (!haveProps)
    JournalFmt("Faction properties missing (%s): no faction counts as lawful", jlWarning,
               havePropsFile ? "no [FactionProps] section" : DataPath + "MISSIONS\\faction_prop.ini");

  aFaction.clear();
  aFaction.resize(std::size_t(n) + 1);
  aFactionProps.assign(std::size_t(n) + 1, TFaction{});
  return eachItemClosed(name, n, [&](int i) {
    const std::string section = Section("Group%d", i);
    TGood& f = aFaction[std::size_t(i)];
    f.nickname = groups->ReadString(section, "nickname", "*failed*");
    f.ids_name = groups->ReadString(section, "ids_name", "0");
    f.ids_info = groups->ReadString(section, "ids_info", "0");
    f.ids_short_name = groups->ReadString(section, "ids_short_name", "0");
    f.name = NameOrNickname(getIdsString(f.ids_name.str()), f.nickname);
    f.short_name = getIdsString(f.ids_short_name.str());
    if (!haveProps) return;

    const std::string propsSection = props->FindSection("affiliation", f.nickname.str(), "FactionProps");
    if (propsSection.empty()) {
      JournalFmt("No faction properties for %s: not lawful", jlWarning, f.nickname.str());
      return;
    }
    TFaction& p = aFactionProps[std::size_t(i)];
    p.scan_announce = props->ReadString(propsSection, "scan_announce", "");
    p.scan_chance = props->ReadString(propsSection, "scan_chance", "");
    p.lawful = SameText(Trim(props->ReadString(propsSection, "legality", "")), "lawful");
    std::string cargo;
    const auto lines = props->ReadKeyValues(propsSection, "scan_for_cargo", true);
    for (int k = 0; k < lines->Count(); ++k) {
      if (k > 0) cargo += ',';
      cargo += ExtractBetween((*lines)[k], "=", ",", false);
    }
    p.scan_for_cargo = cargo;
  });
}

// ---- solar archetypes, systems and bases ---------------------------------------------------------

bool TSvData::parseSolars() {
  constexpr std::string_view name = "[TSvData.parseSolars()]";
  const TSvIniFile* solar = aIni[iniSolararch].get();
  const auto count = beginCountedParse(name, "Parsing Solararchs ", solar, "Solar", "solar archetype files");
  if (!count) return false;
  // Without a base-capable archetype the array stays empty, not even the dummy.
  aSolar.clear();
  return eachItemClosed(name, *count, [&](int i) {
    const std::string section = Section("Solar%d", i);
    const std::string type = Trim(solar->ReadString(section, "type", ""));
    if (type.empty()) return;
    for (std::size_t k = 0; k < BaseSolarTypes.size(); ++k) {
      if (!SameText(type, BaseSolarTypes[k])) continue;
      if (aSolar.empty()) aSolar.push_back(TGood{});
      TGood s;
      s.nickname = solar->ReadString(section, "nickname", "");
      s.ids_name = solar->ReadString(section, "ids_name", "");
      s.archetype_type = std::uint8_t(k);
      s.name = NameOrNickname(getIdsString(s.ids_name.str()), s.nickname);
      aSolar.push_back(std::move(s));
      return;
    }
  });
}

bool TSvData::parseUniverse() {
  JournalLine("[TSVData.parseUniverse()]", jlBegin);
  TGoodArr work;  // the universe's base list: only a base that a system file places enters aBase
  TUniverseResult result = urStopped;
  std::string error;
  try {
    result = readUniverse(work);
  } catch (...) {
    result = urError;
    error = CurrentError().message;
  }
  work.clear();
  JournalLine("[TSVData.parseUniverse()]", jlEnd);
  if (result == urNoSystems) MissingSections("universe files", "System");
  if (result == urNoBases) MissingSections("universe files", "Base");
  if (result == urError) {
    JournalLine("Error in parseUniverse()", jlError);
    JournalFmt("   %s", jlError, error);
  }
  return result == urDone;
}

TSvData::TUniverseResult TSvData::readUniverse(TGoodArr& work) {
  const TSvIniFile* universe = aIni[iniUniverse].get();

  // Phase 1: systems.
  ++StepCount;
  PostStep("Parsing Systems ");
  const auto systemCount = RawCount(universe, "System");
  if (!systemCount) return urNoSystems;
  aSystem.clear();
  aSystem.resize(std::size_t(*systemCount) + 1);
  aSystem[0].nickname = "loot";
  aSystem[0].name = "Loot Trading";
  const bool systemsRead = eachItem(*systemCount, [&](int i) {
    const std::string section = Section("system%d", i);
    TGood& s = aSystem[std::size_t(i)];
    s.nickname = universe->ReadString(section, "nickname", "*failed*");
    s.ids_name = universe->ReadString(section, "strid_name", "0");
    s.ids_info = universe->ReadString(section, "ids_info", "0");
    s.IniFile = universe->ReadString(section, "file", "");
    s.name = NameOrNickname(getIdsString(s.ids_name.str()), s.nickname);
  });
  if (!systemsRead) return urStopped;

  // Phase 2: the universe's base list.
  ++StepCount;
  PostStep("Parsing bases ");
  const auto baseCount = RawCount(universe, "Base");
  if (!baseCount) return urNoBases;
  TGood dummy;
  dummy.nickname = "not available";
  dummy.name = "Loot trading dummy";
  work.reserve(std::size_t(*baseCount) + 1);
  work.push_back(dummy);
  const bool basesRead = eachItem(*baseCount, [&](int i) {
    const std::string section = Section("Base%d", i);
    TGood b;
    b.nickname = universe->ReadString(section, "nickname", "*failed*");
    b.ids_name = universe->ReadString(section, "strid_name", "0");
    b.IniFile = universe->ReadString(section, "file", "");
    const std::string system = universe->ReadString(section, "system", "");
    const int s = getIndexByNickname(system, aSystem);
    if (s < 0) {
      // One base in the wrong place must not cost the whole universe.
      JournalFmt("Base %s names no known system \"%s\": skipped", jlError, b.nickname.str(), system);
      return;
    }
    b.system = std::uint32_t(s);
    b.name = NameOrNickname(getIdsString(b.ids_name.str()), b.nickname);
    work.push_back(std::move(b));
  });
  if (!basesRead) return urStopped;

  // Phase 3: keep the bases that a system file places as a dockable object.
  aBase.clear();
  aBase.push_back(work[0]);
  PostStep("Fixing bases ");
  // Many systems may name one file (in any spelling of its path, or through links): each distinct file
  // is read and parsed once, its objects walked for the first system naming it, and then released: a
  // later system takes only its faction and object count, kept while a system still to come names it.
  // A later one could place none of its objects: every base they name is in aBase by then, placed there
  // or before.
  const auto pathOf = [this](int s) { return DataPath + "universe\\" + aSystem[std::size_t(s)].IniFile.str(); };
  std::vector<std::string> keys(aSystem.size());
  platform::KeyedHashMap<int> uses;
  for (int s = 1; s < int(aSystem.size()); ++s)
    if (!aSystem[std::size_t(s)].IniFile.empty()) ++uses[keys[std::size_t(s)] = GameFileKey(pathOf(s))];
  platform::KeyedHashMap<SystemFileFacts> files;
  const bool placed = eachItem(int(aSystem.size()) - 1, [&](int s) {
    // A system without a file places no base (and names no file that could be missed).
    if (aSystem[std::size_t(s)].IniFile.empty()) return;
    const std::string& key = keys[std::size_t(s)];
    auto [at, firstTime] = files.try_emplace(key);
    SystemFileFacts& facts = at->second;
    if (firstTime) {
      auto ini = OpenGameIni(pathOf(s));
      facts.loaded = ini->Loaded;
      if (facts.loaded) {
        facts.localFaction = ini->ReadString("SystemInfo1", "local_faction", "");
        facts.objects = RawCount(ini.get(), "Object");
      }
      if (takeFaction(s, facts)) placeBases(s, work, *ini, *facts.objects);
      ReleaseGameIni(ini);
    } else {
      takeFaction(s, facts);
    }
    if (--uses[key] == 0) files.erase(at);
  });
  return placed ? urDone : urStopped;
}

bool TSvData::takeFaction(int s, const SystemFileFacts& file) {
  TGood& sys = aSystem[std::size_t(s)];
  if (!file.loaded) return false;
  const std::string& lf = file.localFaction;
  if (!lf.empty()) {
    const int f = getIndexByNickname(lf, aFaction);
    if (f >= 0) {
      sys.faction = std::uint32_t(f);
    } else {
      // The object loop has not run yet: j is 0.
      JournalFmt("Error aSystem[%d].faction := getIndexByNickname( %s, aSolar) i: %d   j: %d", jlError, s, lf, s, 0);
    }
  }
  if (sys.faction == 0)
    JournalFmt("Faction \"%s\" not found {parseUniverse()} aSystem[ %d ].IniFile: %s ", jlError, lf, s,
               sys.IniFile.str());

  // A system file without objects places no base; the other systems still place theirs, rather than one
  // empty file ending the whole universe.
  if (!file.objects) {
    JournalFmt("System file without objects: %s", jlWarning, sys.IniFile.str());
    return false;
  }
  return true;
}

void TSvData::placeBases(int s, const TGoodArr& work, const TSvIniFile& ini, int objects) {
  const TSvIniFile* file = &ini;
  for (int j = 1; j <= objects; ++j) {
    const std::string section = Section("object%d", j);
    const int b = getIndexByNickname(file->ReadString(section, "base", ""), work);
    if (b < 0) continue;
    const std::string archetype = file->ReadString(section, "Archetype", "");
    if (archetype.empty()) continue;
    const int a = getIndexByNickname(archetype, aSolar);
    if (a < 0 || aSolar[std::size_t(a)].archetype_type >= BaseSolarTypes.size()) continue;
    const TGood& candidate = work[std::size_t(b)];
    // The object must carry the base's own display-name number.
    if (!SameText(Trim(file->ReadString(section, "ids_name", "")), Trim(candidate.ids_name.str()))) continue;
    if (getIndexByNickname(candidate.nickname.str(), aBase) != -1) continue;
    TGood placed = candidate;
    placed.system = std::uint32_t(s);
    placed.faction = 0;
    const std::string reputation = file->ReadString(section, "reputation", "");
    if (!reputation.empty()) {
      const int f = getIndexByNickname(reputation, aFaction);
      if (f >= 0) {
        placed.faction = std::uint32_t(f);
      } else {
        // A misspelt owner costs that base its owner only, not the universe: the base stays, owned by none.
        JournalFmt("Base %s: reputation \"%s\" names no faction, owner left empty", jlError, placed.nickname.str(),
                   reputation);
      }
    }
    aBase.push_back(std::move(placed));
  }
}

// ---- goods and equipment -------------------------------------------------------------------------

std::uint8_t TSvData::getCategory(std::string_view Category) {
  const std::string text = Trim(Category);
  if (SameText(text, "equipment")) return catEquipment;
  if (SameText(text, "Commodity")) return catCommodity;
  if (SameText(text, "Ship")) return catShip;
  if (SameText(text, "ShipHull")) return catShipHull;
  return catNone;
}

std::uint8_t TSvData::getEquipmentType(std::string_view EquipmentType) {
  const std::string text = Trim(EquipmentType);
  for (std::size_t k = 0; k < EquipmentTypeIniNames.size(); ++k)
    if (SameText(text, EquipmentTypeIniNames[k])) return std::uint8_t(k);
  return 0;
}

bool TSvData::parseGoods() {
  JournalLine("[TSvData.parseGoods()]", jlBegin);
  ++StepCount;
  PostStep("Parsing goods ");
  const TSvIniFile* goods = aIni[iniGoods].get();
  const TSvIniFile* equip = aIni[iniEquip].get();
  auto read = [](const TSvIniFile* ini, const std::string& section, const char* key) {
    return ini != nullptr ? ini->ReadString(section, key, "") : std::string();
  };

  aGood.clear();
  aGood.reserve(std::size_t(MarketGoodNames.Count()) + 1);
  aGood.push_back(TGood{});
  bool result = false;
  int current = 0;
  try {
    result = eachItem(
        MarketGoodNames.Count(),
        [&](int i) {
      const std::string nick(MarketGoodNames[i - 1]);
      TGood g;
      g.nickname = read(goods, nick, "nickname");
      if (g.nickname.empty()) {
        JournalFmt("nickname String missing: Index: %d", jlWarning, i);
        return;
      }
      const std::string& nickname = g.nickname.str();
      g.category = getCategory(read(goods, nick, "category"));
      if (g.category == catShip || g.category == catShipHull) return;
      if (g.category == catNone) {
        JournalFmt("Error - No Category is used: %s  Index: %d", jlError, nickname, i);
        return;
      }
      // A price text the number check lets through but that holds no number counts as missing.
      const std::string priceText = read(goods, nick, "price");
      bool havePrice = false;
      if (IsNumberText(priceText)) {
        if (const auto v = TextToExtended(priceText)) {
          havePrice = true;
          g.price = double(*v);
        }
      }
      auto priceMissing = [&] {
        if (havePrice) return false;
        JournalFmt("price String missing: %s  - Index: %d", jlWarning, nickname, i);
        return true;
      };
      auto idsNameMissing = [&] {
        g.ids_name = read(equip, g.equipment.str(), "ids_name");
        if (!g.ids_name.empty()) return false;
        JournalFmt("ids_name String missing: %s  - Index: %d", jlWarning, nickname, i);
        return true;
      };
      g.equipment = read(goods, nick, "equipment");
      if (g.category == catEquipment) {
        if (g.equipment.empty()) {
          JournalFmt("Equipment String missing: %s  - Index: %d", jlWarning, nickname, i);
          return;
        }
        if (priceMissing()) return;
        if (idsNameMissing()) return;
        g.etype = getEquipmentType(read(equip, g.equipment.str(), "Equipment_Type"));
        g.units_per_container = 1;
        g.decay_per_second = 0;
        g.volume = 1;
        // Unknown, Commodity and Any are no tradeable equipment.
        if (g.etype < 2 || g.etype > 16) return;
      } else {
        if (priceMissing()) return;
        g.etype = 1;
        if (g.equipment.empty()) {
          JournalFmt("equipment String missing: %s  - Index: %d", jlWarning, nickname, i);
          return;
        }
        auto single = [&](const char* key, float& field) {
          const std::string text = read(goods, nick, key);
          if (IsNumberText(text)) field = TextToSingle(text, '.');
        };
        single("good_sell_price", g.good_sell_price);
        single("good_buy_price", g.good_buy_price);
        single("bad_sell_price", g.bad_sell_price);
        single("bad_buy_price", g.bad_buy_price);
        if (idsNameMissing()) return;
        // A negative or huge size is a damaged record: that good goes, the others stay.
        const std::string& section = g.equipment.str();
        auto whole = [&](const char* key, std::uint32_t& field) {
          const std::string text = read(equip, section, key);
          bool ok = true;
          if (auto v = WholeNumber(text, ok)) field = *v;
          if (!ok) JournalFmt("%s out of range (%s): %s  - Index: %d", jlError, key, text, nickname, i);
          return ok;
        };
        if (!whole("units_per_container", g.units_per_container)) return;
        const std::string decay = read(equip, section, "decay_per_second");
        if (IsNumberText(decay)) g.decay_per_second = TextToSingle(decay, '.');
        if (!whole("volume", g.volume)) return;
      }
      g.name = NameOrNickname(getIdsString(g.ids_name.str()), g.nickname);
      aGood.push_back(std::move(g));
        },
        &current);
  } catch (...) {
    result = false;
    JournalFmt("TSvData.parseGoods(%d)] - Error : %s", jlError, current, CurrentError().message);
  }
  JournalFmt("TSvData.parseGoods()] - Passed: %s", jlEnd, BoolText(result));
  return result;
}

// ---- markets -------------------------------------------------------------------------------------

namespace {

// The next comma field of a market value, trimmed, cut from the front of rest with its comma; empty
// when the value has no more fields.
std::string_view CutField(std::string_view& rest) {
  // Fields are a few characters long: a plain walk beats a library search here.
  std::size_t comma = 0;
  while (comma < rest.size() && rest[comma] != ',') ++comma;
  if (comma == rest.size()) comma = std::string_view::npos;
  const std::string_view field = platform::TrimView(rest.substr(0, comma));
  rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  return field;
}

}  // namespace

bool TSvData::parseMarkets() {
  JournalLine("[TSvData.parseMarkets()]", jlBegin);
  const TSvIniFile* markets = aIni[iniMarkets].get();
  const int bases = int(aBase.size());
  bool result = false;
  int b = 0;
  int j = 0;
  int lineCount = 0;
  int g = -1;
  std::unordered_map<std::string_view, int, platform::KeyedHasher> goodOfName;
  try {
    ++StepCount;
    PostStep("Parsing markets");
    aMarket.Reset(std::size_t(bases), aGood);
    result = true;
    for (b = 1; b < bases && result; ++b) {
      // Asked before each base too, not only before each line: bases without market lines would
      // otherwise never see the stop.
      if (Stopping()) {
        result = false;
        break;
      }
      aMarket.SetDefaults(std::size_t(b));
      PostItem(1, bases, b);
      // The base's lines are read where the markets object holds them: no copy per line.
      const TStringList* lines = nullptr;
      const std::string& baseNick = aBase[std::size_t(b)].nickname.str();
      if (markets != nullptr) {
        const int section = markets->Sections.IndexOf(baseNick);
        if (section >= 0) lines = static_cast<const TStringList*>(markets->Sections.Objects(section));
      }
      lineCount = lines != nullptr ? lines->Count() : 0;
      for (j = 0; j < lineCount; ++j) {
        g = -1;
        if (Stopping()) {
          result = false;
          break;
        }
        const std::string_view line = (*lines)[j];
        const std::size_t eq = line.find('=');
        const std::string_view name = line.substr(0, eq);
        std::string_view rest = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        std::string_view t[6];
        for (auto& field : t) field = CutField(rest);
        if (!IsNumberText(t[2]) || !IsNumberText(t[3])) continue;
        // The same good is named at many bases: each name text is looked up once (the names stay in the
        // markets object while it is read, and aGood does not change meanwhile).
        auto known = goodOfName.find(name);
        if (known == goodOfName.end()) known = goodOfName.emplace(name, getIndexByNickname(name, aGood)).first;
        g = known->second;
        if (g <= 0) continue;
        if (std::size_t(g) >= aMarket.RowLength()) {
          JournalFmt("parseMarkets() Problem lCommo zu Groß: %d von max. %d", jlError, g, int(aMarket.RowLength()));
          continue;
        }
        // Without a price factor that is a number the line would make the good free here and show
        // fake routes.
        const auto factor = TryTextToSingle(t[5], '.');
        if (!factor) {
          JournalFmt("Market line without price factor ignored: %s at %s", jlWarning, line, baseNick);
          continue;
        }
        TMarketCell cell;
        cell.Sold = TextToSingle(t[2], '.') * TextToSingle(t[3], '.') > 0.0f;
        cell.PriceFactor = *factor;
        cell.Reputation = TextToSingle(t[1], '.');
        cell.Level = TextToSingle(t[0], '.');
        cell.Price = double(static_cast<long double>(cell.PriceFactor) * aGood[std::size_t(g)].price);
        aMarket.Write(std::size_t(b), std::size_t(g), cell);
      }
    }
  } catch (...) {
    result = false;
    const CaughtError e = CurrentError();
    JournalFmt("   EXCEPTION  [%d] : <%s> \"%s\"", jlError, 0, e.className, e.message);
    JournalFmt("  lBase: %d / %d     j: %d / %d      lCommo: %d", jlError, b, bases - 1, j, lineCount - 1, g);
  }
  JournalFmt("[TSvData.parseMarkets()] - Passed: %s", jlEnd, BoolText(result));
  return result;
}

}  // namespace qmz
