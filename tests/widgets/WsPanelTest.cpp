#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <vector>

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

// Rows wrap below their tallest control; a wide control widens the panel, alone in its row; a tab-order gap ends.
TEST(WsPanel, ControlsWrapWidenThePanelAndATabOrderGapEndsTheWalk) {
  TWsPanel panel, wider;
  for (TWsPanel* p : {&panel, &wider}) p->resize(120, 100);
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
  EXPECT_EQ(c->pos(), QPoint(5, 33));
  EXPECT_EQ(panel.size(), QSize(120, 100));

  wider.ArrangeSettings().SetBorderLeft(5);
  QWidget* wide = AddControl(&wider, 0, 200);
  QWidget* next = AddControl(&wider, 1);
  QWidget* gap = AddControl(&wider, 3);
  wider.ArrangeControls();
  EXPECT_EQ(wide->pos(), QPoint(5, 0));
  EXPECT_EQ(next->pos(), QPoint(5, 20));
  EXPECT_EQ(gap->pos(), QPoint(77, 77));
  EXPECT_EQ(wider.width(), 210);
}

TEST(WsPanel, AutoSizeRules) {
  {
    // MaxWidth 200 with asWidth: the row breaks before 200 and the panel takes BorderLeft + MaxRight or 200.
    TWsPanel panel;
    panel.resize(100, 100);
    panel.ArrangeSettings().SetMaxWidth(200);
    panel.ArrangeSettings().SetAutoSize(TWsAutoSizePanel::asWidth);
    for (int i = 0; i < 4; ++i) AddControl(&panel, i, 60);
    panel.ArrangeControls();
    EXPECT_EQ(panel.findChildren<QWidget*>()[3]->pos(), QPoint(0, 20));
    EXPECT_EQ(panel.width(), 180);
  }
  {
    // asHeight with no visible child: the height loses one top border.
    TWsPanel panel;
    panel.resize(100, 100);
    panel.ArrangeSettings().SetBorderTop(7);
    panel.ArrangeSettings().SetAutoSize(TWsAutoSizePanel::asHeight);
    AddControl(&panel, 0)->hide();
    panel.ArrangeControls();
    EXPECT_EQ(panel.height(), 93);
  }
}

TEST(WsPanel, SettingChangesRearrangeOnlyWhenTheyMatter) {
  TWsPanel panel;
  panel.resize(200, 100);
  QWidget* a = AddControl(&panel, 0);
  panel.ArrangeSettings().SetAutoArrange(true);
  EXPECT_EQ(a->pos(), QPoint(0, 0));
  a->move(40, 40);
  panel.ArrangeSettings().SetAutoSize(TWsAutoSizePanel::asNone);  // unchanged: nothing
  panel.ArrangeSettings().SetAutoSize(TWsAutoSizePanel::asBoth);
  panel.ArrangeSettings().SetAutoSize(TWsAutoSizePanel::asNone);
  a->move(40, 40);
  panel.ArrangeSettings().SetAutoSize(TWsAutoSizePanel::asNone);
  EXPECT_EQ(a->pos(), QPoint(40, 40));
  panel.ArrangeSettings().SetBorderLeft(3);
  EXPECT_EQ(a->pos(), QPoint(3, 0));

  int changes = 0;
  panel.OnChangedWidth = [&](QWidget*, int) { ++changes; };
  TWsArrangeSettings other;
  other.SetAutoArrange(true);
  other.SetAutoSize(TWsAutoSizePanel::asWidth);
  other.SetBorderLeft(10);
  panel.SetArrangeSettings(other);
  EXPECT_EQ(a->pos(), QPoint(10, 0));
  // asWidth never goes below the old width less both margins: 200 - 2 x 3, then that less 2 x 10, plus 10.
  EXPECT_EQ(panel.width(), 187);
  EXPECT_GE(changes, 1);
}

TEST(WsPanel, LoadingDefersArrangementToEndLoad) {
  TWsPanel panel;
  panel.resize(200, 100);
  panel.BeginLoad();
  panel.ArrangeSettings().SetAutoArrange(true);
  QWidget* a = AddControl(&panel, 0);
  panel.ArrangeControls();
  EXPECT_EQ(a->pos(), QPoint(77, 77));
  panel.EndLoad();
  EXPECT_EQ(a->pos(), QPoint(0, 0));
}

TEST(WsPanel, ChildPanelResizeReportsAndRearrangesTheParent) {
  TWsPanel outer;
  outer.resize(300, 100);
  outer.ArrangeSettings().SetAutoArrange(true);
  auto* inner = new TWsPanel(&outer);
  inner->resize(50, 20);
  inner->setProperty(TWsCustomArrangePanel::TabOrderProperty, 0);
  QWidget* after = AddControl(&outer, 1);
  outer.ArrangeControls();
  EXPECT_EQ(after->pos(), QPoint(50, 0));
  std::vector<int> widths;
  inner->OnChangedWidth = [&](QWidget*, int w) { widths.push_back(w); };
  inner->SetWidth(80);
  EXPECT_EQ(widths, std::vector<int>({80}));
  EXPECT_EQ(after->pos(), QPoint(80, 0));
  // With OnResizeParent the handler is told the new bounds instead, and the parent keeps its arrangement.
  std::vector<int> bounds;
  inner->OnResizeParent = [&](QWidget* sender, int left, int top, int width, int height) {
    EXPECT_EQ(sender, inner);
    bounds = {left, top, width, height};
  };
  inner->SetHeight(35);
  EXPECT_EQ(bounds, std::vector<int>({0, 0, 80, 35}));
  inner->SetWidth(30);
  EXPECT_EQ(bounds, std::vector<int>({0, 0, 30, 35}));
  EXPECT_EQ(after->pos(), QPoint(80, 0));
}

// A press well inside a movable panel drags it by its body. OnBeforeMove is asked with the client point and may
// refuse; OnAfterMove follows the release. Presses within the edges or on a fixed panel move nothing.
TEST(WsPanel, MovablePanelIsDraggedByItsBody) {
  QWidget form;
  form.resize(300, 300);
  auto* panel = new TWsPanel(&form);
  panel->setGeometry(10, 10, 100, 80);
  form.show();
  QApplication::processEvents();
  std::vector<QPoint> asked;
  int after = 0;
  bool allow = true;
  panel->OnBeforeMove = [&](QWidget* sender, int x, int y, bool& allowed) {
    EXPECT_EQ(sender, panel);
    asked.emplace_back(x, y);
    allowed = allow;
  };
  panel->OnAfterMove = [&](QWidget*) { ++after; };
  const auto drag = [&](QPoint from, QPoint by) {
    QTest::mousePress(panel, Qt::LeftButton, {}, from);
    test::MoveMouse(panel, from + by, Qt::LeftButton);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, from);
  };
  drag(QPoint(20, 20), QPoint(30, 15));
  EXPECT_EQ(panel->pos(), QPoint(10, 10));  // not movable
  EXPECT_TRUE(asked.empty());
  panel->SetMovable(true);
  drag(QPoint(20, 20), QPoint(30, 15));
  EXPECT_EQ(panel->pos(), QPoint(40, 25));
  EXPECT_EQ(after, 1);
  for (QPoint edge : {QPoint(5, 20), QPoint(20, 5), QPoint(95, 20), QPoint(20, 75)}) drag(edge, QPoint(10, 10));
  drag(QPoint(94, 74), QPoint(-20, -5));
  EXPECT_EQ(panel->pos(), QPoint(20, 20));
  EXPECT_EQ(asked, std::vector<QPoint>({QPoint(20, 20), QPoint(94, 74)}));
  allow = false;
  drag(QPoint(50, 40), QPoint(10, 10));
  EXPECT_EQ(panel->pos(), QPoint(20, 20));
  EXPECT_EQ(after, 2);
}

// Movable and sizeable at once: the body's band (6 or more pixels inside left and top, more than 5 inside right
// and bottom) moves the panel even within the grip's 12-pixel corner; only the outer band presses the grip,
// and the whole corner does when OnBeforeMove refuses.
TEST(WsPanel, MovableAndSizeablePanelMovesFromTheBodyAndSizesFromTheOuterBand) {
  QWidget form;
  form.resize(300, 300);
  auto* panel = new TWsPanel(&form);
  panel->setGeometry(10, 10, 100, 80);
  panel->SetMovable(true);
  panel->SetSizeable(true);
  form.show();
  QApplication::processEvents();
  bool allow = true;
  panel->OnBeforeMove = [&](QWidget*, int, int, bool& allowed) { allowed = allow; };
  const auto drag = [&](QPoint from, QPoint by) {
    QTest::mousePress(panel, Qt::LeftButton, {}, from);
    const bool sizing = panel->Sizing();
    test::MoveMouse(panel, from + by, Qt::LeftButton);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, from + by);
    return sizing;
  };
  // The sizing cursor shows only where a press sizes.
  test::MoveMouse(panel, QPoint(94, 74));
  EXPECT_EQ(panel->cursor().shape(), Qt::ArrowCursor);
  test::MoveMouse(panel, QPoint(95, 74));
  EXPECT_EQ(panel->cursor().shape(), Qt::SizeFDiagCursor);
  EXPECT_FALSE(drag(QPoint(94, 74), QPoint(10, 5)));
  EXPECT_EQ(panel->geometry(), QRect(20, 15, 100, 80));
  EXPECT_TRUE(drag(QPoint(95, 75), QPoint(10, 5)));
  EXPECT_EQ(panel->geometry(), QRect(20, 15, 110, 85));
  allow = false;
  EXPECT_TRUE(drag(QPoint(100, 75), QPoint(-10, -5)));
  EXPECT_EQ(panel->geometry(), QRect(20, 15, 100, 80));
}

TEST(WsPanel, OnPaintReplacesAllOwnPainting) {
  TWsPanel panel;
  panel.resize(60, 40);
  panel.SetCaption("Caption");
  panel.SetSizeable(true);
  panel.SetBorderWidth(3);
  int painted = 0;
  QImage own(panel.size(), QImage::Format_ARGB32);
  own.fill(Qt::magenta);
  panel.render(&own, QPoint(), QRegion(), QWidget::DrawChildren);
  panel.OnPaint = [&](QWidget*) { ++painted; };
  QImage custom(panel.size(), QImage::Format_ARGB32);
  custom.fill(Qt::magenta);
  panel.render(&custom, QPoint(), QRegion(), QWidget::DrawChildren);
  QImage blank(panel.size(), QImage::Format_ARGB32);
  blank.fill(Qt::magenta);
  EXPECT_EQ(painted, 1);
  EXPECT_EQ(custom, blank);
  EXPECT_NE(own, blank);
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

TEST(WsPanel, HotTrackFontFollowsTheFontExceptPreservedAttributes) {
  TWsPanel panel;
  QFont f = panel.font();
  f.setPointSize(21);
  f.setBold(true);
  panel.SetFont({f, colors::Highlight});
  panel.SetHotTrackFontOptions({TWsTrackFontOption::hoFollowFont, TWsTrackFontOption::hoPreserveStyle});
  EXPECT_EQ(panel.HotTrackFont().font.pointSize(), 21);
  EXPECT_FALSE(panel.HotTrackFont().font.bold());
  EXPECT_EQ(panel.HotTrackFont().color, colors::Highlight);
  EXPECT_EQ(panel.HotTrackOptions().Color(), colors::BtnFace);
  panel.SetHotTrackFontOptions({TWsTrackFontOption::hoFollowFont});
  EXPECT_TRUE(panel.HotTrackFont().font.bold());
}

// A nested panel keeps its controls unless it arranges itself; a size setter reports only its own side, also
// before the panel is first shown, and once after.
TEST(WsPanel, NestedPanelArrangesByItsOwnSettingAndSizeSettersReportTheirOwnSide) {
  TWsPanel outer;
  auto* inner = new TWsPanel(&outer);
  inner->resize(60, 40);
  QWidget* innerChild = AddControl(inner, 0);
  outer.ArrangeControls();
  EXPECT_EQ(innerChild->pos(), QPoint(77, 77));
  std::vector<int> sizes;
  inner->OnChangedWidth = [&](QWidget*, int w) { sizes.push_back(w); };
  inner->OnChangedHeight = [&](QWidget*, int h) { sizes.push_back(-h); };
  inner->SetWidth(150);
  outer.show();
  inner->SetWidth(120);
  EXPECT_EQ(sizes, std::vector<int>({150, 120}));
}

// The hot-track settings, set through the interface the panel answers for, paint the hot state.
TEST(WsPanel, AnswersTheHotTrackInterfaceQuery) {
  TWsPanel panel;
  panel.resize(40, 30);
  EXPECT_NE(panel.qt_metacast("{B74E2C19-5A6D-4F30-9E8B-0C2D61A7F45E}"), nullptr);
  auto* hot = qobject_cast<IWsHotTrack*>(static_cast<QObject*>(&panel));
  ASSERT_NE(hot, nullptr);
  hot->SetHotTrack(true);
  EXPECT_TRUE(hot->HotTrack());
  EXPECT_TRUE(hot->HotTrackFontOptions().count(TWsTrackFontOption::hoPreserveColor));
  TWsHotTrackOptions options;
  options.SetEnabled(true);
  options.SetColor(0x0000FF00);
  options.SetFrameVisible(true);
  options.SetFrameColor(0x000000FF);
  hot->SetHotTrackOptions(options);
  EXPECT_EQ(hot->HotTrackOptions().FrameColor(), 0x000000FFu);
  panel.show();
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(&panel, &enter);
  const QImage image = panel.grab().toImage();
  EXPECT_EQ(image.pixelColor(20, 15), QColor(0, 255, 0));
  EXPECT_EQ(image.pixelColor(0, 15), QColor(255, 0, 0));  // the frame, over the whole panel
  EXPECT_EQ(image.pixelColor(39, 29), QColor(255, 0, 0));
  // Leaving ends the hot state: the bevel is back.
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&panel, &leave);
  EXPECT_FALSE(panel.MouseOver());
  EXPECT_EQ(panel.grab().toImage().pixel(0, 15), ToQColor(colors::BtnHighlight, panel.palette()).rgb());
}

// A child removed from an arranging panel gives its place to the next.
TEST(WsPanel, RemovedChildGivesUpItsPlace) {
  TWsPanel panel;
  panel.resize(200, 50);
  auto* first = new QWidget(&panel);
  auto* second = new QWidget(&panel);
  first->resize(60, 20);
  second->resize(60, 20);
  panel.ArrangeSettings().SetAutoArrange(true);
  EXPECT_EQ(second->pos(), QPoint(60, 0));
  delete first;
  EXPECT_EQ(second->pos(), QPoint(0, 0));
}

}  // namespace
}  // namespace qmz
