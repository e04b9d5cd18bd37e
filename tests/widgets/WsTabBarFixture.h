#pragma once
// A shown tab bar with n tabs, clicked and dragged as a user does; shared by the tab-bar tests.

#include <QtTest/QTest>
#include <string>
#include <vector>

#include "util/MouseMove.h"
#include "widgets/WsTabBar.h"

namespace qmz::test {

// A shown bar with n tabs "Tab 0" .. "Tab n-1".
struct BarFixture {
  std::vector<std::string> log;  // outlives the bar, whose handlers write into it
  TWsTabBar bar;

  explicit BarFixture(int n, int width = 600) {
    bar.resize(width, 23);
    for (int i = 0; i < n; ++i) bar.Tabs().Add(QString("Tab %1").arg(i));
    bar.show();
  }
  TWsTabBarItem* Tab(int i) { return bar.Tabs()[i]; }
  QPoint Centre(int i) { return Tab(i)->GetDisplayRect().center(); }
  QPoint CloseCentre(int i) { return bar.CurrentPainter()->GetCloseRect(Tab(i), Tab(i)->GetDisplayRect()).center(); }
  void Press(QPoint p) { QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, p); }
  void Release(QPoint p) { QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, p); }
  void Click(QPoint p) { QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, p); }
  void DragTo(QPoint p) { test::MoveMouse(&bar, p, Qt::LeftButton); }
  void LogEvents() {
    bar.OnTabSelected = [this](TWsCustomTabBar*, TWsTabBarItem* item) {
      log.push_back("selected " + (item ? item->Caption().toStdString() : std::string("none")));
    };
    bar.OnTabMoved = [this](TWsCustomTabBar*, TWsTabBarItem* item) {
      log.push_back("moved " + item->Caption().toStdString());
    };
  }
};

}  // namespace qmz::test
