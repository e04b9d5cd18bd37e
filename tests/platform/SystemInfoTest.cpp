#include <gtest/gtest.h>

#include "platform/AdminTest.h"
#include "platform/ExePath.h"
#include "platform/LocalTime.h"
#include "platform/OsVersion.h"
#include "platform/SystemLanguage.h"
#include "util/ScopedEnv.h"

using namespace qmz::platform;
using qmz::test::ScopedEnv;

TEST(ExePath, NamesThisTestProgramAndItsFolder) {
  const std::string path = ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "test_platform");
  EXPECT_EQ(ExecutableFolder() + "test_platform", path);
}

TEST(AdminTest, RootOrAnAdministeringGroupCounts) {
  EXPECT_TRUE(IsAdministratorAccount(0, {}));
  EXPECT_TRUE(IsAdministratorAccount(1000, {"users", "wheel"}));
  EXPECT_FALSE(IsAdministratorAccount(1000, {"users", "sudoers", "adm"}));  // whole names only
}

TEST(OsVersion, KernelReleaseAndOsReleaseFillTheRecordEvenWhenOdd) {
  const auto r = MakeOsVersionRecord("Linux", "6.1.0-18-amd64",
                                     "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
  EXPECT_EQ(r.PlatformId, kPlatformLinux);
  EXPECT_EQ(r.MajorVersion, 6u);
  EXPECT_EQ(r.MinorVersion, 1u);
  EXPECT_EQ(r.BuildNumber, 0u);
  EXPECT_EQ(r.CSDVersion, "Linux 6.1.0-18-amd64");
  EXPECT_EQ(r.SystemName, "Debian GNU/Linux 12 (bookworm)");
  // Without PRETTY_NAME, and with odd releases, there is still a name.
  const auto alpine = MakeOsVersionRecord("Linux", "5.15", "NAME='Alpine'\nVERSION=3.19\n");
  EXPECT_EQ(alpine.SystemName, "Alpine 3.19");
  EXPECT_EQ(alpine.MinorVersion, 15u);
  const auto bare = MakeOsVersionRecord("Linux", "weird", "");
  EXPECT_EQ(bare.SystemName, "Linux");
  EXPECT_EQ(bare.MajorVersion, 0u);
  const auto huge = MakeOsVersionRecord(std::string(200, 'L'), "1", "");
  EXPECT_EQ(huge.CSDVersion.size(), 127u);
}

TEST(SystemLanguage, LocaleTextsGiveEnglishNamesAndLcAllWinsOverLang) {
  EXPECT_EQ(LanguageNameOfLocale("pt_BR@euro"), "Portuguese (Brazil)");
  EXPECT_EQ(LanguageNameOfLocale("C.UTF-8"), "Language Neutral");
  EXPECT_EQ(LanguageNameOfLocale("xx_YY"), "xx (YY)");
  EXPECT_LE(LanguageNameOfLocale(std::string(80, 'q')).size(), 49u);
  ScopedEnv all("LC_ALL", "it_IT.UTF-8");
  ScopedEnv lang("LANG", "en_US.UTF-8");
  EXPECT_EQ(SystemLanguageName(), "Italian (Italy)");
  ScopedEnv noAll("LC_ALL", nullptr);
  ScopedEnv noMessages("LC_MESSAGES", nullptr);
  EXPECT_EQ(SystemLanguageName(), "English (United States)");
}

TEST(LocalTime, StampsUseColonsAndDaysCountFrom1899) {
  const LocalDateTime t{2006, 5, 14, 13, 5, 9, 0};
  EXPECT_EQ(FormatTimeStamp(t), "2006-05-14 13:05:09");
  EXPECT_EQ(FormatDate(t), "2006-05-14");
  EXPECT_DOUBLE_EQ(ToDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
  EXPECT_DOUBLE_EQ(ToDateTime({2006, 5, 14, 12, 0, 0, 0}), 38851.5);
  EXPECT_DOUBLE_EQ(ToDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
  const auto now = LocalNow();
  EXPECT_GE(now.Year, 2020);
  EXPECT_EQ(FormatTimeStamp(now).size(), 19u);
}
