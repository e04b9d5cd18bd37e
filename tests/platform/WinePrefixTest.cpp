#include <gtest/gtest.h>

#include "platform/WinePrefix.h"
#include "platform/TestEnv.h"

using qmz::test::ScopedEnv;

TEST(WinePrefix, EnvironmentVariableWins) {
  ScopedEnv prefix("WINEPREFIX", "/opt/games/prefix");
  ScopedEnv home("HOME", "/home/player");
  EXPECT_EQ(qmz::platform::WinePrefix(), std::filesystem::path("/opt/games/prefix"));
}

TEST(WinePrefix, EmptyOrUnsetVariableFallsBackToHomeWine) {
  ScopedEnv home("HOME", "/home/player");
  {
    ScopedEnv prefix("WINEPREFIX", "");
    EXPECT_EQ(qmz::platform::WinePrefix(), std::filesystem::path("/home/player/.wine"));
  }
  ScopedEnv prefix("WINEPREFIX", nullptr);
  EXPECT_EQ(qmz::platform::WinePrefix(), std::filesystem::path("/home/player/.wine"));
}
