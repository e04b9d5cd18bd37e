#include <gtest/gtest.h>

#include "platform/BuildInfo.h"

TEST(BuildInfo, VersionComesFromTheProject) {
  const auto v = qmz::platform::OwnBuildVersion();
  EXPECT_EQ(v.major, 1u);
  EXPECT_FALSE(qmz::platform::ContactEmail().empty());
}
