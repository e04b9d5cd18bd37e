// The hidden debug page in a started main window with its route-list window.

#include <QTest>
#include <filesystem>

#include "MainWindowFixture.h"
#include "app/core/uFormGrid_Files.h"
#include "app/uFormGrid.h"
#include "gamedata/uSVIni.h"

namespace qmz::test {
namespace {

class DebugPageTest : public MainWindowTest {
 protected:
  void SetUp() override {
    w = StartWindow();
    ASSERT_TRUE(w->StartupDone());
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

  std::unique_ptr<TformMain> w;
};

TEST_F(DebugPageTest, DoubleClickOnTheOptionsShowsThePanelCloseHidesIt) {
  EXPECT_FALSE(w->panDebug->isVisible());
  OpenPanel();
  EXPECT_EQ(w->panDebug->geometry(), w->panBackTop->rect());
  w->resize(w->width() + 40, w->height() + 30);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->panDebug->geometry(), w->panBackTop->rect());
  QTest::mouseClick(w->btCloseDebug, Qt::LeftButton);
  EXPECT_FALSE(w->panDebug->isVisible());
  EXPECT_TRUE(w->btCalculate->isVisible());
}

TEST_F(DebugPageTest, ListsAndRecordLines) {
  OpenPanel();
  const TSvData& d = *w->Data();
  struct Case {
    QPushButton* button;
    const TGoodArr* arr;
    bool nicknames;
  } cases[] = {{w->btGroups, &d.aFaction, true},
               {w->btBases, &d.aBase, false},
               {w->btSystems, &d.aSystem, true},
               {w->btCommos, &d.aGood, true}};
  for (const auto& c : cases) {
    QTest::mouseClick(c.button, Qt::LeftButton);
    EXPECT_EQ(w->lbSection->count(), int(c.arr->size()) - 1);
    EXPECT_EQ(w->lbSectionList->count(), c.nicknames ? int(c.arr->size()) - 1 : 0);
    EXPECT_EQ(w->lbSection->property("Tag").toInt(), c.button->property("Tag").toInt());
    EXPECT_TRUE(w->reIni->toPlainText().isEmpty());
  }
  // A faction's fields; the route list keeps what it shows.
  TRouteRow kept;
  kept.Caption = "42";
  kept.SubItems.resize(RouteSubItemCount);
  grid->AddRoutes({kept});
  QTest::mouseClick(w->btGroups, Qt::LeftButton);
  ClickRow(w->lbSection, 1);
  const QStringList lines = w->reIni->toPlainText().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 12);
  EXPECT_EQ(lines[0], "index:      2");
  EXPECT_EQ(lines[1], QString::fromStdString("nick:       " + d.aFaction[2].nickname.str()));
  ASSERT_EQ(grid->Rows().size(), 1u);
  EXPECT_EQ(grid->Rows()[0].Caption, "42");

  // "Sold Commo" while factions are listed: no base is named, the route list stays.
  QTest::mouseClick(w->Button1, Qt::LeftButton);
  ASSERT_EQ(grid->Rows().size(), 1u);
  ClickRow(w->lbSectionList, 0);
  ASSERT_EQ(grid->Rows().size(), 1u);
}

TEST_F(DebugPageTest, BaseMarketInTheRouteListSortsAndSaves) {
  OpenPanel();
  const TSvData& d = *w->Data();
  QTest::mouseClick(w->btBases, Qt::LeftButton);
  ClickRow(w->lbSection, 0);
  EXPECT_EQ(w->reIni->toPlainText().split(QLatin1Char('\n')).size(), 12);
  ASSERT_EQ(grid->Rows().size(), d.aGood.size() - 1);
  for (const TRouteRow& row : grid->Rows()) {
    EXPECT_EQ(row.Caption, "");
    ASSERT_EQ(row.SubItems.size(), 12u);
    EXPECT_EQ(row.SubItems[2], w->lbSection->item(0)->text().toStdString());
  }
  // Every header, twice, then a save that reads back the same rows.
  for (int column = 0; column < RouteColumnCount; ++column) {
    grid->lvRoutesColumnClick(column);
    grid->lvRoutesColumnClick(column);
  }
  TempDir dir;
  const std::string file = dir.Str() + "/market.csv";
  ASSERT_TRUE(SaveRouteFile(file, grid->Rows()));
  std::vector<TRouteRow> loaded;
  ASSERT_TRUE(LoadRouteFile(file, loaded));
  ASSERT_EQ(loaded.size(), grid->Rows().size());
  for (std::size_t i = 0; i < loaded.size(); ++i)
    for (std::size_t k = 0; k < 12; ++k) EXPECT_EQ(loaded[i].SubItems[k], grid->Rows()[i].SubItems[k]);

  // "Sold Commo": only the goods sold there.
  std::size_t sold = 0;
  for (std::size_t g = 1; g < d.aGood.size(); ++g) sold += d.aMarket[1][g].Sold;
  QTest::mouseClick(w->Button1, Qt::LeftButton);
  EXPECT_EQ(grid->Rows().size(), sold);
  for (const TRouteRow& row : grid->Rows()) EXPECT_EQ(row.SubItems[5], "1");
}

TEST_F(DebugPageTest, ClickOnTheBackgroundWritesHeldIniSlotsIntoTheProgramFolder) {
  const QPoint free = FreePoint(w->panBackTop);
  QTest::mouseClick(w->panBackTop, Qt::LeftButton, {}, free);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "IniFile_4"));  // the loader released its slots
  TStringList text;
  text.SetText("[Good]\nnickname = ore\n");
  w->Data()->aIni[iniGoods] = TSvIniFile::CreateFromList(text, "Goods");
  QTest::mouseClick(w->panBackTop, Qt::LeftButton, {}, free);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "IniFile_4"));
}

}  // namespace
}  // namespace qmz::test
