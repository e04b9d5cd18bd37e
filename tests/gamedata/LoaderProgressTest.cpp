#include <gtest/gtest.h>

#include "gamedata/LoaderTestSupport.h"
#include "gamedata/uSvFunctions.h"

using namespace qmz;

TEST(LoaderProgress, StepPostsCarryTheStepCounterOnA60Scale) {
  test::StatusRecorder rec;
  TSvData d(nullptr, rec.Window(), rec.Mapping());
  d.StepCount = 2;
  d.PostStep("Initializing ini file", psAddToStartupLog | psEchoToJournal);
  ASSERT_EQ(rec.Posts.size(), 1u);
  EXPECT_EQ(rec.Posts[0].Text, "Initializing ini file");
  EXPECT_EQ(rec.Posts[0].Message.Min, 0);
  EXPECT_EQ(rec.Posts[0].Message.Max, 60);
  EXPECT_EQ(rec.Posts[0].Message.Position, 2);
  EXPECT_TRUE(rec.Posts[0].Message.AddToStartupLog);
  EXPECT_TRUE(rec.Posts[0].Message.EchoToJournal);
  EXPECT_FALSE(rec.Posts[0].Message.ReplaceStartupLine);
}

TEST(LoaderProgress, RangesBeyond16BitsAreScaledNotWrapped) {
  test::StatusRecorder rec;
  TSvData d(nullptr, rec.Window(), rec.Mapping());
  d.PostStatus("", 1, 100000, 100000, psAddToStartupLog);
  d.PostStatus("", 1, 100000, 50000, psAddToStartupLog);
  ASSERT_EQ(rec.Posts.size(), 2u);
  EXPECT_EQ(rec.Posts[0].Message.Max, 65535);
  EXPECT_EQ(rec.Posts[0].Message.Position, 65535);
  EXPECT_EQ(rec.Posts[1].Message.Position, 32767);
  EXPECT_EQ(rec.Posts[1].Message.Min, 0);
}

TEST(LoaderProgress, ItemPostsAreSpacedOutButFirstAndLastAlwaysGo) {
  test::StatusRecorder rec;
  TSvData d(nullptr, rec.Window(), rec.Mapping());
  for (int i = 1; i <= 10000; ++i) d.PostItem(1, 10000, i);
  ASSERT_GE(rec.Posts.size(), 2u);
  EXPECT_LT(rec.Posts.size(), 10000u);
  EXPECT_EQ(rec.Posts.front().Message.Position, 1);
  EXPECT_EQ(rec.Posts.back().Message.Position, 10000);
  EXPECT_EQ(rec.Posts.back().Text, "");
}
