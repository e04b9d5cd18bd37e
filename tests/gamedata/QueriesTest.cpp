#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gamedata/uSvFunctions.h"

using namespace qmz;

namespace {

TGood Rec(std::string nickname, std::string name) {
  TGood g;
  g.nickname = nickname;
  g.name = name;
  return g;
}

// A small model as the parsers leave it: two factions, two systems, three bases, three goods.
class QueriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d.aFaction = {TGood(), Rec("li_p_grp", "Liberty Police")};
    d.aSystem = {Rec("loot", "Loot Trading"), Rec("li01", "New York"), Rec("br01", "New London")};
    d.aBase = {Rec("not available", "Loot trading dummy"), Rec("li01_01_base", "Manhattan"),
               Rec("br01_01_base", "Southampton"), Rec("li01_02_base", "Trenton")};
    d.aBase[1].system = 1;
    d.aBase[1].faction = 1;
    d.aBase[2].system = 2;
    d.aBase[3].system = 1;
    d.aGood = {TGood(), Rec("ore", "Ore"), Rec("gun_a", "Light Gun"), Rec("water", "Water")};
    d.aGood[1].price = 90;
    d.aGood[1].volume = 3;
    d.aGood[1].units_per_container = 10;
    d.aGood[1].decay_per_second = 0.25f;
    d.aGood[2].volume = 1;
    d.aGood[2].units_per_container = 1;
    d.aGood[2].price = 1500.5;
    d.aMarket.SetLength(d.aBase.size(), d.aGood.size());
    auto cell = [&](int b, int g, bool sold, float factor, float rep, float level) {
      TMarketCell& c = d.aMarket[b][g];
      c.Sold = sold;
      c.PriceFactor = factor;
      c.Price = factor * d.aGood[g].price;
      c.Reputation = rep;
      c.Level = level;
    };
    for (int b = 1; b < 4; ++b)
      for (int g = 1; g < 4; ++g) cell(b, g, false, 1.0f, -1.0f, 0.0f);
    cell(1, 1, true, 1.5f, -0.5f, 2.0f);
    cell(1, 3, true, 1.0f, -1.0f, 0.0f);
  }
  TSvData d;
};

}  // namespace

TEST_F(QueriesTest, IndexByNicknameAnswersForEveryArray) {
  EXPECT_EQ(d.getIndexByNickname("  Ore ", d.aGood), 1);
  EXPECT_EQ(d.getIndexByNickname("LI01", d.aSystem), 1);
  EXPECT_EQ(d.getIndexByNickname("loot", d.aSystem), -1);
  EXPECT_EQ(d.getIndexByNickname("", d.aBase), -1);
  EXPECT_EQ(d.getIndexByNickname("not available", d.aBase), -1);
}

TEST_F(QueriesTest, NameAndNicknameListsCarryPlainTags) {
  TStringList names = d.getBaseNames();
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names[0], "Manhattan");
  EXPECT_EQ(names[2], "Trenton");
  for (int i = 0; i < names.Count(); ++i) {
    auto* tag = dynamic_cast<TIndex*>(names.Objects(i));
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->Index, std::uint32_t(i + 1));
    EXPECT_EQ(tag->Kind, 0);
  }
  TStringList nicks = d.getSystemNicknames();
  ASSERT_EQ(nicks.Count(), 2);
  EXPECT_EQ(nicks[1], "br01");
  EXPECT_EQ(d.getFactionNames().Count(), 1);
  EXPECT_EQ(d.getGoodNicknames()[1], "gun_a");
  TSvData empty;
  empty.aBase = {Rec("not available", "Loot trading dummy")};
  EXPECT_EQ(empty.getBaseNames().Count(), 0);
  EXPECT_EQ(empty.getSystemNames().Count(), 0);
}

TEST_F(QueriesTest, RecordDumpLines) {
  TStringList info = d.getBaseInfo(1);
  ASSERT_EQ(info.Count(), 12);
  EXPECT_EQ(info[0], "index:      1");
  EXPECT_EQ(info[1], "nick:       li01_01_base");
  EXPECT_EQ(info[2], "name:       \"Manhattan\"");
  EXPECT_EQ(info[3], "short:      \"\"");
  EXPECT_EQ(info[6], "faction:    Liberty Police");
  EXPECT_EQ(info[7], "system:     New York");
  TStringList good = d.getGoodInfo(1);
  EXPECT_EQ(good[6], "faction:    ");
  EXPECT_EQ(good[7], "system:     Loot Trading");  // goods name the dummy system
  EXPECT_EQ(good[8], "units/cont: 10");
  EXPECT_EQ(good[9], "decay:      0.250000");
  EXPECT_EQ(good[10], "volume:     3.000000");
  EXPECT_EQ(good[11], "price:      90.000000");
  EXPECT_EQ(d.getGoodInfo(2)[8], "units/cont: 1");
  EXPECT_EQ(d.getSystemInfo(2)[1], "nick:       br01");
  EXPECT_EQ(d.getFactionInfo(1)[2], "name:       \"Liberty Police\"");
  // Indices from outside the model and references beyond the arrays give no lines or empty names.
  EXPECT_EQ(d.getGoodInfo(99).Count(), 0);
  EXPECT_EQ(d.getGoodInfo(-1).Count(), 0);
  d.aBase[3].faction = 40;
  EXPECT_EQ(d.getBaseInfo(3)[6], "faction:    ");
}

TEST_F(QueriesTest, MarketLinesOfABase) {
  // The market lines follow the user's number format; pin it for the expected texts.
  setenv("LC_ALL", "C", 1);
  TStringList sold = d.getMarketCsv(1, true);
  ASSERT_EQ(sold.Count(), 2);
  EXPECT_EQ(sold[0], "\"Ore\",\"90.000000\",\"1\",\"2.000000\",\"-0.500000\",\"1.500000\",\"0.250000\",\"3.000000\"");
  EXPECT_EQ(sold[1].substr(0, 9), "\"Water\",\"");
  EXPECT_EQ(d.getMarketCsv(2, true).Count(), 0);  // sells nothing
  TStringList all = d.getMarketCsv(2, false);
  ASSERT_EQ(all.Count(), 3);
  EXPECT_EQ(all[1], "\"Light Gun\",\"1500.500000\",\"0\",\"0.000000\",\"-1.000000\",\"1.000000\",\"0.000000\",\"1.000000\"");
  EXPECT_EQ(d.getMarketCsv(4, false).Count(), 0);
  EXPECT_EQ(d.getMarketCsv(-1, false).Count(), 0);
}

TEST_F(QueriesTest, BaseGoodsAreTaggedAsGoodsAtABase) {
  TStringList goods = d.getBaseGoods(1, true);
  ASSERT_EQ(goods.Count(), 2);
  EXPECT_EQ(goods[0], "Ore");
  auto* tag = dynamic_cast<TIndex*>(goods.Objects(1));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->Index, 3u);
  EXPECT_EQ(tag->Kind, 5);
  EXPECT_EQ(d.getBaseGoods(3, false).Count(), 3);
  EXPECT_EQ(d.getBaseGoods(3, true).Count(), 0);
  EXPECT_EQ(d.getBaseGoods(9, false).Count(), 0);
  // A model whose market was never sized answers with empty lists.
  TSvData bare;
  bare.aBase = d.aBase;
  EXPECT_EQ(bare.getBaseGoods(1, false).Count(), 0);
  EXPECT_EQ(bare.getMarketCsv(1, false).Count(), 0);
}

TEST_F(QueriesTest, SystemBasesInBaseOrder) {
  TStringList bases = d.getSystemBases(1);
  ASSERT_EQ(bases.Count(), 2);
  EXPECT_EQ(bases[0], "Manhattan");
  EXPECT_EQ(bases[1], "Trenton");
  EXPECT_EQ(dynamic_cast<TIndex*>(bases.Objects(1))->Index, 3u);
  EXPECT_EQ(d.getSystemBases(0).Count(), 0);  // the dummy base is never listed
  EXPECT_EQ(d.getSystemBases(7).Count(), 0);
}

TEST_F(QueriesTest, ItemIndexByIndexPassesOverOtherObjects) {
  TStringList list(true);
  list.Add("no object");
  list.AddObject("category", new TETyp(13));
  list.AddObject("Anywhere", new TIndex(0, 4));
  list.AddObject("Trenton", new TIndex(3, 1));
  list.AddObject("again", new TIndex(3, 1));
  EXPECT_EQ(TSvData::getItemIndexByIndex(list, 3), 3);
  EXPECT_EQ(TSvData::getItemIndexByIndex(list, 0), 2);  // the TETyp's Index 0 does not count
  EXPECT_EQ(TSvData::getItemIndexByIndex(list, 5), -1);
  EXPECT_EQ(TSvData::getItemIndexByIndex(TStringList(), 1), -1);
}
