#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "gamedata/BiniTestWriter.h"
#include "util/StatusRecorder.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "samplegen/PeWriter.h"
#include "util/TempDir.h"

using namespace qmz;
namespace fs = std::filesystem;

namespace {

// The path resolver keeps folder listings for the whole run; files written by a test must be seen.
void Write(const fs::path& file, const std::string& content) {
  test::WriteWholeFile(file, content);
  platform::ResetGamePathCache();
}

const std::string kMain =
    "[Starvagant]\r\ndata path = ..\\data\r\ninitial_world = LaunchWorld.ini\r\n"
    "[Resources]\r\nDLL = names.dll ; the names\r\ndll=more.dll\r\nflags = 1\r\n"
    "[Data]\r\nGoods = equipment\\goods.ini ; main goods\r\ngoods = equipment\\mod_goods.ini\r\n"
    "  MARKETS = equipment\\market.ini\r\nEquipment = equipment\\weapons.ini\r\nEquipment = equipment\\missing.ini\r\n"
    "Universe = universe\\universe.ini\r\nGroups = launchworld.ini\r\nSolar = solar\\kinds.ini\r\n"
    "Solararch = solar\\other.ini\r\n";

// An installation written by hand, in other letter case than the paths its INI names: two goods files,
// one markets file with a base in two letter cases, weapons in three section kinds, one missing file.
class DataFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    journal = test::MemoryJournal();
    d = std::make_unique<TSvData>(journal.get(), rec.Window(), rec.Mapping());
    d->SVPath = dir.Str() + "/";
    MainIni("");
    const fs::path data = dir.Path() / "Data";
    Write(data / "LaunchWorld.ini", "[Group]\r\nnickname = fp_01_grp\r\n[Group]\r\nnickname = pirates\r\n");
    Write(data / "Equipment" / "Goods.ini",
          "[Good]\r\nnickname = ore\r\nprice = 90\r\nprice = 95\r\n"
          "[Good]\r\nnickname = gun_a\r\n[Good]\r\nprice = 1\r\n");
    Write(data / "Equipment" / "mod_goods.INI", "[Good]\r\nnickname = water\r\nitem, 1, 2\r\n");
    Write(data / "Equipment" / "Market.ini",
          "[BaseGood]\r\nbase = St01_01_Base\r\nMarketGood = Ore, 0, -1, 150, 500, 0, 1\r\n"
          "MarketGood = water, 0, -1, 10, 10, 0, 1.2\r\n"
          "[BaseGood]\r\nMarketGood = gold, 0, -1, 1, 1, 0, 1\r\n"
          "[BaseGood]\r\nbase = ST01_01_BASE\r\nmarketgood = ORE, 1, -1, 1, 1, 0, 2\r\n"
          "MarketGood = gun_a, 0, -1, 1, 1, 0, 1\r\n"
          "[BaseGood]\r\nbase = st02_01_base\r\nMarketGood = ore, 0, -1, 0, 1, 0, 1\r\n");
    Write(data / "Equipment" / "weapons.ini",
          "[Gun]\r\nnickname = gun_a\r\nids_name = 65537\r\n[ShieldGenerator]\r\nnickname = shield_a\r\n"
          "[gun]\r\nnickname = gun_b\r\n[Commodity]\r\nnickname = ore\r\n[Gun]\r\nids_name = 7\r\n");
    Write(data / "Universe" / "Universe.ini", "[System]\r\nnickname = st01\r\n");
    Write(data / "Solar" / "Kinds.ini", "[Solar]\r\nnickname = planet_a\r\n");
    Write(data / "Solar" / "other.ini", "[Solar]\r\nnickname = never\r\n");
    Write(data / "Missions" / "Faction_Prop.ini", "[FactionProps]\r\naffiliation = fp_01_grp\r\n");
  }
  void TearDown() override { platform::ResetGamePathCache(); }
  // The main INI with more lines after its own.
  void MainIni(const std::string& more) {
    Write(dir.Path() / "Exe" / "StarVagant.INI", kMain + more);
    d->aIni[iniMain] = d->OpenGameIni(d->SVPath + "EXE\\starvagant.ini");
  }

  test::TempDir dir;
  test::StatusRecorder rec;
  std::unique_ptr<TJournal> journal;
  std::unique_ptr<TSvData> d;
};

}  // namespace

TEST_F(DataFilesTest, ResourceLinesNameTheLibrariesThatIdsNumbersPickOnceEach) {
  ASSERT_TRUE(d->getDllList());
  ASSERT_EQ(d->DllList.Count(), 3);
  EXPECT_EQ(d->DllList[0], "names.dll");
  EXPECT_EQ(d->DllList[1], "more.dll");
  EXPECT_EQ(d->DllList[2], "flags=1");  // not a library line: kept in its place
  EXPECT_EQ(test::CountLines(*journal, jlInfo, "Found 2 Dlls"), 1);
  EXPECT_EQ(rec.TextPosts().at(2).Text, "   Resource file found: more.dll");
  EXPECT_EQ(rec.TextPosts().at(2).Message.Position, 3);

  // Names the libraries give are pinned by the model digests; here the numbers they never use, and a library
  // read once however spelt or linked, another one still read, every name keeping its number.
  d->DllList.Clear();
  const fs::path exe = dir.Path() / "EXE";
  Write(exe / "Names.DLL", samplegen::BuildStringTableDll({{0, "zero"}, {1, "St01 Ore"}}));
  Write(exe / "own.dll", samplegen::BuildStringTableDll({{1, "St02 Water"}}));
  fs::create_directories(exe / "sub");
  fs::create_symlink("Names.DLL", exe / "link.dll");
  fs::create_hard_link(exe / "Names.DLL", exe / "sub" / "hard.dll");
  platform::ResetGamePathCache();
  for (const char* name : {"names.dll", "sub\\..\\NAMES.dll", "zz1\\..\\names.dll", "own.dll", "link.dll",
                           "sub\\hard.dll", "zz2\\..\\gone.dll", "zz3\\..\\gone.dll"})
    d->DllList.Add(name);
  EXPECT_EQ(d->getIdsString("0"), "zero");   // numbers below 65,536 use the first library
  EXPECT_EQ(d->getIdsString("65538"), "");   // no such string
  EXPECT_EQ(d->getIdsString("589824"), "");  // a ninth library that is not listed
  EXPECT_EQ(test::CountLines(*journal, jlError, "Found invalid IDS String: 589824 > DllNr: 8 > ResId: 0"), 1);
  // Damaged texts give an empty text and a journal line, never an error out of the loader.
  for (const char* bad : {"abc", "-5", "99999999999", "16777216", "12x", "$1F", "0x1F", "0X10001"}) {
    EXPECT_EQ(d->getIdsString(bad), "") << bad;
    EXPECT_EQ(test::CountLines(*journal, jlError, std::string("Found invalid IDS String: ") + bad), 1) << bad;
  }

  EXPECT_EQ(d->getIdsString("65537"), "St01 Ore");
  // Rewritten in place, so still the same file: a second reading would find the new text.
  Write(exe / "Names.DLL", samplegen::BuildStringTableDll({{1, "St01 Changed"}}));
  for (const char* ids : {"65537", "131073", "196609", "327681", "393217"})
    EXPECT_EQ(d->getIdsString(ids), "St01 Ore") << ids;
  EXPECT_EQ(d->getIdsString("262145"), "St02 Water");
  // A file that is not there has no identity: each spelling is journaled as not read.
  EXPECT_EQ(d->getIdsString("458753"), "");
  EXPECT_EQ(d->getIdsString("524289"), "");
  EXPECT_EQ(test::CountLines(*journal, jlWarning,
                             "Data file not read (not found): " + d->SVPath + "exe\\zz3\\..\\gone.dll"),
            1);
}

TEST_F(DataFilesTest, DataFilesAreJoinedAndReorganisedByNickname) {
  ASSERT_TRUE(d->getInitialData());
  EXPECT_EQ(d->DataPath, dir.Str() + "/data\\");  // found through "..\\data"
  EXPECT_TRUE(d->aIni[iniInitialWorld]->Loaded);
  d->StepCount = 4;
  ASSERT_TRUE(d->getDataInis());

  // Goods of both files numbered together; lines of one name collapse; a bare line splits at its ",".
  TSvIniFile& goods = *d->aIni[iniGoods];
  EXPECT_EQ(goods.Sections.Count(), 3);
  EXPECT_EQ(goods.ReadString("ore", "price", ""), "95");
  EXPECT_EQ(goods.ReadString("WATER", "item", ""), "1, 2");

  // Market goods sorted, once each; gold had no base (the merged sections are compared below).
  EXPECT_EQ(d->MarketGoodNames.CommaText(), "gun_a,ore,water");

  // Equipment: the section kind as first spelled ([Gun] and [gun] are one kind) as first line.
  TSvIniFile& equip = *d->aIni[iniEquip];
  TStringList lines;
  equip.ReadSectionValues("gun_a", &lines);
  EXPECT_EQ(lines.Text(), "Equipment_Type=Gun\r\nnickname=gun_a\r\nids_name=65537\r\n");
  EXPECT_EQ(equip.ReadString("gun_b", "Equipment_Type", ""), "Gun");
  equip.ReadSectionValues("", &lines);  // the [Gun] without nickname
  EXPECT_EQ(lines.Text(), "Equipment_Type=Gun\r\n");

  EXPECT_EQ(SectionCountOf(*d->aIni[iniSolararch], "Solar"), 1);  // Solararch is no data key

  // Journal and progress: the missing file, the step counter restored, the equipment bar redrawn.
  EXPECT_EQ(test::CountLines(*journal, jlData, "Goods ini file found : equipment\\mod_goods.ini"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "missing.ini"), 1);
  EXPECT_EQ(d->StepCount, 5 + 8);
  std::string bars;
  for (const auto& p : rec.TextPosts())
    if (p.Message.ReplaceStartupLine) bars += p.Text + "|";
  EXPECT_EQ(bars, "   Equipment...[# ]|   Equipment...[##]|   Equipment...[##]|");

  // The slots' file names in slot order; a slot never filled names nothing.
  TStringList names = d->getIniFileNames();
  ASSERT_EQ(names.Count(), 12);
  EXPECT_EQ(names[iniGoods - 1], "Goods");
  EXPECT_EQ(names[iniBases - 1], "");

  fs::remove(dir.Path() / "Data" / "LaunchWorld.ini");
  platform::ResetGamePathCache();
  EXPECT_FALSE(d->getInitialData());
}

// The one-pass markets object holds what WriteSectionList of each base's MarketGood values gives, odd lines too.
TEST_F(DataFilesTest, MarketsHoldWhatTheWritePathWouldWriteAndWithoutTheirSectionsFailTheStep) {
  const std::string text =
      "[BaseGood]\r\nbase = Ö_Base\r\nMarketGood = ÖRE, 0, -1, 1, 1, 0, 1\r\nMarketGood = a=b, 1\r\n"
      "MarketGood = ,x, 2\r\nMarketGood =\r\nmarketgood = ore marketgood=x, 3\r\nMarketGood = A = B, 4\r\n"
      "MarketGoods = no, 1\r\nMarketGood\r\n"
      "[BaseGood]\r\nbase = ö_base\r\nMARKETGOOD = öre, 5\r\nMarketGood = =c, 6\r\nMarketGood = , 7\r\n"
      "[BaseGood]\r\nbase = empty\r\nbase = last\r\n[BaseGood]\r\nbase = last\r\nMarketGood = x, 8\r\n";
  Write(dir.Path() / "Data" / "Equipment" / "Market.ini", text);
  ASSERT_TRUE(d->getInitialData());
  ASSERT_TRUE(d->getDataInis());

  TStringList lines;
  lines.SetText(text);
  const auto temp = TSvIniFile::CreateFromList(lines, "TEMP");
  const auto want = TSvIniFile::CreateFromList(TStringList(), "Markets");
  for (int i = 1; i <= *SectionCountOf(*temp, "BaseGood"); ++i) {
    const std::string base = temp->ReadStringF("BaseGood%d", "base", "", {i});
    if (!base.empty()) want->WriteSectionList(base, *temp->ReadKeyValuesF("BaseGood%d", "MarketGood", {i}, false));
  }
  TStringList got, expected;
  d->aIni[iniMarkets]->GetStrings(&got);
  want->GetStrings(&expected);
  EXPECT_EQ(got.Text(), expected.Text());
  EXPECT_EQ(d->MarketBaseNames.CommaText(), "Ö_Base,last");

  // Markets or goods without their sections fail the step.
  Write(dir.Path() / "Data" / "Equipment" / "Market.ini", "[Market]\r\nbase = x\r\n");
  ASSERT_TRUE(d->getInitialData());
  d->StepCount = 4;
  EXPECT_FALSE(d->getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError, "no [BaseGood] section"), 1);
  // Each of the two steps ends its markets and its data block.
  EXPECT_EQ(test::CountLines(*journal, jlEnd, "Markets file reorganized"), 2);
  EXPECT_EQ(test::CountLines(*journal, jlEnd, "TSvData.getDataInis()"), 2);
  EXPECT_FALSE(d->aIni[iniTemp]);
  EXPECT_EQ(d->StepCount, 5 + 8);

  Write(dir.Path() / "Data" / "Equipment" / "Market.ini",
        "[BaseGood]\r\nbase = x\r\nMarketGood = ore, 0, 0, 1, 1, 0, 1\r\n");
  fs::remove(dir.Path() / "Data" / "Equipment" / "Goods.ini");
  fs::remove(dir.Path() / "Data" / "Equipment" / "mod_goods.INI");
  platform::ResetGamePathCache();
  EXPECT_FALSE(d->getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError, "no [Good] section"), 1);
}

TEST_F(DataFilesTest, DataFilesThatCannotBeReadOrAreDamagedAreJournaledAndTheLoadGoesOn) {
  const fs::path equipment = dir.Path() / "Data" / "Equipment";
  // A binary file damaged after its first entry: what came before the damage counts, the path is journaled.
  test::BiniWriter w;
  w.Section("Good", 2).Entry("nickname", 1).String("ore").Entry("price", 1).Value(9, 0);
  w.Save((equipment / "Goods.ini").string());
  // A FIFO never blocks the loader; a folder and a sparse file of 3 GB (no disk used) are not read.
  fs::remove(equipment / "mod_goods.INI");
  ASSERT_EQ(mkfifo((equipment / "mod_goods.INI").c_str(), 0600), 0);
  fs::remove(dir.Path() / "Data" / "Universe" / "Universe.ini");
  fs::create_directories(dir.Path() / "Data" / "Universe" / "Universe.ini");
  fs::resize_file(equipment / "weapons.ini", std::uintmax_t(3) << 30);
  platform::ResetGamePathCache();
  ASSERT_TRUE(d->getInitialData());
  ASSERT_TRUE(d->getDataInis());
  EXPECT_EQ(d->aIni[iniGoods]->ReadString("ore", "nickname", ""), "ore");
  EXPECT_EQ(test::CountLines(*journal, jlError, "equipment\\goods.ini"), 1);
  EXPECT_EQ(d->aIni[iniEquip]->Sections.Count(), 0);
  const std::pair<const char*, const char*> unread[] = {{"not a regular file", "equipment\\mod_goods.ini"},
                                                        {"not a regular file", "universe\\universe.ini"},
                                                        {"larger than 268435456 bytes", "equipment\\weapons.ini"},
                                                        {"not found", "equipment\\missing.ini"}};
  for (const auto& [reason, file] : unread) {
    const std::string line = Format("Data file not read (%s): %s%s", reason, d->DataPath, file);
    EXPECT_EQ(test::CountLines(*journal, jlWarning, line), 1) << line;
  }
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "Data file not read ("), 4);
}

// How often a file is opened while watched (closes too: equal events in a row would be reported as one).
class OpenCounter {
 public:
  explicit OpenCounter(const fs::path& file) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(inotify_add_watch(fd_, file.c_str(), IN_OPEN | IN_CLOSE), 0);
  }
  ~OpenCounter() { close(fd_); }
  int Opens() {
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = read(fd_, events, sizeof events)) > 0;)
      for (ssize_t at = 0; at < n;
           at += ssize_t(sizeof(inotify_event)) + reinterpret_cast<inotify_event*>(events + at)->len)
        if (reinterpret_cast<inotify_event*>(events + at)->mask & IN_OPEN) ++opens_;
    return opens_;
  }

 private:
  int fd_;
  int opens_ = 0;
};

TEST_F(DataFilesTest, AFileNamedAgainIsReadOnceJoinedAsOftenAsNamedAndTheJoinedTextIsBounded) {
  // The groups file named in other spellings of its path (and as goods) after the first line: all of
  // its sections count each time, as when it was read for every line.
  MainIni(
      "Groups = LAUNCHWORLD.INI\r\ngroups = Equipment\\..\\LaunchWorld.ini ; again\r\n"
      "Goods = launchworld.ini\r\n");
  ASSERT_TRUE(d->getInitialData());
  OpenCounter counter(dir.Path() / "Data" / "LaunchWorld.ini");
  ASSERT_TRUE(d->getDataInis());
  EXPECT_EQ(counter.Opens(), 1);
  EXPECT_EQ(SectionCountOf(*d->aIni[iniGroups], "Group"), 6);
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "Data file named more than once"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlWarning,
                             "named more than once, joined as often: " + d->DataPath + "LAUNCHWORLD.INI"),
            1);
  EXPECT_EQ(test::CountLines(*journal, jlData, "Groups ini file found : "), 3);

  // A sparse file (no disk used) a third of the bound named three times: it was read and joined each time,
  // up to gigabytes for a file named more often. The joined text is bounded and the load ends past it.
  Write(dir.Path() / "Data" / "Equipment" / "big.ini", "");
  fs::resize_file(dir.Path() / "Data" / "Equipment" / "big.ini", kMaxLoadText / 3 + (std::size_t(1) << 20));
  MainIni("Goods = equipment\\big.ini\r\nGoods = equipment\\big.ini\r\nGoods = equipment\\big.ini\r\n");
  ASSERT_TRUE(d->getInitialData());
  EXPECT_FALSE(d->getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError,
                             "Joining of data files stopped: The joined data texts pass 512 MiB at " + d->DataPath +
                                 "equipment\\big.ini"),
            1);
  EXPECT_EQ(test::CountLines(*journal, jlEnd, "TSvData.getDataInis()"), 2);  // each of the two steps ends
}

TEST_F(DataFilesTest, ManyEquipmentKindsAndMarketGoodsReorganiseInOnePass) {
  // 10,000 equipment kinds: a bar as wide as the kinds, once per kind, was 100 million characters.
  std::string weapons;
  for (int t = 0; t < 10000; ++t) weapons += Format("[Kind%d]\r\nnickname = item%d\r\n", t, t);
  Write(dir.Path() / "Data" / "Equipment" / "weapons.ini", weapons);
  // 30,000 goods named in falling order: inserted one at a time, each went to the front of the list.
  std::string market = "[BaseGood]\r\nbase = St01_01_Base\r\n";
  for (int g = 30000; g-- > 0;) market += Format("MarketGood = good%5.5d, 0, -1, 1, 1, 0, 1\r\n", g);
  Write(dir.Path() / "Data" / "Equipment" / "Market.ini", market);
  ASSERT_TRUE(d->getInitialData());
  ASSERT_TRUE(d->getDataInis());

  ASSERT_EQ(d->MarketGoodNames.Count(), 30000);
  EXPECT_EQ(d->MarketGoodNames[0], "good00000");
  EXPECT_EQ(d->MarketGoodNames[29999], "good29999");
  EXPECT_EQ(d->MarketGoodNames.IndexOf("GOOD27182"), 27182);
  EXPECT_EQ(d->aIni[iniEquip]->ReadString("item9999", "Equipment_Type", ""), "Kind9999");
  int bars = 0;
  std::string last;
  for (const auto& p : rec.TextPosts()) {
    if (!p.Message.ReplaceStartupLine) continue;
    ++bars;
    EXPECT_EQ(p.Text.size(), std::string("   Equipment...[]").size() + 100);
    last = p.Text;
  }
  EXPECT_LE(bars, 101);  // drawn when it changes
  EXPECT_EQ(last, "   Equipment...[" + std::string(100, '#') + "]");
}

TEST(LoaderProgress, RangesBeyond16BitsAreScaledAndItemPostsSpacedOut) {
  test::StatusRecorder rec;
  TSvData d(nullptr, rec.Window(), rec.Mapping());
  d.PostStatus("", 1, 100000, 100000, psAddToStartupLog);
  d.PostStatus("", 1, 100000, 50000, psAddToStartupLog);
  ASSERT_EQ(rec.Posts.size(), 2u);
  EXPECT_EQ(rec.Posts[0].Message.Max, 65535);
  EXPECT_EQ(rec.Posts[0].Message.Position, 65535);
  EXPECT_EQ(rec.Posts[1].Message.Position, 32767);
  EXPECT_EQ(rec.Posts[1].Message.Min, 0);

  // Item posts are spaced out, but the first and the last always go.
  rec.Posts.clear();
  for (int i = 1; i <= 10000; ++i) d.PostItem(1, 10000, i);
  ASSERT_GE(rec.Posts.size(), 2u);
  EXPECT_LT(rec.Posts.size(), 10000u);
  EXPECT_EQ(rec.Posts.front().Message.Position, 1);
  EXPECT_EQ(rec.Posts.back().Message.Position, 10000);
  EXPECT_EQ(rec.Posts.back().Text, "");
}
