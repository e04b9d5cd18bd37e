#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gamedata/GeneratedInstallTest.h"
#include "support/XmlScanner.h"
#include "util/ScopedEnv.h"

using namespace qmz;
using platform::RegistryRoot;

namespace {

// A mod manager in a temporary folder (a Linux path) and its key in a registry of the test's own.
class ModNamesTest : public test::GeneratedInstallTest {
 protected:
  void InstallManager() {
    registry->SetString(RegistryRoot::LocalMachine, "Software\\Starvagant Mod Manager", "Install_Dir", dir.Str());
  }
  // A registry value naming the mod folder; script.xml is written when there is a header.
  void AddMod(const std::string& valueName, const std::string& diskFolder, const std::string& header = "") {
    registry->SetString(RegistryRoot::LocalMachine, "Software\\Starvagant Mod Manager", valueName, "1");
    std::filesystem::create_directories(dir.Path() / diskFolder);
    if (!header.empty())
      test::WriteWholeFile(dir.Path() / diskFolder / "script.xml",
                           "<?xml version=\"1.0\"?>\n<script>\n" + header + "\n<data/></script>\n");
  }
  std::vector<std::string> Run() {
    std::vector<std::string> names;
    for (const auto& item : TSvData(journal.get()).getActiveModNames()) names.emplace_back(item.text);
    return names;
  }
  bool Passed(bool value) const {
    return test::CountLines(*journal, jlEnd,
                            std::string("[TSvData.getActiveModNames() - Passed: ") + (value ? "True" : "False") +
                                " ]") == 1;
  }
};

// Only value names under "mods\\" count, in registry order; the name attribute is read wherever it stands.
TEST_F(ModNamesTest, ModsInRegistryOrderWithTheirHeaderNames) {
  InstallManager();
  AddMod("MODS\\B", "mods/b", "<header name=\"Bee\"/>");
  registry->SetString(RegistryRoot::LocalMachine, "Software\\Starvagant Mod Manager", "Version", "3");
  AddMod("mods\\2", "mods/2", "<header author=\"x\" name=\"After author\"></header>");
  AddMod("mods\\3", "mods/3", "<header name=\"Before author\" author=\"x\">");
  AddMod("mods\\4", "mods/4", "<header author=\"x\" Name=\"Capital\"/>");
  AddMod("mods\\5", "mods/5", "<header author=\"x\"/><HEADER name=\"Second header\"/><header name=\"Third\"/>");
  AddMod("mods\\6", "mods/6", "<other name=\"not a header\"/>");
  AddMod("mods\\7", "mods/7", "<header name=\"Caf&#233; &amp; Bar\"/>");
  EXPECT_EQ(Run(), (std::vector<std::string>{"Bee", "After author", "Before author", "Capital", "Second header",
                                             "Caf\xC3\xA9 & Bar"}));
  EXPECT_EQ(test::CountLines(*journal, jlBegin, "[TSvData.getActiveModNames()]"), 1);
  EXPECT_TRUE(Passed(true));
}

// A missing script skips only its mod; an external entity that is a FIFO is journaled and never blocks.
TEST_F(ModNamesTest, AScriptOrEntityThatCannotBeReadSkipsOnlyThat) {
  InstallManager();
  AddMod("mods\\A", "mods/A", "<header name=\"First\"/>");
  AddMod("mods\\Gone", "mods/Gone");
  AddMod("mods\\Pipe", "mods/pipe");
  ASSERT_EQ(mkfifo((dir.Path() / "mods/pipe/part.ent").c_str(), 0600), 0);
  test::WriteWholeFile(dir.Path() / "mods/pipe/script.xml",
                       "<?xml version=\"1.0\"?>\n<!DOCTYPE script [<!ENTITY part SYSTEM \"part.ent\">]>\n"
                       "<script>&part;<header name=\"Piped\"/></script>\n");
  AddMod("mods\\Huge", "mods/huge", "<header name=\"Too large to read\"/>");
  std::filesystem::resize_file(dir.Path() / "mods/huge/script.xml", TXmlParser::MaxDocumentSize + 1);
  AddMod("mods\\C", "mods/C", "<header name=\"Last\"/>");
  EXPECT_EQ(Run(), (std::vector<std::string>{"First", "Piped", "Last"}));
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "mods\\Gone\\"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlWarning, "mods\\Huge\\script.xml; mod skipped"), 1);
  EXPECT_EQ(test::CountLines(*journal, jlWarning,
                             "Data file not read (not a regular file): " +
                                 (dir.Path() / "mods/pipe/part.ent").string()),
            1);
  EXPECT_TRUE(Passed(false));
}

}  // namespace

TEST(InstallLookup, RegistryFoldersGetATrailingBackslashTheModFolderIsOnTheFirstDriveThatHoldsIt) {
  auto reg = std::make_shared<platform::MemoryRegistry>();
  platform::SetProcessRegistry(reg);
  const char* game = "Software\\Starvagant Games\\Starvagant\\1.0";
  reg->AddKey(RegistryRoot::LocalMachine, game);
  reg->SetString(RegistryRoot::LocalMachine, "Software\\Starvagant Mod Manager", "Install_Dir", "");
  reg->SetString(RegistryRoot::CurrentUser, game, "AppPath", "D:\\SV");  // only HKEY_LOCAL_MACHINE counts
  EXPECT_EQ(GetGameInstallDir(), "");
  EXPECT_EQ(GetModManagerDir(), "");
  reg->SetString(RegistryRoot::LocalMachine, game, "AppPath", "C:\\Games\\Starvagant");
  reg->SetString(RegistryRoot::LocalMachine, "SOFTWARE\\Starvagant Mod Manager", "Install_Dir", "C:\\SVMM\\");
  EXPECT_EQ(GetGameInstallDir(), "C:\\Games\\Starvagant\\");
  EXPECT_EQ(GetModManagerDir(), "C:\\SVMM\\");
  platform::ResetProcessRegistry();

  // The special mod folder: on the first drive that holds it.
  namespace fs = std::filesystem;
  test::TempDir prefix;
  fs::create_directories(prefix.Path() / "dosdevices");
  // Drives and the mod folder each holds.
  for (const auto& [drive, mods] :
       {std::pair<std::string, std::string>{"c", ""}, {"e", "Orvane62"}, {"f", "ORVANE62"}, {"a", "ORVANE62"}}) {
    fs::create_directories(prefix.Path() / ("drive_" + drive) / mods);
    fs::create_directory_symlink("../drive_" + drive, prefix.Path() / "dosdevices" / (drive + ":"));
  }
  {
    test::ScopedEnv env("WINEPREFIX", prefix.Str().c_str());
    platform::ResetGamePathCache();
    EXPECT_EQ(FindSpecialModDir(), "E:\\ORVANE62\\Starvagant\\");
    fs::remove_all(prefix.Path() / "drive_e" / "Orvane62");
    fs::remove_all(prefix.Path() / "drive_f" / "ORVANE62");
    platform::ResetGamePathCache();
    EXPECT_EQ(FindSpecialModDir(), "");  // drive A is never probed
  }
  platform::ResetGamePathCache();
}
