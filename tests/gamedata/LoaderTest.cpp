// The loading constructor on generated installations, with a scripted user.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "gamedata/GeneratedInstallTest.h"
#include "platform/BuildInfo.h"
#include "platform/ProcessPriority.h"
#include "util/NiceValues.h"
#include "util/ScopedEnv.h"

using namespace qmz;
namespace fs = std::filesystem;

namespace {

class LoaderTest : public test::GeneratedInstallTest {
 protected:
  static void ExpectManifestCounts(const SvModel& d, const samplegen::Manifest& m) {
    ASSERT_TRUE(d.DataValid);
    EXPECT_EQ(int(d.aFaction.size()) - 1, m.factions);
    EXPECT_EQ(int(d.aSystem.size()) - 1, m.systems);
    EXPECT_EQ(int(d.aBase.size()) - 1, m.dockableBases);
    EXPECT_EQ(int(d.aGood.size()) - 1, m.tradedGoods);
    int sold = 0;
    for (std::size_t b = 1; b < d.aMarket.size(); ++b)
      for (std::size_t g = 1; g < d.aMarket.RowLength(); ++g) sold += d.aMarket[b][g].Sold;
    EXPECT_EQ(sold, m.soldCells);
    int lawful = 0;
    for (const auto& p : d.aFactionProps) lawful += p.lawful;
    EXPECT_EQ(lawful, m.lawfulFactions);
  }
};

TEST_F(LoaderTest, ChooserCancelOrNoFolderEndsTheLoadUnlessAManualPathIsGiven) {
  user.chooser = std::nullopt;
  EXPECT_FALSE(TSvData(journal.get(), 0, 0, user).DataValid);
  EXPECT_TRUE(user.questions.empty() && user.warnings.empty());
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >>", jlBegin));
  EXPECT_FALSE(test::HasLine(*journal, "Freeing inis..."));

  // OK without a row: the question; No ends the load, and so does Yes with an empty answer (or Cancel).
  user.chooser = "";
  user.yesNo = {false, true};
  EXPECT_FALSE(TSvData(journal.get(), 0, 0, user).DataValid);
  ASSERT_EQ(user.questions.size(), 1u);
  EXPECT_EQ(user.questions[0].rfind("No Starvagant installation found !\n\r\r", 0), 0u);
  EXPECT_NE(user.questions[0].find(platform::ContactEmail()), std::string::npos);
  EXPECT_TRUE(user.prompts.empty());
  EXPECT_TRUE(test::HasLine(*journal, "Starvagant is not installed", jlError));
  EXPECT_FALSE(TSvData(journal.get(), 0, 0, user).DataValid);
  EXPECT_EQ(user.prompts.size(), 1u);

  // Yes: the path is asked until it exists, and may be relative.
  const auto m = Generate("small");
  fs::create_directories(dir.Path() / "work");
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path() / "work");
  user.yesNo = {true};
  user.inputs = {"..\\no such folder", "..\\game\\" + m.installDir.lexically_relative(dir.Path() / "game").string()};
  TSvData d(journal.get(), 0, 0, user);
  fs::current_path(before);
  EXPECT_EQ(user.prompts.size(), 3u);
  EXPECT_EQ(user.prompts[1], "Manual override|Please enter the path to your Starvagant installation");
  EXPECT_TRUE(test::HasLine(*journal, "Manual override: Trying user given directory", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "   SVPath = " + d.SVPath, jlWarning));
  ASSERT_TRUE(platform::ResolveGamePath(d.SVPath).has_value());
  EXPECT_TRUE(fs::equivalent(*platform::ResolveGamePath(d.SVPath), m.installDir));
  ExpectManifestCounts(d, m);
}

TEST_F(LoaderTest, AMissingMainIniShowsItsPathAStopEndsWithoutDialog) {
  const std::string folder = (dir.Path() / "Space").string();
  fs::create_directories(folder);
  auto d = Load(folder);
  EXPECT_FALSE(d->DataValid);
  EXPECT_EQ(d->SVPath, folder + "\\");
  ASSERT_EQ(user.warnings.size(), 1u);
  EXPECT_EQ(user.warnings[0].rfind("Starvagant.ini file couldnt be read !\n\r\r", 0), 0u);
  EXPECT_TRUE(user.warnings[0].ends_with("\n\r\rFilepath: " + folder + "\\EXE\\starvagant.ini"));
  EXPECT_TRUE(test::HasLine(*journal, "Starvagant.ini not existant", jlError));

  // A stop before the data files ends the load without a dialog.
  Generate("small");
  user.warnings.clear();
  user.stop = [] { return true; };
  d = Load();
  EXPECT_FALSE(d->DataValid);
  EXPECT_TRUE(user.warnings.empty());
  EXPECT_TRUE(test::HasLine(*journal, "TSvData.getDllList()", jlEnd));
  EXPECT_FALSE(test::HasLine(*journal, "TSvData.getDataInis()", jlBegin));
  EXPECT_TRUE(test::HasLine(*journal, "Freeing inis...", jlInfo));
}

TEST_F(LoaderTest, AnErrorPassesOnButIsNeverReportedAsSuccessOrEndsTheLoadWithTheParsersLines) {
  Generate("small");
  // The window goes away while the factions are read.
  user.stop = [this]() -> bool {
    if (test::HasLine(*journal, "[TSVData.parseGroups()]", jlBegin)) throw std::runtime_error("window gone");
    return false;
  };
  EXPECT_THROW(Load(), std::runtime_error);
  EXPECT_TRUE(test::HasLine(*journal, "[TSVData.parseGroups()]", jlEnd));
  EXPECT_TRUE(test::HasLine(*journal, "Result = False", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: False", jlEnd));
  EXPECT_TRUE(test::HasLine(*journal, "TSvData.Destroy()", jlEnd));

  // The parsers that catch their errors end the load with their lines.
  const std::vector<std::vector<std::string>> cases = {
      {"[TSVData.parseUniverse()]", "Error in parseUniverse()", "   window gone"},
      {"[TSvData.parseGoods()]", "TSvData.parseGoods(1)] - Error : window gone",
       "TSvData.parseGoods()] - Passed: False"},
      {"[TSvData.parseMarkets()]", "   EXCEPTION  [0] : <std::runtime_error> \"window gone\"",
       "[TSvData.parseMarkets()] - Passed: False"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    journal = test::MemoryJournal();
    user.stop = [&] {
      if (test::HasLine(*journal, c[0], jlBegin)) throw std::runtime_error("window gone");
      return false;
    };
    EXPECT_FALSE(Load()->DataValid);
    for (std::size_t k = 1; k < c.size(); ++k) EXPECT_TRUE(test::HasLine(*journal, c[k])) << c[k];
  }
}

TEST_F(LoaderTest, WinePrefixInstallationWithModManager) {
  const auto m = Generate("small", "wine", false, true);
  test::ScopedEnv env("WINEPREFIX", m.winePrefix.string().c_str());
  platform::ResetProcessRegistry();
  platform::ResetGamePathCache();
  test::StatusRecorder progress;
  // The chooser's first row: the registered folder, a Windows path through the prefix's drives.
  user.chooser = GetGameInstallDir();
  TSvData d(journal.get(), progress.Window(), progress.Mapping(), user);
  ExpectManifestCounts(d, m);
  EXPECT_EQ(d.SVPath, m.appPath + "\\");
  ASSERT_FALSE(m.modNames.empty());
  for (const auto& name : m.modNames) EXPECT_TRUE(test::HasText(*journal, name)) << name;
  EXPECT_TRUE(test::HasText(*journal, "Found Mods: { "));
  ASSERT_FALSE(d.SVMMPath.empty());
  EXPECT_EQ(progress.TextPosts().at(3).Text, "    Found SVMM installation: " + d.SVMMPath);
}

// A stop asked for inside a parser's loop ends that parser with False at the next item, keeps what it read,
// runs no later parser and shows no dialog; so does one asked for between two parsers.
TEST_F(LoaderTest, AStopInsideEachParserLoopKeepsWhatWasReadAndEndsTheLoadQuietly) {
  const auto& m = Generate("small");
  ASSERT_GE(m.factions, 2);
  ASSERT_GE(m.systems, 2);
  ASSERT_GE(m.universeBases, 2);
  ASSERT_GE(m.tradedGoods, 2);
  struct Case {
    const char* after;     // counting starts once this journal line is written
    TJournalLevel level;   // of that line
    int at;                // the stop is asked for at this request from then on
    const char* endLine;   // the stopped parser's End line
    const char* notBegun;  // the parser that must not have started (none after the last)
    std::function<void(const TSvData&)> kept;
  };
  const Case cases[] =
      {
          {"[TSVData.parseGroups()]", jlBegin, 2, "[TSVData.parseGroups()]", "[TSvData.parseSolars()]",
           [&](const TSvData& d) {
    ASSERT_EQ(int(d.aFaction.size()), m.factions + 1);
    EXPECT_FALSE(d.aFaction[1].nickname.empty());
    EXPECT_TRUE(d.aFaction[2].nickname.empty());
           }},
          {"[TSVData.parseGroups()]", jlEnd, 1, "[TSVData.parseGroups()]", "[TSvData.parseSolars()]",
           [&](const TSvData& d) { EXPECT_FALSE(d.aFaction.back().nickname.empty()); }},
          {"[TSvData.parseSolars()]", jlBegin, 2, "[TSvData.parseSolars()]", "[TSVData.parseUniverse()]",
           [&](const TSvData& d) { EXPECT_LE(d.aSolar.size(), 2u); }},
          {"[TSVData.parseUniverse()]", jlBegin, 2, "[TSVData.parseUniverse()]", "[TSvData.parseGoods()]",
           [&](const TSvData& d) {
    EXPECT_EQ(d.aSystem[0].nickname, "loot");
    EXPECT_FALSE(d.aSystem[1].nickname.empty());
    EXPECT_TRUE(d.aSystem[2].nickname.empty());
           }},
             {"[TSVData.parseUniverse()]", jlBegin, m.systems + 2, "[TSVData.parseUniverse()]",
              "[TSvData.parseGoods()]",
              [&](const TSvData& d) {
    EXPECT_FALSE(d.aSystem.back().nickname.empty());
    EXPECT_TRUE(d.aBase.empty());
              }},
      {"[TSVData.parseUniverse()]", jlBegin, m.systems + m.universeBases + 2, "[TSVData.parseUniverse()]",
       "[TSvData.parseGoods()]",
       [&](const TSvData& d) {
    ASSERT_FALSE(d.aBase.empty());
    EXPECT_EQ(d.aBase[0].nickname, "not available");
    EXPECT_LT(int(d.aBase.size()), m.dockableBases + 1);
    for (std::size_t b = 1; b < d.aBase.size(); ++b) EXPECT_EQ(d.aBase[b].system, 1u);
       }},
      {"[TSvData.parseGoods()]", jlBegin, 2, "TSvData.parseGoods()] - Passed: False", "[TSvData.parseMarkets()]",
       [&](const TSvData& d) { EXPECT_LE(d.aGood.size(), 2u); }},
      {"[TSvData.parseMarkets()]", jlBegin, 1, "[TSvData.parseMarkets()] - Passed: False", nullptr,
       [&](const TSvData& d) {
    EXPECT_FALSE(d.aMarket.HasDefaults(1));  // stopped before the first base
    EXPECT_FLOAT_EQ(d.aMarket[1][1].PriceFactor, 0.0f);
       }},
      {"[TSvData.parseMarkets()]", jlBegin, 2, "[TSvData.parseMarkets()] - Passed: False", nullptr,
       [&](const TSvData& d) {
    ASSERT_EQ(d.aMarket.size(), d.aBase.size());
    EXPECT_TRUE(d.aMarket.HasDefaults(1));
    EXPECT_FLOAT_EQ(d.aMarket[d.aBase.size() - 1][1].PriceFactor, 0.0f);  // never reached: zero cells
       }},
      };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.after << " " << c.at);
    journal = test::MemoryJournal();
    int asked = 0;
    user.stop = [&] { return test::HasLine(*journal, c.after, c.level) && ++asked >= c.at; };
    const auto d = Load();
    EXPECT_FALSE(d->DataValid);
    EXPECT_EQ(asked, c.at);
    EXPECT_TRUE(user.warnings.empty());
    EXPECT_TRUE(test::HasLine(*journal, c.endLine, jlEnd));
    if (c.notBegun) {
      EXPECT_FALSE(test::HasLine(*journal, c.notBegun, jlBegin));
    }
    EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: False", jlEnd));
    c.kept(*d);
  }
}

// The two OK boxes without a path: a first line, a blank line, the lines on a failed installation, LF CR.
TEST(LoaderTexts, TheListBoxesEndWithTheFailedInstallationLines) {
  const std::string lines =
      "This could possibly come from a failed Starvagant installation or\n\ra broken mod. Please try to de- and "
      "reactivate the current mod\n\r(if one is installed) or reinstall Starvagant\n\r";
  EXPECT_EQ(TSvData::ResourceListText(), "The list of resource files couldnt be read !\n\r\r" + lines);
  EXPECT_EQ(TSvData::DataFilesText(), "The list of data files couldnt be retrieved or joined\n\r\r" + lines);
}

// The user of the benchmarks and fuzzers: one folder, No to every question, never a stop.
TEST_F(LoaderTest, AFixedInstallationUserLoadsItsFolderOrNothing) {
  const auto& m = Generate("small");
  FixedInstallationUser fixed(m.installDir.string());
  ExpectManifestCounts(TSvData(journal.get(), 0, 0, fixed), m);
  EXPECT_FALSE(fixed.choseDefault());
  FixedInstallationUser noGame(dir.Str());  // no main INI there: the warning goes nowhere, the load fails
  EXPECT_FALSE(TSvData(journal.get(), 0, 0, noGame).DataValid);
  EXPECT_TRUE(test::HasLine(*journal, "Starvagant.ini not existant", jlError));
  FixedInstallationUser none("");
  EXPECT_FALSE(TSvData(journal.get(), 0, 0, none).DataValid);
  EXPECT_TRUE(test::HasLine(*journal, "Starvagant is not installed", jlError));
}

// Loading runs every thread of the process at normal priority, also one left at idle by an earlier switch.
TEST_F(LoaderTest, LoadingGivesEveryThreadNormalPriority) {
  test::ParkedThread before;
  if (platform::NormalPriorityReachable()) {
    ASSERT_EQ(setpriority(PRIO_PROCESS, id_t(before.Id()), 19), 0);
    ASSERT_EQ(setpriority(PRIO_PROCESS, 0, 19), 0);
  }
  user.chooser = std::nullopt;  // the end block sets it too
  EXPECT_FALSE(TSvData(journal.get(), 0, 0, user).DataValid);
  EXPECT_TRUE(test::EveryThreadAt(0));
}

// ---- damaged installations -----------------------------------------------------------------------

TEST_F(LoaderTest, DataKindsWithoutTheirSectionsShowTheDataFilesDialog) {
  const char* cases[][3] = {
      {"groups.ini", "[Faction]\nnickname = x\n", "The groups files hold no [Group] section"},
      {"solar\\solar_kinds.ini", "[Star]\nnickname = x\n", "The solar archetype files hold no [Solar] section"},
      {"universe\\universe.ini", "[Base]\nnickname = x\n", "The universe files hold no [System] section"},
      {"universe\\universe.ini", "[System]\nnickname = x\n", "The universe files hold no [Base] section"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c[2]);
    Generate("small", "case" + std::to_string(n++));
    Replace(std::string("DATA\\") + c[0], c[1]);
    user.warnings.clear();
    EXPECT_FALSE(Load()->DataValid);
    EXPECT_EQ(user.warnings, std::vector<std::string>{TSvData::DataFilesText()});
    EXPECT_TRUE(test::HasLine(*journal, c[2], jlError));
  }
}

// Records the parsers skip are in their own tests; without faction properties no faction is lawful.
TEST_F(LoaderTest, MissingFactionPropertiesLeaveEveryFactionUnlawfulAndTheLoadGoesOn) {
  const auto m = Generate("small");
  fs::remove(*platform::ResolveGamePath(m.installDir.string() + "/DATA/missions/faction_prop.ini"));
  auto d = Load();
  auto expected = m;
  expected.lawfulFactions = 0;
  ExpectManifestCounts(*d, expected);
  EXPECT_TRUE(user.warnings.empty());
  EXPECT_TRUE(test::HasText(*journal, "Faction properties missing"));
}

TEST_F(LoaderTest, FilesThatCannotBeReadNeverBlockAndAreCountedAtTheEnd) {
  const auto m = Generate("small");
  // FIFOs in the place of a system file and of a resource library: opened for reading, they would wait
  // for a writer for ever.
  for (const char* file : {"/DATA/universe/systems/st02/st02.ini", "/EXE/stvnames.dll"}) {
    const auto path = platform::ResolveGamePath(m.installDir.string() + file);
    ASSERT_TRUE(path.has_value()) << file;
    fs::remove(*path);
    ASSERT_EQ(mkfifo(path->c_str(), 0600), 0);
  }
  platform::ResetGamePathCache();

  auto d = Load();
  ASSERT_TRUE(d->DataValid);  // the load goes on without them
  EXPECT_LT(int(d->aBase.size()) - 1, m.dockableBases);
  EXPECT_TRUE(
      test::HasLine(*journal,
                    "Data file not read (not a regular file): " + d->DataPath + "universe\\systems\\St02\\st02.ini",
                    jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "Data file not read (not a regular file): " + d->SVPath + "exe\\StvNames.dll",
                            jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "Data files named but not read: 2", jlWarning));
}

// ---- whole installations -------------------------------------------------------------------------

// Small and typical installations are pinned whole by the model digests; the large one here, part binary.
TEST_F(LoaderTest, ALargeInstallationLoadsWithTheManifestCounts) {
  const auto m = Generate("large", "large", true);
  test::StatusRecorder progress;
  user.chooser = m.installDir.string();
  ExpectManifestCounts(TSvData(journal.get(), progress.Window(), progress.Mapping(), user), m);
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: True", jlEnd));
  EXPECT_EQ(test::CountLines(*journal, jlError, ""), 0);  // a sound installation gives no error line
  // The constructor's own posts carry position 1, "Initializing ini file" 2; no post leaves its range.
  const auto posts = progress.TextPosts();
  ASSERT_GE(posts.size(), 5u);
  EXPECT_EQ(posts[0].Text, "Checking Starvagant installation....");
  EXPECT_EQ(posts[0].Message.Position, 1);
  EXPECT_EQ(posts[0].Message.Max, 60);
  EXPECT_EQ(posts[4].Text, "Initializing ini file");
  EXPECT_EQ(posts[4].Message.Position, 2);
  EXPECT_TRUE(posts[4].Message.EchoToJournal);
  for (const auto& p : progress.Posts) EXPECT_LE(p.Message.Position, p.Message.Max) << p.Text;
}

}  // namespace
