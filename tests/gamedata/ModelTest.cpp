#include <gtest/gtest.h>

#include <string>

#include "gamedata/uSvFunctions.h"

using namespace qmz;

namespace {

TGood Named(std::string nickname) {
  TGood g;
  g.nickname = nickname;
  return g;
}

}  // namespace

TEST(ShortString, LongTextsAreCutTo255CharactersWhenStored) {
  TGood g;
  g.nickname = std::string(300, 'n');
  g.IniFile = std::string(256, 'p');
  EXPECT_EQ(g.nickname.size(), 255u);
  EXPECT_EQ(g.IniFile.size(), 255u);
  // Characters, not bytes: a 2-byte character is never split.
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xA4";
  g.name = umlauts;
  EXPECT_EQ(g.name.size(), 510u);
  EXPECT_TRUE(IsValidUtf8(g.name.str()));
  g.name = "short";
  EXPECT_EQ(g.name, "short");
}

TEST(GoodArr, NicknameLookupIsTrimmedCaseFoldedAndFirstMatchWins) {
  TGoodArr arr{Named("ore"), Named("Ore"), Named("  gold "), Named("ORE")};
  EXPECT_EQ(arr.IndexOfNickname(" ORE "), 1);  // element 0 never matches
  EXPECT_EQ(arr.IndexOfNickname("gold"), 2);
  EXPECT_EQ(arr.IndexOfNickname("silver"), -1);
  EXPECT_EQ(arr.IndexOfNickname(""), -1);
  EXPECT_EQ(arr.IndexOfNickname("   "), -1);
  TGoodArr onlyDummy{Named("loot")};
  EXPECT_EQ(onlyDummy.IndexOfNickname("loot"), -1);
  EXPECT_EQ(TGoodArr().IndexOfNickname("loot"), -1);
}

TEST(GoodArr, LookupFollowsAnArrayThatGrowsWhileItIsSearched) {
  // The way the base placement works: look up, grow by one element, fill it, look up again.
  TGoodArr bases{Named("not available")};
  EXPECT_EQ(bases.IndexOfNickname("li01_01_base"), -1);
  bases.resize(2);
  EXPECT_EQ(bases.IndexOfNickname("li01_01_base"), -1);  // indexed while still unnamed
  bases[1].nickname = "li01_01_base";
  EXPECT_EQ(bases.IndexOfNickname("LI01_01_BASE"), 1);
  bases.push_back(Named("li01_02_base"));
  EXPECT_EQ(bases.IndexOfNickname("li01_02_base"), 2);
  // A candidate slot that is cleared and refilled under another name.
  bases[2] = TGood();
  bases[2].nickname = "br01_01_base";
  EXPECT_EQ(bases.IndexOfNickname("li01_02_base"), -1);
  EXPECT_EQ(bases.IndexOfNickname("br01_01_base"), 2);
}

TEST(GoodArr, RenamedElementsAreFoundUnderTheirNewName) {
  TGoodArr arr{Named(""), Named("a"), Named("b"), Named("c")};
  EXPECT_EQ(arr.IndexOfNickname("a"), 1);
  arr[1].nickname = "x";
  EXPECT_EQ(arr.IndexOfNickname("a"), -1);  // the stale hit is noticed
  EXPECT_EQ(arr.IndexOfNickname("x"), 1);
  arr[2].nickname = "y";
  arr.NicknamesChanged();
  EXPECT_EQ(arr.IndexOfNickname("y"), 2);
  arr.resize(2);
  EXPECT_EQ(arr.IndexOfNickname("c"), -1);
  arr.push_back(Named("c"));
  arr.push_back(Named("x"));
  EXPECT_EQ(arr.IndexOfNickname("x"), 1);
  EXPECT_EQ(arr.IndexOfNickname("c"), 2);
}

TEST(GoodArr, CopiesAndMovesKeepTheirOwnIndex) {
  TGoodArr a{Named(""), Named("a")};
  EXPECT_EQ(a.IndexOfNickname("a"), 1);
  TGoodArr b = a;
  b[1].nickname = "b";
  b.NicknamesChanged();
  EXPECT_EQ(a.IndexOfNickname("a"), 1);
  EXPECT_EQ(b.IndexOfNickname("b"), 1);
  TGoodArr c{Named(""), Named("q"), Named("r")};
  EXPECT_EQ(c.IndexOfNickname("r"), 2);
  c = std::move(b);
  EXPECT_EQ(c.IndexOfNickname("r"), -1);
  EXPECT_EQ(c.IndexOfNickname("b"), 1);
}

TEST(MarketMatrix, OneContiguousBlockIndexedBaseThenGood) {
  TMarketMatrix m;
  m.SetLength(3, 4);
  ASSERT_EQ(m.size(), 3u);
  ASSERT_EQ(m.RowLength(), 4u);
  for (std::size_t b = 0; b < 3; ++b)
    for (std::size_t g = 0; g < 4; ++g) {
      EXPECT_FALSE(m[b][g].Sold);
      EXPECT_EQ(m[b][g].Price, 0.0);
    }
  EXPECT_EQ(&m[1][0], &m[0][3] + 1);
  m[2][3].Price = 7.5;
  m[1][1].Sold = true;
  m.SetLength(4, 5);  // sizing again keeps what was written
  EXPECT_EQ(m[2][3].Price, 7.5);
  EXPECT_TRUE(m[1][1].Sold);
  EXPECT_EQ(m[3][4].Price, 0.0);
  m.clear();
  EXPECT_TRUE(m.empty());
}
