// What the tab bar shows: pixels at the points its drawing names.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <string>
#include <vector>

#include "widgets/WsTabBarFixture.h"

namespace qmz {
namespace {

using test::BarFixture;

constexpr WsColor kRed = RgbColor(255, 0, 0), kGreen = RgbColor(0, 255, 0), kBlue = RgbColor(0, 0, 255),
                  kMagenta = RgbColor(255, 0, 255), kOlive = RgbColor(128, 128, 0);

std::string Name(WsColor colour) { return ToQColor(colour).name().toStdString(); }

// A modern painter of the bar with colours that tell every part apart.
TWsModernTabBarPainter* DistinctPainter(TWsCustomTabBar& bar) {
  auto* painter = new TWsModernTabBarPainter(&bar);
  painter->SetBorderColor(kGreen);
  painter->SetControlDivideColor(kRed);
  painter->SetTabColor(kBlue);
  painter->SetDividerColor(kMagenta);
  painter->SetMoveDividerColor(kOlive);
  painter->SetCloseRectColor(kGreen);
  bar.SetPainter(painter);
  return painter;
}

struct Shot {
  QImage image;
  explicit Shot(QWidget& widget) : image(widget.grab().toImage()) {}
  std::string operator()(QPoint p) const { return image.pixelColor(p).name().toStdString(); }
  std::string operator()(int x, int y) const { return (*this)(QPoint(x, y)); }
};

// The top-left corner of a scroll button's arrow.
QPoint ArrowCorner(const QRect& r) { return {r.left() + (r.width() - 4) / 2, r.top() + (r.height() - 7) / 2}; }

TEST(WsTabBarPaintTest, ScrollButtonsInBothStylesWithSevenRowArrowsThatMoveWhenPressed) {
  for (bool flat : {true, false}) {
    BarFixture f(12, 200);
    f.bar.SetFlatScrollButtons(flat);
    EXPECT_EQ(f.bar.FlatScrollButtons(), flat);
    ASSERT_EQ(f.bar.ScrollButtonStateOf(0), ScrollButtonState::Disabled);
    const QRect left = f.bar.ScrollButtonRect(0), right = f.bar.ScrollButtonRect(1);
    EXPECT_EQ(right.left(), left.right() + (flat ? 1 : 0)) << "outlined buttons overlap by a pixel";
    const QPoint l = ArrowCorner(left), r = ArrowCorner(right);
    Shot shot(f.bar);
    // Disabled: grey in place over a white copy one pixel down and right; the corner (X + 3, Y + 6) included.
    for (QPoint p : {l + QPoint(3, 0), l + QPoint(3, 6), l + QPoint(0, 3), l + QPoint(2, 5)})
      EXPECT_EQ(shot(p), "#808080") << flat << " " << p.x() - l.x() << "," << p.y() - l.y();
    EXPECT_EQ(shot(l + QPoint(4, 7)), "#ffffff") << flat;
    for (QPoint p : {r, r + QPoint(0, 6), r + QPoint(3, 3), r + QPoint(1, 5)}) EXPECT_EQ(shot(p), "#000000") << flat;
    EXPECT_NE(shot(r + QPoint(1, 6)), "#000000") << "the last row is one pixel wide";

    f.Press(right.center());
    EXPECT_NE(Shot(f.bar)(r), "#000000") << "pressed, the arrow moves down and right";
    EXPECT_EQ(Shot(f.bar)(r + QPoint(1, 7)), "#000000");
    // Off the button it is drawn released but stays pressed; released there it does not scroll.
    f.DragTo(QPoint(20, 10));
    EXPECT_EQ(f.bar.ScrollButtonStateOf(1), ScrollButtonState::Pressed);
    EXPECT_EQ(Shot(f.bar)(r), "#000000");
    f.Release(QPoint(20, 10));
    EXPECT_EQ(f.bar.LeftIndex(), 0);
  }
}

TEST(WsTabBarPaintTest, BackgroundAndSelectedTabOpenTowardThePagesAtTopOrBottom) {
  for (TWsTabBarOrientation orientation : {TWsTabBarOrientation::toTop, TWsTabBarOrientation::toBottom}) {
    const bool top = orientation == TWsTabBarOrientation::toTop;
    BarFixture f(2);
    DistinctPainter(f.bar);
    f.bar.SetOrientation(orientation);
    const QRect tab = f.Tab(0)->GetDisplayRect();
    EXPECT_EQ(top ? tab.bottom() : tab.top(), top ? 22 : 0) << "tabs stand on the edge toward the pages";
    const Shot shot(f.bar);
    EXPECT_EQ(shot(590, 0), Name(top ? kGreen : kRed)) << top;
    EXPECT_EQ(shot(590, 22), Name(top ? kRed : kGreen)) << top;
    EXPECT_EQ(shot(0, 11), Name(kGreen));
    EXPECT_EQ(shot(599, 11), Name(kGreen));
    const int x = tab.left() + 2, y = tab.center().y();
    EXPECT_EQ(shot(x, top ? tab.bottom() : tab.top()), Name(kBlue)) << "open toward the pages";
    EXPECT_EQ(shot(x, top ? tab.top() : tab.bottom()), Name(kRed));
    EXPECT_EQ(shot(tab.left(), y), Name(kRed));
    EXPECT_EQ(shot(tab.right(), y), Name(kRed));
  }
}

TEST(WsTabBarPaintTest, HotTabImagesAndTheMoveDivider) {
  BarFixture f(3);
  DistinctPainter(f.bar);
  const QRect tab1 = f.Tab(1)->GetDisplayRect();
  test::MoveMouse(&f.bar, tab1.center());
  EXPECT_EQ(f.bar.HotTab(), nullptr) << "no hot tab without hot tracking";
  f.bar.SetHotTracking(true);
  test::MoveMouse(&f.bar, tab1.center());
  EXPECT_EQ(f.bar.HotTab(), f.Tab(1));
  EXPECT_EQ(Shot(f.bar)(tab1.left() + 1, tab1.top()), Name(kMagenta)) << "the hot tab's top line";
  test::MoveMouse(&f.bar, f.Centre(2), Qt::LeftButton);
  EXPECT_EQ(f.bar.HotTab(), f.Tab(1)) << "with a button down the hot tab stays";
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&f.bar, &leave);
  EXPECT_EQ(f.bar.HotTab(), nullptr);
  EXPECT_NE(Shot(f.bar)(tab1.left() + 1, tab1.top()), Name(kMagenta));

  QPixmap image(8, 8);
  image.fill(Qt::blue);
  f.bar.SetImages({image});
  EXPECT_EQ(f.bar.Images().size(), 1);
  f.Tab(1)->SetImageIndex(0);
  EXPECT_EQ(f.Tab(1)->GetDisplayRect().width(), tab1.width() + 10);
  // Right of the close button, one pixel in, centred in the shrunk tab.
  const QPoint imageCentre(tab1.left() + 18 + 4, tab1.top() + 1 + (tab1.height() - 2 - 8) / 2 + 4);
  EXPECT_EQ(Shot(f.bar)(imageCentre), "#0000ff");
  f.Tab(1)->SetEnabled(false);
  const QColor greyed = f.bar.grab().toImage().pixelColor(imageCentre);
  EXPECT_TRUE(greyed.red() == greyed.green() && greyed.green() == greyed.blue()) << greyed.name().toStdString();
  f.Tab(1)->SetEnabled(true);

  // Dragging the selected tab: the marker stands at the target's edge on the side the tab comes from.
  f.bar.SetAllowTabMoving(true);
  struct Case {
    int from, to;
    bool leftEdge;
  };
  for (const Case& c : {Case{2, 0, true}, Case{0, 2, false}}) {
    f.Click(f.Centre(c.from));
    f.Press(f.Centre(c.from));
    f.DragTo(f.Centre(c.from) + QPoint(0, -1));
    f.DragTo(f.Centre(c.to));
    const QRect target = f.Tab(c.to)->GetDisplayRect();
    const int markerX = c.leftEdge ? target.left() : target.right() - 2;
    EXPECT_EQ(Shot(f.bar)(markerX, target.top() + 6), Name(kOlive)) << c.from;
    EXPECT_NE(Shot(f.bar)(c.leftEdge ? target.right() - 2 : target.left(), target.top() + 6), Name(kOlive));
    f.Release(f.Centre(c.to));
  }
}

TEST(WsTabBarPaintTest, ClosingTabFollowsTheMouseAndClosesOnlyWhenReleasedOnItsButton) {
  BarFixture f(3);
  TWsModernTabBarPainter* painter = DistinctPainter(f.bar);
  f.bar.OnTabClosed = [&f](TWsCustomTabBar*, TWsTabBarItem* item) {
    f.log.push_back("closed " + item->Caption().toStdString());
  };
  const QRect close = painter->GetCloseRect(f.Tab(0), f.Tab(0)->GetDisplayRect());
  EXPECT_EQ(Shot(f.bar)(close.topLeft()), Name(kGreen));
  f.Press(close.center());
  EXPECT_EQ(f.bar.ClosingTab(), f.Tab(0));
  const Shot pressed(f.bar);
  EXPECT_EQ(pressed(close.topLeft()), Name(kBlue)) << "held down, the frame moves in by a pixel";
  EXPECT_EQ(pressed(close.topLeft() + QPoint(1, 1)), Name(kGreen));
  f.DragTo(f.Centre(2));
  EXPECT_EQ(f.bar.ClosingTab(), nullptr);
  EXPECT_EQ(Shot(f.bar)(close.topLeft()), Name(kGreen)) << "off the button it is drawn released";
  f.DragTo(close.center());
  EXPECT_EQ(f.bar.ClosingTab(), f.Tab(0));
  f.DragTo(f.Centre(2));
  f.Release(f.Centre(2));
  EXPECT_EQ(f.bar.Tabs().Count(), 3);
  EXPECT_TRUE(f.log.empty());
  f.Click(close.center());
  EXPECT_EQ(f.bar.Tabs().Count(), 2);
  EXPECT_EQ(f.log, std::vector<std::string>{"closed Tab 0"});
}

// The close cross, row by row from the close rectangle's top-left: four one-pixel lines without their end
// points make a mark that is the same mirrored left to right and top to bottom; a modified tab keeps its arms.
TEST(WsTabBarPaintTest, CloseCrossIsMirrorSymmetricAndAModifiedTabKeepsItsFourArms) {
  BarFixture f(3);
  TWsModernTabBarPainter* painter = DistinctPainter(f.bar);
  painter->SetCloseCrossColor(kRed);
  painter->SetModifiedCrossColor(kRed);
  const QRect cr = painter->GetCloseRect(f.Tab(1), f.Tab(1)->GetDisplayRect());
  const auto rows = [&] {
    const Shot shot(f.bar);
    std::vector<std::vector<int>> marked;
    for (int y = 3; y <= 7; ++y) {
      marked.emplace_back();
      for (int x = 1; x < cr.width() - 1; ++x)
        if (shot(cr.left() + x, cr.top() + y) == Name(kRed)) marked.back().push_back(x);
    }
    return marked;
  };
  using Rows = std::vector<std::vector<int>>;
  EXPECT_EQ(rows(), Rows({{3, 4, 7, 8}, {4, 5, 6, 7}, {5, 6}, {4, 5, 6, 7}, {3, 4, 7, 8}}));
  f.Tab(1)->SetModified(true);
  EXPECT_EQ(rows(), Rows({{3, 4, 7, 8}, {4, 7}, {}, {4, 7}, {3, 4, 7, 8}}));
}

// One rule for the image: any index but -1 with images assigned widens the tab and moves the caption by the
// image width + 2, also an index the image list does not reach.
TEST(WsTabBarPaintTest, AnImageIndexWidensTheTabAndMovesTheCaptionAlike) {
  BarFixture f(2);
  TWsModernTabBarPainter* painter = DistinctPainter(f.bar);
  WsFont font = painter->Font();
  font.color = kRed;
  painter->SetFont(font);
  QPixmap image(8, 8);
  image.fill(Qt::blue);
  f.bar.SetImages({image});
  // Where the caption of tab 1 starts, counted from the tab's left edge.
  const auto captionStart = [&] {
    const QRect tab = f.Tab(1)->GetDisplayRect();
    const QImage shot = f.bar.grab().toImage();
    for (int x = tab.left(); x <= tab.right(); ++x)
      for (int y = tab.top() + 1; y < tab.bottom(); ++y) {
        const QColor c = shot.pixelColor(x, y);
        if (c.red() > 150 && c.green() < 100 && c.blue() < 100) return x - tab.left();
      }
    return -1;
  };
  const int plainWidth = f.Tab(1)->GetDisplayRect().width(), plainStart = captionStart();
  ASSERT_GT(plainStart, 0);
  for (int index : {0, 5, -2}) {
    f.Tab(1)->SetImageIndex(index);
    EXPECT_EQ(f.Tab(1)->GetDisplayRect().width(), plainWidth + 10) << index;
    EXPECT_EQ(captionStart(), plainStart + 10) << index;
  }
  f.Tab(1)->SetImageIndex(-1);
  EXPECT_EQ(f.Tab(1)->GetDisplayRect().width(), plainWidth);
  EXPECT_EQ(captionStart(), plainStart);
}

}  // namespace
}  // namespace qmz
