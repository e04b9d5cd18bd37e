// The hidden debug page in a started main window with its route-list window.

#include <QTest>
#include <filesystem>

#include "MainWindowFixture.h"
#include "app/uFormGrid.h"
#include "gamedata/uSVIni.h"

namespace qmz::test {
namespace {

class DebugPageTest : public StartedWindowTest {
 protected:
  void SetUp() override {
    StartedWindowTest::SetUp();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  }

  // A point of the widget that no control inside covers.
  static QPoint FreePoint(QWidget* widget) {
    for (int y = 2; y < widget->height(); y += 3)
      for (int x = 2; x < widget->width(); x += 3)
        if (!widget->childAt(x, y)) return {x, y};
    ADD_FAILURE() << "no free point on " << widget->objectName().toStdString();
    return {};
  }

  void ClickRow(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  }

  void OpenPanel() {
    QTest::mouseDClick(w->gbOptions, Qt::LeftButton, {}, FreePoint(w->gbOptions));
    ASSERT_TRUE(w->panDebug->isVisible());
  }
};

// The page's lists, record lines, market rows and INI dump come from the core (DebugCoreTest); this checks
// that the controls reach them and that the route list is only replaced by a base's market.
TEST_F(DebugPageTest, ControlsShowListsRecordsMarketsAndWriteTheIniDump) {
  TStringList text;
  text.SetText("[Good]\nnickname = ore\n");
  w->Data()->aIni[iniGoods] = TSvIniFile::CreateFromList(text, "Goods");
  QTest::mouseClick(w->panBackTop, Qt::LeftButton, {}, FreePoint(w->panBackTop));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "IniFile_4"));

  EXPECT_FALSE(w->panDebug->isVisible());
  OpenPanel();
  EXPECT_EQ(w->panDebug->geometry(), w->panBackTop->rect());
  w->resize(w->width() + 40, w->height() + 30);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->panDebug->geometry(), w->panBackTop->rect());

  const TSvData& d = *w->Data();
  // A faction's fields; the route list keeps what it shows.
  TRouteRow kept;
  kept.Caption = "42";
  kept.SubItems.resize(RouteSubItemCount);
  grid->AddRoutes({kept});
  QTest::mouseClick(w->btGroups, Qt::LeftButton);
  EXPECT_EQ(w->lbSection->count(), int(d.aFaction.size()) - 1);
  ClickRow(w->lbSection, 1);
  const QStringList lines = w->reIni->toPlainText().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 12);
  EXPECT_EQ(lines[1], QString::fromStdString("nick:       " + d.aFaction[2].nickname.str()));
  // "Sold Commo" while factions are listed: no base is named, the route list stays.
  QTest::mouseClick(w->Button1, Qt::LeftButton);
  ClickRow(w->lbSectionList, 0);
  ASSERT_EQ(grid->Rows().size(), 1u);
  EXPECT_EQ(grid->Rows()[0].Caption, "42");

  // A base: its market in the route list; "Sold Commo": only the goods sold there.
  QTest::mouseClick(w->btBases, Qt::LeftButton);
  EXPECT_EQ(w->lbSectionList->count(), 0);
  ClickRow(w->lbSection, 0);
  ASSERT_EQ(grid->Rows().size(), d.aGood.size() - 1);
  EXPECT_EQ(grid->Rows()[0].SubItems[2], w->lbSection->item(0)->text().toStdString());
  QTest::mouseClick(w->Button1, Qt::LeftButton);
  EXPECT_EQ(grid->Rows().size(), std::size_t(SoldCount(d, 1)));
  for (const TRouteRow& row : grid->Rows()) EXPECT_EQ(row.SubItems[5], "1");

  QTest::mouseClick(w->btCloseDebug, Qt::LeftButton);
  EXPECT_FALSE(w->panDebug->isVisible());
  EXPECT_TRUE(w->btCalculate->isVisible());
}

}  // namespace
}  // namespace qmz::test
