#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "platform/TestEnv.h"
#include "platform/TestTempDir.h"

using namespace qmz;
using platform::RegistryRoot;

namespace {

// Hands the lookup a registry of its own and puts the process registry back afterwards.
class RegistryScope {
 public:
  RegistryScope() : registry_(std::make_shared<platform::MemoryRegistry>()) {
    platform::SetProcessRegistry(registry_);
  }
  ~RegistryScope() { platform::ResetProcessRegistry(); }
  platform::MemoryRegistry& operator*() { return *registry_; }

 private:
  std::shared_ptr<platform::MemoryRegistry> registry_;
};

}  // namespace

TEST(InstallLookup, GameAndModManagerFoldersGetATrailingBackslash) {
  RegistryScope reg;
  (*reg).SetString(RegistryRoot::LocalMachine, "Software\\Starvagant Games\\Starvagant\\1.0", "AppPath",
                   "C:\\Games\\Starvagant");
  (*reg).SetString(RegistryRoot::LocalMachine, "SOFTWARE\\Starvagant Mod Manager", "Install_Dir",
                   "C:\\Program Files\\SVMM\\");
  EXPECT_EQ(GetGameInstallDir(), "C:\\Games\\Starvagant\\");
  EXPECT_EQ(GetModManagerDir(), "C:\\Program Files\\SVMM\\");
}

TEST(InstallLookup, MissingKeysValuesOrEmptyValuesGiveNoFolder) {
  RegistryScope reg;
  EXPECT_EQ(GetGameInstallDir(), "");
  EXPECT_EQ(GetModManagerDir(), "");
  (*reg).AddKey(RegistryRoot::LocalMachine, "Software\\Starvagant Games\\Starvagant\\1.0");
  (*reg).SetString(RegistryRoot::LocalMachine, "Software\\Starvagant Mod Manager", "Install_Dir", "");
  EXPECT_EQ(GetGameInstallDir(), "");
  EXPECT_EQ(GetModManagerDir(), "");
  // Only HKEY_LOCAL_MACHINE counts.
  (*reg).SetString(RegistryRoot::CurrentUser, "Software\\Starvagant Games\\Starvagant\\1.0", "AppPath", "D:\\SV");
  EXPECT_EQ(GetGameInstallDir(), "");
}

TEST(InstallLookup, SpecialModFolderOnTheFirstDriveThatHoldsIt) {
  test::TempDir prefix;
  namespace fs = std::filesystem;
  fs::create_directories(prefix.Path() / "dosdevices");
  fs::create_directories(prefix.Path() / "drive_c");
  fs::create_directories(prefix.Path() / "drive_e" / "Orvane62");
  fs::create_directories(prefix.Path() / "drive_f" / "ORVANE62");
  fs::create_directories(prefix.Path() / "drive_a" / "ORVANE62");
  fs::create_directory_symlink("../drive_c", prefix.Path() / "dosdevices" / "c:");
  fs::create_directory_symlink("../drive_e", prefix.Path() / "dosdevices" / "e:");
  fs::create_directory_symlink("../drive_f", prefix.Path() / "dosdevices" / "f:");
  fs::create_directory_symlink("../drive_a", prefix.Path() / "dosdevices" / "a:");
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
