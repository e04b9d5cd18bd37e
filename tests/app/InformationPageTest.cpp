// The information page's trees and cards from the core, and the page in a started main window.

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <set>

#include "MainWindowFixture.h"
#include "app/ModelAdapter.h"
#include "app/core/uFormMain_Info.h"
#include "app/uFormMain_InformationPage.h"
#include "support/SysUtils.h"
#include "util/SvModelTestAccess.h"

using namespace qmz;
using namespace qmz::test;

namespace {

class InfoCoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(data->DataValid); }

  std::unique_ptr<TSvData> data = test::LoadSmallModel();
  SvModelTestAccess m{*data};  // for the cases that change the model
};

// Checks the groups against the goods they were built from: every good under "{All Commodities}" (type 0
// twice), under its category or at the root (type 17), in name order.
void ExpectGroups(const TSvData& d, const std::vector<TInfoNode>& children, const std::set<std::uint32_t>& goods,
                  std::uint8_t allKind) {
  ASSERT_GE(children.size(), 17u);
  EXPECT_EQ(children[0].Text, "{All Commodities}");
  EXPECT_EQ(children[0].Tag, (TInfoTag{false, 0, allKind, 0}));
  for (std::uint8_t t = 1; t <= 16; ++t) {
    EXPECT_EQ(children[t].Text, "{" + std::string(EquipmentTypeNames[t]) + "}");
    EXPECT_EQ(children[t].Tag, (TInfoTag{true, 0, 0, t}));
    for (const auto& n : children[t].Children) EXPECT_EQ(d.aGood[n.Tag.Index].etype, t) << n.Text;
    EXPECT_TRUE(std::is_sorted(children[t].Children.begin(), children[t].Children.end(),
                               [](const TInfoNode& a, const TInfoNode& b) { return CompareText(a.Text, b.Text) < 0; }));
  }
  std::size_t expectAll = 0, expectAny = 0, inCategories = 0;
  for (std::uint32_t g : goods) {
    const std::uint8_t t = d.aGood[g].etype;
    expectAll += t == 0 ? 2 : 1;
    expectAny += t == 17;
  }
  for (std::uint8_t t = 1; t <= 16; ++t) inCategories += children[t].Children.size();
  EXPECT_EQ(children[0].Children.size(), expectAll);
  EXPECT_EQ(children.size() - 17, expectAny);
  std::set<std::uint32_t> seen;
  for (const auto& n : children[0].Children) {
    EXPECT_EQ(n.Tag.Kind, 5);
    EXPECT_EQ(n.Text, d.aGood[n.Tag.Index].name.str());
    seen.insert(n.Tag.Index);
  }
  EXPECT_EQ(seen, goods);
  EXPECT_EQ(inCategories + expectAny, goods.size() - std::count_if(goods.begin(), goods.end(), [&](std::uint32_t g) {
                                        return d.aGood[g].etype == 0;
                                      }));
}

// What a base buys is every good by category, an unknown type (0) and the any type (17) where they belong
// too; what it sells is the goods sold there; a base selling nothing, or none, gives empty groups.
TEST_F(InfoCoreTest, BaseBuysAndSellsGroupTheGoodsByCategory) {
  m.aGood[1].etype = 0;
  m.aGood[2].etype = 17;
  std::set<std::uint32_t> all, sold;
  for (std::uint32_t g = 1; g < data->aGood.size(); ++g) all.insert(g);
  const auto children = BaseBuysChildren(*data);
  ExpectGroups(*data, children, all, 0);
  ASSERT_GE(children.size(), 18u);
  EXPECT_EQ(children[17].Text, data->aGood[2].name.str());
  EXPECT_EQ(children[17].Tag.Kind, 5);

  const int base = test::TradingBase(*data);
  ASSERT_GT(base, 0);
  for (std::uint32_t g = 1; g < data->aGood.size(); ++g)
    if (data->aMarket[std::size_t(base)][g].Sold) sold.insert(g);
  ExpectGroups(*data, BaseSellsChildren(*data, base), sold, 4);
  ClearSold(m.aMarket, std::size_t(base));
  for (int b : {base, 0, -1, int(data->aBase.size())}) {
    const auto children = BaseSellsChildren(*data, b);
    ASSERT_EQ(children.size(), 17u) << b;
    for (const auto& n : children) EXPECT_TRUE(n.Children.empty()) << b;
  }
}

TEST_F(InfoCoreTest, BaseCard) {
  const int base = test::TradingBase(*data);
  TGood& b = m.aBase[std::size_t(base)];
  for (bool lawful : {true, false}) {
    m.aFactionProps[b.faction].lawful = lawful;
    const auto lines = BaseCardLines(*data, base);
    const std::vector<TCardLine> expected = {
        {b.name.str(), "", 16, true},
        {"", "", 16, true},
        {"Type   :  Base", "Courier New", 9, false},
        {"System :  " + data->aSystem[b.system].name.str(), "Courier New", 9, false},
        {"Run by :  " + data->aFaction[b.faction].name.str(), "Courier New", 9, false},
        {lawful ? "Lawful :  True" : "Lawful :  False", "Courier New", 9, false},
        {"", "Courier New", 9, false},
    };
    EXPECT_EQ(lines, expected);
  }
  // A base without an owning faction names the empty dummy and is not lawful.
  b.faction = 0;
  EXPECT_EQ(BaseCardLines(*data, base)[4].Text, "Run by :  ");
  EXPECT_EQ(BaseCardLines(*data, base)[5].Text, "Lawful :  False");
  EXPECT_TRUE(BaseCardLines(*data, 0).empty());
  EXPECT_TRUE(BaseCardLines(*data, int(data->aBase.size())).empty());
}

TEST_F(InfoCoreTest, GoodCard) {
  const int base = test::TradingBase(*data);
  TGood& g = m.aGood[1];
  g.etype = 1;
  g.units_per_container = 1;
  g.decay_per_second = 0.25f;
  g.volume = 0;
  TMarketCell cell = m.aMarket[std::size_t(base)][1];
  cell.Price = 179.6;
  m.aMarket.Write(std::size_t(base), 1, cell);
  auto texts = [](const std::vector<TCardLine>& lines) {
    std::vector<std::string> t;
    for (const auto& l : lines) t.push_back(l.Text);
    return t;
  };
  const std::vector<std::string> expected = {g.name.str(),
                                             "",
                                             "       Category: Commodity",
                                             "          Price: 180",
                                             "Units/Container: 1",
                                             "  Decay of Good: 0.25",
                                             "         Volume: 0",  // not an empty number
                                             "",
                                             "",
                                             "Infocard",
                                             "",
                                             "Will soon be added"};
  const auto lines = GoodCardLines(*data, 1, base);
  EXPECT_EQ(texts(lines), expected);
  EXPECT_EQ(GoodCardLines(*data, 1, base, ',')[5].Text, "  Decay of Good: 0,25");

  // No base chosen, or none of the market: the card without its price line.
  for (std::optional<int> none : {std::optional<int>(), std::optional<int>(int(data->aMarket.size()))}) {
    auto noPrice = expected;
    noPrice.erase(noPrice.begin() + 3);
    EXPECT_EQ(texts(GoodCardLines(*data, 1, none)), noPrice);
  }
  EXPECT_TRUE(GoodCardLines(*data, 0, base).empty());
  EXPECT_TRUE(GoodCardLines(*data, int(data->aGood.size()), base).empty());
}

class InformationPageTest : public StartedWindowTest {
 protected:
  void SetUp() override {
    StartedWindowTest::SetUp();
    w->tbRoutes->SetSelectedTab(w->tbRoutes->Tabs()[3]);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  }

  QTreeWidgetItem* Root(const char* text) const {
    const auto found = w->tvInfBaseGood->findItems(QString::fromLatin1(text), Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
  }

  // Clicks the entry of the base list that stands for this base.
  void ClickBase(int base) {
    for (int i = 0; i < w->lbInfBase->count(); ++i) {
      QListWidgetItem* item = w->lbInfBase->item(i);
      if (TagOf(item)->Index != std::uint32_t(base)) continue;
      w->lbInfBase->scrollToItem(item);
      QTest::mouseClick(w->lbInfBase->viewport(), Qt::LeftButton, {}, w->lbInfBase->visualItemRect(item).center());
      return;
    }
    FAIL() << "no entry for base " << base;
  }

  void ClickNode(QTreeWidgetItem* node) {
    auto* tree = w->tvInfBaseGood;
    for (auto* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->scrollToItem(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->ItemRect(static_cast<TWsTreeNode*>(node)).center());
  }

  QStringList CardLines() const { return w->reInformation->toPlainText().split(QLatin1Char('\n')); }
};

// The trees' groups and the cards' lines come from the core (the tests above); this drives the page as a user.
TEST_F(InformationPageTest, BaseListTreeAndButtonsShowCardsAndWhatABaseSells) {
  // Before any base: only what is bought is filled.
  ASSERT_EQ(w->tvInfBaseGood->topLevelItemCount(), 2);
  EXPECT_EQ(w->tvInfBaseGood->topLevelItem(0)->text(0), "<<BASE SELLS>>");
  EXPECT_EQ(Root("<<BASE SELLS>>")->childCount(), 0);
  QTreeWidgetItem* buys = Root("<<BASE BUYS>>");
  ASSERT_GE(buys->childCount(), 17);
  EXPECT_TRUE(w->tvInfBaseGood->SelectedNodes().contains(static_cast<TWsTreeNode*>(buys)));

  const int base = TradingBase(*w->Data());
  const TSvData& d = *w->Data();
  ClickBase(base);
  const QStringList card = CardLines();
  ASSERT_EQ(card.size(), 7);
  EXPECT_EQ(card[0], ToQString(d.aBase[std::size_t(base)].name.str()));

  QTreeWidgetItem* sells = Root("<<BASE SELLS>>");
  ASSERT_GE(sells->childCount(), 17);
  ASSERT_GT(sells->child(0)->childCount(), 0);
  const int buysBefore = Root("<<BASE BUYS>>")->child(0)->childCount();

  // A good under "{All Commodities}" shows its card with the price at this base.
  QTreeWidgetItem* goodNode = sells->child(0)->child(0);
  const int good = int(TagOf(goodNode)->Index);
  ClickNode(goodNode);
  QStringList goodCard = CardLines();
  ASSERT_GE(goodCard.size(), 4);
  EXPECT_EQ(goodCard[0], ToQString(d.aGood[std::size_t(good)].name.str()));
  EXPECT_EQ(goodCard[3],
            ToQString(Format("          Price: %.0f", d.aMarket[std::size_t(base)][std::size_t(good)].Price)));

  // A category node or a root leaves the card as it was.
  ClickNode(sells->child(1));
  EXPECT_EQ(CardLines(), goodCard);
  ClickNode(sells);
  EXPECT_EQ(CardLines(), goodCard);

  // A key in the base list shows the next base's card.
  ClickBase(base);
  const int row = w->lbInfBase->currentRow();
  ASSERT_LT(row + 1, w->lbInfBase->count());
  w->lbInfBase->setFocus();
  QTest::keyClick(w->lbInfBase, Qt::Key_Down);
  EXPECT_EQ(CardLines().first(), w->lbInfBase->item(row + 1)->text());

  // Another base replaces what is sold; what is bought never changes.
  ClearSold(SvModelTestAccess(*w->Data()).aMarket, std::size_t(base + 1));
  ClickBase(base + 1);
  sells = Root("<<BASE SELLS>>");
  ASSERT_EQ(sells->childCount(), 17);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(sells->child(i)->childCount(), 0);
  EXPECT_EQ(Root("<<BASE BUYS>>")->child(0)->childCount(), buysBefore);

  QTest::mouseClick(w->btInfGood, Qt::LeftButton);
  EXPECT_EQ(w->plInformation->ActivePage(), w->pageInfGood);
  QTest::mouseClick(w->btInfBase, Qt::LeftButton);
  EXPECT_EQ(w->plInformation->ActivePage(), w->pageInfBase);
}

}  // namespace
