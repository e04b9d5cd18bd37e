#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "util/MouseMove.h"
#include "widgets/WsSpin.h"
#include "widgets/WsThemeLib.h"

namespace qmz {
namespace {

struct Clicks {
  int up = 0;
  int down = 0;
  void Attach(TWsSpinButton& button) {
    button.OnUpClick = [this](QWidget*) { ++up; };
    button.OnDownClick = [this](QWidget*) { ++down; };
  }
};

TEST(WsSpinButton, HeldHalfRepeatsAfterFirstIntervalThenEveryNext) {
  TWsSpinButton button;
  Clicks clicks;
  clicks.Attach(button);
  TWsTimerSpeedButton* up = button.UpButton();
  QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
  ASSERT_NE(up->RepeatTimer(), nullptr);
  EXPECT_TRUE(up->RepeatTimer()->isActive());
  EXPECT_EQ(up->RepeatTimer()->interval(), 400);
  for (int i = 0; i < 3; ++i) up->RepeatTick();
  EXPECT_EQ(up->RepeatTimer()->interval(), 100);
  EXPECT_EQ(clicks.up, 3);
  QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
  EXPECT_EQ(clicks.up, 4);  // the release over the half is the ordinary click
  EXPECT_FALSE(up->RepeatTimer()->isActive());
  EXPECT_EQ(clicks.down, 0);
}

TEST(WsSpinButton, PressMovedOffTheHalfStopsRepeatingUntilRelease) {
  TWsSpinButton button;
  Clicks clicks;
  clicks.Attach(button);
  TWsTimerSpeedButton* down = button.DownButton();
  QTest::mousePress(down, Qt::LeftButton, {}, down->rect().center());
  down->RepeatTick();
  test::MoveMouse(down, {200, 200}, Qt::LeftButton);
  down->RepeatTick();
  down->RepeatTick();
  EXPECT_TRUE(down->RepeatTimer()->isActive());
  QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(200, 200));
  EXPECT_EQ(clicks.down, 1);
  EXPECT_FALSE(down->RepeatTimer()->isActive());
}

TEST(WsSpinButton, RepeatThatThrowsStopsTheTimerAndPassesTheErrorOn) {
  TWsSpinButton button;
  TWsTimerSpeedButton* up = button.UpButton();
  QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
  button.OnUpClick = [](QWidget*) { throw std::runtime_error("step failed"); };
  EXPECT_THROW(up->RepeatTick(), std::runtime_error);
  EXPECT_FALSE(up->RepeatTimer()->isActive());
  button.OnUpClick = nullptr;
  QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
}

TEST(WsSpinButton, BuiltInGlyphsAreOliveFramedTriangles) {
  const QImage up = LoadSpinGlyph("WsSpinUp");
  const QImage down = LoadSpinGlyph("WsSpinDown");
  ASSERT_EQ(up.size(), QSize(9, 6));
  EXPECT_EQ(up.pixelColor(4, 1), QColor(Qt::black));  // pointing up and down, not swapped
  EXPECT_EQ(down.pixelColor(4, 4), QColor(Qt::black));
  EXPECT_TRUE(LoadSpinGlyph("Other").isNull());
  TWsSpinButton button;
  button.SetUpGlyph(QPixmap(18, 6));
  button.SetUpNumGlyphs(2);
  button.SetUpGlyph(QPixmap());
  EXPECT_EQ(button.UpNumGlyphs(), 1);
  EXPECT_EQ(button.UpGlyph().size(), QSize(9, 6));
}

// The plain Windows style is the classic look: the buttons then paint their own bitmaps.
TEST(WsThemeLib, PaintsThemedUnlessTheStyleIsTheClassicOne) {
  const QString style = QApplication::style()->name();
  EXPECT_TRUE(IsThemeActive());
  TWsSpinButton button;
  QImage themed(button.size(), QImage::Format_ARGB32);
  button.render(&themed);
  QApplication::setStyle(QStringLiteral("Windows"));
  EXPECT_FALSE(IsThemeActive());
  QImage classic(button.size(), QImage::Format_ARGB32);
  button.render(&classic);  // the olive-keyed glyph path
  QApplication::setStyle(style);
  EXPECT_NE(themed, classic);
  QPainter painter(&classic);
  EXPECT_FALSE(DrawThemeBackground(&button, painter, 7, spinstates::Normal, button.rect()));
}

}  // namespace
}  // namespace qmz
