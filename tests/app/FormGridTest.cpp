#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

#include "app/core/uFormGrid_Files.h"
#include "app/uFormGrid.h"
#include "util/TempDir.h"

using namespace qmz;

namespace {

class FormGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid = std::make_unique<TformGrid>();
    grid->ShowMessage = [this](const QString& text, const QString& caption) { messages << caption + "|" + text; };
    grid->show();
    // As start-up leaves the list: three column-0 calls on the empty list.
    for (int i = 0; i < 3; ++i) grid->lvRoutesColumnClick(0);
  }

  static TRouteRow Row(const std::string& total, const std::string& good, const std::string& price,
                       const std::string& decay = "0.00", const std::string& lawful = "True") {
    TRouteRow r;
    r.Caption = total;
    r.SubItems.resize(RouteSubItemCount);
    r.SubItems[1] = good;
    r.SubItems[7] = price;
    r.SubItems[13] = decay;
    r.SubItems[18] = lawful;
    return r;
  }

  void ClickHeader(int column) {
    QHeaderView* header = grid->lvRoutes->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }

  QStringList Column(int column) const {
    QStringList out;
    const auto* m = grid->lvRoutes->model();
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, column).data().toString();
    return out;
  }

  // Runs a file dialog of the window with a file name typed in and OK.
  static void Answer(QFileDialog* dlg, const QString& file) {
    QTimer::singleShot(0, dlg, [dlg, file] {
      dlg->selectFile(file);
      static_cast<QDialog*>(dlg)->accept();  // QFileDialog::accept, as OK would
    });
  }

  std::unique_ptr<TformGrid> grid;
  QStringList messages;
};

TEST_F(FormGridTest, HeaderClicksSortAndFlipTheDirection) {
  QAbstractItemModelTester tester(grid->lvRoutes->model());
  grid->AddRoutes({Row("100", "Ore", "300"), Row("3000000000", "gold", "50"), Row("7", "Water", "1000")});
  ClickHeader(8);  // "Price": lowest first
  EXPECT_EQ(Column(8), (QStringList{"50", "300", "1000"}));
  ClickHeader(8);
  EXPECT_EQ(Column(8), (QStringList{"1000", "300", "50"}));
  ClickHeader(2);  // "Commodity" in the base direction: Z to A
  EXPECT_EQ(Column(2), (QStringList{"Water", "Ore", "gold"}));
  // The display's closing sort ends highest total first whatever was clicked.
  grid->SortRoutesByProfit();
  EXPECT_EQ(Column(0), (QStringList{"3000000000", "100", "7"}));
  ClickHeader(0);
  EXPECT_EQ(Column(0), (QStringList{"7", "100", "3000000000"}));
}

TEST_F(FormGridTest, RowColours) {
  grid->AddRoutes({Row("1", "A", "1"), Row("2", "B", "1"), Row("3", "C", "1", "0,50"),
                   Row("4", "D", "1", "0.00", "False"), TRouteRow{"5", {"x"}}});
  const auto* m = grid->lvRoutes->model();
  auto background = [&](int r) { return m->index(r, 0).data(Qt::BackgroundRole).value<QColor>(); };
  auto text = [&](int r) { return m->index(r, 0).data(Qt::ForegroundRole).value<QColor>(); };
  EXPECT_EQ(background(0), QColor(Qt::white));
  EXPECT_EQ(background(1), QColor(0xCC, 0xFF, 0xCC));
  EXPECT_EQ(background(2), QColor(0xFF, 0x80, 0x00));  // decaying good
  EXPECT_EQ(text(3), QColor(0xFF, 0, 0));              // not lawful
  EXPECT_EQ(text(0), QColor(Qt::black));
  EXPECT_EQ(background(4), QColor(Qt::white));  // too few sub-items: only the alternating colours
}

// Checked-in route files loaded into the window and saved again (the menu adds the default extension)
// come out byte for byte the same; Clear empties the list, and a file that cannot be written is reported
// instead of lost silently. The texts' round trip is RouteRowsTest's.
TEST_F(FormGridTest, RouteFilesThroughTheWindowAreUnchangedAndAFailedSaveIsReported) {
  test::TempDir dir;
  grid->AddRoutes({Row("20", "Ore", "5")});
  Answer(grid->DlgSave, QString::fromStdString((dir.Path() / "no-such-folder" / "x.csv").string()));
  grid->miSaveClick();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("Save Routes|The routes could not be saved")) << messages[0].toStdString();
  for (const std::string name : {"small_trade_anywhere", "small_loot_goods"}) {
    const std::string golden = std::string(QMZ_TESTS_DIR) + "/data/" + name + ".csv";
    Answer(grid->DlgOpen, QString::fromStdString(golden));
    grid->LoadRoutes1Click();
    ASSERT_GT(grid->lvRoutes->model()->rowCount(), 50);
    Answer(grid->DlgSave, QString::fromStdString((dir.Path() / name).string()));
    grid->miSaveClick();
    EXPECT_TRUE(test::ReadWholeFile(dir.Path() / (name + ".csv")) == test::ReadWholeFile(golden)) << name;
    grid->miClearClick();
    EXPECT_EQ(grid->lvRoutes->model()->rowCount(), 0);
  }
  EXPECT_EQ(messages.size(), 1);
}

TEST_F(FormGridTest, AddToFilterNeedsASelectedRowAndHintShowsOnMouseMove) {
  grid->AddRoutes({Row("1", "A", "1")});
  grid->miAddFilterClick();
  EXPECT_EQ(messages, (QStringList{"No row selected|To add a filter, plase select a row in the listview first."}));
  EXPECT_FALSE(grid->miAddFilter->isEnabled());
  const QRect r = grid->lvRoutes->visualRect(grid->lvRoutes->model()->index(0, 0));
  QTest::mouseClick(grid->lvRoutes->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_TRUE(grid->miAddFilter->isEnabled());
  grid->miAddFilterClick();
  EXPECT_EQ(messages.size(), 1);

  QTest::mouseMove(grid->lvRoutes->viewport(), r.center());
  QMouseEvent move(QEvent::MouseMove, QPointF(r.center()), QPointF(grid->lvRoutes->viewport()->mapToGlobal(r.center())),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(grid->lvRoutes->viewport(), &move);
  EXPECT_EQ(grid->reInfo->toPlainText(), "Here you can see the resulting traderoutes");
}

}  // namespace
