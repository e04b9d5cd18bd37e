#include <gtest/gtest.h>

#include <filesystem>

#include "platform/GamePath.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

namespace fs = std::filesystem;
using qmz::platform::GameDirectoryExists;
using qmz::platform::GameFileExists;
using qmz::platform::JoinGamePath;
using qmz::platform::ResolveGamePath;

namespace {

// A game folder with names in other letter cases than the game writes them.
class GamePathTest : public testing::Test {
 protected:
  void SetUp() override {
    qmz::platform::ResetGamePathCache();
    for (const char* file :
         {"data/universe/systems/ST01/ST01.INI", "data/equip/Goods.ini", "data/equip/goods.ini", "EXE/starvagant.ini"})
      Touch(file);
  }
  void TearDown() override { qmz::platform::ResetGamePathCache(); }

  void Touch(const fs::path& relative) const { qmz::test::WriteWholeFile(root_.Path() / relative, "x"); }
  const fs::path& Root() const { return root_.Path(); }

  qmz::test::TempDir root_;
};

}  // namespace

TEST_F(GamePathTest, NamesMatchInAnyLetterCaseWithEitherSeparator) {
  const fs::path expected = Root() / "data/universe/systems/ST01/ST01.INI";
  EXPECT_EQ(ResolveGamePath("DATA\\UNIVERSE\\SYSTEMS\\St01\\st01.ini", Root()), expected);
  EXPECT_EQ(ResolveGamePath("data/Universe\\systems//st01/./ST01.ini", Root()), expected);
  EXPECT_EQ(ResolveGamePath(JoinGamePath(Root().string(), "Data\\Universe\\Systems\\ST01\\st01.INI")), expected)
      << "a Linux path with a game path appended";
  EXPECT_EQ(ResolveGamePath("DATA\\UNIVERSE\\SYSTEMS\\St02\\st01.ini", Root()), std::nullopt);
  EXPECT_EQ(ResolveGamePath("EXE\\starvagant.ini\\more", Root()), std::nullopt) << "a file is no folder";
  EXPECT_EQ(ResolveGamePath(std::string("EXE\\starvagant.ini") + '\0' + ".bak", Root()), std::nullopt)
      << "a zero byte would cut the name short";
  // One separator between the parts.
  EXPECT_EQ(JoinGamePath("C:\\Games\\SV", "EXE"), "C:\\Games\\SV\\EXE");
  EXPECT_EQ(JoinGamePath("C:\\Games\\SV\\", "EXE"), "C:\\Games\\SV\\EXE");
  EXPECT_EQ(JoinGamePath("/home/p/sv/", "EXE"), "/home/p/sv/EXE");
  EXPECT_EQ(JoinGamePath("", "EXE"), "EXE");
}

TEST_F(GamePathTest, ExactCaseWinsAmongNamesThatDifferOnlyInCaseAndDotDotStopsAtTheTop) {
  EXPECT_EQ(ResolveGamePath("data\\equip\\goods.ini", Root()), Root() / "data/equip/goods.ini");
  EXPECT_EQ(ResolveGamePath("data\\equip\\Goods.ini", Root()), Root() / "data/equip/Goods.ini");
  EXPECT_EQ(ResolveGamePath("data\\equip\\GOODS.INI", Root()), Root() / "data/equip/Goods.ini")
      << "otherwise the first in byte order";
  // .. drops the name before it and stops at the top.
  const fs::path exe = Root() / "EXE";
  EXPECT_EQ(ResolveGamePath("..\\DATA\\EQUIP\\goods.ini", exe), Root() / "data/equip/goods.ini");
  EXPECT_EQ(ResolveGamePath("EXE\\..\\data\\equip\\goods.ini", Root()), Root() / "data/equip/goods.ini");
  EXPECT_EQ(ResolveGamePath("nosuch.ini\\..\\EXE\\STARVAGANT.INI", Root()), Root() / "EXE/starvagant.ini")
      << "names are dropped before the disk is asked, as Windows does";
  EXPECT_EQ(ResolveGamePath("\\..\\..\\" + Root().relative_path().string() + "\\exe"), Root() / "EXE");
}

TEST_F(GamePathTest, DriveLettersGoThroughTheWinePrefixFoldersAreTestedAndListingsCached) {
  qmz::test::TempDir prefix;
  fs::create_directories(prefix.Path() / "dosdevices");
  fs::create_directory_symlink(Root(), prefix.Path() / "dosdevices" / "d:");
  qmz::test::ScopedEnv env("WINEPREFIX", prefix.Path().c_str());
  qmz::platform::ResetGamePathCache();

  EXPECT_EQ(ResolveGamePath("D:\\Exe\\Starvagant.ini"), Root() / "EXE/starvagant.ini");
  EXPECT_EQ(ResolveGamePath("d:/exe/../DATA/equip/goods.ini"), Root() / "data/equip/goods.ini");
  EXPECT_EQ(ResolveGamePath("D:\\..\\..\\EXE\\starvagant.ini"), Root() / "EXE/starvagant.ini")
      << "never above the drive's root";
  EXPECT_EQ(ResolveGamePath("D:"), Root());
  EXPECT_EQ(ResolveGamePath("Q:\\EXE\\starvagant.ini"), std::nullopt) << "no such drive";
  // Files and folders, and listings cached until a reset.
  EXPECT_TRUE(GameFileExists("exe\\STARVAGANT.ini", Root()));
  EXPECT_FALSE(GameFileExists("exe", Root())) << "a folder is not a file";
  EXPECT_FALSE(GameFileExists("exe\\missing.ini", Root()));
  EXPECT_TRUE(GameDirectoryExists("Exe\\", Root()));
  EXPECT_FALSE(GameDirectoryExists("exe\\starvagant.ini", Root())) << "a file is no folder";
  EXPECT_FALSE(GameDirectoryExists("missing", Root()));
  ASSERT_EQ(ResolveGamePath("exe\\new.ini", Root()), std::nullopt);
  Touch("EXE/new.ini");
  EXPECT_EQ(ResolveGamePath("exe\\new.ini", Root()), Root() / "EXE/new.ini")
      << "exact names are seen in a listed folder";
  Touch("EXE/Later.INI");
  qmz::platform::ResetGamePathCache();
  EXPECT_EQ(ResolveGamePath("exe\\later.ini", Root()), Root() / "EXE/Later.INI");
}
