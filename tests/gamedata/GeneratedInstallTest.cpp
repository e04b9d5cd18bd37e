#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "gamedata/LoaderTestSupport.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "platform/TestEnv.h"
#include "platform/TestTempDir.h"
#include "samplegen/SampleGen.h"

using namespace qmz;

namespace {

// One generated installation per size for the whole test program (large takes a moment to write).
const samplegen::Manifest& Installation(const std::string& size, bool wine = false) {
  static test::TempDir root;
  static std::map<std::string, samplegen::Manifest> made;
  const std::string key = size + (wine ? "-wine" : "");
  auto it = made.find(key);
  if (it == made.end()) {
    samplegen::Options options = samplegen::Options::ForSize(size);
    options.winePrefix = wine;
    options.binaryFiles = true;
    it = made.emplace(key, samplegen::Generate(root.Path() / key, options)).first;
  }
  return it->second;
}

// Runs the loader's steps up to the joined data files, as the loading constructor does.
bool RunSteps(TSvData& d, const std::string& svPath) {
  d.SVPath = svPath;
  d.aIni[iniMain] = d.OpenGameIni(d.SVPath + "EXE\\starvagant.ini");
  return d.aIni[iniMain]->Loaded && d.getInitialData() && d.getDllList() && d.getDataInis();
}

void ExpectManifestCounts(const TSvData& d, const samplegen::Manifest& m) {
  int dlls = 0;
  for (int i = 0; i < d.DllList.Count(); ++i)
    if (EndsText(".dll", d.DllList[i])) ++dlls;
  EXPECT_EQ(dlls, m.resourceDlls);
  EXPECT_EQ(d.MarketGoodNames.Count(), m.marketGoods);
  EXPECT_EQ(SectionCountOf(*d.aIni[iniGroups], "Group"), m.factions);
  EXPECT_EQ(SectionCountOf(*d.aIni[iniSolararch], "Solar"), m.solarArchetypes);
  EXPECT_EQ(SectionCountOf(*d.aIni[iniUniverse], "System"), m.systems);
  EXPECT_EQ(SectionCountOf(*d.aIni[iniUniverse], "Base"), m.universeBases);
  EXPECT_EQ(d.aIni[iniGoods]->Sections.Count(), m.goods);
  // Every traded good has its goods section, and every goods section names an equipment item.
  for (int i = 0; i < d.MarketGoodNames.Count(); ++i) {
    const std::string& nick = d.MarketGoodNames[i];
    ASSERT_NE(d.aIni[iniGoods]->ReadString(nick, "nickname", ""), "") << nick;
    const std::string equipment = d.aIni[iniGoods]->ReadString(nick, "equipment", "");
    if (!equipment.empty()) {
      EXPECT_NE(d.aIni[iniEquip]->ReadString(equipment, "Equipment_Type", ""), "") << equipment;
    }
  }
}

class GeneratedInstallTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { platform::ResetGamePathCache(); }
  void TearDown() override { platform::ResetGamePathCache(); }
};

}  // namespace

TEST_P(GeneratedInstallTest, StepsRunInOrderAndCountsMatchTheManifest) {
  const samplegen::Manifest& m = Installation(GetParam());
  auto journal = test::MemoryJournal();
  TSvData d(journal.get());
  ASSERT_TRUE(RunSteps(d, m.installDir.string() + "/"));
  ExpectManifestCounts(d, m);
  EXPECT_EQ(test::CountLines(*journal, jlError, ""), 0);
  // Display names come out of the libraries for the names the data files give.
  const std::string ids = d.aIni[iniGroups]->ReadString("Group1", "ids_name", "");
  ASSERT_NE(ids, "");
  EXPECT_NE(d.getIdsString(ids), "");
}

INSTANTIATE_TEST_SUITE_P(Sizes, GeneratedInstallTest, ::testing::Values("small", "typical", "large"));

TEST(GeneratedWineInstall, RegistryKeysAndDriveLettersLeadToTheInstallation) {
  const samplegen::Manifest& m = Installation("small", true);
  test::ScopedEnv env("WINEPREFIX", m.winePrefix.string().c_str());
  platform::ResetProcessRegistry();
  platform::ResetGamePathCache();

  EXPECT_EQ(GetGameInstallDir(), m.appPath + "\\");
  const std::string svmm = GetModManagerDir();
  EXPECT_NE(svmm, "");
  EXPECT_TRUE(platform::GameDirectoryExists(svmm));

  auto journal = test::MemoryJournal();
  TSvData d(journal.get());
  ASSERT_TRUE(RunSteps(d, GetGameInstallDir()));
  ExpectManifestCounts(d, m);
  // IDS numbers: 0 reads the first library, 65537 is its resource 1, a library beyond the list is none.
  EXPECT_NO_THROW(d.getIdsString("0"));
  EXPECT_NE(d.getIdsString("65537"), "");
  const std::string beyond = IntToStr(std::int64_t(d.DllList.Count() + 1) * 65536);
  EXPECT_EQ(d.getIdsString(beyond), "");
  EXPECT_EQ(test::CountLines(*journal, jlError, "Found invalid IDS String: " + beyond), 1);

  platform::ResetProcessRegistry();
  platform::ResetGamePathCache();
}
