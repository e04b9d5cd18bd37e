#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gamedata/BiniTestWriter.h"
#include "gamedata/LoaderTestSupport.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/PeTestWriter.h"
#include "platform/TestTempDir.h"

using namespace qmz;
namespace fs = std::filesystem;

namespace {

constexpr uint16_t kRtString = 6;

std::vector<uint8_t> NamesDll(const std::map<int, std::u16string>& strings) {
  std::map<int, std::map<int, std::u16string>> blocks;
  for (const auto& [id, text] : strings) blocks[id / 16 + 1][id % 16] = text;
  std::vector<test::PeTestResource> res;
  for (const auto& [block, entries] : blocks)
    res.push_back({kRtString, uint16_t(block), 0x409, test::StringBlock(entries)});
  return test::BuildPe(res);
}

// The path resolver keeps folder listings for the whole run; files written by a test must be seen.
void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  fs::create_directories(file.parent_path());
  test::WriteWholeFile(file, std::string(bytes.begin(), bytes.end()));
  platform::ResetGamePathCache();
}

void WriteText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  test::WriteWholeFile(file, text);
  platform::ResetGamePathCache();
}

// An installation folder written by hand, in mixed letter case against the paths its INI names.
class DataFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetGamePathCache();
    journal = test::MemoryJournal();
    d = std::make_unique<TSvData>(journal.get(), rec.Window(), rec.Mapping());
    d->SVPath = dir.Str() + "/";
  }
  void TearDown() override { platform::ResetGamePathCache(); }

  void MainIni(const std::string& text) {
    WriteText(dir.Path() / "Exe" / "StarVagant.INI", text);
    d->aIni[iniMain] = d->OpenGameIni(d->SVPath + "EXE\\starvagant.ini");
  }

  test::TempDir dir;
  test::StatusRecorder rec;
  std::unique_ptr<TJournal> journal;
  std::unique_ptr<TSvData> d;
};

const char* kMain =
    "[Starvagant]\r\n"
    "data path = ..\\data\r\n"
    "initial_world = InitialWorld.ini\r\n"
    "[Resources]\r\n"
    "DLL = names.dll ; the names\r\n"
    "dll=more.dll\r\n"
    "flags = 1\r\n"
    "[Data]\r\n"
    "Goods = equipment\\goods.ini ; main goods\r\n"
    "goods = equipment\\mod_goods.ini\r\n"
    "  MARKETS = equipment\\market.ini\r\n"
    "Equipment = equipment\\weapons.ini\r\n"
    "Equipment = equipment\\missing.ini\r\n"
    "Universe = universe\\universe.ini\r\n"
    "Groups = initialworld.ini\r\n"
    "Solar = solar\\solararch.ini\r\n"
    "Solararch = solar\\other.ini\r\n";

}  // namespace

TEST_F(DataFilesTest, ResourceLinesInAnyCaseNameTheirLibraries) {
  MainIni(kMain);
  ASSERT_TRUE(d->getDllList());
  ASSERT_EQ(d->DllList.Count(), 3);
  EXPECT_EQ(d->DllList[0], "names.dll");
  EXPECT_EQ(d->DllList[1], "more.dll");
  EXPECT_EQ(d->DllList[2], "flags=1");  // not a library line: kept in its place
  EXPECT_EQ(test::CountLines(*journal, jlData, "DLL found : names.dll"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlInfo, "Found 2 Dlls"), 1);
  auto posts = rec.TextPosts();
  ASSERT_EQ(posts.size(), 3u);
  EXPECT_EQ(posts[0].Text, "Retrieving resource files...");
  EXPECT_EQ(posts[2].Text, "   Resource file found: more.dll");
  EXPECT_EQ(posts[2].Message.Position, 3);
}

TEST_F(DataFilesTest, IdsNumbersPickLibraryAndResource) {
  WriteBytes(dir.Path() / "EXE" / "Names.DLL", NamesDll({{0, u"zero"}, {1, u"Ore"}, {17, u"Gold"}}));
  WriteBytes(dir.Path() / "EXE" / "more.dll", NamesDll({{1, u"Li\u00e9ge"}}));
  d->DllList.Add("names.dll");
  d->DllList.Add("more.dll");
  EXPECT_EQ(d->getIdsString("0"), "zero");        // numbers below 65,536 use the first library
  EXPECT_EQ(d->getIdsString("65537"), "Ore");     // library 1, resource 1
  EXPECT_EQ(d->getIdsString("65553"), "Gold");
  EXPECT_EQ(d->getIdsString("131073"), "Li\xC3\xA9ge");
  EXPECT_EQ(d->getIdsString("65538"), "");        // no such string
  EXPECT_EQ(d->getIdsString(""), "");
  EXPECT_EQ(d->getIdsString("196608"), "");       // a third library that is not listed
  EXPECT_EQ(test::CountLines(*journal, jlError, "Found invalid IDS String: 196608 > DllNr: 2 > ResId: 0"), 1);
  // Each library is read once and kept for the rest of the load.
  fs::remove(dir.Path() / "EXE" / "Names.DLL");
  EXPECT_EQ(d->getIdsString("65537"), "Ore");
}

TEST_F(DataFilesTest, DamagedIdsTextsGiveEmptyTextsAndAJournalLine) {
  d->DllList.Add("names.dll");
  for (const char* bad : {"abc", "-5", "99999999999", "16777216", "12x"}) {
    EXPECT_EQ(d->getIdsString(bad), "") << bad;
    EXPECT_EQ(test::CountLines(*journal, jlError, std::string("Found invalid IDS String: ") + bad), 1) << bad;
  }
  EXPECT_EQ(d->getIdsString("65537"), "");  // a listed library that is not there: no text, no line
}

TEST_F(DataFilesTest, InitialDataFindsTheDataFolderThroughDotDot) {
  MainIni(kMain);
  WriteText(dir.Path() / "DATA" / "initialWorld.ini", "[Group]\r\nnickname = li_p_grp\r\n");
  ASSERT_TRUE(d->getInitialData());
  EXPECT_EQ(d->DataPath, dir.Str() + "/data\\");
  ASSERT_TRUE(d->aIni[iniInitialWorld]);
  EXPECT_TRUE(d->aIni[iniInitialWorld]->Loaded);
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "DataPath = "), 1);
  EXPECT_EQ(rec.TextPosts().at(0).Text, "Retrieving initial data... ");
}

TEST_F(DataFilesTest, InitialDataFailsWithoutTheInitialWorld) {
  MainIni(kMain);
  EXPECT_FALSE(d->getInitialData());
  ASSERT_TRUE(d->aIni[iniInitialWorld]);
  EXPECT_FALSE(d->aIni[iniInitialWorld]->Loaded);
}

namespace {

// The data tree of kMain: two goods files, one markets file with a base in two letter cases, weapons in
// three section kinds, one missing file.
void WriteDataTree(const fs::path& data) {
  WriteText(data / "InitialWorld.ini", "[Group]\r\nnickname = li_p_grp\r\n[Group]\r\nnickname = pirates\r\n");
  WriteText(data / "Equipment" / "Goods.ini",
            "[Good]\r\nnickname = ore\r\ncategory = commodity\r\nprice = 90\r\nprice = 95\r\n"
            "[Good]\r\nnickname = gun_a\r\ncategory = equipment\r\nequipment = gun_a\r\n"
            "[Good]\r\ncategory = commodity\r\n");
  WriteText(data / "Equipment" / "mod_goods.INI",
            "[Good]\r\nnickname = water\r\ncategory = commodity\r\nitem, 1, 2\r\n");
  WriteText(data / "Equipment" / "Market.ini",
            "[BaseGood]\r\nbase = Li01_01_Base\r\nMarketGood = Ore, 0, -1, 150, 500, 0, 1\r\n"
            "MarketGood = water, 0, -1, 10, 10, 0, 1.2\r\n"
            "[BaseGood]\r\nMarketGood = gold, 0, -1, 1, 1, 0, 1\r\n"
            "[BaseGood]\r\nbase = LI01_01_BASE\r\nmarketgood = ORE, 1, -1, 1, 1, 0, 2\r\n"
            "MarketGood = gun_a, 0, -1, 1, 1, 0, 1\r\n"
            "[BaseGood]\r\nbase = br01_01_base\r\nMarketGood = ore, 0, -1, 0, 1, 0, 1\r\n");
  WriteText(data / "Equipment" / "weapons.ini",
            "[Gun]\r\nnickname = gun_a\r\nids_name = 65537\r\n"
            "[ShieldGenerator]\r\nnickname = shield_a\r\n"
            "[gun]\r\nnickname = gun_b\r\n"
            "[Commodity]\r\nnickname = ore\r\nvolume = 3\r\n"
            "[Gun]\r\nids_name = 7\r\n");
  WriteText(data / "Universe" / "Universe.ini", "[System]\r\nnickname = li01\r\n[Base]\r\nnickname = li01_01_base\r\n");
  WriteText(data / "Solar" / "SolarArch.ini", "[Solar]\r\nnickname = planet_a\r\ntype = PLANET\r\n");
  WriteText(data / "Solar" / "other.ini", "[Solar]\r\nnickname = never\r\n");
  WriteText(data / "Missions" / "Faction_Prop.ini", "[FactionProps]\r\naffiliation = li_p_grp\r\nlegality = lawful\r\n");
}

}  // namespace

TEST_F(DataFilesTest, DataFilesAreJoinedAndReorganisedByNickname) {
  MainIni(kMain);
  WriteDataTree(dir.Path() / "Data");
  ASSERT_TRUE(d->getInitialData());
  d->StepCount = 4;
  ASSERT_TRUE(d->getDataInis());

  // Goods of both files, numbered together; the nickname-less section contributes nothing.
  TSvIniFile& goods = *d->aIni[iniGoods];
  EXPECT_EQ(goods.Sections.Count(), 3);
  EXPECT_EQ(goods.ReadString("ore", "price", ""), "95");
  EXPECT_EQ(goods.ReadString("water", "item", ""), "1, 2");
  EXPECT_EQ(goods.ReadString("WATER", "category", ""), "commodity");

  // Markets: the two sections of one base merge into the first spelling; the later entry of a good wins.
  TSvIniFile& markets = *d->aIni[iniMarkets];
  ASSERT_EQ(d->MarketBaseNames.Count(), 2);
  EXPECT_EQ(d->MarketBaseNames[0], "Li01_01_Base");
  EXPECT_EQ(d->MarketBaseNames[1], "br01_01_base");
  TStringList lines;
  markets.ReadSectionValues("Li01_01_Base", &lines);
  ASSERT_EQ(lines.Count(), 3);
  EXPECT_EQ(lines[0], "ore=1, -1, 1, 1, 0, 2");
  EXPECT_EQ(lines[1], "water=0, -1, 10, 10, 0, 1.2");
  EXPECT_EQ(lines[2], "gun_a=0, -1, 1, 1, 0, 1");
  ASSERT_EQ(d->MarketGoodNames.Count(), 3);  // sorted, each once; gold had no base
  EXPECT_EQ(d->MarketGoodNames[0], "gun_a");
  EXPECT_EQ(d->MarketGoodNames[1], "ore");
  EXPECT_EQ(d->MarketGoodNames[2], "water");

  // Equipment: the section kind as first spelled, [Gun] and [gun] as one kind.
  TSvIniFile& equip = *d->aIni[iniEquip];
  EXPECT_EQ(equip.ReadString("gun_a", "Equipment_Type", ""), "Gun");
  EXPECT_EQ(equip.ReadString("gun_b", "Equipment_Type", ""), "Gun");
  EXPECT_EQ(equip.ReadString("shield_a", "Equipment_Type", ""), "ShieldGenerator");
  EXPECT_EQ(equip.ReadString("ore", "volume", ""), "3");
  EXPECT_EQ(equip.ReadString("gun_a", "ids_name", ""), "65537");
  TStringList first;
  equip.ReadSectionValues("gun_a", &first);
  EXPECT_EQ(first[0], "Equipment_Type=Gun");
  TStringList unnamed;
  equip.ReadSectionValues("", &unnamed);  // the [Gun] without nickname
  ASSERT_EQ(unnamed.Count(), 1);
  EXPECT_EQ(unnamed[0], "Equipment_Type=Gun");

  // The joined kinds; the Solararch key is not a data kind.
  EXPECT_EQ(SectionCountOf(*d->aIni[iniSolararch], "Solar"), 1);
  EXPECT_EQ(SectionCountOf(*d->aIni[iniUniverse], "System"), 1);
  EXPECT_EQ(SectionCountOf(*d->aIni[iniGroups], "group"), 2);
  EXPECT_TRUE(d->aIni[iniFactionProps]->Loaded);
  EXPECT_EQ(d->aIni[iniTemp]->FileName(), "TEMP");  // the equipment scratch stays
  EXPECT_EQ(d->aIni[iniMarkets]->FileName(), "Markets");

  // Journal and progress: found files, the missing one, the step counter restored.
  EXPECT_EQ(test::CountLines(*journal, jlData, "Goods ini file found : equipment\\mod_goods.ini"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlData, "Solararch ini file found : solar\\solararch.ini"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "missing.ini"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlEnd, "Markets file reorganized"), 1);
  EXPECT_EQ(d->StepCount, 5 + 8);
  std::vector<std::string> bars;
  for (const auto& p : rec.TextPosts())
    if (p.Message.ReplaceStartupLine) bars.push_back(p.Text);
  ASSERT_EQ(bars.size(), 3u);
  EXPECT_EQ(bars[0], "   Equipment...[# ]");
  EXPECT_EQ(bars[1], "   Equipment...[##]");
  EXPECT_EQ(bars[2], "   Equipment...[##]");

  TStringList names = d->getIniFileNames();
  ASSERT_EQ(names.Count(), 12);
  EXPECT_EQ(names[iniGoods - 1], "Goods");
  EXPECT_EQ(names[iniBases - 1], "");
}

TEST_F(DataFilesTest, MissingFactionPropertiesLeaveAnEmptyUsableObject) {
  MainIni(kMain);
  WriteDataTree(dir.Path() / "Data");
  fs::remove_all(dir.Path() / "Data" / "Missions");
  platform::ResetGamePathCache();
  ASSERT_TRUE(d->getInitialData());
  ASSERT_TRUE(d->getDataInis());
  TSvIniFile& props = *d->aIni[iniFactionProps];
  EXPECT_FALSE(props.Loaded);
  EXPECT_EQ(props.FindSection("affiliation", "li_p_grp", "FactionProps"), "");
  EXPECT_EQ(props.ReadKeyValues("FactionProps1", "scan_for_cargo", true)->Count(), 0);
  EXPECT_FALSE(SectionCountOf(props, "FactionProps").has_value());
}

TEST_F(DataFilesTest, MarketsOrGoodsWithoutTheirSectionsFailTheStep) {
  MainIni(kMain);
  WriteDataTree(dir.Path() / "Data");
  WriteText(dir.Path() / "Data" / "Equipment" / "Market.ini", "[Market]\r\nbase = x\r\n");
  ASSERT_TRUE(d->getInitialData());
  d->StepCount = 4;
  EXPECT_FALSE(d->getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError, "no [BaseGood] section"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlEnd, "Markets file reorganized"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlEnd, "TSvData.getDataInis()"), 1);
  EXPECT_FALSE(d->aIni[iniTemp]);
  EXPECT_EQ(d->StepCount, 5 + 8);

  WriteText(dir.Path() / "Data" / "Equipment" / "Market.ini", "[BaseGood]\r\nbase = x\r\nMarketGood = ore, 0, 0, 1, 1, 0, 1\r\n");
  fs::remove(dir.Path() / "Data" / "Equipment" / "Goods.ini");
  fs::remove(dir.Path() / "Data" / "Equipment" / "mod_goods.INI");
  platform::ResetGamePathCache();
  EXPECT_FALSE(d->getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError, "no [Good] section"), 1);
}

TEST_F(DataFilesTest, PartlyDecodedBinaryFilesAreJournaledWithTheirPath) {
  MainIni(kMain);
  WriteDataTree(dir.Path() / "Data");
  test::BiniWriter w;
  w.Section("Good", 2).Entry("nickname", 1).String("ore").Entry("price", 1).Value(9, 0);
  w.Save((dir.Path() / "Data" / "Equipment" / "Goods.ini").string());
  platform::ResetGamePathCache();
  ASSERT_TRUE(d->getInitialData());
  ASSERT_TRUE(d->getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError, "equipment\\goods.ini"), 1);
  // What came before the damage is kept.
  EXPECT_EQ(d->aIni[iniGoods]->ReadString("ore", "nickname", ""), "ore");
}
