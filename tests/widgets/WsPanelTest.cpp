#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "util/MouseMove.h"
#include "widgets/WsPanel.h"

namespace qmz {
namespace {

QWidget* AddControl(QWidget* panel, int tabOrder, int width = 50, int height = 20) {
  auto* control = new QWidget(panel);
  control->setGeometry(77, 77, width, height);
  control->setProperty(TWsCustomArrangePanel::TabOrderProperty, tabOrder);
  return control;
}

TEST(WsPanel, ThirdControlWrapsToASecondRow) {
  TWsPanel panel;
  panel.resize(120, 100);
  QWidget* a = AddControl(&panel, 0);
  QWidget* b = AddControl(&panel, 1, 50, 30);
  QWidget* c = AddControl(&panel, 2);
  TWsArrangeSettings& s = panel.ArrangeSettings();
  s.SetBorderLeft(5);
  s.SetDistanceHorizontal(5);
  s.SetDistanceVertical(3);
  s.SetAutoArrange(true);
  EXPECT_EQ(a->pos(), QPoint(5, 0));
  EXPECT_EQ(b->pos(), QPoint(60, 0));
  EXPECT_EQ(c->pos(), QPoint(5, 33));  // below the taller control of the first row
  EXPECT_EQ(panel.size(), QSize(120, 100));
}

TEST(WsPanel, WideControlWidensThePanelAndATabOrderGapEndsTheWalk) {
  TWsPanel panel;
  panel.resize(120, 100);
  panel.ArrangeSettings().SetBorderLeft(5);
  QWidget* wide = AddControl(&panel, 0, 200);
  QWidget* b = AddControl(&panel, 1);
  QWidget* gap = AddControl(&panel, 3);
  panel.ArrangeControls();
  EXPECT_EQ(wide->pos(), QPoint(5, 0));
  EXPECT_EQ(b->pos(), QPoint(5, 20));  // the wide control stays alone in its row
  EXPECT_EQ(gap->pos(), QPoint(77, 77));
  EXPECT_EQ(panel.width(), 210);
}

TEST(WsPanel, GripDragStopsShrinkingAtTwoPixels) {
  QWidget form;
  form.resize(300, 300);
  auto* panel = new TWsPanel(&form);
  panel->setGeometry(10, 10, 100, 80);
  panel->SetSizeable(true);
  form.show();
  QApplication::processEvents();
  QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(95, 75));
  EXPECT_TRUE(panel->Sizing());
  auto move = [&](QPoint to) { test::MoveMouse(panel, to, Qt::LeftButton); };
  move(QPoint(115, 85));
  EXPECT_EQ(panel->size(), QSize(120, 90));
  move(QPoint(-500, 10));  // far beyond: the panel keeps its last size
  EXPECT_EQ(panel->size(), QSize(120, 90));
  move(QPoint(20, 10));
  EXPECT_EQ(panel->size(), QSize(25, 15));
  QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_FALSE(panel->Sizing());
}

}  // namespace
}  // namespace qmz
