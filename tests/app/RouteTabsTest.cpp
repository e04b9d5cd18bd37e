// The route tabs of the main window: a tab dragged to a new place keeps showing its own page.

#include <QTest>

#include "MainWindowFixture.h"
#include "util/MouseMove.h"

namespace qmz::test {

namespace {

class RouteTabsTest : public StartedWindowTest {};

TEST_F(RouteTabsTest, AMovedTabTakesItsPageAlong) {
  TWsTabBar* bar = w->tbRoutes;
  auto centre = [&](int i) { return bar->Tabs()[i]->GetDisplayRect().center(); };
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, centre(2));
  const TWsCustomPage* commodityPage = w->plRoutes->ActivePage();
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, centre(2));
  MoveMouse(bar, centre(2) + QPoint(10, 0), Qt::LeftButton);
  MoveMouse(bar, centre(0), Qt::LeftButton);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, centre(0));
  ASSERT_EQ(bar->Tabs()[0]->Caption(), "Commodity");
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, centre(1));
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, centre(0));
  EXPECT_EQ(w->plRoutes->ActivePage(), commodityPage);
}

// No tab shows a close button; with one shown, a click on it still closes nothing.
TEST_F(RouteTabsTest, NoTabCanBeClosed) {
  TWsTabBar* bar = w->tbRoutes;
  EXPECT_FALSE(bar->CloseButton());
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  bar->SetCloseButton(true);  // for the test only, so the mouse can reach one
  int closed = 0;
  bar->OnTabClosed = [&](TWsCustomTabBar*, TWsTabBarItem*) { ++closed; };
  for (int i : {0, 2}) {
    TWsTabBarItem* tab = bar->Tabs()[i];
    QTest::mouseClick(bar, Qt::LeftButton, {}, tab->GetDisplayRect().center());
    ASSERT_EQ(bar->SelectedTab(), tab);
    const QPoint close = bar->CurrentPainter()->GetCloseRect(tab, tab->GetDisplayRect()).center();
    QTest::mouseClick(bar, Qt::LeftButton, {}, close);
    EXPECT_EQ(bar->Tabs().Count(), 5);
    EXPECT_TRUE(tab->Visible());
  }
  EXPECT_EQ(closed, 0);
  bool allowClose = true;
  w->tbRoutesTabClosing(bar, bar->Tabs()[1], allowClose);
  EXPECT_FALSE(allowClose);
}

}  // namespace

}  // namespace qmz::test
