// The debug page's core on a generated installation, and the hidden page in a started main window.

#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "MainWindowFixture.h"
#include "app/core/uFormGrid_Table.h"
#include "app/core/uFormMain_Debug.h"
#include "gamedata/uSVIni.h"
#include "platform/WholeFile.h"
#include "util/SvModelTestAccess.h"

using namespace qmz;
using namespace qmz::test;

namespace {

// The loader releases its INI slots; the dump writes those still held, as this goods file.
void HoldGoodsIni(TSvData& d) {
  TStringList text;
  text.SetText("[Good]\nnickname = ore\n");
  d.aIni[iniGoods] = TSvIniFile::CreateFromList(text, "Goods");
}

class DebugCoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(data->DataValid); }
  std::unique_ptr<TSvData> data = test::LoadSmallModel();
};

TEST_F(DebugCoreTest, ListsAndRecordLinesMatchTheModel) {
  struct Case {
    int mode;
    const TGoodArr* arr;
    bool nicknames;
  } cases[] = {{dlmFactions, &data->aFaction, true},
               {dlmBases, &data->aBase, false},
               {dlmSystems, &data->aSystem, true},
               {dlmGoods, &data->aGood, true}};
  for (const auto& c : cases) {
    const TDebugLists lists = DebugLists(*data, c.mode);
    ASSERT_EQ(lists.Names.size(), c.arr->size() - 1) << c.mode;
    EXPECT_EQ(lists.Names.back(), c.arr->back().name.str());
    EXPECT_EQ(lists.Nicknames.size(), c.nicknames ? c.arr->size() - 1 : 0u);
    if (c.nicknames) {
      EXPECT_EQ(lists.Nicknames[0], (*c.arr)[1].nickname.str());
    }
  }
  EXPECT_TRUE(DebugLists(*data, 10).Names.empty());

  TGood& g = SvModelTestAccess(*data).aGood[2];
  g.volume = 3;
  const auto lines = DebugRecordLines(*data, dlmGoods, 2);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "index:      2");
  EXPECT_EQ(lines[1], "nick:       " + g.nickname.str());
  EXPECT_EQ(lines[2], "name:       \"" + g.name.str() + "\"");
  EXPECT_EQ(lines[10], "volume:     3.000000");
  EXPECT_TRUE(DebugRecordLines(*data, 10, 1).empty());
  EXPECT_TRUE(DebugRecordLines(*data, dlmGoods, int(data->aGood.size())).empty());
}

TEST(MarketRowTest, SubItemsFromTheLine) {
  struct Case {
    std::string line;
    std::vector<std::string> expected;
  } cases[] = {
      {R"("Ore","120.000000","1","2.000000","0.500000","1.500000","0.100000","3.000000")",
       {"True", "Ore", "Base X", "", "", "1", "180", "", "0.500000", "2.000000", "0.100000", "3.000000"}},
      {R"("Free","0.000000","0","0.000000","-1.000000","1.000000","0.000000","1.000000")",
       {"False", "Free", "Base X", "", "", "0", "0", "", "-1.000000", "0.000000", "0.000000", "1.000000"}},
      // the user's decimal comma; 2.5 rounds to the even 2
      {R"("Gas","2,500000","1","0,000000","0,000000","1,000000","0,000000","1,000000")",
       {"True", "Gas", "Base X", "", "", "1", "2", "", "0,000000", "0,000000", "0,000000", "1,000000"}},
      // a name with quotes and commas stays whole
      {R"("The "Big", Ring","10.000000","1","0.000000","0.000000","1.000000","0.000000","1.000000")",
       {"True", "The \"Big\", Ring", "Base X", "", "", "1", "10", "", "0.000000", "0.000000", "0.000000", "1.000000"}},
      {"not a market line", std::vector<std::string>(12)},
  };
  for (const auto& c : cases) {
    const TRouteRow row = MarketRow(c.line, "Base X");
    EXPECT_EQ(row.Caption, "");
    EXPECT_EQ(row.SubItems, c.expected) << c.line;
  }
}

TEST_F(DebugCoreTest, MarketRowsAndTheirSort) {
  const int base = test::TradingBase(*data);
  ASSERT_GT(base, 0);
  auto rows = MarketRows(*data, base, false);
  ASSERT_EQ(rows.size(), data->aGood.size() - 1);
  EXPECT_EQ(rows[0].SubItems[2], data->aBase[std::size_t(base)].name.str());
  EXPECT_EQ(MarketRows(*data, base, true).size(), std::size_t(test::SoldCount(*data, base)));
  for (int b : {0, -1, int(data->aBase.size())}) EXPECT_TRUE(MarketRows(*data, b, true).empty()) << b;

  // Rows of 12 sub-items sort under every header, both directions.
  TRouteTable table;
  for (const TRouteRow& r : rows) table.Append(r);
  for (int column = 0; column < RouteColumnCount; ++column)
    for (int param : {column, column + ReversedSort}) table.Reorder(RouteOrder(table, param));
  EXPECT_EQ(table.Count(), rows.size());
}

TEST_F(DebugCoreTest, IniDumpWritesHeldSlotsIntoTheFolder) {
  test::TempDir dir;
  const std::string folder = dir.Str() + "/";
  EXPECT_EQ(WriteIniDump(*data, folder), 0);  // the loader has released its slots
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  HoldGoodsIni(*data);
  EXPECT_EQ(WriteIniDump(*data, folder), 1);
  std::string written;
  ASSERT_TRUE(platform::ReadWholeFile(folder + "IniFile_4", written));
  EXPECT_NE(written.find("[Good1]"), std::string::npos);
  EXPECT_NE(written.find("ore"), std::string::npos);
}

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
    // Only the left button's double-click opens it.
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
      QTest::mouseDClick(w->gbOptions, button, {}, FreePoint(w->gbOptions));
      QTest::mouseRelease(w->gbOptions, button, {}, FreePoint(w->gbOptions));  // QTest leaves it held
      ASSERT_FALSE(w->panDebug->isVisible());
    }
    QTest::mouseDClick(w->gbOptions, Qt::LeftButton, {}, FreePoint(w->gbOptions));
    ASSERT_TRUE(w->panDebug->isVisible());
  }
};

// The controls reach the core (tested above); only a base's market replaces the route list.
TEST_F(DebugPageTest, ControlsShowListsRecordsMarketsAndWriteTheIniDump) {
  HoldGoodsIni(*w->Data());
  QTest::mouseClick(w->panBackTop, Qt::LeftButton, {}, FreePoint(w->panBackTop));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "IniFile_4"));

  EXPECT_FALSE(w->panDebug->isVisible());
  OpenPanel();

  const TSvData& d = *w->Data();
  // Each list button lists its records, with their nicknames beside them but for the bases.
  const struct {
    QPushButton* button;
    const TGoodArr* arr;
    bool nicknames;
  } lists[] = {{w->btGroups, &d.aFaction, true},
               {w->btBases, &d.aBase, false},
               {w->btSystems, &d.aSystem, true},
               {w->btCommos, &d.aGood, true}};
  for (const auto& c : lists) {
    QTest::mouseClick(c.button, Qt::LeftButton);
    EXPECT_EQ(w->lbSection->count(), int(c.arr->size()) - 1) << c.button->objectName().toStdString();
    EXPECT_EQ(w->lbSectionList->count(), c.nicknames ? int(c.arr->size()) - 1 : 0);
    EXPECT_EQ(w->lbSection->item(0)->text().toStdString(), (*c.arr)[1].name.str());
  }
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
  // A system's and a good's fields; the route list stays for all three.
  for (auto [button, mode] : {std::pair{w->btSystems, dlmSystems}, std::pair{w->btCommos, dlmGoods}}) {
    QTest::mouseClick(button, Qt::LeftButton);
    ClickRow(w->lbSection, 1);
    QString expected;
    for (const std::string& line : DebugRecordLines(d, mode, 2))
      expected += (expected.isEmpty() ? "" : "\n") + QString::fromStdString(line);
    EXPECT_EQ(w->reIni->toPlainText(), expected) << mode;
  }
  ASSERT_EQ(grid->RouteTable().Count(), 1u);
  EXPECT_EQ(grid->RouteTable().Field(0, 0), "42");
  // "Sold Commo" while factions are listed takes the position as a base index: the goods sold at base 2,
  // under the faction's name.
  QTest::mouseClick(w->btGroups, Qt::LeftButton);
  ClickRow(w->lbSection, 1);
  QTest::mouseClick(w->Button1, Qt::LeftButton);
  ASSERT_EQ(grid->RouteTable().Count(), std::size_t(SoldCount(d, 2)));
  ASSERT_GT(grid->RouteTable().Count(), 0u);
  EXPECT_EQ(grid->RouteTable().Field(0, 3), d.aFaction[2].name.str());
  grid->ClearRoutes();
  ClickRow(w->lbSectionList, 0);
  EXPECT_EQ(grid->RouteTable().Count(), std::size_t(SoldCount(d, 2)));

  // A base: its market in the route list; "Sold Commo": only the goods sold there.
  QTest::mouseClick(w->btBases, Qt::LeftButton);
  EXPECT_EQ(w->lbSectionList->count(), 0);
  ClickRow(w->lbSection, 0);
  ASSERT_EQ(grid->RouteTable().Count(), d.aGood.size() - 1);
  EXPECT_EQ(grid->RouteTable().Field(0, 3), w->lbSection->item(0)->text().toStdString());
  QTest::mouseClick(w->Button1, Qt::LeftButton);
  const TRouteTable& sold = grid->RouteTable();
  EXPECT_EQ(sold.Count(), std::size_t(SoldCount(d, 1)));

  QTest::mouseClick(w->btCloseDebug, Qt::LeftButton);
  EXPECT_FALSE(w->panDebug->isVisible());
  EXPECT_TRUE(w->btCalculate->isVisible());
}

}  // namespace
