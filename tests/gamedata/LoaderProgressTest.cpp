#include <gtest/gtest.h>

#include "util/StatusRecorder.h"
#include "gamedata/uSvFunctions.h"

using namespace qmz;

TEST(LoaderProgress, RangesBeyond16BitsAreScaledAndItemPostsSpacedOut) {
  test::StatusRecorder rec;
  TSvData d(nullptr, rec.Window(), rec.Mapping());
  d.PostStatus("", 1, 100000, 100000, psAddToStartupLog);
  d.PostStatus("", 1, 100000, 50000, psAddToStartupLog);
  ASSERT_EQ(rec.Posts.size(), 2u);
  EXPECT_EQ(rec.Posts[0].Message.Max, 65535);
  EXPECT_EQ(rec.Posts[0].Message.Position, 65535);
  EXPECT_EQ(rec.Posts[1].Message.Position, 32767);
  EXPECT_EQ(rec.Posts[1].Message.Min, 0);

  // Item posts are spaced out, but the first and the last always go.
  rec.Posts.clear();
  for (int i = 1; i <= 10000; ++i) d.PostItem(1, 10000, i);
  ASSERT_GE(rec.Posts.size(), 2u);
  EXPECT_LT(rec.Posts.size(), 10000u);
  EXPECT_EQ(rec.Posts.front().Message.Position, 1);
  EXPECT_EQ(rec.Posts.back().Message.Position, 10000);
  EXPECT_EQ(rec.Posts.back().Text, "");
}
