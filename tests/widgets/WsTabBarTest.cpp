#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QMimeData>
#include <QtTest/QTest>
#include <utility>
#include <string>
#include <vector>

#include "util/MouseMove.h"
#include "widgets/WsTabBarFixture.h"
#include "widgets/WsPageListFixture.h"
#include "widgets/WsPageList.h"
#include "widgets/WsTabBar.h"

namespace qmz {
namespace {

using test::BarFixture;

TEST(WsTabBarTest, SelectionWithAndWithoutUnselectedAndNoneWhenEveryTabIsDisabled) {
  for (bool allowUnselected : {false, true}) {
    BarFixture f(3);
    f.bar.SetAllowUnselected(allowUnselected);
    EXPECT_EQ(f.bar.SelectedTab(), f.Tab(0)) << "adding tabs selects the first one";
    f.Click(f.Centre(1));
    EXPECT_TRUE(f.Tab(1)->Selected());
    f.Tab(1)->SetSelected(false);
    EXPECT_TRUE(f.Tab(1)->Selected()) << "False does not unselect";
    f.Tab(1)->SetEnabled(false);
    EXPECT_EQ(f.bar.SelectedTab(), allowUnselected ? nullptr : f.Tab(2)) << allowUnselected;
    f.Click(f.Centre(1));
    EXPECT_NE(f.bar.SelectedTab(), f.Tab(1)) << "a disabled tab is not selected";
  }
  BarFixture f(0);
  for (int i = 0; i < 3; ++i) f.bar.Tabs().Add(QString("Off %1").arg(i))->SetEnabled(false);
  f.bar.Loaded();
  EXPECT_EQ(f.bar.SelectedTab(), nullptr);
  f.Click(f.Centre(1));
  EXPECT_EQ(f.bar.SelectedTab(), nullptr);
}

TEST(WsTabBarTest, SelectingVetoKeepsTheSelectionFiresNothingAndLeavesNoDanglingSelection) {
  BarFixture f(3);
  f.LogEvents();
  f.bar.OnTabSelecting = [](TWsCustomTabBar*, TWsTabBarItem* item, bool& allow) { allow = item->Index() != 2; };
  f.Click(f.Centre(2));
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(0));
  f.Click(f.Centre(1));
  EXPECT_EQ(f.log, std::vector<std::string>{"selected Tab 1"});
  // Deleting the selected tab under a veto.
  f.bar.OnTabSelecting = [](TWsCustomTabBar*, TWsTabBarItem*, bool& allow) { allow = false; };
  delete f.Tab(1);
  EXPECT_EQ(f.bar.SelectedTab(), nullptr);
  EXPECT_EQ(f.bar.Tabs().Count(), 2);
  f.bar.grab();  // paints every tab; ASan reports any freed one
  f.Click(f.Centre(1));
  EXPECT_EQ(f.bar.SelectedTab(), nullptr);
}

using test::PageListFixture;

TEST(WsTabBarTest, PageListFollowsTheSelectedTab) {
  BarFixture f(4);
  PageListFixture p(4);
  f.bar.SetAllowUnselected(true);
  f.bar.SetSelectedTab(nullptr);
  p.list->SetActivePageIndex(2);
  f.bar.SetPageList(p.list);
  EXPECT_EQ(p.list->ActivePageIndex(), 0) << "no selected tab: page 0";
  f.Click(f.Centre(3));
  EXPECT_EQ(p.list->ActivePageIndex(), 3);
  EXPECT_EQ(p.VisiblePages(), std::vector<int>{3});
  f.bar.SetSelectedTab(nullptr);
  EXPECT_EQ(p.list->ActivePageIndex(), 3) << "index -1 is ignored by the page list";

  QWidget notAPageList;
  f.bar.SetPageList(&notAPageList);
  EXPECT_EQ(f.bar.PageList(), p.list);
  delete p.list;
  EXPECT_EQ(f.bar.PageList(), nullptr) << "a freed page list leaves the bar";
  f.Click(f.Centre(1));  // ASan reports a call to the freed list
}

TEST(WsTabBarTest, LinkCopiesTabChangesToThePageList) {
  BarFixture f(2);
  PageListFixture p(2);
  f.bar.SetPageList(p.list);
  f.bar.SetPageListTabLink(true);
  f.bar.Tabs().Add("Tab 2");
  ASSERT_EQ(p.list->GetPageCount(), 3);
  f.Tab(2)->SetCaption("Renamed");
  EXPECT_EQ(p.list->GetPageCaption(2), "Renamed");
  f.Tab(2)->SetIndex(0);
  EXPECT_EQ(p.list->GetPageCaption(0), "Renamed");
  f.bar.Tabs().Delete(0);
  EXPECT_EQ(p.list->GetPageCount(), 2);
  EXPECT_EQ(p.list->GetPageCaption(0), "Page 0");
}

TEST(WsTabBarTest, MovedTabShowsThePageAtItsNewIndexWithoutTheLink) {
  BarFixture f(3);
  PageListFixture p(3);
  f.bar.SetAllowTabMoving(true);
  f.bar.SetPageList(p.list);
  f.Tab(2)->SetIndex(0);  // "Tab 2" now first; the pages stay where they are
  f.Click(f.Centre(0));
  EXPECT_EQ(p.list->ActivePage()->Caption(), "Page 0");
  f.Click(f.Centre(1));
  EXPECT_EQ(p.list->ActivePage()->Caption(), "Page 1");
  EXPECT_EQ(p.list->GetPageCaption(0), "Page 0") << "without the link the pages are not touched";
}

TEST(WsTabBarTest, RefusedCloseSelectBeforeCloseAndATabFreedByItsClosedHandler) {
  BarFixture f(3);
  f.bar.OnTabClosing = [](TWsCustomTabBar*, TWsTabBarItem*, bool& allow) { allow = false; };
  f.Press(f.CloseCentre(0));
  EXPECT_EQ(f.bar.ClosingTab(), nullptr) << "a refused close draws nothing pressed";
  f.Release(f.CloseCentre(0));
  EXPECT_EQ(f.bar.Tabs().Count(), 3);

  f.bar.OnTabClosing = nullptr;
  f.bar.SetSelectBeforeClose(true);
  f.bar.OnTabClosed = [](TWsCustomTabBar*, TWsTabBarItem* item) { delete item; };
  f.Click(f.CloseCentre(1));
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(1)) << "the first click only selects";
  EXPECT_EQ(f.bar.Tabs().Count(), 3);
  f.Click(f.CloseCentre(1));
  EXPECT_EQ(f.bar.Tabs().Count(), 2);  // ASan reports a second free
}

TEST(WsTabBarTest, DraggingTheSelectedTabMovesIt) {
  BarFixture f(3);
  f.LogEvents();
  f.bar.SetCloseButton(false);
  f.bar.SetAllowTabMoving(true);
  f.Click(f.Centre(2));
  f.Press(f.Centre(2));
  f.DragTo(f.Centre(2) + QPoint(0, -1));
  f.DragTo(f.Centre(0));
  EXPECT_EQ(f.bar.MoveMarkTab(), f.Tab(0));
  f.Release(f.Centre(0));
  EXPECT_EQ(f.bar.MoveMarkTab(), nullptr);
  EXPECT_EQ(f.Tab(0)->Caption(), "Tab 2");
  EXPECT_EQ(f.Tab(1)->Caption(), "Tab 0");
  EXPECT_EQ(f.log.back(), "moved Tab 2");

  // Dropping on itself or outside every tab changes nothing.
  for (QPoint target : {f.Centre(0) + QPoint(2, 0), QPoint(595, 10)}) {
    f.Press(f.Centre(0));
    f.DragTo(f.Centre(0) + QPoint(10, 0));
    f.DragTo(target);
    EXPECT_EQ(f.bar.MoveMarkTab(), nullptr);
    f.Release(target);
    EXPECT_EQ(f.Tab(0)->Caption(), "Tab 2");
  }
  // Taken on itself because OnDragOver accepts: still a move, to where the tab already is.
  f.bar.OnDragOver = [](TWsCustomTabBar*, QObject*, int, int, bool& accept) { accept = true; };
  f.Press(f.Centre(0));
  f.DragTo(f.Centre(0) + QPoint(10, 0));
  f.Release(f.Centre(0) + QPoint(10, 0));
  EXPECT_EQ(f.Tab(0)->Caption(), "Tab 2");
  EXPECT_EQ(f.log.back(), "moved Tab 2");
  EXPECT_EQ(f.log.size(), 3u);
}

// The bar takes no focus, yet Escape ends a drag inside it; off the bar the drag is the toolkit's, which
// cancels it when no control takes the tab (as here: this platform has no real drag and drop).
TEST(WsTabBarTest, EscapeOrLeavingTheBarForNoTakerEndsADrag) {
  QWidget form;
  auto* edit = new QLineEdit(&form);
  edit->move(0, 30);
  auto* bar = new TWsTabBar(&form);
  bar->setGeometry(0, 0, 600, 23);
  for (int i = 0; i < 3; ++i) bar->Tabs().Add(QString("Tab %1").arg(i));
  bar->SetAllowTabMoving(true);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  edit->setFocus();
  const QPoint from = bar->Tabs()[2]->GetDisplayRect().center(), to = bar->Tabs()[0]->GetDisplayRect().center();
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, from);
  for (bool escape : {true, false}) {
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, from);
    test::MoveMouse(bar, from + QPoint(0, -1), Qt::LeftButton);
    test::MoveMouse(bar, to, Qt::LeftButton);
    ASSERT_EQ(bar->MoveMarkTab(), bar->Tabs()[0]);
    EXPECT_TRUE(DragOperationUnderway()) << "other controls can tell";
    QTest::keyClick(form.windowHandle(), Qt::Key_Left);
    ASSERT_EQ(bar->MoveMarkTab(), bar->Tabs()[0]) << "only Escape ends it";
    if (escape) QTest::keyClick(form.windowHandle(), Qt::Key_Escape);
    else test::MoveMouse(bar, QPoint(to.x(), 40), Qt::LeftButton);
    EXPECT_EQ(bar->MoveMarkTab(), nullptr) << escape;
    EXPECT_FALSE(DragOperationUnderway()) << escape;
    test::MoveMouse(bar, to + QPoint(1, 0), Qt::LeftButton);
    EXPECT_EQ(bar->MoveMarkTab(), nullptr) << escape;
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(bar->Tabs()[0]->Caption(), "Tab 0") << "an ended drag moves nothing";
  }
  EXPECT_TRUE(edit->hasFocus());
}

// A drag from elsewhere, handed over as the toolkit hands it (its application object passes on no drag
// events of a test's making), goes to OnDragOver, which alone decides, and to OnDragDrop.
TEST(WsTabBarTest, DragsFromElsewhereGoToTheDragEvents) {
  BarFixture f(3);
  QMimeData data;
  auto over = [&](QPoint at, bool entering = false) {
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent& event = entering ? enter : move;
    static_cast<QObject&>(f.bar).event(&event);
    return event.isAccepted();
  };
  EXPECT_FALSE(over(f.Centre(1))) << "nobody takes it";
  std::vector<std::string> seen;
  f.bar.OnDragOver = [&](TWsCustomTabBar*, QObject* source, int x, int, bool& accept) {
    seen.push_back("over " + std::to_string(x) + (source ? " from a control" : ""));
    accept = x < 100;
  };
  f.bar.OnDragDrop = [&](TWsCustomTabBar*, QObject*, int x, int) { seen.push_back("drop " + std::to_string(x)); };
  EXPECT_TRUE(over(QPoint(50, 10), true));
  EXPECT_FALSE(over(QPoint(150, 10)));
  EXPECT_EQ(f.bar.MoveMarkTab(), nullptr) << "only the bar's own tab shows the marker";
  QDropEvent drop(QPointF(50, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject&>(f.bar).event(&drop);
  EXPECT_EQ(seen, (std::vector<std::string>{"over 50", "over 150", "drop 50"}));
  EXPECT_EQ(f.Tab(0)->Caption(), "Tab 0");

  // A drag leaving the bar takes a shown marker away.
  f.bar.OnDragOver = nullptr;
  f.bar.SetAllowTabMoving(true);
  f.Click(f.Centre(2));
  f.Press(f.Centre(2));
  f.DragTo(f.Centre(2) + QPoint(0, -1));
  f.DragTo(f.Centre(0));
  ASSERT_EQ(f.bar.MoveMarkTab(), f.Tab(0));
  QDragLeaveEvent leave;
  static_cast<QObject&>(f.bar).event(&leave);
  EXPECT_EQ(f.bar.MoveMarkTab(), nullptr);
  f.Release(f.Centre(0));
}

TEST(WsTabBarTest, ScrollButtonsAppearWhenTheTabsDoNotFit) {
  BarFixture f(12, 200);
  f.bar.UpdateScrollButtons();
  ASSERT_EQ(f.bar.ScrollButtonStateOf(0), ScrollButtonState::Disabled);
  ASSERT_EQ(f.bar.ScrollButtonStateOf(1), ScrollButtonState::Normal);
  EXPECT_EQ(f.bar.TabAt(f.bar.BarLimit() + 1, 15), nullptr);

  const QPoint right = f.bar.ScrollButtonRect(1).center();
  test::MoveMouse(&f.bar, right);
  EXPECT_EQ(f.bar.ScrollButtonStateOf(1), ScrollButtonState::Hot);
  test::MoveMouse(&f.bar, QPoint(20, 10));
  EXPECT_EQ(f.bar.ScrollButtonStateOf(1), ScrollButtonState::Normal);
  f.Press(right);
  EXPECT_EQ(f.bar.ScrollButtonStateOf(1), ScrollButtonState::Pressed);
  f.Release(right);
  EXPECT_EQ(f.bar.LeftIndex(), 1);
  EXPECT_EQ(f.bar.ScrollButtonStateOf(0), ScrollButtonState::Normal);
  EXPECT_LT(f.Tab(0)->GetDisplayRect().right(), 0) << "the first tab is scrolled off";
  EXPECT_EQ(f.Tab(1)->GetDisplayRect().left(), 0) << "the first shown tab starts at 0, not at the margin";
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(0)) << "a press on a scroll button selects nothing";
  // Any mouse button works a scroll button; the bar tells after it has repainted the row.
  std::vector<std::pair<int, int>> scrolled;  // button, LeftIndex by then
  f.bar.OnScroll = [&](TWsCustomTabBar*, int button) { scrolled.emplace_back(button, f.bar.LeftIndex()); };
  QTest::mousePress(&f.bar, Qt::RightButton, Qt::NoModifier, right);
  QTest::mouseRelease(&f.bar, Qt::RightButton, Qt::NoModifier, right);
  f.Click(f.bar.ScrollButtonRect(0).center());
  EXPECT_EQ(scrolled, (std::vector<std::pair<int, int>>{{1, 2}, {0, 1}}));

  f.bar.SetSelectedTab(f.Tab(11));
  EXPECT_LE(f.Tab(11)->GetDisplayRect().right() + 1, f.bar.BarLimit()) << "selecting scrolls the tab into view";
  EXPECT_EQ(f.bar.ScrollButtonStateOf(1), ScrollButtonState::Disabled);
  f.bar.SetSelectedTab(f.Tab(0));
  EXPECT_EQ(f.bar.LeftIndex(), 0) << "a tab left of the shown area is scrolled fully back in";

  f.bar.resize(2000, 23);
  EXPECT_EQ(f.bar.ScrollButtonStateOf(0), ScrollButtonState::Hidden);
  EXPECT_EQ(f.bar.LeftIndex(), 0);
}

TEST(WsTabBarTest, HintOfTheTabUnderTheMouseOrTheBars) {
  BarFixture f(2);
  f.bar.SetHint("bar hint");
  f.Tab(0)->SetHint("first");
  f.Tab(1)->SetHint("second");
  f.Tab(1)->SetShowHint(false);
  struct Case {
    int tab;
    const char* expected;
  };
  for (const Case& c : {Case{0, "first"}, Case{1, "bar hint"}}) {
    test::MoveMouse(&f.bar, f.Centre(c.tab));
    EXPECT_EQ(f.bar.toolTip(), c.expected);
  }
  EXPECT_TRUE(f.bar.ShowHint());
}

TEST(WsTabBarPainterTest, TabSizesAndFallbackPainter) {
  BarFixture f(1);
  auto* painter = new TWsModernTabBarPainter();
  f.bar.SetPainter(painter);
  f.Tab(0)->SetCaption("");
  const int textHeight = QFontMetrics(painter->Font().font).boundingRect("Ag").height();
  EXPECT_EQ(painter->GetTabSize(f.Tab(0)), QSize(26, textHeight + 7));
  f.bar.SetCloseButton(false);
  EXPECT_EQ(painter->GetTabSize(f.Tab(0)).width(), 11);
  painter->SetTabWidth(-5);
  EXPECT_EQ(painter->TabWidth(), 0);
  painter->SetTabWidth(80);
  EXPECT_EQ(painter->GetTabSize(f.Tab(0)).width(), 80);
  painter->SetTabWidth(0);
  f.Tab(0)->SetCaption("Caption");
  const int plain = painter->GetTabSize(f.Tab(0)).width();
  WsFont large = painter->Font();
  large.font.setPointSizeF(large.font.pointSizeF() * 2);
  painter->SetSelectedFont(large);
  EXPECT_GT(painter->GetTabSize(f.Tab(0)).width(), plain) << "the selected tab is measured in its own font";
  f.bar.SetMargin(20);
  EXPECT_EQ(f.bar.TabAt(19, 15), nullptr);
  EXPECT_EQ(f.bar.TabAt(20, 15), f.Tab(0));
  delete painter;
  EXPECT_EQ(f.bar.Painter(), nullptr);
  EXPECT_NE(f.bar.CurrentPainter(), nullptr);
  f.bar.grab();  // ASan reports a painter used after its deletion
}

TEST(WsTabBarPainterTest, ModifiedTabDrawsItsCrossInTheModifiedColour) {
  BarFixture f(1);
  auto* painter = new TWsModernTabBarPainter(&f.bar);
  painter->SetCloseColorSelected(0x00FFFFFF);
  f.bar.SetPainter(painter);
  f.Tab(0)->SetModified(true);
  const QRect close = painter->GetCloseRect(f.Tab(0), f.Tab(0)->GetDisplayRect());
  const QImage image = f.bar.grab().toImage();
  // The first arm of the cross starts three pixels in from the button's corner.
  EXPECT_EQ(image.pixelColor(close.topLeft() + QPoint(3, 3)), QColor(255, 0, 0));
}

// Assign copies, beside the published values, the three the program keeps for itself; then the bar re-checks.
TEST(WsTabBarTest, AssignCopiesTheProgramsOwnValuesAndTellsTheBar) {
  BarFixture from(1), to(1);
  TWsTabBarItem* source = from.Tab(0);
  source->SetCaption("Source");
  source->SetEnabled(false);
  source->SetData1(-12);
  source->SetData2(0x7FFFFFFF);
  source->SetDataText("kept");
  TWsTabBarItem* target = to.Tab(0);
  target->Assign(*source);
  EXPECT_EQ(target->Caption(), "Source");
  EXPECT_EQ(target->Data1(), -12);
  EXPECT_EQ(target->Data2(), 0x7FFFFFFF);
  EXPECT_EQ(target->DataText(), "kept");
  EXPECT_EQ(to.bar.SelectedTab(), nullptr) << "the disabled copy lost the selection";
}

TEST(WsTabBarTest, RightClickSelectsTheTabAndPopsUpItsMenuUnlessTheBarHasOne) {
  BarFixture f(3);
  QMenu tabMenu, barMenu;
  f.Tab(2)->SetPopupMenu(&tabMenu);
  auto rightClick = [&f](int tab) { QTest::mouseClick(&f.bar, Qt::RightButton, Qt::NoModifier, f.Centre(tab)); };
  rightClick(2);
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(2));
  EXPECT_TRUE(tabMenu.isVisible());
  tabMenu.hide();
  f.bar.SetRightClickSelect(false);
  rightClick(1);
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(2));
  f.bar.SetRightClickSelect(true);
  f.bar.SetPopupMenu(&barMenu);
  rightClick(1);
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(2)) << "the bar's own menu takes the right click";
  EXPECT_TRUE(barMenu.isVisible());
  barMenu.hide();
  auto* freed = new QMenu;
  f.Tab(1)->SetPopupMenu(freed);
  EXPECT_EQ(f.Tab(1)->PopupMenu(), freed);
  delete freed;
  EXPECT_EQ(f.Tab(1)->PopupMenu(), nullptr);
}

// Inserting, copying and deleting tabs keep the linked page list in step; while the bar is being loaded the
// page list is left alone, and the end of loading selects the first tab.
TEST(WsTabBarTest, InsertCopyDeleteAndLoadingWithTheLink) {
  BarFixture f(2);
  PageListFixture p(2);
  f.LogEvents();
  f.bar.SetPageList(p.list);
  f.bar.SetPageListTabLink(true);
  TWsTabBarItem* inserted = f.bar.Tabs().Insert(1);
  inserted->SetCaption("Inserted");
  EXPECT_EQ(f.Tab(1), inserted);
  EXPECT_EQ(p.list->GetPageCount(), 3);
  EXPECT_EQ(p.list->GetPageCaption(1), "Inserted");
  f.log.clear();
  delete f.Tab(0);
  EXPECT_EQ(f.log, std::vector<std::string>{"selected Inserted"}) << "hidden first, it hands the selection on";
  EXPECT_EQ(p.list->GetPageCaption(0), "Inserted");

  f.bar.BeginLoad();
  f.bar.Tabs().Add("Loaded");
  f.Tab(2)->SetIndex(0);
  f.Tab(1)->SetCaption("Renamed");
  EXPECT_EQ(p.list->GetPageCount(), 2);
  EXPECT_EQ(p.list->GetPageCaption(0), "Inserted");
  f.bar.EndLoad();
  EXPECT_FALSE(f.bar.Loading());
  EXPECT_EQ(f.bar.SelectedTab(), f.Tab(0));

  BarFixture copy(1);
  copy.bar.SetTabs(f.bar.Tabs());
  ASSERT_EQ(copy.bar.Tabs().Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(copy.Tab(i)->Caption(), f.Tab(i)->Caption()) << i;
  EXPECT_EQ(copy.bar.SelectedTab(), copy.Tab(0));
}

// In a window's layout the bar keeps its 23 pixels and the page list needs what its largest page needs.
TEST(WsTabBarTest, LayoutGivesTheBarItsHeightAndThePageListItsLargestPage) {
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  auto* bar = new TWsTabBar;
  auto* list = new TWsPageList;
  new TWsStandardPage(list);
  auto* large = new TWsStandardPage(list);
  auto* content = new QWidget;
  content->setMinimumSize(250, 180);
  (new QVBoxLayout(large))->addWidget(content);
  layout->addWidget(bar);
  layout->addWidget(list);
  list->Loaded();
  form.resize(10, 10);
  form.show();
  EXPECT_EQ(bar->height(), 23);
  EXPECT_GE(list->width(), 250);
  EXPECT_GE(list->height(), 180);
}

TEST(WsPageListTest, LoadedActivatesTheFirstPageOutOfRangeIndexesAndRefusedChangesChangeNothing) {
  PageListFixture f(3);
  EXPECT_EQ(f.list->ActivePage(), f.pages[0]);
  f.list->SetActivePageIndex(1);
  for (int index : {-1, 3}) {
    f.list->SetActivePageIndex(index);
    f.list->DeletePage(index);
    EXPECT_EQ(f.list->ActivePageIndex(), 1) << index;
  }
  EXPECT_EQ(f.list->GetPageCount(), 3);
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{1});
  EXPECT_EQ(f.changes, 1);
  PageListFixture refused(3);
  std::vector<int> asked;
  refused.list->OnChanging = [&](TWsCustomPageList*, int index, bool& allow) {
    asked.push_back(index);
    allow = index != 2;
  };
  refused.list->SetActivePageIndex(2);
  EXPECT_EQ(refused.list->ActivePage(), refused.pages[0]);
  EXPECT_EQ(refused.VisiblePages(), std::vector<int>{0});
  EXPECT_EQ(refused.changes, 0);
  refused.list->SetActivePageIndex(1);
  EXPECT_EQ(refused.VisiblePages(), std::vector<int>{1});
  EXPECT_EQ(asked, (std::vector<int>{2, 1}));
  EXPECT_EQ(refused.changes, 1);
  refused.list->SetActivePageIndex(1);  // the active page again: asked all the same, and nothing changes
  EXPECT_EQ(asked, (std::vector<int>{2, 1, 1}));
  EXPECT_EQ(refused.changes, 1);
}

TEST(WsPageListTest, RemovingTheActivePageActivatesItsNeighbourEvenUnderAVeto) {
  struct Case {
    int active, expectedOldIndex;
    bool veto;
  };
  for (const Case& c : {Case{1, 2, false}, Case{2, 0, false}, Case{0, 1, true}}) {
    PageListFixture f(3);
    f.list->SetActivePageIndex(c.active);
    if (c.veto) f.list->OnChanging = [](TWsCustomPageList*, int, bool& allow) { allow = false; };
    delete f.pages[c.active];
    const auto* expected = f.pages[c.expectedOldIndex];
    f.pages.erase(f.pages.begin() + c.active);
    EXPECT_EQ(f.list->ActivePage(), expected) << c.active;
    EXPECT_EQ(f.list->GetPageCount(), 2);
    EXPECT_TRUE(expected->isVisibleTo(f.list));
    EXPECT_EQ(f.VisiblePages().size(), 1u);
  }
}

}  // namespace
}  // namespace qmz
