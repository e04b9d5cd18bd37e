// The information page in a started main window, driven as the user does.

#include <QTest>

#include "MainWindowFixture.h"
#include "app/ModelAdapter.h"
#include "app/uFormMain_InformationPage.h"
#include "support/SysUtils.h"
#include "util/SvModelTestAccess.h"

namespace qmz::test {
namespace {

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
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
  }

  QStringList CardLines() const { return w->reInformation->toPlainText().split(QLatin1Char('\n')); }
};

// The trees' groups and the cards' lines come from the core (InfoCoreTest); this drives the page as a user.
TEST_F(InformationPageTest, BaseListTreeAndButtonsShowCardsAndWhatABaseSells) {
  // Before any base: only what is bought is filled; a good's card has no price.
  ASSERT_EQ(w->tvInfBaseGood->topLevelItemCount(), 2);
  EXPECT_EQ(w->tvInfBaseGood->topLevelItem(0)->text(0), "<<BASE SELLS>>");
  EXPECT_EQ(Root("<<BASE SELLS>>")->childCount(), 0);
  QTreeWidgetItem* buys = Root("<<BASE BUYS>>");
  ASSERT_GE(buys->childCount(), 17);
  EXPECT_TRUE(w->tvInfBaseGood->SelectedNodes().contains(static_cast<TWsTreeNode*>(buys)));
  ClickNode(buys->child(0)->child(0));
  EXPECT_EQ(CardLines()[3].left(16), "Units/Container:");

  const int base = TradingBase(*w->Data());
  const TSvData& d = *w->Data();
  ClickBase(base);
  const QStringList card = CardLines();
  ASSERT_EQ(card.size(), 7);
  EXPECT_EQ(card[0], ToQString(d.aBase[std::size_t(base)].name.str()));

  QTreeWidgetItem* sells = Root("<<BASE SELLS>>");
  ASSERT_GE(sells->childCount(), 17);
  EXPECT_EQ(sells->child(0)->childCount(), SoldCount(d, base));
  EXPECT_EQ(*TagOf(sells->child(0)), (IndexTag{0, 4}));
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
}  // namespace qmz::test
