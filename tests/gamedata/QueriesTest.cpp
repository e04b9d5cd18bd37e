#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "gamedata/uSvFunctions_Model.h"
#include "util/CommaLocale.h"
#include "util/ScopedEnv.h"
#include "util/SvModelTestAccess.h"

using namespace qmz;

namespace {

TGood Rec(std::string nickname, std::string name) {
  TGood g;
  g.nickname = nickname;
  g.name = name;
  return g;
}

// The windows' side of the model cannot write to it.
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<SvModel&>().aGood)>>);
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<SvModel&>().aMarket)>>);
static_assert(!std::is_assignable_v<decltype(std::declval<SvModel&>().aMarket[1][1]), TMarketCell>);

// A small model as the parsers leave it: 1 faction, 2 systems, 3 bases, 3 goods; base 1 sells goods 1 and 3.
class QueriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SvModelTestAccess w(d);
    w.aFaction = {TGood(), Rec("fp_01_grp", "Xania Police")};
    w.aSystem = {Rec("loot", "Loot Trading"), Rec("st01", "Ulor"), Rec("st02", "Fenen")};
    w.aBase = {Rec("not available", "Loot trading dummy"), Rec("st01_01_base", "Planet Joria"),
               Rec("st02_01_base", "Fenen Habitat"), Rec("st01_02_base", "Ulor Depot")};
    w.aBase[1].system = 1;
    w.aBase[1].faction = 1;
    w.aBase[2].system = 2;
    w.aBase[3].system = 1;
    w.aGood = {TGood(), Rec("ore", "Ore"), Rec("gun_a", "Light Gun"), Rec("water", "Water")};
    w.aGood[1].price = 90;
    w.aGood[1].volume = 3;
    w.aGood[1].units_per_container = 10;
    w.aGood[1].decay_per_second = 0.25f;
    w.aGood[2].volume = 1;
    w.aGood[2].price = 1500.5;
    w.aMarket.Reset(d.aBase.size(), w.aGood);
    w.aMarket.SetDefaults(3);
    w.aMarket.Write(1, 1, {true, 1.5f, 135.0, -0.5f, 2.0f});
    w.aMarket.Write(1, 3, {true, 1.0f, w.aGood[3].price, -1.0f, 0.0f});
  }
  SvModel d;  // built without the loader, queried as the windows do
};

}  // namespace

TEST_F(QueriesTest, BaseListTagsAndRecordDumpLines) {
  // Names and nicknames are read by the debug page's tests on a generated model; here the tags.
  TStringList names = d.getBaseNames();
  ASSERT_EQ(names.Count(), 3);
  auto* tag = dynamic_cast<TIndex*>(names.Objects(2));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->Index, 3u);
  EXPECT_EQ(tag->Kind, 0);
  TStringList bases = d.getSystemBases(1);  // in base order
  ASSERT_EQ(bases.Count(), 2);
  EXPECT_EQ(bases[1], "Ulor Depot");
  EXPECT_EQ(dynamic_cast<TIndex*>(bases.Objects(1))->Index, 3u);
  EXPECT_EQ(d.getSystemBases(0).Count(), 0);  // the dummy base is never listed
  SvModel empty;
  SvModelTestAccess(empty).aBase = {Rec("not available", "Loot trading dummy")};
  EXPECT_EQ(empty.getBaseNames().Count(), 0);

  // Record dumps: index, nickname, name, volume and a base's system are read by the debug page's tests.
  EXPECT_EQ(d.getBaseInfo(1)[6], "faction:    Xania Police");
  EXPECT_EQ(d.getSystemInfo(2)[1], "nick:       st02");
  TStringList good = d.getGoodInfo(1);
  EXPECT_EQ(good[7], "system:     Loot Trading");  // goods name the dummy system
  EXPECT_EQ(good[8], "units/cont: 10");
  EXPECT_EQ(good[9], "decay:      0.250000");
  EXPECT_EQ(good[11], "price:      90.000000");
  // Indices from outside the model and references beyond the arrays give no lines or empty names.
  EXPECT_EQ(d.getGoodInfo(-1).Count(), 0);
  SvModelTestAccess(d).aBase[3].faction = 40;
  EXPECT_EQ(d.getBaseInfo(3)[6], "faction:    ");
}

TEST_F(QueriesTest, MarketLinesOfABase) {
  test::ScopedEnv cNumbers("LC_ALL", "C");  // the market lines follow the user's number format
  TStringList sold = d.getMarketCsv(1, true);
  ASSERT_EQ(sold.Count(), 2);
  EXPECT_EQ(sold[0], "\"Ore\",\"90.000000\",\"1\",\"2.000000\",\"-0.500000\",\"1.500000\",\"0.250000\",\"3.000000\"");
  TStringList all = d.getMarketCsv(2, false);
  ASSERT_EQ(all.Count(), 3);
  EXPECT_EQ(all[1],
            "\"Light Gun\",\"1500.500000\",\"0\",\"0.000000\",\"-1.000000\",\"1.000000\",\"0.000000\",\"1.000000\"");
  // Bases beyond the model, or a market never sized, give no lines. (A base's goods, their tags and bases
  // beyond the model are read by the information page's tests.)
  for (int base : {4, -1}) EXPECT_EQ(d.getMarketCsv(base, false).Count(), 0);
  // The goods a base offers pick the same cells, tagged as goods at a base (kind 5).
  TStringList offered = d.getBaseGoods(1, true);
  ASSERT_EQ(offered.Count(), 2);
  EXPECT_EQ(offered[1], "Water");
  EXPECT_EQ(dynamic_cast<TIndex*>(offered.Objects(1))->Index, 3u);
  EXPECT_EQ(dynamic_cast<TIndex*>(offered.Objects(1))->Kind, 5);
  EXPECT_EQ(d.getBaseGoods(2, false).Count(), 3);
  EXPECT_EQ(d.getBaseGoods(4, false).Count(), 0);
  EXPECT_EQ(d.getGoodNicknames()[1], "gun_a");
  // A quote in a name is doubled, so the name stays one field for a CSV reader.
  SvModelTestAccess(d).aGood[1].name = "Ore \"rich\"";
  EXPECT_EQ(d.getMarketCsv(1, true)[0].substr(0, 15), "\"Ore \"\"rich\"\"\",");
  SvModelTestAccess(d).aMarket.clear();
  EXPECT_EQ(d.getMarketCsv(1, false).Count(), 0);
}

TEST_F(QueriesTest, MarketLinesTakeTheUsersDecimalMarkForNumbersOnly) {
  SvModelTestAccess(d).aGood[1].name = "Ore v.2";
  test::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale can be made on this machine";
  EXPECT_EQ(d.getMarketCsv(1, true)[0],
            "\"Ore v.2\",\"90,000000\",\"1\",\"2,000000\",\"-0,500000\",\"1,500000\",\"0,250000\",\"3,000000\"");
}

TEST_F(QueriesTest, ItemIndexByIndexPassesOverOtherObjects) {
  TStringList list(true);
  list.Add("no object");
  list.AddObject("category", new TETyp(13));
  list.AddObject("Anywhere", new TIndex(0, 4));
  list.AddObject("Ulor", new TIndex(3, 1));
  EXPECT_EQ(SvModel::getItemIndexByIndex(list, 3), 3);
  EXPECT_EQ(SvModel::getItemIndexByIndex(list, 0), 2);  // the TETyp's Index 0 does not count
  EXPECT_EQ(SvModel::getItemIndexByIndex(list, 5), -1);
}
