// The route list: its rows, their order and route files, and the route-list window.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTableView>
#include <algorithm>
#include <string>

#include "app/core/uFormGrid_Files.h"
#include "app/uFormGrid.h"
#include "util/ModalAnswer.h"
#include "util/MouseMove.h"
#include "widgets/WsControls.h"
#include "util/TempDir.h"
#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"

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

  // The menu's Load or Save with a file name typed into its dialog and OK.
  void LoadVia(const QString& file) {
    Answer(grid->DlgOpen, file);
    grid->LoadRoutes1Click();
  }
  void SaveVia(const QString& file) {
    Answer(grid->DlgSave, file);
    grid->miSaveClick();
  }
  static void Answer(QFileDialog* dlg, const QString& file) {
    QTimer::singleShot(0, dlg, [dlg, file] {
      dlg->selectFile(file);
      static_cast<QDialog*>(dlg)->accept();  // QFileDialog::accept, as OK would
    });
  }

  // A file of the test's folder, as the window's dialogs name it.
  QString File(const std::filesystem::path& name) const { return QString::fromStdString((dir.Path() / name).string()); }

  // A route file of count rows in the test's folder ("Profit/#" counts up, "Price" down); its text.
  std::string WriteLongFile(const char* name, int count) {
    std::string text = RouteFileHeader() + "\r\n";
    for (int i = 0; i < count; ++i)
      text += "\"" + std::to_string(i) + "\",1,Ore,x,a,b,c,d," + std::to_string(count - i) + ",9,,,,,,,,,,\r\n";
    test::WriteWholeFile(dir.Path() / name, text);
    return text;
  }

  // What the user sees while a load or save pumps: the busy cursor and the gauge.
  bool Busy() const {
    return QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor &&
           grid->Progress->isVisible();
  }

  void ClickFirstRow() {
    const QRect r = grid->lvRoutes->visualRect(grid->lvRoutes->model()->index(0, 0));
    QTest::mouseClick(grid->lvRoutes->viewport(), Qt::LeftButton, {}, r.center());
  }

  test::TempDir dir;
  std::unique_ptr<TformGrid> grid;
  QStringList messages;
};

// The display's table goes to the list uncopied, in place of the rows before, in the closing order (highest
// total first, ties as built) whatever header was clicked before.
TEST_F(FormGridTest, TakenRowsAreShownUncopiedInTheClosingOrder) {
  grid->AddRoutes({Row("5", "Old", "1"), Row("6", "Older", "1")});
  ClickHeader(0);
  TRouteTable rows;
  for (const char* good : {"Ore", "Gold", "Water", "Salt"}) {
    rows.AddField(good[0] == 'G' ? "3000000000" : (good[0] == 'W' ? "100" : "7"));
    rows.AddField("1");
    rows.AddField(good);
    rows.EndRow();
  }
  rows.AddField("not ended");
  const char* texts = rows.Field(0, 0).data();
  grid->TakeRoutes(std::move(rows), true);
  EXPECT_EQ(Column(2), (QStringList{"Gold", "Water", "Ore", "Salt"}));
  EXPECT_EQ(grid->RouteTable().Field(2, 0).data(), texts);
  ClickHeader(0);  // the next click sorts in the base direction, as after the display's two clicks
  EXPECT_EQ(Column(2), (QStringList{"Ore", "Salt", "Water", "Gold"}));
}

// The custom-draw handler gives each row its colours, and the list draws them.
TEST_F(FormGridTest, RowColours) {
  grid->AddRoutes({Row("1", "A", "1"), Row("2", "B", "1"), Row("3", "C", "1", "0,50"),
                   Row("4", "D", "1", "0.00", "False"), TRouteRow{"5", {"x"}}});
  const auto* m = grid->lvRoutes->model();
  auto drawn = [&](int r) {
    QStyleOptionViewItem option;
    bool defaultDraw = true;
    grid->lvRoutesCustomDrawItem(grid->lvRoutes, m->index(r, 0), option, defaultDraw);
    EXPECT_TRUE(defaultDraw);
    return std::pair(option.backgroundBrush.color(), option.palette.color(QPalette::Text));
  };
  EXPECT_EQ(drawn(0).first, QColor(Qt::white));
  EXPECT_EQ(drawn(1).first, QColor(0xCC, 0xFF, 0xCC));
  EXPECT_EQ(drawn(2).first, QColor(0xFF, 0x80, 0x00));  // decaying good
  EXPECT_EQ(drawn(3).second, QColor(0xFF, 0, 0));       // not lawful
  EXPECT_EQ(drawn(0).second, QColor(Qt::black));
  EXPECT_EQ(drawn(4).first, QColor(Qt::white));  // too few sub-items: only the alternating colours
  // On screen: a point of each row right of its text.
  const QImage shot = grid->lvRoutes->viewport()->grab().toImage();
  for (const auto& [row, colour] : {std::pair{1, QColor(0xCC, 0xFF, 0xCC)}, {2, QColor(0xFF, 0x80, 0x00)}}) {
    const QRect r = grid->lvRoutes->visualRect(m->index(row, 0));
    EXPECT_EQ(shot.pixelColor(r.right() - 3, r.center().y()), colour) << row;
  }
}

// Checked-in route files loaded and saved again (the menu adds the extension) come out byte for byte the
// same; Clear empties the list; a file that cannot be written is reported with the system's reason.
TEST_F(FormGridTest, RouteFilesThroughTheWindowAreUnchangedAndAFailedSaveIsReported) {
  grid->AddRoutes({Row("20", "Ore", "5")});
  SaveVia(File("no-such-folder/x.csv"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("Save Routes|The routes could not be saved to \"") &&
              messages[0].endsWith("no-such-folder/x.csv\" (No such file or directory)."))
      << messages[0].toStdString();
  for (const std::string name : {"small_trade_anywhere", "small_loot_goods"}) {
    const std::string golden = std::string(QMZ_TESTS_DIR) + "/data/" + name + ".csv";
    LoadVia(QString::fromStdString(golden));
    ASSERT_GT(grid->lvRoutes->model()->rowCount(), 50);
    SaveVia(File(name));
    EXPECT_TRUE(test::ReadWholeFile(dir.Path() / (name + ".csv")) == test::ReadWholeFile(golden)) << name;
    grid->miClearClick();
    EXPECT_EQ(grid->lvRoutes->model()->rowCount(), 0);
  }
  EXPECT_EQ(messages.size(), 1);
}

TEST_F(FormGridTest, LoadRefusesWhatIsNoRouteFileAndCountsOddLines) {
  grid->AddRoutes({Row("1", "A", "1"), Row("2", "B", "1")});
  const std::string header = RouteFileHeader() + "\r\n";
  const std::string full = "\"7\",1,Ore,x,a,b,c,d,5,9,10,2,0.00,1.00,0.00,1,,f,g,True";
  const std::string fifteen = "\"9\",a,b,c,d,e,f,g,h,i,j,k,l,0.50,m";
  struct Case {
    const char* name;
    std::string text;
    QString outcome;  // the message, or the status line after loading
    int rows;
  } cases[] = {
      {"empty.csv", "", "was not loaded: its first line is not the header line of a route file.", 2},
      {"nul.csv", header + std::string("\"1\",a\0b\r\n", 9), "was not loaded: it holds a NUL byte.", 2},
      {"header.csv", header, "Loaded 0 routes; lines with another number of fields than 20: 0", 0},
      {"short.csv", header + full + "\r\n" + fifteen + "\r\n",
       "Loaded 2 routes; lines with another number of fields than 20: 1", 2},
  };
  for (const auto& c : cases) test::WriteWholeFile(dir.Path() / c.name, c.text);
  // Through the menu's dialog once; the same way for every file after.
  LoadVia(File("empty.csv"));
  EXPECT_EQ(messages.size(), 1);
  for (const auto& c : cases) {
    const QString path = File(c.name);
    messages.clear();
    grid->LoadRoutesFrom(path);
    if (c.outcome.startsWith("Loaded")) {
      EXPECT_TRUE(messages.isEmpty()) << c.name;
      EXPECT_EQ(grid->StatusBar1->currentMessage().toStdString(), c.outcome.toStdString());
    } else {
      EXPECT_EQ(messages.join('/').toStdString(), ("Load Routes|\"" + path + "\" " + c.outcome).toStdString());
      EXPECT_EQ(Column(1), (QStringList{"", ""})) << c.name;  // the rows as they were
    }
    EXPECT_EQ(grid->lvRoutes->model()->rowCount(), c.rows) << c.name;
  }
  // A file that cannot be read: the system's reason, the rows as they were.
  messages.clear();
  grid->LoadRoutesFrom(File("missing.csv"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(
      messages[0].startsWith("Load Routes|\"" + File("missing.csv") + "\" was not loaded: it could not be read ("))
      << messages[0].toStdString();
  EXPECT_EQ(grid->lvRoutes->model()->rowCount(), 2);
  // The short row is saved as read.
  SaveVia(File("again.csv"));
  EXPECT_EQ(test::ReadWholeFile(dir.Path() / "again.csv"), test::ReadWholeFile(dir.Path() / "short.csv"));
  // A path typed into the dialog's name field comes back selected, so a name typed in next replaces it.
  QString shown, selected;
  auto* name = grid->DlgOpen->findChild<QLineEdit*>("fileNameEdit");
  QTimer::singleShot(0, grid->DlgOpen, [&] {
    grid->DlgOpen->selectFile(File("header.csv"));
    name->end(false);  // as after typing: nothing selected, the cursor at the end
    static_cast<QDialog*>(grid->DlgOpen)->accept();
  });
  grid->LoadRoutes1Click();
  EXPECT_EQ(grid->lvRoutes->model()->rowCount(), 0);
  QTimer::singleShot(0, grid->DlgOpen, [&] {
    shown = name->text();
    selected = name->selectedText();
    grid->DlgOpen->reject();
  });
  grid->LoadRoutes1Click();
  EXPECT_FALSE(shown.isEmpty());
  EXPECT_EQ(selected, shown);
}

TEST_F(FormGridTest, ColumnsAreAtLeastAsWideAsTheirCaptions) {
  QHeaderView* header = grid->lvRoutes->header();
  const QFontMetrics metrics(header->font());
  const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin);
  for (int c = 0; c < RouteColumnCount; ++c) {
    const QString caption = grid->lvRoutes->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_GE(header->sectionSize(c), metrics.horizontalAdvance(caption) + margins) << caption.toStdString();
  }
}

// The load pumps the message queue; a header click that arrives meanwhile neither sorts nor mixes the
// rows being read with those shown.
TEST_F(FormGridTest, HeaderClickDuringALoadLeavesTheLoadedRowsWhole) {
  grid->AddRoutes({Row("1", "A", "1"), Row("2", "B", "1")});
  WriteLongFile("many.csv", 3000);
  QStringList expected;
  for (int i = 0; i < 3000; ++i) expected << QString::number(i);
  bool clicked = false, busy = false;
  QTimer::singleShot(0, grid.get(), [&] {
    busy = Busy();
    ClickHeader(8);
    clicked = true;
  });
  grid->LoadRoutesFrom(File("many.csv"));
  EXPECT_TRUE(clicked);  // during the load
  EXPECT_TRUE(busy);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Column(0), expected);
  EXPECT_FALSE(grid->Progress->isVisible());
  // Afterwards clicks sort again.
  ClickHeader(8);
  EXPECT_EQ(Column(8).first(), "1");
}

// A long save pumps the message queue as a load does, between pieces of the file. A header click meanwhile
// does not sort; a clear empties the list, but the file holds the rows as they were when the save began.
TEST_F(FormGridTest, ALongSaveKeepsTheWindowAliveAndWritesTheRowsItBeganWith) {
  const std::string text = WriteLongFile("many.csv", 30000);
  grid->LoadRoutesFrom(File("many.csv"));
  ASSERT_EQ(grid->lvRoutes->model()->rowCount(), 30000);
  std::vector<std::size_t> ticks;
  ASSERT_TRUE(SaveRouteFile(dir.Str() + "/direct.csv", grid->RouteTable(), [&](std::size_t done, std::size_t total) {
    ticks.push_back(done);
    EXPECT_EQ(total, 30000u);
  }));
  EXPECT_GE(ticks.size(), 3u);  // before the first piece, between pieces, after the last
  EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()));
  EXPECT_EQ(test::ReadWholeFile(dir.Path() / "direct.csv"), text);

  bool busy = false;
  QTimer::singleShot(0, grid.get(), [&] {
    busy = Busy();
    ClickHeader(8);
    grid->miClearClick();
  });
  grid->SaveRoutesTo(File("saved.csv"));
  EXPECT_TRUE(busy);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(grid->Progress->isVisible());
  EXPECT_EQ(grid->lvRoutes->model()->rowCount(), 0);
  EXPECT_TRUE(test::ReadWholeFile(dir.Path() / "saved.csv") == text);
  EXPECT_TRUE(messages.isEmpty());
}

// Clearing a long list gives the view's memory back with a fresh view: the columns stay as the user
// left them and the new view answers clicks as the old one did: header clicks sort and flip the direction.
TEST_F(FormGridTest, ClearingALongListKeepsColumnsAndHeaderClicksSort) {
  WriteLongFile("long.csv", 70000);
  grid->LoadRoutesFrom(File("long.csv"));
  ASSERT_EQ(grid->lvRoutes->model()->rowCount(), 70000);
  grid->lvRoutes->setColumnWidth(2, 333);
  grid->miClearClick();
  EXPECT_EQ(grid->lvRoutes->model()->rowCount(), 0);
  EXPECT_EQ(grid->lvRoutes->columnWidth(2), 333);
  EXPECT_EQ(grid->findChildren<QTableView*>("lvRoutes").size(), 1);
  QAbstractItemModelTester tester(grid->lvRoutes->model());
  grid->AddRoutes({Row("100", "Ore", "300"), Row("3000000000", "gold", "50"), Row("7", "Water", "1000")});
  ClickHeader(8);  // "Price": lowest first
  EXPECT_EQ(Column(8), (QStringList{"50", "300", "1000"}));
  ClickHeader(8);
  EXPECT_EQ(Column(8), (QStringList{"1000", "300", "50"}));
  ClickFirstRow();
  EXPECT_TRUE(grid->miAddFilter->isEnabled());
}

TEST_F(FormGridTest, AddToFilterNeedsASelectedRowAndHintShowsOnMouseMove) {
  grid->AddRoutes({Row("1", "A", "1")});
  grid->miAddFilterClick();
  EXPECT_EQ(messages, (QStringList{"No row selected|To add a filter, plase select a row in the listview first."}));
  EXPECT_FALSE(grid->miAddFilter->isEnabled());
  ClickFirstRow();
  EXPECT_TRUE(grid->miAddFilter->isEnabled());
  grid->miAddFilterClick();
  EXPECT_EQ(messages.size(), 1);
  // A box of the window with the flat bevel (the save dialog's name field) gets the soft one back.
  auto* name = grid->DlgSave->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  SetBoxBevelKind(name, BevelKind::bkFlat);
  test::MoveMouse(grid->lvRoutes->viewport(),
                  grid->lvRoutes->visualRect(grid->lvRoutes->model()->index(0, 0)).center());
  EXPECT_EQ(grid->reInfo->toPlainText(), "Here you can see the resulting traderoutes");
  EXPECT_EQ(GetBevelKind(name), BevelKind::bkSoft);
  // The right mouse button's menu comes up where the list was clicked.
  const QPoint at = grid->lvRoutes->visualRect(grid->lvRoutes->model()->index(0, 0)).center();
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, grid->lvRoutes->viewport()->mapToGlobal(at));
  QApplication::sendEvent(grid->lvRoutes->viewport(), &menu);
  EXPECT_TRUE(grid->popupRoutes->isVisible());
  EXPECT_EQ(grid->popupRoutes->pos(), grid->lvRoutes->viewport()->mapToGlobal(at));
  grid->popupRoutes->hide();
}

// Giving a long list back pumps the window's queue between slices of its texts.
TEST_F(FormGridTest, GivingALongListBackKeepsTheWindowLive) {
  TRouteTable rows;
  for (int i = 0; i < 40; ++i) {
    rows.AddField(std::string(std::size_t(1) << 20, 'x'));
    rows.EndRow();
  }
  grid->TakeRoutes(std::move(rows), false);
  bool pumped = false;
  QTimer::singleShot(0, grid.get(), [&] { pumped = true; });
  grid->miClearClick();
  EXPECT_TRUE(pumped);
  EXPECT_EQ(grid->RouteTable().Count(), 0u);
}

// Without a box of the caller's, the window's message is a real box showing its text as plain characters.
TEST(FormGridBoxTest, MessageIsABoxOfPlainText) {
  TformGrid grid;
  const test::ShownLabel shown = test::LabelOfModalBox(QStringLiteral("plase"), [&] { grid.miAddFilterClick(); });
  EXPECT_EQ(shown.text, "To add a filter, plase select a row in the listview first.");
}

// Rows cleared and filled again (a load, a display) start at the first row, however far down the list was.
TEST_F(FormGridTest, NewRowsStartAtTheFirstRow) {
  WriteLongFile("long.csv", 300);
  const auto scrolledDown = [this] {
    grid->lvRoutes->scrollToBottom();
    QApplication::processEvents();
    ASSERT_GT(grid->lvRoutes->verticalScrollBar()->value(), 0);
  };
  const auto firstRowInView = [this] {
    EXPECT_EQ(grid->lvRoutes->verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid->lvRoutes->rowAt(0), 0);
  };
  grid->LoadRoutesFrom(File("long.csv"));
  scrolledDown();
  grid->LoadRoutesFrom(File("long.csv"));
  firstRowInView();
  scrolledDown();
  TRouteTable rows;
  for (int i = 0; i < 300; ++i) {
    rows.AddField(std::to_string(i));
    rows.EndRow();
  }
  grid->TakeRoutes(std::move(rows), true);
  firstRowInView();
}

}  // namespace
