#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "util/ScriptedUser.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "util/TempDir.h"

using namespace qmz;

namespace {

// A model whose INI slots are filled by hand, as getDataInis would leave them.
class ParsersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d.DataPath = dir.Str() + "/";
    platform::ResetGamePathCache();
  }

  void Slot(TIniSlot slot, std::string_view text) {
    TStringList lines;
    lines.SetText(text);
    d.aIni[slot] = TSvIniFile::CreateFromList(lines, std::string(IniSlotNames[slot]));
  }

  // A reorganised slot as getDataInis builds it: sections named exactly as written, no numbers.
  void Keyed(TIniSlot slot, std::string_view text) {
    TStringList lines;
    lines.SetText(text);
    auto ini = TSvIniFile::CreateFromList(TStringList(), std::string(IniSlotNames[slot]));
    std::string section;
    for (int i = 0; i < lines.Count(); ++i) {
      const std::string_view line = lines[i];
      const auto eq = line.find('=');
      if (line[0] == '[') section = line.substr(1, line.size() - 2);
      else ini->WriteString(section, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    d.aIni[slot] = std::move(ini);
  }

  void DataFile(const std::string& rel, const std::string& text) { test::WriteWholeFile(dir.Path() / rel, text); }

  std::unique_ptr<TJournal> journal = test::MemoryJournal();
  test::TempDir dir;
  TSvData d{journal.get()};
};

// ---- factions and solar archetypes ---------------------------------------------------------------

TEST_F(ParsersTest, GroupsTakeTheirPropertiesFromTheFirstMatchingSection) {
  Slot(iniGroups,
       "[Group]\nnickname = fp_01_grp\nids_name = 0\n[Group]\nids_name = 0\n"
       "[Group]\nnickname = pirates\n[Group]\nnickname = FP_01_GRP\n");
  Slot(iniFactionProps,
       "[FactionProps]\naffiliation = fp_01_grp\nlegality =  Lawful \nscan_announce = true\nscan_chance = 0.5\n"
       "scan_for_cargo = commodity_a, 1\nscan_for_cargo = commodity_b, 2\nscan_for_cargo = commodity_c\n"
       "[FactionProps]\naffiliation = fp_01_grp\nlegality = unlawful\n"
       "[FactionProps]\naffiliation = pirates\nlegality = unlawful\n");
  d.aIni[iniFactionProps]->Loaded = true;

  ASSERT_TRUE(d.parseGroups());
  ASSERT_EQ(d.aFaction.size(), 5u);
  ASSERT_EQ(d.aFactionProps.size(), 5u);
  EXPECT_EQ(d.aFaction[1].name, "fp_01_grp");  // no resource text: the nickname
  EXPECT_EQ(d.aFaction[2].nickname, "*failed*");
  EXPECT_EQ(d.aFaction[3].ids_name, "0");
  EXPECT_TRUE(d.aFactionProps[1].lawful);
  EXPECT_EQ(d.aFactionProps[1].scan_for_cargo, "commodity_a,commodity_b,commodity_c");
  EXPECT_FALSE(d.aFactionProps[3].lawful);
  EXPECT_EQ(d.aFactionProps[3].scan_for_cargo, "");
  EXPECT_TRUE(d.aFactionProps[4].lawful);  // same nickname in other case: the same, first section
  EXPECT_TRUE(test::HasLine(*journal, "No faction properties for *failed*: not lawful", jlWarning));
}

// ---- systems and bases ---------------------------------------------------------------------------

class UniverseTest : public ParsersTest {
 protected:
  void SetUp() override {
    ParsersTest::SetUp();
    Slot(iniGroups, "[Group]\nnickname = police\n[Group]\nnickname = traders\n");
    Slot(iniSolararch,
         "[Solar]\nnickname = planet_arch\ntype = PLANET\n[Solar]\nnickname = station_arch\ntype = STATION\n");
    ASSERT_TRUE(d.parseGroups() && d.parseSolars());
  }

  static std::string Object(const std::string& base, const std::string& arch, const std::string& ids,
                            const std::string& reputation = "") {
    std::string s = "[Object]\nbase = " + base + "\nids_name = " + ids + "\n";
    if (!arch.empty()) s += "Archetype = " + arch + "\n";
    if (!reputation.empty()) s += "reputation = " + reputation + "\n";
    return s;
  }
};

TEST_F(UniverseTest, BasesArePlacedByTheSystemFilesOnly) {
  Slot(iniUniverse,
       "[System]\nnickname = sys_a\nfile = systems\\SYS_A\\sys_a.ini\nstrid_name = 0\n"
       "[System]\nnickname = sys_b\nfile = systems\\sys_b\\sys_b.ini\n"
       "[System]\nnickname = sys_c\nfile = systems\\missing.ini\n[System]\nnickname = sys_d\nfile = d.ini\n"
       "[Base]\nnickname = base_1\nsystem = sys_a\nstrid_name = 101\n"
       "[Base]\nnickname = base_2\nsystem = sys_a\nstrid_name = 102\n"
       "[Base]\nnickname = base_3\nsystem = sys_b\nstrid_name = 103\n"
       "[Base]\nnickname = base_5\nsystem = sys_b\nstrid_name = 105\n"
       "[Base]\nnickname = base_6\nsystem = nowhere\nstrid_name = 106\n");
  DataFile("universe/systems/sys_a/SYS_A.INI",
           "[SystemInfo]\nlocal_faction = traders\n" + Object("base_3", "station_arch", "103", "police") +
               Object("base_1", "planet_arch", " 101 ", "TRADERS") + Object("base_2", "planet_arch", "999") +
               Object("base_5", "", "105") + Object("base_6", "planet_arch", "106"));
  DataFile("universe/systems/sys_b/sys_b.ini", "[SystemInfo]\nlocal_faction = unknown_grp\n" +
                                                   Object("base_3", "station_arch", "103", "traders") +
                                                   Object("base_5", "planet_arch", "105", "nobody"));
  DataFile("universe/d.ini", "[SystemInfo]\nlocal_faction = police\n[Zone]\nnickname = z\n");

  ASSERT_TRUE(d.parseUniverse());
  ASSERT_EQ(d.aSystem.size(), 5u);
  EXPECT_EQ(d.aSystem[1].faction, 2u);
  EXPECT_EQ(d.aSystem[2].faction, 0u);

  // base_3 first in sys_a's file (and once only), then base_1; base_5 from sys_b. base_2 has another
  // display-name number, base_5 no archetype in sys_a, base_6 no known system.
  ASSERT_EQ(d.aBase.size(), 4u);
  EXPECT_EQ(d.aBase[1].nickname, "base_3");
  EXPECT_EQ(d.aBase[1].system, 1u);  // placed in sys_a although the universe says sys_b
  EXPECT_EQ(d.aBase[1].faction, 1u);
  EXPECT_EQ(d.aBase[2].nickname, "base_1");
  EXPECT_EQ(d.aBase[2].faction, 2u);
  EXPECT_EQ(d.aBase[3].nickname, "base_5");
  EXPECT_EQ(d.aBase[3].system, 2u);
  EXPECT_EQ(d.aBase[3].faction, 0u);

  EXPECT_TRUE(test::HasLine(*journal, "Base base_6 names no known system \"nowhere\": skipped", jlError));
  EXPECT_TRUE(
      test::HasLine(*journal, "Base base_5: reputation \"nobody\" names no faction, owner left empty", jlError));
  EXPECT_TRUE(test::HasLine(*journal,
                            "Error aSystem[2].faction := getIndexByNickname( unknown_grp, aSolar) i: 2   j: 0",
                            jlError));
  EXPECT_TRUE(test::HasLine(
      *journal, "Faction \"unknown_grp\" not found {parseUniverse()} aSystem[ 2 ].IniFile: systems\\sys_b\\sys_b.ini ",
      jlError));
  EXPECT_TRUE(test::HasLine(*journal, "System file without objects: d.ini", jlWarning));
  EXPECT_FALSE(test::HasText(*journal, "aSystem[ 3 ]"));  // the missing file is passed over quietly
  EXPECT_FALSE(test::HasLine(*journal, "Error in parseUniverse()"));
}

TEST_F(UniverseTest, AFileNamedByManySystemsIsParsedAndWalkedOnce) {
  // 1,000 systems naming one file of 20,000 objects, in several spellings of its path and through a hard
  // link: parsing it for every spelling and walking every object for every system ran for minutes.
  constexpr int kSystems = 1000, kBases = 20000;
  const char* spellings[] = {"shared\\big.ini", "SHARED\\Big.INI", "shared\\d%d\\..\\big.ini", "link.ini"};
  std::string universe;
  for (int s = 0; s < kSystems; ++s)
    universe += Format("[System]\nnickname = sys_%d\nfile = ", s) + Format(spellings[s % 4], s) + "\n";
  std::string objects = "[SystemInfo]\nlocal_faction = traders\n";
  for (int b = 0; b < kBases; ++b) {
    universe += Format("[Base]\nnickname = base_%d\nsystem = sys_%d\nstrid_name = %d\n", b, b % kSystems, b);
    objects += Object(Format("base_%d", b), b % 2 ? "planet_arch" : "station_arch", IntToStr(b));
  }
  Slot(iniUniverse, universe);
  DataFile("universe/shared/big.ini", objects);
  std::filesystem::create_hard_link(dir.Path() / "universe/shared/big.ini", dir.Path() / "universe/link.ini");

  ASSERT_TRUE(d.parseUniverse());
  // The first system naming the file places every base; each system takes its faction from the file.
  ASSERT_EQ(d.aBase.size(), std::size_t(kBases) + 1);
  EXPECT_EQ(d.aBase[kBases].nickname.str(), Format("base_%d", kBases - 1));
  for (std::size_t b = 1; b < d.aBase.size(); ++b) ASSERT_EQ(d.aBase[b].system, 1u) << b;
  for (std::size_t s = 1; s < d.aSystem.size(); ++s) ASSERT_EQ(d.aSystem[s].faction, 2u) << s;
}

// The generated installations pin which archetypes are kept. Without planets or stations the list stays
// empty, not even the dummy, and the universe keeps only the dummy base.
TEST_F(UniverseTest, WithoutBaseArchetypesOnlyTheDummyRemains) {
  Slot(iniSolararch, "[Solar]\nnickname = sun\ntype = SUN\n[Solar]\nnickname = untyped\n");
  ASSERT_TRUE(d.parseSolars());
  EXPECT_TRUE(d.aSolar.empty());
  Slot(iniUniverse, "[System]\nnickname = sys_a\nfile = a.ini\n[Base]\nnickname = base_1\nsystem = sys_a\n");
  DataFile("universe/a.ini", Object("base_1", "planet_arch", "0"));
  ASSERT_TRUE(d.parseUniverse());
  EXPECT_EQ(d.aBase.size(), 1u);
}

// ---- goods ---------------------------------------------------------------------------------------

TEST_F(ParsersTest, TradedGoodsAreReadAndEachBrokenOneIsDroppedWithItsLine) {
  Keyed(iniGoods,
        "[ore]\nnickname = ore\ncategory = commodity\nprice = 90\nequipment = ore_eq\ngood_buy_price = x\n"
        "[gun_a]\nnickname = gun_a\ncategory = EQUIPMENT\nprice = 1500.5\nequipment = gun_a_eq\n"
        "[ship_a]\nnickname = ship_a\ncategory = ship\nprice = 1\n[no_nick]\ncategory = commodity\n"
        "[no_cat]\nnickname = no_cat\n"
        "[no_price]\nnickname = no_price\ncategory = commodity\nprice = mn\nequipment = ore_eq\n"
        "[no_equip]\nnickname = no_equip\ncategory = commodity\nprice = 1\n"
        "[eq_no_equip]\nnickname = eq_no_equip\ncategory = equipment\nprice = 1\n"
        "[no_ids]\nnickname = no_ids\ncategory = commodity\nprice = 1\nequipment = no_ids_eq\n"
        "[flag]\nnickname = flag\ncategory = equipment\nprice = 1\nequipment = flag_eq\n"
        "[neg]\nnickname = neg\ncategory = commodity\nprice = 1\nequipment = neg_eq\n"
        "[huge]\nnickname = huge\ncategory = commodity\nprice = 1\nequipment = huge_eq\n"
        "[water]\nnickname = water\ncategory = Commodity\nprice = 4\nequipment = water_eq\n");
  Keyed(iniEquip,
        "[ore_eq]\nEquipment_Type = Commodity\nids_name = 0\nvolume = 2.9\n"
        "[gun_a_eq]\nEquipment_Type = GUN\nids_name = 0\nvolume = 7\n[no_ids_eq]\nEquipment_Type = Commodity\n"
        "[flag_eq]\nEquipment_Type = Armor\nids_name = 0\n"
        "[neg_eq]\nEquipment_Type = Commodity\nids_name = 0\nvolume = -1\n"
        "[huge_eq]\nEquipment_Type = Commodity\nids_name = 0\nunits_per_container = 5000000000\n"
        "[water_eq]\nEquipment_Type = Commodity\nids_name = 0\n");
  ASSERT_TRUE(d.parseGoods());  // no market names: only the dummy
  EXPECT_EQ(d.aGood.size(), 1u);

  for (const char* n : {"ore", "gun_a", "ship_a", "no_nick", "no_cat", "no_price", "no_equip", "eq_no_equip", "no_ids",
                        "flag", "neg", "huge", "water", "untraded_elsewhere"})
    d.MarketGoodNames.Add(n);
  ASSERT_TRUE(d.parseGoods());
  // Sorted list: eq_no_equip, flag, gun_a, huge, neg, no_cat, no_equip, no_ids, no_nick, no_price, ore,
  // ship_a, untraded_elsewhere, water.
  // The fields of sound goods are pinned by the model digests; here the odd values.
  ASSERT_EQ(d.aGood.size(), 4u);
  EXPECT_EQ(d.aGood[1].nickname, "gun_a");
  const TGood& ore = d.aGood[2];
  EXPECT_EQ(ore.volume, 2u);
  EXPECT_FLOAT_EQ(ore.good_buy_price, 0.0f);
  EXPECT_EQ(d.aGood[3].nickname, "water");
  EXPECT_EQ(d.aGood[3].volume, 0u);  // no value: 0

  EXPECT_TRUE(test::HasLine(*journal, "Equipment String missing: eq_no_equip  - Index: 1", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "units_per_container out of range (5000000000): huge  - Index: 4", jlError));
  EXPECT_TRUE(test::HasLine(*journal, "volume out of range (-1): neg  - Index: 5", jlError));
  EXPECT_TRUE(test::HasLine(*journal, "Error - No Category is used: no_cat  Index: 6", jlError));
  EXPECT_TRUE(test::HasLine(*journal, "equipment String missing: no_equip  - Index: 7", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "ids_name String missing: no_ids  - Index: 8", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "nickname String missing: Index: 9", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "price String missing: no_price  - Index: 10", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "nickname String missing: Index: 13", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "TSvData.parseGoods()] - Passed: True", jlEnd));
}

// ---- markets -------------------------------------------------------------------------------------

class MarketsTest : public ParsersTest {
 protected:
  void SetUp() override {
    ParsersTest::SetUp();
    d.aBase = {TGood{}, TGood{}, TGood{}};
    d.aBase[1].nickname = "base_1";
    d.aBase[2].nickname = "base_2";
    d.aGood = {TGood{}, TGood{}};
    d.aGood[1].nickname = "ore";
    d.aGood[1].price = 100;
  }
};

TEST_F(MarketsTest, MarketLinesFillTheCellAndBadLinesKeepTheDefault) {
  struct Case {
    const char* line;
    bool sold;
    float level, reputation, factor;
    double price;
    bool factorLine;  // journaled as a line without price factor
  };
  const Case cases[] = {
      // Sound lines, sold or not, are pinned by the model digests.
      {"ore=1, 1, 10, 10, 0, 0", true, 1, 1, 0, 0, false},     // a written factor 0 is kept
      {"ore=1, 1, x, 10, 0, 2", false, 0, -1, 1, 100, false},  // the rest: the default
      {"unknown=1, 1, 10, 10, 0, 2", false, 0, -1, 1, 100, false}, {"ore=1, 1, 10, 10", false, 0, -1, 1, 100, true},
      {"ore=1, 1, 10, 10, 0, -", false, 0, -1, 1, 100, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Keyed(iniMarkets, std::string("[BASE_1]\n") + c.line + "\n");
    ASSERT_TRUE(d.parseMarkets());
    ASSERT_EQ(d.aMarket.size(), 3u);
    ASSERT_EQ(d.aMarket.RowLength(), 2u);
    const TMarketCell& cell = d.aMarket[1][1];
    EXPECT_EQ(cell.Sold, c.sold);
    EXPECT_FLOAT_EQ(cell.Level, c.level);
    EXPECT_FLOAT_EQ(cell.Reputation, c.reputation);
    EXPECT_FLOAT_EQ(cell.PriceFactor, c.factor);
    EXPECT_DOUBLE_EQ(cell.Price, c.price);
    EXPECT_EQ(test::HasLine(*journal, std::string("Market line without price factor ignored: ") + c.line + " at base_1",
                            jlWarning),
              c.factorLine);
    // A base without a market keeps the defaults; row and column 0 are never written.
    EXPECT_FALSE(d.aMarket[2][1].Sold);
    EXPECT_FLOAT_EQ(d.aMarket[2][1].PriceFactor, 1.0f);
    EXPECT_FLOAT_EQ(d.aMarket[0][1].PriceFactor + d.aMarket[1][0].PriceFactor, 0.0f);
  }
}

}  // namespace
