#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

using namespace qmz;
using platform::RegistryRoot;

TEST(InstallLookup, RegistryFoldersGetATrailingBackslashMissingOrEmptyOnesNone) {
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
}

TEST(InstallLookup, SpecialModFolderOnTheFirstDriveThatHoldsIt) {
  namespace fs = std::filesystem;
  test::TempDir prefix;
  fs::create_directories(prefix.Path() / "dosdevices");
  for (std::string drive : {"c", "e", "f", "a"}) {
    fs::create_directories(prefix.Path() / ("drive_" + drive));
    fs::create_directory_symlink("../drive_" + drive, prefix.Path() / "dosdevices" / (drive + ":"));
  }
  fs::create_directories(prefix.Path() / "drive_e" / "Orvane62");
  fs::create_directories(prefix.Path() / "drive_f" / "ORVANE62");
  fs::create_directories(prefix.Path() / "drive_a" / "ORVANE62");
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
