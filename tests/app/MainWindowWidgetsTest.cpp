// The main window's controls as a player meets them: the tab bar's look and dragging, the gauge, the
// hover look of the left panel and the smallest size the window takes.

#include <QFontMetrics>
#include <QTest>

#include "MainWindowFixture.h"
#include "util/MouseMove.h"

using namespace qmz;
using namespace qmz::test;

namespace {

class MainWindowWidgetsTest : public StartedWindowTest {
 protected:
  void SetUp() override {
    StartedWindowTest::SetUp();
    w->show();
    QApplication::processEvents();
  }
  QPoint TabCentre(int i) const { return w->tbRoutes->Tabs()[i]->GetDisplayRect().center(); }
};

TEST_F(MainWindowWidgetsTest, TabBarPaintsWithItsOwnColoursAndMovesTabsWithTheirPages) {
  TWsTabBar* bar = w->tbRoutes;
  TWsTabBarItem* first = bar->Tabs()[0];
  ASSERT_TRUE(first->Selected());
  const QRect selected = first->GetDisplayRect();
  EXPECT_EQ(selected.left(), 5) << "the margin";
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_EQ(selected.width(), QFontMetrics(bold).horizontalAdvance(first->Caption()) + 11) << "a bold caption";
  const QImage image = bar->grab().toImage();
  EXPECT_EQ(image.pixelColor(selected.right() - 2, selected.top() + 2), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(bar->width() - 4, 4), bar->palette().color(QPalette::Button));

  // "Commodity" dragged onto the first place; every tab still shows its own page.
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, TabCentre(2));
  MoveMouse(bar, TabCentre(2) + QPoint(0, -1), Qt::LeftButton);
  MoveMouse(bar, TabCentre(0), Qt::LeftButton);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, TabCentre(0));
  const std::vector<std::pair<QString, QWidget*>> expected = {{"Commodity", w->pageCommodity},
                                                              {"From Origin", w->pageSource},
                                                              {"to Destination", w->pageDest},
                                                              {"Information", w->pageInformation}};
  for (int i = 0; i < int(expected.size()); ++i) {
    ASSERT_EQ(bar->Tabs()[i]->Caption(), expected[i].first);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, TabCentre(i));
    EXPECT_TRUE(expected[i].second->isVisible()) << expected[i].first.toStdString();
  }
}

TEST_F(MainWindowWidgetsTest, GaugeShowsAnEmptyRangeEmptyAndFillsPastItsMaximum) {
  const auto barShare = [this] {
    const QImage image = w->Progress->grab().toImage();
    int bar = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) bar += image.pixelColor(x, y) == QColor(Qt::darkBlue);
    return double(bar) / (image.width() * image.height());
  };
  w->SetStatus("Starting calculation", 0, 0, 0);
  EXPECT_EQ(barShare(), 0.0) << "no busy indicator";
  w->SetStatus("", 0, 10, 4);
  EXPECT_GT(barShare(), 0.3);
  EXPECT_LT(barShare(), 0.5);
  w->SetStatus("", 0, 10, 25);
  EXPECT_EQ(w->Progress->value(), 10);
  EXPECT_GT(barShare(), 0.9);
}

TEST_F(MainWindowWidgetsTest, HoveringTheControlsMovesAndSizesNothing) {
  const QList<QWidget*> all = w->panBackTop->findChildren<QWidget*>();
  const auto layout = [&] {
    std::vector<QRect> r;
    for (QWidget* c : all) r.emplace_back(c->mapTo(w.get(), QPoint()), c->size());
    return r;
  };
  const std::vector<QRect> before = layout();
  for (QWidget* control : std::initializer_list<QWidget*>{w->edMoney, w->btCalculate, w->edLevel, w->cbUnlawful,
                                                          w->lbFromBase, w->lbOrigin, w->gbOptions}) {
    MoveMouse(control, {2, 2});
    QApplication::processEvents();
    const std::vector<QRect> now = layout();
    for (int i = 0; i < all.size(); ++i)
      EXPECT_EQ(now[i], before[i]) << "hovering " << control->objectName().toStdString() << " changes "
                                   << all[i]->metaObject()->className() << " " << all[i]->objectName().toStdString();
  }
}

TEST_F(MainWindowWidgetsTest, SmallestWindowStillFitsEveryControl) {
  w->resize(300, 300);
  QApplication::processEvents();
  QWidget* buttons[] = {w->btFromBase, w->btFromSystem, w->btFromRegion, w->btFromAny};
  for (int i = 0; i < 4; ++i) {
    EXPECT_GE(buttons[i]->width(), buttons[i]->sizeHint().width()) << i;
    if (i > 0) {
      EXPECT_GT(buttons[i]->x(), buttons[i - 1]->geometry().right()) << i;
    }
  }
  EXPECT_GE(w->lbOrigin->width(), 150);
  EXPECT_EQ(w->tbRoutes->ScrollButtonStateOf(0), ScrollButtonState::Hidden) << "every tab shows";
}

}  // namespace
