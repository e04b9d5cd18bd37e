#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"
#include "platform/WineRegistry.h"

using qmz::platform::MemoryRegistry;
using qmz::platform::RegistryRoot;
using qmz::platform::WineRegistry;
using testing::ElementsAre;

namespace {

constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;
constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;

// A system.reg as Wine writes it, with the forms the reader has to step over.
constexpr std::string_view kSystemReg = R"(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Starvagant Games\\Starvagant\\1.0] 1700000000
#time=1d9a1b2c3d4e5f6
"AppPath"="C:\\Games\\Starvagant"
"Quote"="say \"hi\"\tend"
"Accent"="Caf\x00e9 \xd83d\xde80"
"Raw"="Café"
@="the default"
"Flags"=dword:00000001
"Expand"=str(2):"%ProgramFiles%\\SV"
"Blob"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\
  16,17,18,19,1a,1b,1c,1d,1e,1f,\
  20,21
"After"="still read"
"Multi"=str(7):"a\0b\0"

[Software\\Starvagant Mod Manager] 1700000001
"Install_Dir"="C:\\Program Files\\SVMM"
"mods\\Alpha"=dword:00000000
"Version"="1.3"
"MODS\\Beta"=""
)";

}  // namespace

TEST(WineRegistry, ReadsKeysValuesEscapesAndNamesInFileOrderAndThe32BitViewUnderWow6432Node) {
  WineRegistry reg;
  ASSERT_TRUE(reg.LoadText(HKLM, kSystemReg));
  const auto* key = reg.OpenKey(HKLM, "\\SOFTWARE\\Starvagant Games\\Starvagant\\1.0");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->ReadString("AppPath"), "C:\\Games\\Starvagant");
  EXPECT_EQ(key->ReadString("apppath"), "C:\\Games\\Starvagant") << "value names ignore case";
  EXPECT_EQ(key->ReadString("Quote"), "say \"hi\"\tend");
  EXPECT_EQ(key->ReadString("Accent"), "Caf\u00e9 \U0001F680") << "\\x escapes are UTF-16 units, pairs joined";
  EXPECT_EQ(key->ReadString("Raw"), "Caf\u00e9");
  EXPECT_EQ(key->ReadString(""), "the default");
  EXPECT_EQ(key->ReadString("Expand"), "%ProgramFiles%\\SV");
  EXPECT_EQ(key->ReadString("After"), "still read") << "hex continuation lines are skipped, not taken as values";
  EXPECT_TRUE(key->ValueExists("Flags"));
  EXPECT_EQ(key->ReadString("Flags"), std::nullopt) << "a dword is no string";
  EXPECT_EQ(key->ReadString("Blob"), std::nullopt);
  EXPECT_EQ(key->ReadString("Multi"), std::nullopt);
  EXPECT_EQ(key->ReadString("Missing"), std::nullopt);

  key = reg.OpenKey(HKLM, "software\\starvagant mod manager\\");
  ASSERT_NE(key, nullptr);
  EXPECT_THAT(key->ValueNames(), ElementsAre("Install_Dir", "mods\\Alpha", "Version", "MODS\\Beta"));
  EXPECT_TRUE(reg.KeyExists(HKLM, "Software\\Starvagant Games"));
  EXPECT_TRUE(reg.KeyExists(HKLM, "Software"));
  EXPECT_FALSE(reg.KeyExists(HKLM, "Software\\Starvagant"));
  EXPECT_FALSE(reg.KeyExists(HKCU, "Software\\Starvagant Mod Manager")) << "roots are separate";
  // The 32-bit view under Wow6432Node, falling back to the plain key.
  WineRegistry wow;
  ASSERT_TRUE(wow.LoadText(HKLM, R"(WINE REGISTRY Version 2
[Software\\Wow6432Node\\Starvagant Games\\Starvagant\\1.0] 1
"AppPath"="C:\\Games\\Wow"
[Software\\Starvagant Games\\Starvagant\\1.0] 1
"AppPath"="C:\\Games\\Plain"
[Software\\Starvagant Mod Manager] 1
"Install_Dir"="C:\\MM"
)"));
  EXPECT_EQ(wow.ReadString(HKLM, "\\SOFTWARE\\Starvagant Games\\Starvagant\\1.0", "AppPath"), "C:\\Games\\Wow");
  EXPECT_EQ(wow.ReadString(HKLM, "SOFTWARE\\Starvagant Mod Manager", "Install_Dir"), "C:\\MM")
      << "falls back to the plain key";
  EXPECT_EQ(wow.ReadString(HKLM, "Software\\WOW6432Node\\Starvagant Games\\Starvagant\\1.0", "AppPath"),
            "C:\\Games\\Wow");

  ASSERT_TRUE(wow.LoadText(HKCU, R"(WINE REGISTRY Version 2
[Software\\Wow6432Node\\Tool] 1
"A"="wow"
[Software\\Tool] 1
"A"="plain"
[Software\\Wow6432Node\\Other] 1
"A"="wow only"
)"));
  EXPECT_EQ(wow.ReadString(HKCU, "Software\\Tool", "A"), "plain");
  EXPECT_EQ(wow.ReadString(HKCU, "Software\\Other", "A"), "wow only");
}

TEST(WineRegistry, RejectsOtherFilesSurvivesDamagedLinesAndADeepKeyCostsOnlyItsLength) {
  WineRegistry reg;
  EXPECT_FALSE(reg.LoadText(HKLM, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=\"B\"\n"));
  EXPECT_FALSE(reg.LoadText(HKLM, ""));
  EXPECT_FALSE(reg.KeyExists(HKLM, "Software"));

  ASSERT_TRUE(reg.LoadText(HKLM,
                           "\xEF\xBB\xBFWINE REGISTRY Version 2\r\n"
                           "\"Orphan\"=\"before any key\"\r\n"
                           "[Software\\\\Broken\r\n"
                           "\"InBroken\"=\"x\"\r\n"
                           "[Software\\\\Good] 1\r\n"
                           "@\r\n"
                           "\"Open\"=\"no end\r\n"
                           "\"NoEquals\" \"x\"\r\n"
                           "\"Trail\\\r\n"
                           "\"Bad\xff\"=\"\xc3\"\r\n"
                           "\"Ok\"=\"yes\"\r\n"));
  EXPECT_FALSE(reg.KeyExists(HKLM, "Software\\Broken"));
  const auto* key = reg.OpenKey(HKLM, "Software\\Good");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->ReadString("Ok"), "yes");
  EXPECT_FALSE(key->ValueExists("Open"));
  EXPECT_FALSE(key->ValueExists("NoEquals"));
  EXPECT_EQ(key->ReadString("Bad\uFFFD"), "\uFFFD") << "bytes that are not UTF-8 never leak through";
  // Every key above a key exists; storing each of them by its whole path would take memory of the
  // square of the path's length, and tearing down a deep tree by recursion would overflow the stack.
  std::string written, path;
  for (int i = 0; i < 200000; ++i) written += "k\\\\", path += "K\\";
  WineRegistry deep;
  ASSERT_TRUE(deep.LoadText(HKLM, "WINE REGISTRY Version 2\n[" + written + "end] 1\n\"V\"=\"deep\"\n"));
  EXPECT_EQ(deep.ReadString(HKLM, path + "END", "v"), "deep");
  EXPECT_TRUE(deep.KeyExists(HKLM, path));
}

TEST(ProcessRegistry, LoadsThePrefixFilesIntoTheirRootsOnceUntilResetAndAMemoryOneKeepsARewrittenValuesPlace) {
  qmz::test::TempDir prefix;
  qmz::test::WriteWholeFile(prefix.Path() / "system.reg",
                            "WINE REGISTRY Version 2\n[Software\\\\M] 1\n\"V\"=\"first\"\n");
  qmz::test::WriteWholeFile(prefix.Path() / "user.reg", "WINE REGISTRY Version 2\n[Software\\\\U] 1\n\"V\"=\"user\"\n");
  qmz::test::ScopedEnv env("WINEPREFIX", prefix.Path().c_str());
  qmz::platform::ResetProcessRegistry();
  const auto reg = qmz::platform::ProcessRegistry();
  EXPECT_EQ(reg->ReadString(HKLM, "Software\\M", "V"), "first");
  EXPECT_EQ(reg->ReadString(HKCU, "Software\\U", "V"), "user");
  EXPECT_FALSE(reg->KeyExists(HKCU, "Software\\M"));
  EXPECT_FALSE(WineRegistry::LoadPrefix(prefix.Path() / "missing")->KeyExists(HKLM, "Software"));

  qmz::test::WriteWholeFile(prefix.Path() / "system.reg",
                            "WINE REGISTRY Version 2\n[Software\\\\M] 1\n\"V\"=\"second\"\n");
  EXPECT_EQ(qmz::platform::ProcessRegistry()->ReadString(HKLM, "Software\\M", "V"), "first");
  qmz::platform::ResetProcessRegistry();
  EXPECT_EQ(qmz::platform::ProcessRegistry()->ReadString(HKLM, "Software\\M", "V"), "second");
  qmz::platform::ResetProcessRegistry();
  MemoryRegistry memory;
  memory.SetString(HKLM, "Software\\K", "A", "1");
  memory.SetString(HKLM, "Software\\K", "B", "2");
  memory.SetString(HKLM, "SOFTWARE\\k", "a", "3");
  const auto* key = memory.OpenKey(HKLM, "Software\\K");
  ASSERT_NE(key, nullptr);
  EXPECT_THAT(key->ValueNames(), ElementsAre("A", "B"));
  EXPECT_EQ(key->ReadString("A"), "3");
}
