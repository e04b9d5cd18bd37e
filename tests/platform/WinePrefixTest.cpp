#include <gtest/gtest.h>

#include "util/ScopedEnv.h"
#include "platform/WinePrefix.h"

using qmz::test::ScopedEnv;

TEST(WinePrefix, VariableWinsAndAnEmptyOrUnsetOneFallsBackToHomeWine) {
  ScopedEnv home("HOME", "/home/player");
  for (const char* value : {"", static_cast<const char*>(nullptr)}) {
    ScopedEnv prefix("WINEPREFIX", value);
    EXPECT_EQ(qmz::platform::WinePrefix(), std::filesystem::path("/home/player/.wine"));
  }
  ScopedEnv prefix("WINEPREFIX", "/opt/games/prefix");
  EXPECT_EQ(qmz::platform::WinePrefix(), std::filesystem::path("/opt/games/prefix"));
}
