// The selection pages' sorted lists and the hidden location box.

#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "MainWindowFixture.h"
#include "app/ModelAdapter.h"
#include "app/uFormMain_InformationPage.h"
#include "util/SvModelTestAccess.h"

namespace qmz::test {

namespace {

QStringList Texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

class SelectionListsTest : public StartedWindowTest {
 protected:
  // The window on screen with the page of this tab, chosen with the mouse.
  void ShowTab(const char* caption) {
    if (!w->isVisible()) {
      w->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    for (int i = 0; i < w->tbRoutes->Tabs().Count(); ++i)
      if (w->tbRoutes->Tabs()[i]->Caption() == QLatin1String(caption))
        QTest::mouseClick(w->tbRoutes, Qt::LeftButton, {}, w->tbRoutes->Tabs()[i]->GetDisplayRect().center());
    ASSERT_EQ(w->tbRoutes->SelectedTab()->Caption(), QLatin1String(caption));
  }
  static QPoint At(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    return list->visualItemRect(list->item(row)).center();
  }
  static QPoint At(MainTreeView* tree, QTreeWidgetItem* node) {
    for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->scrollToItem(node);
    return tree->ItemRect(static_cast<TWsTreeNode*>(node)).center();  // on the label, where a click takes it
  }
  static void Click(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, At(list, row));
  }
  static void DoubleClick(QListWidget* list, int row) {
    Click(list, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, At(list, row));
  }
};

// The source lists sort ignoring letter case, as the chosen lists do: a name with a small first letter
// stands among the others, not after every capital.
TEST_F(SelectionListsTest, SourceListsSortIgnoringCase) {
  for (QListWidget* list : {w->lbFromBase, w->lbFromSystem, w->lbDestBase, w->lbDestSystem, w->lbInfBase}) {
    SCOPED_TRACE(list->objectName().toStdString());
    // As the start-up fills them: in case-insensitive order.
    const QStringList filled = Texts(list);
    ASSERT_FALSE(filled.isEmpty());
    QStringList sorted = filled;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(filled, sorted);
    TStringList names(true);
    for (const char* name : {"zeta Yard", "Harbour", "ice Port", "Jade Dock", "anchor Point"})
      names.AddObject(name, new TIndex(std::uint32_t(names.Count() + 1), 0));
    FillListFromModel(list, names, 1);
    EXPECT_EQ(Texts(list), (QStringList{"anchor Point", "Harbour", "ice Port", "Jade Dock", "zeta Yard"}));
  }
  // Chosen entries keep that order too.
  w->lbFromBase->item(2)->setSelected(true);
  w->lbFromBase->item(1)->setSelected(true);
  QTest::mouseClick(w->btAddFrom, Qt::LeftButton);
  EXPECT_EQ(Texts(w->lbOrigin), (QStringList{"Harbour", "ice Port"}));
}

// The location box of earlier versions stays hidden; its buttons enable Calculate and change nothing else.
TEST_F(SelectionListsTest, HiddenLocationBoxButtonsOnlyEnableCalculate) {
  ASSERT_TRUE(w->LocationBox != nullptr);
  EXPECT_TRUE(w->LocationBox->isHidden());
  EXPECT_EQ(w->findChild<QRadioButton*>(QStringLiteral("rbAny")), w->rbAny);
  EXPECT_EQ(w->findChild<QRadioButton*>(QStringLiteral("rbCommodity")), w->rbCommodity);
  const TWsTabBarItem* tab = w->tbRoutes->SelectedTab();
  // Shown for the test only, so the mouse can reach the buttons.
  w->LocationBox->show();
  for (QRadioButton* button : {w->rbCommodity, w->rbAny}) {
    SCOPED_TRACE(button->objectName().toStdString());
    w->SetCalculateEnabled(false);
    const bool reshow = w->btShowRoutes->isEnabled();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(w->btCalculate->isEnabled());
    EXPECT_EQ(w->btShowRoutes->isEnabled(), reshow);
    EXPECT_EQ(w->tbRoutes->SelectedTab(), tab);
    EXPECT_EQ(w->lbOrigin->count() + w->lbDestination->count(), 0);
  }
}

// Every chosen list empties as the Part of its page says: a double-click on an entry, the delete button on
// the selection, the clear button; each turns Calculate on. A double-click or Enter in a source list adds.
TEST_F(SelectionListsTest, DoubleClicksEnterAndButtonsFillAndEmptyTheChosenLists) {
  struct Page {
    const char* tab;
    QToolButton* systemButton;
    QListWidget *systems, *chosen;
    QPushButton *del, *clear;
  };
  const Page pages[] = {
      {"From Origin", w->btFromSystem, w->lbFromSystem, w->lbOrigin, w->btDelFrom, w->btClearFrom},
      {"to Destination", w->btDestSystem, w->lbDestSystem, w->lbDestination, w->btDelTo, w->btClearDest},
  };
  for (const Page& p : pages) {
    SCOPED_TRACE(p.tab);
    ShowTab(p.tab);
    QTest::mouseClick(p.systemButton, Qt::LeftButton);
    ASSERT_GE(p.systems->count(), 3);
    w->SetCalculateEnabled(false);
    DoubleClick(p.systems, 0);
    ASSERT_EQ(Texts(p.chosen), QStringList{"[System] " + p.systems->item(0)->text()});
    EXPECT_TRUE(w->btCalculate->isEnabled());
    for (int row : {1, 2}) {
      Click(p.systems, row);
      QTest::keyClick(p.systems, Qt::Key_Return);
    }
    ASSERT_EQ(p.chosen->count(), 3);
    // Delete button, double-click, clear button.
    w->SetCalculateEnabled(false);
    Click(p.chosen, 1);
    QTest::mouseClick(p.del, Qt::LeftButton);
    EXPECT_EQ(Texts(p.chosen),
              (QStringList{"[System] " + p.systems->item(0)->text(), "[System] " + p.systems->item(2)->text()}));
    EXPECT_TRUE(w->btCalculate->isEnabled());
    w->SetCalculateEnabled(false);
    DoubleClick(p.chosen, 0);
    EXPECT_EQ(Texts(p.chosen), QStringList{"[System] " + p.systems->item(2)->text()});
    EXPECT_TRUE(w->btCalculate->isEnabled());
    w->SetCalculateEnabled(false);
    QTest::mouseClick(p.clear, Qt::LeftButton);
    EXPECT_EQ(p.chosen->count(), 0);
    EXPECT_TRUE(w->btCalculate->isEnabled());
  }

  // The goods: Enter in the commodity tree adds its selection ("::Any::" after start-up, then a good beside
  // it); Enter in the information page's good tree adds the commodity tree's selection too.
  ShowTab("Commodity");
  MainTreeView* tree = w->tvCommoAll;
  w->tvCommoAll->setFocus();
  QTest::keyClick(tree, Qt::Key_Return);
  ASSERT_EQ(Texts(w->lbCommo), QStringList{"::Any::"});
  QTreeWidgetItem* good = tree->topLevelItem(1)->child(0);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, At(tree, good));
  QTest::keyClick(tree, Qt::Key_Escape);  // not Enter: nothing added
  EXPECT_EQ(w->lbCommo->count(), 1);
  QTest::keyClick(tree, Qt::Key_Enter);
  ASSERT_EQ(w->lbCommo->count(), 2);
  EXPECT_TRUE(w->lbCommo->findItems(good->text(0), Qt::MatchExactly).size() == 1);
  w->SetCalculateEnabled(false);
  Click(w->lbCommo, w->lbCommo->row(w->lbCommo->findItems(good->text(0), Qt::MatchExactly).first()));
  QTest::mouseClick(w->btDelCommo, Qt::LeftButton);
  EXPECT_EQ(Texts(w->lbCommo), QStringList{"::Any::"});
  EXPECT_TRUE(w->btCalculate->isEnabled());
  w->SetCalculateEnabled(false);
  DoubleClick(w->lbCommo, 0);
  EXPECT_EQ(w->lbCommo->count(), 0);
  EXPECT_TRUE(w->btCalculate->isEnabled());
  ShowTab("Information");
  QTest::keyClick(w->tvInfBaseGood, Qt::Key_Return);
  EXPECT_EQ(Texts(w->lbCommo), QStringList{good->text(0)});
}

// A double-click adds or deletes with the left button only, as the lists' own double-click does: one of the
// right or middle button changes no chosen list.
TEST_F(SelectionListsTest, OnlyALeftDoubleClickAddsOrDeletes) {
  const auto otherDClicks = [](QWidget* viewport, QPoint at) {
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
      QTest::mouseDClick(viewport, button, {}, at);
      QTest::mouseRelease(viewport, button, {}, at);  // QTest leaves it held
    }
  };
  ShowTab("From Origin");
  Click(w->lbFromBase, 0);
  otherDClicks(w->lbFromBase->viewport(), At(w->lbFromBase, 0));
  EXPECT_EQ(w->lbOrigin->count(), 0);
  DoubleClick(w->lbFromBase, 0);
  ASSERT_EQ(w->lbOrigin->count(), 1);
  Click(w->lbOrigin, 0);
  otherDClicks(w->lbOrigin->viewport(), At(w->lbOrigin, 0));
  EXPECT_EQ(w->lbOrigin->count(), 1);

  ShowTab("Commodity");
  QTreeWidgetItem* any = w->tvCommoAll->topLevelItem(0);
  otherDClicks(w->tvCommoAll->viewport(), At(w->tvCommoAll, any));
  EXPECT_EQ(w->lbCommo->count(), 0);
  QTest::mouseDClick(w->tvCommoAll->viewport(), Qt::LeftButton, {}, At(w->tvCommoAll, any));
  QTest::mouseRelease(w->tvCommoAll->viewport(), Qt::LeftButton, {}, At(w->tvCommoAll, any));
  EXPECT_EQ(Texts(w->lbCommo), QStringList{"::Any::"});
}

// Text pixels of a row: darker than the tree's base colour.
int Ink(MainTreeView* tree, const QImage& image, QTreeWidgetItem* node) {
  const QRect r = tree->visualItemRect(node).intersected(image.rect());
  const int base = qGray(tree->palette().color(QPalette::Base).rgb());
  int count = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) count += qGray(image.pixel(x, y)) < base - 96;
  return count;
}

// Pixels of the good trees, rows of the same text on each level: the commodity tree draws a root bold and a
// node below it regular; the information page's tree a root bold, underlined and larger, a level-1 node
// bold and a deeper one regular.
TEST_F(SelectionListsTest, GoodTreesDrawTheirLevelsInTheirFonts) {
  // The commodity tree's handler as the tree calls it: the font only, the default drawing goes on.
  QTreeWidgetItem* category = w->tvCommoAll->topLevelItem(2);  // not selected
  ASSERT_GT(category->childCount(), 0);
  for (auto [node, bold] : {std::pair{category, true}, std::pair{category->child(0), false}}) {
    QStyleOptionViewItem option;
    option.font.setBold(!bold);
    bool defaultDraw = true;
    w->tvCommoAllCustomDrawItem(w->tvCommoAll, static_cast<TWsTreeNode*>(node), nullptr, option, defaultDraw);
    EXPECT_EQ(option.font.bold(), bold);
    EXPECT_TRUE(defaultDraw);
  }
  QTreeWidgetItem* bought = w->tvInfBaseGood->topLevelItem(1)->child(0);  // "{All Commodities}" of BASE BUYS
  ASSERT_GT(bought->childCount(), 0);
  struct Case {
    const char* tab;
    MainTreeView* tree;
    std::vector<QTreeWidgetItem*> nodes;  // from the most ink to the least
  };
  const Case cases[] = {
      {"Commodity", w->tvCommoAll, {category, category->child(0)}},
      {"Information", w->tvInfBaseGood, {w->tvInfBaseGood->topLevelItem(0), bought, bought->child(0)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tab);
    ShowTab(c.tab);
    for (QTreeWidgetItem* node : c.nodes) {
      node->setText(0, QStringLiteral("{Refined Ore}"));
      for (QTreeWidgetItem* p = node->parent(); p; p = p->parent()) p->setExpanded(true);
    }
    c.tree->scrollToTop();
    const QImage image = c.tree->viewport()->grab().toImage();
    for (std::size_t i = 0; i + 1 < c.nodes.size(); ++i) {
      const int more = Ink(c.tree, image, c.nodes[i]), less = Ink(c.tree, image, c.nodes[i + 1]);
      EXPECT_GT(less, 0) << i;
      EXPECT_GT(more, less + less / 8) << "level " << i << ": " << more << ", level " << i + 1 << ": " << less;
    }
  }
}

// A good of type "Unknown" is a root of its own after the categories and adds nothing, having no children; a
// good of type "Any" stands twice under "{All Commodities}". A Shift+click on the page rebuilds the trees.
TEST_F(SelectionListsTest, GoodsOfTypeUnknownAndAnyInTheCommodityTree) {
  SvModelTestAccess m(*w->Data());
  m.aGood[1].etype = 0;
  m.aGood[2].etype = 17;
  ShowTab("Commodity");
  QTest::mouseClick(w->pageCommodity, Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 1));
  for (MainTreeView* tree : {w->tvCommoAll, w->tvInfCommos}) {
    SCOPED_TRACE(tree->objectName().toStdString());
    ASSERT_EQ(tree->topLevelItemCount(), 19);
    QTreeWidgetItem* unknown = tree->topLevelItem(18);
    EXPECT_EQ(unknown->text(0).toStdString(), w->Data()->aGood[1].name.str());
    EXPECT_EQ(unknown->childCount(), 0);
    int anyGood = 0;
    QTreeWidgetItem* all = tree->topLevelItem(1);
    for (int i = 0; i < all->childCount(); ++i) anyGood += TagOf(all->child(i))->Index == 2;
    EXPECT_EQ(anyGood, 2);
  }
  w->tvCommoAll->ClearSelection();
  QTest::mouseClick(w->tvCommoAll->viewport(), Qt::LeftButton, {}, At(w->tvCommoAll, w->tvCommoAll->topLevelItem(18)));
  ASSERT_EQ(w->tvCommoAll->GetSelectedCount(), 1);
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(w->lbCommo->count(), 0);
}

}  // namespace

}  // namespace qmz::test
