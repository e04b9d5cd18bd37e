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

}  // namespace

}  // namespace qmz::test
