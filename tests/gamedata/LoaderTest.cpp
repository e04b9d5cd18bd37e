// The loading constructor on generated installations, with a scripted user.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "gamedata/LoaderTestKit.h"
#include "gamedata/uSvFunctions.h"
#include "platform/BuildInfo.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "platform/TestEnv.h"
#include "platform/TestTempDir.h"
#include "samplegen/SampleGen.h"

using namespace qmz;
using qmz::test::ScriptedUser;
namespace fs = std::filesystem;

namespace {

// No mod manager unless a test registers one: the host's Wine prefix must not leak into the tests.
class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
    platform::ResetGamePathCache();
  }
  void TearDown() override { platform::ResetProcessRegistry(); }

  samplegen::Manifest Generate(const std::string& size, const std::string& sub = "gen", bool binary = false) {
    auto options = samplegen::Options::ForSize(size);
    options.binaryFiles = binary;
    auto manifest = samplegen::Generate(dir.Path() / sub, options);
    platform::ResetGamePathCache();
    return manifest;
  }

  // A data file of the generated installation, found the way the loader finds it.
  fs::path DataFile(const samplegen::Manifest& m, const std::string& gamePath) {
    auto path = platform::ResolveGamePath(m.installDir.string() + "/DATA/" + gamePath);
    EXPECT_TRUE(path.has_value()) << gamePath;
    return path.value_or(fs::path());
  }
  void Replace(const samplegen::Manifest& m, const std::string& gamePath, const std::string& text) {
    test::WriteWholeFile(DataFile(m, gamePath), text);
    platform::ResetGamePathCache();
  }
  void Append(const samplegen::Manifest& m, const std::string& gamePath, const std::string& text) {
    std::ofstream(DataFile(m, gamePath), std::ios::app) << "\n" << text;
  }

  std::unique_ptr<TSvData> Load(const std::string& folder) {
    user.chooser = folder;
    return std::make_unique<TSvData>(journal.get(), 0, 0, user);
  }

  static int SoldCells(const TSvData& d) {
    int sold = 0;
    for (std::size_t b = 1; b < d.aMarket.size(); ++b)
      for (std::size_t g = 1; g < d.aMarket.RowLength(); ++g) sold += d.aMarket[b][g].Sold;
    return sold;
  }

  static void ExpectManifestCounts(const TSvData& d, const samplegen::Manifest& m) {
    ASSERT_TRUE(d.DataValid);
    EXPECT_EQ(int(d.aFaction.size()) - 1, m.factions);
    EXPECT_EQ(int(d.aSystem.size()) - 1, m.systems);
    EXPECT_EQ(int(d.aBase.size()) - 1, m.dockableBases);
    EXPECT_EQ(int(d.aGood.size()) - 1, m.tradedGoods);
    EXPECT_EQ(SoldCells(d), m.soldCells);
    int lawful = 0;
    for (const auto& p : d.aFactionProps) lawful += p.lawful;
    EXPECT_EQ(lawful, m.lawfulFactions);
    EXPECT_EQ(d.aMarket.size(), d.aBase.size());
    EXPECT_EQ(d.aMarket.RowLength(), d.aGood.size());
  }

  test::TempDir dir;
  std::unique_ptr<TJournal> journal = test::MemoryJournal();
  ScriptedUser user;
};

TEST_F(LoaderTest, ChooserCancelEndsQuietly) {
  user.chooser = std::nullopt;
  TSvData d(journal.get(), 0, 0, user);
  EXPECT_FALSE(d.DataValid);
  EXPECT_EQ(user.chooserShown, 1);
  EXPECT_TRUE(user.questions.empty());
  EXPECT_TRUE(user.warnings.empty());
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >>", jlBegin));
  EXPECT_TRUE(test::HasLine(*journal, "Result = False", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: False", jlEnd));
  EXPECT_FALSE(test::HasLine(*journal, "Freeing inis..."));
}

TEST_F(LoaderTest, NoRowChosenAndNoManualPath) {
  user.chooser = "";
  user.yesNo = {false};
  TSvData d(journal.get(), 0, 0, user);
  EXPECT_FALSE(d.DataValid);
  ASSERT_EQ(user.questions.size(), 1u);
  EXPECT_EQ(user.questions[0],
            "No Starvagant installation found !\n\r\rPlease install Starvagant first and start this tool again\n\r"
            "If you allready installed Starvagant and did a system restart\n\r"
            "and you still get this error, please contact me at\n\r\r" +
                platform::ContactEmail() +
                " \n\r\rYou can enter your Starvagant installation directory manually, if you\n\r"
                "think it should work this way. Do you want to enter it manually ?");
  EXPECT_TRUE(user.prompts.empty());
  EXPECT_TRUE(test::HasLine(*journal, "Starvagant is not installed", jlError));
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: False", jlEnd));

  // Yes, then an empty answer (or Cancel): the load ends too.
  user.yesNo = {true};
  TSvData again(journal.get(), 0, 0, user);
  EXPECT_FALSE(again.DataValid);
  EXPECT_EQ(user.prompts.size(), 1u);
}

TEST_F(LoaderTest, ManualPathIsAskedUntilItExistsAndMayBeRelative) {
  const auto m = Generate("small", "game");
  fs::create_directories(dir.Path() / "work");
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path() / "work");
  user.chooser = "";
  user.yesNo = {true};
  const std::string relative = "..\\game\\" + m.installDir.lexically_relative(dir.Path() / "game").string();
  user.inputs = {"..\\no such folder", relative};
  TSvData d(journal.get(), 0, 0, user);
  fs::current_path(before);

  EXPECT_EQ(user.prompts.size(), 2u);
  EXPECT_EQ(user.prompts[0], "Manual override|Please enter the path to your Starvagant installation");
  EXPECT_TRUE(test::HasLine(*journal, "Manual override: Trying user given directory", jlWarning));
  EXPECT_TRUE(test::HasText(*journal, "   SVPath = "));
  ASSERT_TRUE(platform::ResolveGamePath(d.SVPath).has_value());
  EXPECT_TRUE(fs::equivalent(*platform::ResolveGamePath(d.SVPath), m.installDir));
  ExpectManifestCounts(d, m);
}

TEST_F(LoaderTest, MissingMainIniShowsItsPath) {
  const std::string folder = (dir.Path() / "Space").string();
  fs::create_directories(folder);
  auto d = Load(folder);
  EXPECT_FALSE(d->DataValid);
  EXPECT_EQ(d->SVPath, folder + "\\");
  ASSERT_EQ(user.warnings.size(), 1u);
  EXPECT_EQ(user.warnings[0],
            "Starvagant.ini file couldnt be read !\n\r\r"
            "This could possibly come from a failed Starvagant installation or\n\r"
            "a broken mod. Please try to de- and reactivate the current mod\n\r"
            "(if one is installed) or reinstall Starvagant\n\r\rFilepath: " +
                folder + "\\EXE\\starvagant.ini");
  EXPECT_TRUE(test::HasLine(*journal, "Starvagant.ini not existant", jlError));
}

TEST_F(LoaderTest, ProgressPostsCarryTheStepCounter) {
  const auto m = Generate("small");
  test::StatusRecorder progress;
  user.chooser = m.installDir.string();
  TSvData d(journal.get(), progress.Window(), progress.Mapping(), user);
  ASSERT_TRUE(d.DataValid);
  auto find = [&](std::string_view text) -> const test::StatusPost* {
    for (const auto& p : progress.Posts)
      if (p.Text == text) return &p;
    return nullptr;
  };
  const auto* checking = find("Checking Starvagant installation....");
  ASSERT_NE(checking, nullptr);
  EXPECT_EQ(checking->Message.Position, 1);
  EXPECT_EQ(checking->Message.Max, 60);
  const auto* init = find("Initializing ini file");
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init->Message.Position, 2);
  EXPECT_TRUE(init->Message.EchoToJournal);
  for (const auto& p : progress.Posts) EXPECT_LE(p.Message.Position, p.Message.Max) << p.Text;
}

TEST_F(LoaderTest, StopBeforeTheDataFilesEndsWithoutDialog) {
  const auto m = Generate("small");
  user.stop = [] { return true; };
  auto d = Load(m.installDir.string());
  EXPECT_FALSE(d->DataValid);
  EXPECT_TRUE(user.warnings.empty());
  EXPECT_TRUE(test::HasLine(*journal, "TSvData.getDllList()", jlEnd));
  EXPECT_FALSE(test::HasLine(*journal, "TSvData.getDataInis()", jlBegin));
  EXPECT_TRUE(test::HasLine(*journal, "Freeing inis...", jlInfo));
  EXPECT_TRUE(test::HasLine(*journal, "Result = False", jlWarning));
}

TEST_F(LoaderTest, AnErrorPassesOnButIsNeverReportedAsSuccess) {
  const auto m = Generate("small");
  user.stop = []() -> bool { throw std::runtime_error("window gone"); };
  user.chooser = m.installDir.string();
  EXPECT_THROW(TSvData(journal.get(), 0, 0, user), std::runtime_error);
  EXPECT_TRUE(test::HasLine(*journal, "Result = False", jlWarning));
  EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: False", jlEnd));
  EXPECT_FALSE(test::HasLine(*journal, "Result = True"));
  EXPECT_TRUE(test::HasLine(*journal, "TSvData.Destroy()", jlEnd));
}

TEST_F(LoaderTest, WinePrefixInstallationWithModManager) {
  auto options = samplegen::Options::ForSize("small");
  options.winePrefix = true;
  const auto m = samplegen::Generate(dir.Path() / "wine", options);
  test::ScopedEnv env("WINEPREFIX", m.winePrefix.string().c_str());
  platform::ResetProcessRegistry();
  platform::ResetGamePathCache();
  test::StatusRecorder progress;
  // The chooser's first row: the registered folder, a Windows path through the prefix's drives.
  user.chooser = GetGameInstallDir();
  TSvData d(journal.get(), progress.Window(), progress.Mapping(), user);
  ExpectManifestCounts(d, m);
  EXPECT_EQ(d.SVPath, m.appPath + "\\");
  EXPECT_NE(d.SVMMPath, "");
  ASSERT_FALSE(m.modNames.empty());
  EXPECT_TRUE(test::HasText(*journal, "Found Mods: { "));
  for (const auto& name : m.modNames) EXPECT_TRUE(test::HasText(*journal, name)) << name;
  bool posted = false;
  for (const auto& p : progress.Posts) posted |= p.Text == "    Found SVMM installation: " + d.SVMMPath;
  EXPECT_TRUE(posted);
}

// ---- damaged installations -----------------------------------------------------------------------

TEST_F(LoaderTest, DataKindsWithoutTheirSectionsShowTheDataFilesDialog) {
  struct Case {
    const char* file;
    const char* text;
    const char* line;
  };
  const Case cases[] = {
      {"groups.ini", "[Faction]\nnickname = x\n", "The groups files hold no [Group] section"},
      {"solar\\solararch.ini", "[Star]\nnickname = x\n", "The solar archetype files hold no [Solar] section"},
      {"universe\\universe.ini", "[Base]\nnickname = x\n", "The universe files hold no [System] section"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto m = Generate("small", "case" + std::to_string(n++));
    Replace(m, c.file, c.text);
    user.warnings.clear();
    auto d = Load(m.installDir.string());
    EXPECT_FALSE(d->DataValid);
    ASSERT_EQ(user.warnings.size(), 1u);
    EXPECT_EQ(user.warnings[0], TSvData::DataFilesText());
    EXPECT_TRUE(test::HasLine(*journal, c.line, jlError));
  }
  EXPECT_EQ(TSvData::DataFilesText(),
            "The list of data files couldnt be retrieved or joined\n\r\r"
            "This could possibly come from a failed Starvagant installation or\n\r"
            "a broken mod. Please try to de- and reactivate the current mod\n\r"
            "(if one is installed) or reinstall Starvagant\n\r");
}

TEST_F(LoaderTest, SingleBrokenRecordsAreSkippedAndTheLoadGoesOn) {
  const auto m = Generate("small");
  fs::remove(DataFile(m, "missions\\faction_prop.ini"));
  Append(m, "universe\\universe.ini", "[Base]\nnickname = stray_base\nsystem = nowhere\nstrid_name = 1\n");
  Append(m, "equipment\\goods.ini",
         "[Good]\nnickname = bad_volume\ncategory = commodity\nprice = 5\nequipment = bad_volume_eq\n");
  Append(m, "equipment\\misc_equip.ini", "[Commodity]\nnickname = bad_volume_eq\nids_name = 0\nvolume = -1\n");
  platform::ResetGamePathCache();

  // A first load names a real base and good for the short market line.
  auto first = Load(m.installDir.string());
  ASSERT_TRUE(first->DataValid);
  const std::string base = first->aBase[1].nickname;
  const std::string good = first->aGood[1].nickname;
  Append(m, "equipment\\market_commodities.ini",
         "[BaseGood]\nbase = " + base + "\nMarketGood = " + good + ", 0, -1, 10, 10\n"
         "[BaseGood]\nbase = nowhere_base\nMarketGood = bad_volume, 0, -1, 10, 10, 0, 1\n");
  platform::ResetGamePathCache();

  auto d = Load(m.installDir.string());
  ASSERT_TRUE(d->DataValid);
  EXPECT_TRUE(user.warnings.empty());
  EXPECT_TRUE(test::HasText(*journal, "Faction properties missing"));
  for (const auto& p : d->aFactionProps) EXPECT_FALSE(p.lawful);
  EXPECT_TRUE(test::HasLine(*journal, "Base stray_base names no known system \"nowhere\": skipped", jlError));
  EXPECT_EQ(int(d->aBase.size()) - 1, m.dockableBases);
  EXPECT_TRUE(test::HasText(*journal, "volume out of range (-1): bad_volume"));
  EXPECT_EQ(int(d->aGood.size()) - 1, m.tradedGoods);
  EXPECT_TRUE(test::HasText(*journal, "Market line without price factor ignored: " + LowerCase(good) + "=0, -1, 10, 10"));
  // The good keeps its default at that base: not sold, factor 1.
  const int g = d->getIndexByNickname(good, d->aGood);
  const int b = d->getIndexByNickname(base, d->aBase);
  ASSERT_GT(g, 0);
  ASSERT_GT(b, 0);
  EXPECT_FALSE(d->aMarket[std::size_t(b)][std::size_t(g)].Sold);
  EXPECT_FLOAT_EQ(d->aMarket[std::size_t(b)][std::size_t(g)].PriceFactor, 1.0f);
}

// ---- whole installations -------------------------------------------------------------------------

TEST_F(LoaderTest, GeneratedInstallationsLoadWithTheManifestCounts) {
  for (const char* size : {"small", "typical", "large"}) {
    SCOPED_TRACE(size);
    // The larger ones with part of their files in the binary form.
    const auto m = Generate(size, size, std::string(size) != "small");
    auto d = Load(m.installDir.string());
    ExpectManifestCounts(*d, m);
    EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: True", jlEnd));
    fs::remove_all(dir.Path() / size);
  }
}

}  // namespace
