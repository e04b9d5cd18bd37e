// The selection pages of the main window on a generated installation: places and goods chosen with the
// real buttons, keys and double-clicks, the "Anywhere" and "::Any::" rules, the trade/loot switch, the
// commodity trees and the hint line.

#include <QTest>

#include "MainWindowFixture.h"
#include "app/uFormMain_InformationPage.h"
#include "app/uFormMain_Selection.h"
#include "util/MouseMove.h"

using namespace qmz;
using namespace qmz::test;

namespace {

std::vector<IndexTag> Tag(std::uint32_t index, std::uint8_t kind) { return {IndexTag{index, kind}}; }

class SelectionTest : public StartedWindowTest {
 protected:
  static QListWidgetItem* ItemWithTag(QListWidget* list, IndexTag tag) {
    for (int i = 0; i < list->count(); ++i)
      if (TagOf(list->item(i)) == tag) return list->item(i);
    return nullptr;
  }
  static void Select(QListWidget* list, std::initializer_list<IndexTag> tags) {
    list->clearSelection();
    for (IndexTag t : tags) {
      QListWidgetItem* item = ItemWithTag(list, t);
      ASSERT_NE(item, nullptr);
      item->setSelected(true);
    }
  }
  static std::vector<IndexTag> Tags(QListWidget* list) {
    std::vector<IndexTag> r;
    for (int i = 0; i < list->count(); ++i) r.push_back(*TagOf(list->item(i)));
    return r;
  }
  static TWsTreeNode* Root(MainTreeView* tree, const QString& text) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
      if (tree->topLevelItem(i)->text(0) == text) return static_cast<TWsTreeNode*>(tree->topLevelItem(i));
    return nullptr;
  }
  void SelectNodes(std::initializer_list<TWsTreeNode*> nodes) {
    w->tvCommoAll->ClearSelection();
    for (TWsTreeNode* n : nodes) w->tvCommoAll->SelectItem(n, false);
  }
  void ClickAddFrom() { QTest::mouseClick(w->btAddFrom, Qt::LeftButton); }
};

TEST_F(SelectionTest, AnywhereStandsAloneAndAsksBeforeClearing) {
  const IndexTag anywhere{0, 4}, base3{3, 1};
  // Empty list: no question.
  QTest::mouseClick(w->btFromAny, Qt::LeftButton);
  Select(w->lbFromAny, {anywhere});
  ClickAddFrom();
  EXPECT_TRUE(dialogs.confirms.empty());
  ASSERT_EQ(w->lbOrigin->count(), 1);
  EXPECT_EQ(w->lbOrigin->item(0)->text(), "Anywhere");
  EXPECT_TRUE(w->btCalculate->isEnabled());
  // A base goes beside "Anywhere".
  QTest::mouseClick(w->btFromBase, Qt::LeftButton);
  Select(w->lbFromBase, {base3});
  ClickAddFrom();
  EXPECT_EQ(w->lbOrigin->count(), 2);
  // "Anywhere" again: the question; No keeps the list, Yes leaves "Anywhere" alone.
  QTest::mouseClick(w->btFromAny, Qt::LeftButton);
  ClickAddFrom();
  ASSERT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_NE(dialogs.confirms[0].find("You selected ANYWHERE and wished to add it to the list\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(w->lbOrigin->count(), 2);
  dialogs.answers = {true};
  ClickAddFrom();
  EXPECT_EQ(Tags(w->lbOrigin), std::vector<IndexTag>(1, anywhere));
}

TEST_F(SelectionTest, PlacesAddedOnceInListOrderWithPrefixAndKindKept) {
  // Nothing selected: nothing added, Calculate stays off.
  w->SetCalculateEnabled(false);
  w->lbFromBase->clearSelection();
  ClickAddFrom();
  EXPECT_EQ(w->lbOrigin->count(), 0);
  EXPECT_FALSE(w->btCalculate->isEnabled());
  // Bases 5 and 2 and system 5: the system has its prefix, and base 5 does not hide system 5.
  Select(w->lbFromBase, {{5, 1}, {2, 1}});
  ClickAddFrom();
  QTest::mouseClick(w->btFromSystem, Qt::LeftButton);
  Select(w->lbFromSystem, {{5, 2}});
  ClickAddFrom();
  ClickAddFrom();  // a second add of the same selection adds nothing
  ASSERT_EQ(w->lbOrigin->count(), 3);
  EXPECT_NE(ItemWithTag(w->lbOrigin, {5, 1}), nullptr);
  QListWidgetItem* system = ItemWithTag(w->lbOrigin, {5, 2});
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(system->text(), "[System] " + QString::fromStdString(w->Data()->aSystem[5].name.str()));
  EXPECT_EQ(ItemWithTag(w->lbOrigin, {5, 1})->text(), QString::fromStdString(w->Data()->aBase[5].name.str()));

  // Delete and clear on the chosen list; each turns Calculate on again.
  w->SetCalculateEnabled(false);
  Select(w->lbOrigin, {{5, 2}});
  QTest::mouseClick(w->btDelFrom, Qt::LeftButton);
  EXPECT_EQ(w->lbOrigin->count(), 2);
  EXPECT_TRUE(w->btCalculate->isEnabled());
  w->SetCalculateEnabled(false);
  QTest::mouseClick(w->btClearFrom, Qt::LeftButton);
  EXPECT_EQ(w->lbOrigin->count(), 0);
  EXPECT_TRUE(w->btCalculate->isEnabled());
}

TEST_F(SelectionTest, EnterAndDoubleClickAdd) {
  // Enter in the information page's base list adds the destination page's selection.
  Select(w->lbDestBase, {{7, 1}});
  QTest::keyClick(w->lbInfBase, Qt::Key_Return);
  EXPECT_EQ(Tags(w->lbDestination), Tag(7, 1));
  // Enter in an origin source list adds to the origins; a double-click on a chosen entry deletes it.
  Select(w->lbFromBase, {{4, 1}});
  QTest::keyClick(w->lbFromBase, Qt::Key_Enter);
  EXPECT_EQ(Tags(w->lbOrigin), Tag(4, 1));
  Select(w->lbOrigin, {{4, 1}});
  QTest::mouseDClick(w->lbOrigin->viewport(), Qt::LeftButton);
  EXPECT_EQ(w->lbOrigin->count(), 0);
  // Enter in the information page's goods tree adds the commodity tree's selection ("::Any::" after start-up).
  QTest::keyClick(w->tvInfCommos, Qt::Key_Return);
  EXPECT_EQ(Tags(w->lbCommo), Tag(0, 4));
}

TEST_F(SelectionTest, CommodityTreesHoldAnyAllAndCategories) {
  for (MainTreeView* tree : {w->tvCommoAll, w->tvInfCommos}) {
    ASSERT_GE(tree->topLevelItemCount(), 18);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "::Any::");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "{All Commodities}");
    EXPECT_EQ(ETypeOfNode(tree->topLevelItem(3)), 2);
    ASSERT_EQ(tree->GetSelectedCount(), 1);
    EXPECT_EQ(tree->GetSelectedItem(0), tree->topLevelItem(0));
    EXPECT_EQ(TagOf(tree->topLevelItem(1)->child(0))->Kind, 5);
  }
}

TEST_F(SelectionTest, AddingFromTheTreeFollowsTheAnyRules) {
  TWsTreeNode* any = Root(w->tvCommoAll, "::Any::");
  TWsTreeNode* all = Root(w->tvCommoAll, "{All Commodities}");
  TWsTreeNode* commodity = Root(w->tvCommoAll, "{Commodity}");
  ASSERT_TRUE(any && all && commodity);
  ASSERT_GT(commodity->childCount(), 0);

  // "{All Commodities}" adds every good as its own entry, not the any-commodity entry.
  SelectNodes({all});
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(w->lbCommo->count(), all->childCount());
  EXPECT_EQ(ItemWithTag(w->lbCommo, {0, 4}), nullptr);

  // Goods first and "::Any::" last: the question; Yes leaves "::Any::" alone.
  QTest::mouseClick(w->btClear, Qt::LeftButton);
  SelectNodes({static_cast<TWsTreeNode*>(commodity->child(0)), any});
  dialogs.answers = {true};
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_EQ(Tags(w->lbCommo), Tag(0, 4));

  // "::Any::" first, then goods: the goods stay beside it. A category adds the goods of its type.
  QTest::mouseClick(w->btClear, Qt::LeftButton);
  SelectNodes({any, commodity});
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(w->lbCommo->count(), 1 + commodity->childCount());
  for (int i = 0; i < commodity->childCount(); ++i) {
    const IndexTag good = *TagOf(commodity->child(i));
    EXPECT_EQ(w->Data()->aGood[good.Index].etype, 1);
    EXPECT_NE(ItemWithTag(w->lbCommo, good), nullptr);
  }
}

TEST_F(SelectionTest, TreeSelectedWithTheMouseAndShiftClickRebuilds) {
  w->tbRoutes->SetSelectedTab(w->tbRoutes->Tabs()[2]);
  QApplication::processEvents();
  ASSERT_TRUE(w->tvCommoAll->isVisible());
  TWsTreeNode* all = Root(w->tvCommoAll, "{All Commodities}");
  w->tvCommoAll->expandItem(all);
  TWsTreeNode* good = static_cast<TWsTreeNode*>(all->child(0));
  QTest::mouseClick(w->tvCommoAll->viewport(), Qt::LeftButton, {}, w->tvCommoAll->visualItemRect(good).center());
  ASSERT_EQ(w->tvCommoAll->GetSelectedCount(), 1);
  QTest::mouseDClick(w->tvCommoAll->viewport(), Qt::LeftButton, {}, w->tvCommoAll->visualItemRect(good).center());
  EXPECT_EQ(Tags(w->lbCommo), std::vector<IndexTag>(1, *TagOf(good)));

  // A plain press on the page does nothing; with Shift it rebuilds both trees, "::Any::" selected again,
  // and the chosen goods stay.
  QTest::mouseClick(w->pageCommodity, Qt::LeftButton, {}, QPoint(1, 1));
  EXPECT_NE(w->tvCommoAll->GetSelectedItem(0), w->tvCommoAll->topLevelItem(0));
  QTest::mouseClick(w->pageCommodity, Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 1));
  EXPECT_EQ(w->tvCommoAll->GetSelectedItem(0), w->tvCommoAll->topLevelItem(0));
  EXPECT_EQ(w->lbCommo->count(), 1);
}

TEST_F(SelectionTest, LootModeLocksTheOriginTab) {
  TWsTabBarItem* origin = w->tbRoutes->Tabs()[0];
  TWsTabBarItem* destination = w->tbRoutes->Tabs()[1];
  w->SetCalculateEnabled(false);
  QTest::mouseClick(w->btFuncLoot, Qt::LeftButton);
  EXPECT_TRUE(w->btCalculate->isEnabled());
  EXPECT_EQ(w->tbRoutes->SelectedTab(), destination);
  EXPECT_FALSE(origin->Enabled());
  w->tbRoutes->SetSelectedTab(origin);
  EXPECT_EQ(w->tbRoutes->SelectedTab(), destination);
  QTest::mouseClick(w->btFuncTrade, Qt::LeftButton);
  EXPECT_TRUE(origin->Enabled());
  EXPECT_EQ(w->tbRoutes->SelectedTab(), destination);
}

TEST_F(SelectionTest, HintLineShowsTheHintOfTheControlUnderTheMouse) {
  MoveMouse(w->btFuncLoot, {2, 2});
  EXPECT_EQ(w->reInfo->toPlainText(),
            "If you have got a special commodity and whant to know where to sell it best.. thats your point");
  MoveMouse(w->btCalculate, {2, 2});
  EXPECT_EQ(w->reInfo->toPlainText(), "");
}

}  // namespace
