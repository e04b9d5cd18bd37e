#include <gtest/gtest.h>

#include <string>

#include "gamedata/uSvFunctions_Model.h"

using namespace qmz;

namespace {

TGood Named(std::string nickname) {
  TGood g;
  g.nickname = nickname;
  return g;
}

}  // namespace

TEST(ShortString, LongTextsAreCutTo255CharactersNeverInsideOne) {
  TGood g;
  g.nickname = std::string(300, 'n');
  EXPECT_EQ(g.nickname.size(), 255u);
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xA4";
  g.name = umlauts;
  EXPECT_EQ(g.name.size(), 510u);
  EXPECT_TRUE(IsValidUtf8(g.name.str()));
}

TEST(GoodArr, NicknameLookupIsTrimmedCaseFoldedAndFirstMatchWins) {
  TGoodArr arr{Named("ore"), Named("Ore"), Named("  gold "), Named("ORE")};
  EXPECT_EQ(arr.IndexOfNickname(" ORE "), 1);  // element 0 never matches
  EXPECT_EQ(arr.IndexOfNickname("gold"), 2);
  EXPECT_EQ(arr.IndexOfNickname("silver"), -1);
  EXPECT_EQ(TGoodArr({TGood{}, Named("\xC3\x89p\xC3\xA9" "e")}).IndexOfNickname("\xC3\xA9P\xC3\x89" "E"), 1);  // Épée
  EXPECT_EQ(arr.IndexOfNickname("   "), -1);
  EXPECT_EQ(TGoodArr{Named("loot")}.IndexOfNickname("loot"), -1);
}

TEST(GoodArr, LookupFollowsTheArrayAsItIsFilledRenamedAndRefilled) {
  // The way the base placement works: look up, grow by one element, fill it, look up again.
  TGoodArr arr{Named("not available")};
  arr.resize(2);
  EXPECT_EQ(arr.IndexOfNickname("li01_01_base"), -1);  // indexed while still unnamed
  arr[1].nickname = "li01_01_base";
  EXPECT_EQ(arr.IndexOfNickname("LI01_01_BASE"), 1);
  arr.push_back(Named("li01_02_base"));
  arr.push_back(Named("c"));
  EXPECT_EQ(arr.IndexOfNickname("li01_02_base"), 2);
  arr[3] = Named("br01_01_base");  // the last slot refilled under another name
  EXPECT_EQ(arr.IndexOfNickname("c"), -1);
  EXPECT_EQ(arr.IndexOfNickname("br01_01_base"), 3);
  arr[1].nickname = "x";  // a stale hit is noticed
  EXPECT_EQ(arr.IndexOfNickname("li01_01_base"), -1);
  EXPECT_EQ(arr.IndexOfNickname("x"), 1);
  // Cleared or cut and filled again under other names, before any lookup in between.
  arr.clear();
  for (const char* n : {"", "p", "q", "r"}) arr.push_back(Named(n));
  EXPECT_EQ(arr.IndexOfNickname("q"), 2);
  arr.resize(2);
  arr.push_back(Named("s"));
  arr.push_back(Named("t"));
  EXPECT_EQ(arr.IndexOfNickname("s"), 2);
  EXPECT_EQ(arr.IndexOfNickname("q"), -1);
  // A copy keeps an index of its own.
  TGoodArr copy = arr;
  copy[2].nickname = "u";
  copy.NicknamesChanged();
  EXPECT_EQ(arr.IndexOfNickname("s"), 2);
  EXPECT_EQ(copy.IndexOfNickname("u"), 2);
}

TEST(MarketMatrix, OneContiguousBlockIndexedBaseThenGood) {
  TMarketMatrix m;
  m.SetLength(3, 4);
  EXPECT_EQ(&m[1][0], &m[0][3] + 1);
  EXPECT_FALSE(m[2][3].Sold);
  m[2][3].Price = 7.5;
  m.SetLength(4, 5);  // sizing again keeps what was written
  EXPECT_EQ(m[2][3].Price, 7.5);
  EXPECT_EQ(m[3][4].Price, 0.0);
  EXPECT_EQ(m.RowLength(), 5u);
}
