#include <gtest/gtest.h>

#include <string>

#include "util/StatusRecorder.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"
#include "samplegen/SampleGen.h"

using namespace qmz;

// The steps before the parsers, in the loader's order, on a generated installation in a Wine prefix with
// part of its files in the binary form. (Whole loads of every size run in the loader's tests.)
TEST(GeneratedInstall, StepsBeforeTheParsersMatchTheManifest) {
  test::TempDir root;
  samplegen::Options options = samplegen::Options::ForSize("small");
  options.winePrefix = true;
  options.binaryFiles = true;
  const samplegen::Manifest m = samplegen::Generate(root.Path() / "wine", options);
  test::ScopedEnv env("WINEPREFIX", m.winePrefix.string().c_str());
  platform::ResetProcessRegistry();
  platform::ResetGamePathCache();

  auto journal = test::MemoryJournal();
  TSvData d(journal.get());
  d.SVPath = GetGameInstallDir();
  d.aIni[iniMain] = d.OpenGameIni(d.SVPath + "EXE\\starvagant.ini");
  ASSERT_TRUE(d.aIni[iniMain]->Loaded && d.getInitialData() && d.getDllList() && d.getDataInis());
  EXPECT_EQ(test::CountLines(*journal, jlError, ""), 0);

  int dlls = 0;
  for (int i = 0; i < d.DllList.Count(); ++i) dlls += EndsText(".dll", d.DllList[i]);
  EXPECT_EQ(dlls, m.resourceDlls);
  EXPECT_EQ(d.MarketGoodNames.Count(), m.marketGoods);
  EXPECT_EQ(d.aIni[iniGoods]->Sections.Count(), m.goods);
  EXPECT_EQ(SectionCountOf(*d.aIni[iniGroups], "Group"), m.factions);
  EXPECT_EQ(SectionCountOf(*d.aIni[iniUniverse], "Base"), m.universeBases);
  // Goods sort in lower-case order, so '_' comes before the letters (the nicknames are ASCII).
  for (int i = 1; i < d.MarketGoodNames.Count(); ++i) {
    EXPECT_LT(LowerCase(d.MarketGoodNames[i - 1]), LowerCase(d.MarketGoodNames[i])) << i;
  }
  // Every traded good has its goods section, and its equipment item its type.
  for (int i = 0; i < d.MarketGoodNames.Count(); ++i) {
    const std::string& nick = d.MarketGoodNames[i];
    ASSERT_NE(d.aIni[iniGoods]->ReadString(nick, "nickname", ""), "") << nick;
    const std::string equipment = d.aIni[iniGoods]->ReadString(nick, "equipment", "");
    if (!equipment.empty()) {
      EXPECT_NE(d.aIni[iniEquip]->ReadString(equipment, "Equipment_Type", ""), "") << equipment;
    }
  }

  // Display names from the libraries: a faction's name; 65537 is resource 1 of the first library; a
  // library beyond the list gives nothing.
  EXPECT_NE(d.getIdsString(d.aIni[iniGroups]->ReadString("Group1", "ids_name", "")), "");
  EXPECT_NE(d.getIdsString("65537"), "");
  const std::string beyond = IntToStr(std::int64_t(d.DllList.Count() + 1) * 65536);
  EXPECT_EQ(d.getIdsString(beyond), "");
  EXPECT_EQ(test::CountLines(*journal, jlError, "Found invalid IDS String: " + beyond), 1);

  platform::ResetProcessRegistry();
  platform::ResetGamePathCache();
}
