// The selection pages, Calculate and Reshow of the main window on a generated installation, driven with the
// real buttons, keys and clicks (the route list's save is FormGridTest's and e2e/calculate.sh's).

#include <QApplication>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <optional>

#include "MainWindowFixture.h"
#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormMain_Display.h"
#include "widgets/WsSpin_Locale.h"
#include "app/uFormMain_InformationPage.h"
#include "app/uFormMain_Selection.h"
#include "util/MouseMove.h"
#include "util/NiceValues.h"
#include "platform/ProcessPriority.h"

using namespace qmz;
using namespace qmz::test;

namespace {

class CalculateWindowTest : public StartedWindowTest {
 protected:
  // Anywhere to anywhere, any commodity, chosen as a user does.
  void ChooseAnywhereAndAnyCommodity() {
    QTest::mouseClick(w->btFromAny, Qt::LeftButton);
    w->lbFromAny->item(0)->setSelected(true);
    QTest::mouseClick(w->btAddFrom, Qt::LeftButton);
    QTest::mouseClick(w->btDestAny, Qt::LeftButton);
    w->lbDestAny->item(0)->setSelected(true);
    QTest::mouseClick(w->btAddTo, Qt::LeftButton);
    QTest::mouseClick(w->btAddCommo, Qt::LeftButton);  // "::Any::" is selected after start-up
    ASSERT_EQ(w->lbCommo->count(), 1);
  }

  // What the window should show for anywhere to anywhere, any commodity: the core's routes and rows with
  // the option boxes' values, ordered by the total profit, highest first (equal totals in display order).
  TRouteTable ExpectedRows(std::optional<double> level = {}) {
    TCalcWork work;
    TCalcHooks hooks;
    const TIndex any{0, 4};
    CalculateRoutes(*w->Data(), {true, {any}, {any}, {any}}, work, hooks, nullptr);
    expectedSortCalls = work.FSortCalls;
    TDisplayOptions o;
    o.Money = w->edMoney->FloatValue();
    o.Cargo = w->edCargo->Value();
    o.LinesCount = w->edLinesCount->Value();
    o.Level = level.value_or(w->edLevel->FloatValue());
    o.Unlawful = w->cbUnlawful->isChecked();
    o.Perishable = w->cbPerishable->isChecked();
    o.DecimalSeparator = spinlocale::Current().decimal.toLatin1();
    TRouteTable table;
    BuildRouteRows(*w->Data(), work.FRoutes, o, hooks, table);
    table.Reorder(RouteOrder(table, ReversedSort));
    return table;
  }

  void ExpectShown(const TRouteTable& expected) {
    EXPECT_TRUE(RouteFileText(grid->RouteTable()) == RouteFileText(expected)) << "the rows differ";
  }

  std::uint64_t expectedSortCalls = 0;

  int CountLines(const std::string& text, TJournalLevel level) const { return test::CountLines(*journal, level, text); }
  static QString Printed(std::size_t rows) {
    return QString::fromStdString(" Finished - Printed " + std::to_string(rows) + " Routes");
  }
};

TEST_F(CalculateWindowTest, EmptySelectionCancelsAndStillRunsTheClosingSteps) {
  w->SetCalculateEnabled(true);
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  ASSERT_EQ(dialogs.infos.size(), 1u);
  EXPECT_EQ(dialogs.infos[0], "Please fill in at least one origin, destination and good.\r\nCalculation cancelled.");
  EXPECT_EQ(CountLines("Not all Listboxes have been filled - Calculation cancelled", jlWarning), 1);
  EXPECT_EQ(CountLines("<< Begin calculation >>", jlBegin), 1);
  EXPECT_EQ(CountLines("<< Begin calculation >>", jlEnd), 1);
  EXPECT_FALSE(w->btCalculate->isEnabled());
  EXPECT_TRUE(w->btShowRoutes->isEnabled());
  EXPECT_EQ(w->StatusText(), Printed(0));
}

// An error inside the calculation runs the closing steps in full, the display of the list's routes included,
// and only then reaches the application's handler.
TEST_F(CalculateWindowTest, AnErrorRunsTheClosingStepsAndTheDisplayBeforeTheHandler) {
  ChooseAnywhereAndAnyCommodity();
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  const std::size_t shown = grid->RouteTable().Count();
  ASSERT_GT(shown, 0u);
  grid->miClearClick();
  w->lbCommo->clear();
  dialogs.failInformation = true;  // the check's box raises
  w->SetCalculateEnabled(true);
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  EXPECT_EQ(grid->RouteTable().Count(), shown);
  EXPECT_EQ(w->btCalculate->text(), "&Calculate");
  EXPECT_FALSE(w->btCalculate->isEnabled());
  EXPECT_TRUE(w->btShowRoutes->isEnabled());
  ASSERT_EQ(dialogs.errors.size(), 1u);
  const auto& lines = journal->Buffer();
  const auto at = [&](const std::string& part, TJournalLevel level) {
    for (std::size_t i = lines.size(); i-- > 0;)
      if (lines[i].Level == level && lines[i].Text.find(part) != std::string::npos) return int(i);
    return -1;
  };
  EXPECT_LT(at("<< Begin calculation >>", jlEnd), at("information box failed", jlError));
}

// Loot mode turns Calculate on, locks the origin tab and needs no origin; trade mode unlocks the tab again.
TEST_F(CalculateWindowTest, LootModeLocksTheOriginTabAndNeedsNoOrigin) {
  TWsTabBarItem* origin = w->tbRoutes->Tabs()[0];
  TWsTabBarItem* destination = w->tbRoutes->Tabs()[1];
  w->SetCalculateEnabled(false);
  QTest::mouseClick(w->btFuncLoot, Qt::LeftButton);
  EXPECT_TRUE(w->btCalculate->isEnabled());
  EXPECT_EQ(w->tbRoutes->SelectedTab(), destination);
  EXPECT_FALSE(origin->Enabled());
  w->tbRoutes->SetSelectedTab(origin);
  EXPECT_EQ(w->tbRoutes->SelectedTab(), destination);
  w->lbDestBase->item(0)->setSelected(true);
  QTest::mouseClick(w->btAddTo, Qt::LeftButton);
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  EXPECT_TRUE(dialogs.infos.empty());
  ASSERT_NE(grid->RouteTable().Count(), 0u);
  EXPECT_EQ(grid->RouteTable().Field(0, 8), "0");  // "Price": loot is free
  QTest::mouseClick(w->btFuncTrade, Qt::LeftButton);
  EXPECT_TRUE(origin->Enabled());
  EXPECT_EQ(w->tbRoutes->SelectedTab(), destination);
}

TEST_F(CalculateWindowTest, AnywhereToAnywhereShowsTheBestRoutes) {
  EXPECT_EQ(w->edLevel->text(), "1");  // the level box starts at its minimum
  // A list loaded before: the display replaces its rows and the status line that counted them.
  grid->LoadRoutesFrom(QString::fromStdString(std::string(QMZ_TESTS_DIR) + "/data/small_loot_goods.csv"));
  ASSERT_TRUE(grid->StatusBar1->currentMessage().startsWith("Loaded "));
  ChooseAnywhereAndAnyCommodity();
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  const TRouteTable expected = ExpectedRows();
  ASSERT_NE(expected.Count(), 0u);
  ExpectShown(expected);
  EXPECT_EQ(grid->StatusBar1->currentMessage(), "");
  EXPECT_EQ(w->StatusText(), Printed(expected.Count()));
  EXPECT_EQ(CountLines("<< Begin calculation >>", jlEnd), 1);
  EXPECT_GT(w->SortCalls(), 0u);
  EXPECT_EQ(w->SortCalls(), expectedSortCalls);  // the window's SortRoutes, as the calculation's sort
}

TEST_F(CalculateWindowTest, SecondClickOnlyAsksTheCalculationToStop) {
  ChooseAnywhereAndAnyCommodity();
  // Two more clicks arrive through the calculation's first message pump: both only ask it to stop, and
  // none starts a calculation inside the running one.
  QTimer::singleShot(0, w.get(), [this] {
    EXPECT_EQ(w->btCalculate->text(), "St&op");
    QTest::mouseClick(w->btCalculate, Qt::LeftButton);
    QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  });
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  EXPECT_EQ(CountLines("<< Begin calculation >>", jlBegin), 1);
  EXPECT_EQ(CountLines("Calculation stopped by User", jlWarning), 2);
  EXPECT_EQ(w->Routes().Count(), 0u);
  EXPECT_TRUE(w->btShowRoutes->isEnabled());  // Calculate after a stop: StopClickedAtEachMomentOfARun
  EXPECT_FALSE(w->GetStopRequested());        // the second stop leaves no flag up
}

TEST_F(CalculateWindowTest, ReshowReadsTheOptionsAndItsSecondClickStops) {
  ChooseAnywhereAndAnyCommodity();
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  ASSERT_GT(grid->RouteTable().Count(), 40u);

  // Ten lines: at most ten rows.
  w->edLinesCount->setText("10");
  QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
  EXPECT_LE(grid->RouteTable().Count(), 10u);
  EXPECT_EQ(w->btShowRoutes->text(), "&Reshow routes");
  EXPECT_FALSE(w->btCalculate->isEnabled());  // as it was before the display

  // A click while the rows are written (it arrives through the display's pump) stops it.
  w->edLinesCount->setText("4000");
  QTimer::singleShot(0, w.get(), [this] {
    EXPECT_EQ(w->btShowRoutes->text(), "&Stop");
    QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
  });
  QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
  EXPECT_LE(grid->RouteTable().Count(), 2u);
  EXPECT_EQ(CountLines("Priting of routes cancelled", jlAction), 1);
  EXPECT_EQ(w->StatusText(), Printed(grid->RouteTable().Count()));
  EXPECT_FALSE(w->GetStopRequested());
}

// The display runs every thread of the process at idle, also one started before, and gives normal back at
// its end. Where the process could not come back (an ordinary user's), it stays at normal and the journal says
// why, once for every display.
TEST_F(CalculateWindowTest, ReshowRunsEveryThreadAtIdleAndGivesNormalBack) {
  ChooseAnywhereAndAnyCommodity();
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  ASSERT_GT(grid->RouteTable().Count(), 30u);
  const bool idle = platform::NormalPriorityReachable();
  ParkedThread before;
  for (int display = 0; display < 2; ++display) {
    std::vector<int> during;
    QTimer::singleShot(0, w.get(), [&] { during = NiceOfEveryThread(); });  // at the display's pump
    QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
    ASSERT_GE(during.size(), 2u);
    for (int nice : during) EXPECT_EQ(nice, idle ? 19 : 0);
    EXPECT_TRUE(EveryThreadAt(0));
  }
  EXPECT_EQ(CountLines("Process priority not lowered to idle, because ", jlWarning), idle ? 0 : 1);
}

// A Stop click before the loop ends the run with no route; during the sort (no stop test is left) every route
// is still shown, Calculate enabled as after any stop; while printing Calculate is disabled and does nothing.
TEST_F(CalculateWindowTest, StopClickedAtEachMomentOfARun) {
  ChooseAnywhereAndAnyCommodity();
  const TRouteTable all = ExpectedRows();
  ASSERT_GT(all.Count(), 30u);
  struct Moment {
    const char* status;
    bool stopped;
    bool everyRoute;
  };
  const Moment moments[] = {
      {"Starting calculation (please stay calm and get yourself a coffee..)", true, false},
      {"Sorting the Routes - this can take a while - I hope you got your coffee", true, true},
      {"Printing routes", false, true},
  };
  for (const Moment& m : moments) {
    SCOPED_TRACE(m.status);
    w->SetCalculateEnabled(true);
    const int stopLines = CountLines("Calculation stopped by User", jlWarning);
    const int sorted = CountLines("Finished Sorting (", jlInfo);
    bool clicked = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (clicked || !w->StatusText().contains(QLatin1String(m.status))) return;
      clicked = true;
      QTest::mouseClick(w->btCalculate, Qt::LeftButton);
    });
    watch.start();
    QTest::mouseClick(w->btCalculate, Qt::LeftButton);
    watch.stop();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(CountLines("Calculation stopped by User", jlWarning), stopLines + (m.stopped ? 1 : 0));
    EXPECT_EQ(CountLines("Finished Sorting (", jlInfo), sorted + (m.everyRoute ? 1 : 0));
    if (m.everyRoute) ExpectShown(all);
    else EXPECT_TRUE(grid->RouteTable().Count() == 0);
    EXPECT_EQ(w->btCalculate->isEnabled(), m.stopped);
    EXPECT_EQ(w->btCalculate->text(), "&Calculate");
    EXPECT_FALSE(w->GetStopRequested());
  }
}

// Alt+digit types nothing and an emptied box stays empty; the emptied level box reads 1, focused (Reshow takes
// no focus) or left. The reputation box takes neither the focus nor a key.
TEST_F(CalculateWindowTest, OptionBoxesTypeNothingWithAltAndStayEmptiedTheLevelReadingOne) {
  w->show();
  QApplication::setActiveWindow(w.get());
  QTest::mouseClick(w->edRepu, Qt::LeftButton, {}, QPoint(4, w->edRepu->height() / 2));
  EXPECT_FALSE(w->edRepu->hasFocus());
  QTest::keyClicks(w->edRepu, "5-");
  QTest::keyClick(w->edRepu, Qt::Key_Up);
  EXPECT_EQ(w->edRepu->text(), "0");
  ChooseAnywhereAndAnyCommodity();
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  const TRouteTable levelOne = ExpectedRows(1.0);
  ASSERT_NE(levelOne.Count(), ExpectedRows(0.0).Count());
  for (TWsSpinEdit* box : {w->edLevel, w->edMoney, w->edCargo, w->edLinesCount}) {
    const std::string name = box->objectName().toStdString();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    ASSERT_TRUE(box->hasFocus()) << name;
    const QString before = box->text();
    box->end(false);
    QTest::keyClick(box, '5', Qt::AltModifier);
    EXPECT_EQ(box->text(), before) << name;
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    ASSERT_EQ(box->text(), "") << name;
    if (box == w->edLevel) {
      QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
      EXPECT_TRUE(box->hasFocus());
      ExpectShown(levelOne);
    }
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_FALSE(box->hasFocus()) << name;
    EXPECT_EQ(box->text(), "") << name;
    if (box == w->edLevel) {
      QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
      ExpectShown(levelOne);
    }
  }
}

// The level has no upper bound: a level typed stays when the box is left and filters the routes shown.
TEST_F(CalculateWindowTest, ATypedLevelStaysAfterLeavingTheBoxAndStepsUpward) {
  QTest::mouseClick(w->edLevel, Qt::LeftButton, {}, QPoint(4, w->edLevel->height() / 2));
  QTest::keyClick(w->edLevel, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(w->edLevel, "3");
  QTest::keyClick(w->edLevel, Qt::Key_Tab);
  EXPECT_EQ(w->edLevel->text(), "3");
  w->edLevel->UpClick(nullptr);
  EXPECT_EQ(w->edLevel->text(), "4");
  ChooseAnywhereAndAnyCommodity();
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  const TRouteTable levelFour = ExpectedRows(4.0);
  ASSERT_NE(levelFour.Count(), ExpectedRows(0.0).Count());
  ExpectShown(levelFour);
}

TEST_F(CalculateWindowTest, ClosingDuringACalculationStopsItAndFreesTheModelAfterwards) {
  ChooseAnywhereAndAnyCommodity();
  QTimer::singleShot(0, w.get(), [this] { w->close(); });
  QTest::mouseClick(w->btCalculate, Qt::LeftButton);
  EXPECT_TRUE(w->Closed());
  EXPECT_EQ(w->Data(), nullptr);  // freed once the calculation had returned
  EXPECT_TRUE(grid->RouteTable().Count() == 0);
  EXPECT_EQ(CountLines("<< Begin calculation >>", jlEnd), 1);
}

std::vector<IndexTag> Tag(std::uint32_t index, std::uint8_t kind) { return {IndexTag{index, kind}}; }

class SelectionTest : public StartedWindowTest {
 protected:
  static QListWidgetItem* ItemWithTag(QListWidget* list, IndexTag tag) {
    for (int i = 0; i < list->count(); ++i)
      if (TagOf(list->item(i)) == tag) return list->item(i);
    return nullptr;
  }
  static void Select(QListWidget* list, std::initializer_list<IndexTag> tags) {
    list->clearSelection();
    for (IndexTag t : tags) {
      QListWidgetItem* item = ItemWithTag(list, t);
      ASSERT_NE(item, nullptr);
      item->setSelected(true);
    }
  }
  static std::vector<IndexTag> Tags(QListWidget* list) {
    std::vector<IndexTag> r;
    for (int i = 0; i < list->count(); ++i) r.push_back(*TagOf(list->item(i)));
    return r;
  }
  static TWsTreeNode* Root(MainTreeView* tree, const QString& text) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
      if (tree->topLevelItem(i)->text(0) == text) return static_cast<TWsTreeNode*>(tree->topLevelItem(i));
    return nullptr;
  }
  void SelectNodes(std::initializer_list<TWsTreeNode*> nodes) {
    w->tvCommoAll->ClearSelection();
    for (TWsTreeNode* n : nodes) w->tvCommoAll->SelectItem(n, false);
  }
  void ClickAddFrom() { QTest::mouseClick(w->btAddFrom, Qt::LeftButton); }
};

TEST_F(SelectionTest, AnywhereStandsAloneAndAsksBeforeClearing) {
  const IndexTag anywhere{0, 4}, base3{3, 1};
  // Empty list: no question.
  QTest::mouseClick(w->btFromAny, Qt::LeftButton);
  Select(w->lbFromAny, {anywhere});
  ClickAddFrom();
  EXPECT_TRUE(dialogs.confirms.empty());
  ASSERT_EQ(w->lbOrigin->count(), 1);
  EXPECT_EQ(w->lbOrigin->item(0)->text(), "Anywhere");
  EXPECT_TRUE(w->btCalculate->isEnabled());
  // A base goes beside "Anywhere".
  QTest::mouseClick(w->btFromBase, Qt::LeftButton);
  Select(w->lbFromBase, {base3});
  ClickAddFrom();
  EXPECT_EQ(w->lbOrigin->count(), 2);
  // "Anywhere" again: the question; No keeps the list, Yes leaves "Anywhere" alone.
  QTest::mouseClick(w->btFromAny, Qt::LeftButton);
  ClickAddFrom();
  ASSERT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_NE(dialogs.confirms[0].find("You selected ANYWHERE and wished to add it to the list\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(w->lbOrigin->count(), 2);
  dialogs.answers = {true};
  ClickAddFrom();
  EXPECT_EQ(Tags(w->lbOrigin), std::vector<IndexTag>(1, anywhere));
}

TEST_F(SelectionTest, PlacesAddedOnceInListOrderWithPrefixAndKindKept) {
  // Nothing selected: nothing added, Calculate stays off.
  w->SetCalculateEnabled(false);
  w->lbFromBase->clearSelection();
  ClickAddFrom();
  EXPECT_EQ(w->lbOrigin->count(), 0);
  EXPECT_FALSE(w->btCalculate->isEnabled());
  // Bases 5 and 2 and system 5: the system has its prefix, and base 5 does not hide system 5.
  Select(w->lbFromBase, {{5, 1}, {2, 1}});
  ClickAddFrom();
  QTest::mouseClick(w->btFromSystem, Qt::LeftButton);
  Select(w->lbFromSystem, {{5, 2}});
  ClickAddFrom();
  ClickAddFrom();  // a second add of the same selection adds nothing
  ASSERT_EQ(w->lbOrigin->count(), 3);
  EXPECT_NE(ItemWithTag(w->lbOrigin, {5, 1}), nullptr);
  QListWidgetItem* system = ItemWithTag(w->lbOrigin, {5, 2});
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(system->text(), "[System] " + QString::fromStdString(w->Data()->aSystem[5].name.str()));
  EXPECT_EQ(ItemWithTag(w->lbOrigin, {5, 1})->text(), QString::fromStdString(w->Data()->aBase[5].name.str()));

  // Delete and clear on the chosen list; each turns Calculate on again.
  w->SetCalculateEnabled(false);
  Select(w->lbOrigin, {{5, 2}});
  QTest::mouseClick(w->btDelFrom, Qt::LeftButton);
  EXPECT_EQ(w->lbOrigin->count(), 2);
  EXPECT_TRUE(w->btCalculate->isEnabled());
  w->SetCalculateEnabled(false);
  QTest::mouseClick(w->btClearFrom, Qt::LeftButton);
  EXPECT_EQ(w->lbOrigin->count(), 0);
  EXPECT_TRUE(w->btCalculate->isEnabled());
}

TEST_F(SelectionTest, EnterAndDoubleClickAdd) {
  // Enter in the information page's base list adds the destination page's selection.
  Select(w->lbDestBase, {{7, 1}});
  QTest::keyClick(w->lbInfBase, Qt::Key_Return);
  EXPECT_EQ(Tags(w->lbDestination), Tag(7, 1));
  // Enter in an origin source list adds to the origins; a double-click on a chosen entry deletes it.
  Select(w->lbFromBase, {{4, 1}});
  QTest::keyClick(w->lbFromBase, Qt::Key_Enter);
  EXPECT_EQ(Tags(w->lbOrigin), Tag(4, 1));
  Select(w->lbOrigin, {{4, 1}});
  QTest::mouseDClick(w->lbOrigin->viewport(), Qt::LeftButton);
  EXPECT_EQ(w->lbOrigin->count(), 0);
  // Enter in the information page's goods tree adds the commodity tree's selection ("::Any::" after start-up).
  QTest::keyClick(w->tvInfCommos, Qt::Key_Return);
  EXPECT_EQ(Tags(w->lbCommo), Tag(0, 4));
}

TEST_F(SelectionTest, CommodityTreesHoldAnyAllAndCategoriesAndAddFollowingTheAnyRules) {
  for (MainTreeView* tree : {w->tvCommoAll, w->tvInfCommos}) {
    ASSERT_GE(tree->topLevelItemCount(), 18);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "::Any::");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "{All Commodities}");
    ASSERT_EQ(tree->GetSelectedCount(), 1);
    EXPECT_EQ(tree->GetSelectedItem(0), tree->topLevelItem(0));
  }
  TWsTreeNode* any = Root(w->tvCommoAll, "::Any::");
  TWsTreeNode* all = Root(w->tvCommoAll, "{All Commodities}");
  TWsTreeNode* commodity = Root(w->tvCommoAll, "{Commodity}");
  ASSERT_TRUE(any && all && commodity);
  ASSERT_GT(commodity->childCount(), 0);
  EXPECT_EQ(ETypeOfNode(commodity), std::optional<std::uint8_t>(1));  // a category carries its type
  EXPECT_EQ(ETypeOfNode(any), std::nullopt);

  // "{All Commodities}" adds every good as its own entry, not the any-commodity entry.
  SelectNodes({all});
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(w->lbCommo->count(), all->childCount());
  EXPECT_EQ(ItemWithTag(w->lbCommo, {0, 4}), nullptr);

  // Goods first and "::Any::" last: the question; Yes leaves "::Any::" alone.
  QTest::mouseClick(w->btClear, Qt::LeftButton);
  SelectNodes({static_cast<TWsTreeNode*>(commodity->child(0)), any});
  dialogs.answers = {true};
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_EQ(Tags(w->lbCommo), Tag(0, 4));

  // "::Any::" first, then goods: the goods stay beside it. A category adds the goods of its type.
  QTest::mouseClick(w->btClear, Qt::LeftButton);
  SelectNodes({any, commodity});
  QTest::mouseClick(w->btAddCommo, Qt::LeftButton);
  EXPECT_EQ(w->lbCommo->count(), 1 + commodity->childCount());
  for (int i = 0; i < commodity->childCount(); ++i) {
    const IndexTag good = *TagOf(commodity->child(i));
    EXPECT_EQ(w->Data()->aGood[good.Index].etype, 1);
    EXPECT_NE(ItemWithTag(w->lbCommo, good), nullptr);
  }
}

TEST_F(SelectionTest, TreeSelectedWithTheMouseAndShiftClickRebuilds) {
  w->tbRoutes->SetSelectedTab(w->tbRoutes->Tabs()[2]);
  QApplication::processEvents();
  ASSERT_TRUE(w->tvCommoAll->isVisible());
  TWsTreeNode* all = Root(w->tvCommoAll, "{All Commodities}");
  w->tvCommoAll->expandItem(all);
  TWsTreeNode* good = static_cast<TWsTreeNode*>(all->child(0));
  QTest::mouseClick(w->tvCommoAll->viewport(), Qt::LeftButton, {}, w->tvCommoAll->ItemRect(good).center());
  ASSERT_EQ(w->tvCommoAll->GetSelectedCount(), 1);
  QTest::mouseDClick(w->tvCommoAll->viewport(), Qt::LeftButton, {}, w->tvCommoAll->ItemRect(good).center());
  EXPECT_EQ(Tags(w->lbCommo), std::vector<IndexTag>(1, *TagOf(good)));

  // A plain press on the page does nothing; with Shift it rebuilds both trees, "::Any::" selected again,
  // and the chosen goods stay.
  QTest::mouseClick(w->pageCommodity, Qt::LeftButton, {}, QPoint(1, 1));
  EXPECT_NE(w->tvCommoAll->GetSelectedItem(0), w->tvCommoAll->topLevelItem(0));
  QTest::mouseClick(w->pageCommodity, Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 1));
  EXPECT_EQ(w->tvCommoAll->GetSelectedItem(0), w->tvCommoAll->topLevelItem(0));
  EXPECT_EQ(w->lbCommo->count(), 1);
}

TEST_F(SelectionTest, HintLineShowsTheHintOfTheControlUnderTheMouse) {
  MoveMouse(w->btFuncLoot, {2, 2});
  EXPECT_EQ(w->reInfo->toPlainText(),
            "If you have got a special commodity and whant to know where to sell it best.. thats your point");
  MoveMouse(w->btCalculate, {2, 2});
  EXPECT_EQ(w->reInfo->toPlainText(), "");
}

}  // namespace
