#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStyle>
#include <QTest>
#include <optional>

#include "util/MouseMove.h"
#include "widgets/WsPanel.h"
#include "widgets/WsTabBar.h"
#include "widgets/WsThemes.h"

namespace qmz {
namespace {

const QColor Red(255, 0, 0);
const QColor White(255, 255, 255);

// Themes stay as every other test expects them, also when a check fails.
struct ThemesOff {
  ThemesOff() { SetThemeServicesEnabled(false); }
  ~ThemesOff() { SetThemeServicesEnabled(true); }
};

// The box that holds every pixel differing from the panel's fill, as far as it goes inside the panel.
QRect InkBox(const QImage& image, const QColor& fill) {
  QRect box;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) != fill) box |= QRect(x, y, 1, 1);
  return box;
}

void PlainCaption(TWsPanel& panel, const QString& caption, QSize size) {
  panel.resize(size);
  panel.SetBevelOuter(TBevelCut::bvNone);
  panel.SetColor(RgbColor(255, 255, 255));
  QFont font = panel.font();
  font.setPixelSize(12);
  panel.SetFont({font, RgbColor(0, 0, 0)});
  panel.SetCaption(caption);
}

// A flat border of BorderWidth is exactly that wide on all four sides, inside the panel, for odd and even
// widths; without the flat border the bevels are drawn, with it and width 0 nothing.
TEST(WsPanelPaint, FlatBorderLiesWhollyInsideThePanel) {
  for (int w : {1, 2, 3, 4}) {
    SCOPED_TRACE(w);
    TWsPanel panel;
    panel.resize(40, 30);
    panel.SetColor(RgbColor(255, 255, 255));
    panel.SetBorderWidth(w);
    panel.SetFlatBorder(true);
    panel.SetFlatBorderColor(RgbColor(255, 0, 0));
    const QImage image = panel.grab().toImage();
    for (int i = 0; i < w; ++i) {
      EXPECT_EQ(image.pixelColor(i, 15), Red);
      EXPECT_EQ(image.pixelColor(39 - i, 15), Red);
      EXPECT_EQ(image.pixelColor(20, i), Red);
      EXPECT_EQ(image.pixelColor(20, 29 - i), Red);
    }
    EXPECT_EQ(image.pixelColor(39, 29), Red);
    EXPECT_EQ(image.pixelColor(w, 15), White);
    EXPECT_EQ(image.pixelColor(39 - w, 15), White);
    EXPECT_EQ(image.pixelColor(20, w), White);
    EXPECT_EQ(image.pixelColor(20, 29 - w), White);
  }
  TWsPanel panel;
  panel.resize(40, 30);
  panel.SetColor(RgbColor(255, 255, 255));
  panel.SetFlatBorder(true);
  EXPECT_EQ(panel.grab().toImage().pixelColor(0, 15), White);  // no bevel either
  panel.SetFlatBorder(false);
  EXPECT_EQ(panel.grab().toImage().pixel(0, 15), ToQColor(colors::BtnHighlight, panel.palette()).rgb());
}

// Outer bevel, a frame of BorderWidth in Color, inner bevel; a lowered cut has the shadow on top and left.
TEST(WsPanelPaint, BevelsNestOuterBorderInner) {
  // Colours as the image holds them (8 bits per channel).
  const QColor shadow = QColor(ToQColor(colors::BtnShadow).rgb());
  const QColor light = QColor(ToQColor(colors::BtnHighlight).rgb());
  struct Case {
    TBevelCut outer, inner;
    int bevelWidth, borderWidth;
    std::vector<QColor> leftColumns, rightColumns;  // from the edge inward
  };
  const std::vector<Case> cases = {
      {TBevelCut::bvRaised, TBevelCut::bvNone, 2, 0, {light, light, White}, {shadow, shadow, White}},
      {TBevelCut::bvLowered, TBevelCut::bvRaised, 1, 1, {shadow, White, light, White}, {light, White, shadow, White}},
      {TBevelCut::bvNone, TBevelCut::bvLowered, 1, 0, {shadow, White}, {light, White}},
      {TBevelCut::bvNone, TBevelCut::bvNone, 3, 0, {White}, {White}},
  };
  for (const Case& c : cases) {
    TWsPanel panel;
    panel.resize(40, 30);
    panel.SetColor(RgbColor(255, 255, 255));
    panel.SetBevelOuter(c.outer);
    panel.SetBevelInner(c.inner);
    panel.SetBevelWidth(c.bevelWidth);
    panel.SetBorderWidth(c.borderWidth);
    const QImage image = panel.grab().toImage();
    for (size_t i = 0; i < c.leftColumns.size(); ++i) {
      EXPECT_EQ(image.pixelColor(int(i), 15), c.leftColumns[i]) << &c - cases.data() << " left " << i;
      EXPECT_EQ(image.pixelColor(39 - int(i), 15), c.rightColumns[i]) << &c - cases.data() << " right " << i;
    }
  }
}

// Left, right and centred captions; MultiLine wraps a caption that does not fit into several lines.
TEST(WsPanelPaint, CaptionAlignmentAndMultiLine) {
  TWsPanel panel;
  PlainCaption(panel, "Ore", QSize(200, 40));
  panel.SetAlignment(TAlignment::taLeftJustify);
  EXPECT_LT(InkBox(panel.grab().toImage(), White).left(), 4);
  panel.SetAlignment(TAlignment::taRightJustify);
  EXPECT_GT(InkBox(panel.grab().toImage(), White).right(), 195);
  panel.SetAlignment(TAlignment::taCenter);
  const QRect centred = InkBox(panel.grab().toImage(), White);
  EXPECT_NEAR(centred.left() + centred.right(), 199, 4);
  EXPECT_NEAR(centred.top() + centred.bottom(), 39, 4);

  TWsPanel wrapped;
  PlainCaption(wrapped, "Gold Iron Water Salt", QSize(50, 90));
  const int oneLine = InkBox(wrapped.grab().toImage(), White).height();
  wrapped.SetMultiLine(true);
  const QRect lines = InkBox(wrapped.grab().toImage(), White);
  EXPECT_GT(lines.height(), 3 * oneLine);
  EXPECT_NEAR(lines.top() + lines.bottom(), 89, 4);
}

// Without themes a transparent panel paints no background: the parent shows through. With themes (and a colour
// of its own) it fills as any panel.
TEST(WsPanelPaint, TransparentPanelLetsTheParentShowThroughWithoutThemes) {
  QWidget form;
  form.resize(100, 100);
  QPalette palette = form.palette();
  palette.setColor(QPalette::Window, Red);
  form.setPalette(palette);
  form.setAutoFillBackground(true);
  auto* panel = new TWsPanel(&form);
  panel->setGeometry(10, 10, 50, 50);
  panel->SetColor(RgbColor(0, 0, 255));
  const auto middle = [&] { return form.grab().toImage().pixelColor(35, 35); };
  {
    const ThemesOff off;
    EXPECT_EQ(middle(), QColor(0, 0, 255));
    panel->SetTransparent(true);
    EXPECT_TRUE(panel->Transparent());
    EXPECT_EQ(middle(), Red);
  }
  EXPECT_EQ(middle(), QColor(0, 0, 255));
}

// While the mouse is over a hot-tracking panel the caption takes HotTrackFont, its colour included.
TEST(WsPanelPaint, HotCaptionTakesTheHotTrackFont) {
  TWsPanel panel;
  PlainCaption(panel, "Hot", QSize(80, 30));
  QFont big = panel.font();
  big.setPixelSize(20);
  panel.SetHotTrackFont({big, RgbColor(255, 0, 0)});
  panel.SetHotTrack(true);
  panel.HotTrackOptions().SetEnabled(true);
  panel.HotTrackOptions().SetColor(RgbColor(255, 255, 255));
  panel.show();
  const auto reddish = [](const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        count += image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 80 ? 1 : 0;
    return count;
  };
  const QImage normal = panel.grab().toImage();
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(&panel, &enter);
  const QImage hot = panel.grab().toImage();
  EXPECT_EQ(reddish(normal), 0);
  EXPECT_GT(reddish(hot), 0);
  EXPECT_GT(InkBox(hot, White).height(), InkBox(normal, White).height());
}

// Without themes the sizing grip is drawn in the highlight and shadow colours in the bottom-right corner.
TEST(WsPanelPaint, ClassicGripWithoutThemes) {
  const ThemesOff off;
  TWsPanel panel;
  panel.resize(60, 60);
  panel.SetBevelOuter(TBevelCut::bvNone);
  panel.SetColor(RgbColor(255, 255, 255));
  const auto shadowInCorner = [&] {
    const QImage image = panel.grab().toImage();
    const QRgb shadow = ToQColor(colors::BtnShadow, panel.palette()).rgb();
    int count = 0;
    for (int y = 30; y < 60; ++y)
      for (int x = 30; x < 60; ++x) count += image.pixel(x, y) == shadow ? 1 : 0;
    return count;
  };
  EXPECT_EQ(shadowInCorner(), 0);
  panel.SetSizeable(true);
  EXPECT_GT(shadowInCorner(), 0);
}

// With themes the grip is the style's size grip, drawn inside the grip rectangle: BevelWidth + 2 in from the
// bottom-right corner, a scroll bar's extent wide and high.
TEST(WsPanelPaint, ThemedGripStaysInsideTheGripRectangle) {
  TWsPanel panel;
  panel.resize(80, 60);
  panel.SetColor(RgbColor(255, 255, 255));
  const QImage plain = panel.grab().toImage();
  panel.SetSizeable(true);
  const QImage withGrip = panel.grab().toImage();
  QRect ink;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x)
      if (withGrip.pixel(x, y) != plain.pixel(x, y)) ink |= QRect(x, y, 1, 1);
  const int bar = panel.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &panel);
  const QRect grip(QPoint(80 - bar - 3, 60 - bar - 3), QPoint(76, 56));
  EXPECT_FALSE(ink.isEmpty());
  EXPECT_TRUE(grip.contains(ink)) << ink.right() << "," << ink.bottom();
}

// Repaints of a hot-tracking panel on mouse enter and leave: none while a drag and drop is under way (here a
// tab dragged along its bar) and none when a disabled panel is left.
TEST(WsPanelPaint, HotTrackRepaintsWaitForTheEndOfADragAndSkipADisabledPanel) {
  std::optional<ThemesOff> off(std::in_place);
  QWidget form;
  form.resize(700, 200);
  auto* panel = new TWsPanel(&form);
  panel->setGeometry(0, 50, 100, 80);
  panel->SetHotTrack(true);
  auto* bar = new TWsTabBar(&form);
  bar->setGeometry(0, 0, 600, 23);
  for (int i = 0; i < 3; ++i) bar->Tabs().Add(QString("Tab %1").arg(i));
  bar->SetAllowTabMoving(true);
  form.show();
  QApplication::processEvents();
  int paints = 0;
  panel->OnPaint = [&](QWidget*) { ++paints; };
  const auto paintsOn = [&](QEvent::Type type) {
    paints = 0;
    QEvent event(type);
    QApplication::sendEvent(panel, &event);
    QApplication::processEvents();
    return paints;
  };
  EXPECT_EQ(paintsOn(QEvent::Enter), 1);
  EXPECT_EQ(paintsOn(QEvent::Leave), 1);

  const QPoint tab = bar->Tabs()[0]->GetDisplayRect().center();
  QTest::mousePress(bar, Qt::LeftButton, {}, tab);
  test::MoveMouse(bar, tab + QPoint(QApplication::startDragDistance() + 1, 0), Qt::LeftButton);
  EXPECT_EQ(paintsOn(QEvent::Enter), 0);
  EXPECT_EQ(paintsOn(QEvent::Leave), 0);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, tab);
  EXPECT_EQ(paintsOn(QEvent::Enter), 1);

  // With themes every enter and leave of an enabled panel repaints, but a disabled one is left alone.
  off.reset();
  EXPECT_EQ(paintsOn(QEvent::Leave), 1);
  panel->setEnabled(false);
  QApplication::processEvents();
  EXPECT_EQ(paintsOn(QEvent::Enter), 0);
  EXPECT_EQ(paintsOn(QEvent::Leave), 0);
}

// A panel that takes its parent's colour paints in the new one and reports the change.
TEST(WsPanelPaint, ParentColourChangeRepaintsInTheNewColourAndReports) {
  const ThemesOff off;
  TWsPanel outer;
  outer.resize(100, 100);
  auto* inner = new TWsPanel(&outer);
  inner->setGeometry(10, 10, 50, 50);
  inner->SetParentColor(true);
  int reports = 0;
  inner->OnParentColorChange = [&](QWidget* sender) { reports += sender == inner ? 1 : 100; };
  outer.SetColor(RgbColor(0, 128, 0));
  EXPECT_EQ(inner->Color(), RgbColor(0, 128, 0));
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(inner->grab().toImage().pixelColor(25, 25), QColor(0, 128, 0));
}

}  // namespace
}  // namespace qmz
