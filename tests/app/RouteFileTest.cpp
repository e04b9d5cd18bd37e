// Route files written back by a spreadsheet, the float columns' order, and the open dialog's leftovers.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"
#include "app/uFormGrid.h"
#include "support/Classes.h"
#include "util/TempDir.h"

using namespace qmz;

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Fields(const TRouteTable& rows, std::size_t r) {
  std::vector<std::string_view> views;
  rows.Fields(r, views);
  return {views.begin(), views.end()};
}

// Every route file the program wrote reads field for field as the comma-text rules read each of its lines.
TEST(RouteFileCsv, FilesTheProgramWroteReadAsBefore) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(QMZ_TESTS_DIR) / "data")) {
    if (entry.path().extension() != ".csv") continue;
    ++files;
    const std::string text = test::ReadWholeFile(entry.path());
    TRouteTable rows;
    const TRouteFileLoad load = LoadRouteFile(entry.path().string(), rows);
    ASSERT_EQ(load.Error, TRouteFileError::None) << entry.path();
    EXPECT_EQ(load.OtherFieldCountLines, 0u) << entry.path();
    TStringList lines;
    lines.SetText(text);
    ASSERT_EQ(rows.Count() + 1, std::size_t(lines.Count())) << entry.path();
    for (std::size_t r = 0; r < rows.Count(); ++r) {
      TStringList before;
      before.SetCommaText(lines.Strings(int(r) + 1));
      std::vector<std::string> expected;
      for (int i = 0; i < before.Count(); ++i) expected.emplace_back(before.Strings(i));
      ASSERT_EQ(Fields(rows, r), expected) << entry.path() << " line " << r + 2;
    }
    EXPECT_EQ(RouteFileText(rows), text) << entry.path();
  }
  EXPECT_GE(files, 6);
}

// One route as a spreadsheet saves it: a byte-order mark, CR LF, quotes only where needed, an empty column
// after the last, a cell holding a line break. In UTF-8 and in the Windows code page.
TEST(RouteFileCsv, ASpreadsheetsFileLoadsWithEveryFieldInItsColumn) {
  // The fields as they must come out, one per '|'.
  std::vector<std::string> want;
  std::string_view wanted =
      "1200|60|Ore|Commodity|Planet Solis|Sol One|Dock \"A\", North|Ventra|20|80|1000|50|-0.25|1.00|0.00|1||"
      "Kelvane\nGuild|Miners' Union|True";
  for (std::size_t bar; (bar = wanted.find('|')) != std::string_view::npos; wanted.remove_prefix(bar + 1))
    want.emplace_back(wanted.substr(0, bar));
  want.emplace_back(wanted);
  auto file = [](const std::string& eacute) {
    std::string header;
    for (std::string_view title : RouteColumnHeaders) header += std::string(title) + ",";
    return "\xEF\xBB\xBF" + header + "\r\n" +
           "1200,60,Ore,Commodity,Planet Solis,Sol One,\"Dock \"\"A\"\", North\",Ventra,20,80,1000,50,-0.25,1.00,"
           "0.00,1,,\"Kelvane\r\nGuild\",Miners' Union,True,\r\n" +
           "7,1,Caf" + eacute + " Noir,x,a,b,c,d,5,9,10,2,0.00,1.00,0.00,1,,f,g,True,\r\n";
  };
  test::TempDir dir;
  for (const auto& [name, eacute] : {std::pair{"utf8.csv", "\xC3\xA9"}, std::pair{"cp1252.csv", "\xE9"}}) {
    test::WriteWholeFile(dir.Path() / name, file(eacute));
    TRouteTable rows;
    const TRouteFileLoad load = LoadRouteFile((dir.Path() / name).string(), rows);
    ASSERT_EQ(load.Error, TRouteFileError::None) << name;
    EXPECT_EQ(load.OtherFieldCountLines, 0u) << name;
    ASSERT_EQ(rows.Count(), 2u) << name;
    EXPECT_EQ(Fields(rows, 0), want) << name;
    EXPECT_EQ(rows.Field(1, 2), "Caf\xC3\xA9 Noir") << name;
    EXPECT_EQ(rows.FieldCount(1), 20u) << name;
  }
  // Saved again, the record reads back the same, the line break inside its quotes.
  TRouteTable rows;
  ASSERT_EQ(ParseRouteFileText(file("\xC3\xA9"), rows).Error, TRouteFileError::None);
  TRouteTable again;
  ASSERT_EQ(ParseRouteFileText(RouteFileText(rows), again, 3).Error, TRouteFileError::None);
  EXPECT_EQ(RouteFileText(again), RouteFileText(rows));
  EXPECT_EQ(Fields(again, 0), want);
}

// Quotes, blanks and commas in the odd places hand-edited files have them.
TEST(RouteFileCsv, QuotesBlanksAndUnclosedFields) {
  const std::string header = RouteFileHeader() + "\r\n";
  TRouteTable rows;
  const TRouteFileLoad load = ParseRouteFileText(header + "  \"1\" , two words ,x\"y, \"a\"b,\r\n" + "  \r\n" +
                                                     "\"2\",\"never closed\r\nstill,here",
                                                 rows);
  ASSERT_EQ(load.Error, TRouteFileError::None);
  ASSERT_EQ(rows.Count(), 2u);
  EXPECT_EQ(Fields(rows, 0), (std::vector<std::string>{"1", "two words", "x\"y", "ab", ""}));
  EXPECT_EQ(Fields(rows, 1), (std::vector<std::string>{"2", "never closed\nstill,here"}));
  // More than one empty column after the last is not kept either; an empty field inside a full row is.
  TRouteTable wide;
  ASSERT_EQ(ParseRouteFileText(header + "\"1\"" + std::string(19, ',') + ",,\r\n\"2\"" + std::string(19, ',') +
                                   "x,\r\n",
                               wide)
                .OtherFieldCountLines,
            0u);
  EXPECT_EQ(wide.FieldCount(0), 20u);
  EXPECT_EQ(wide.FieldCount(1), 20u);
  EXPECT_EQ(wide.Field(1, 19), "x");
}

class RouteListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.ShowMessage = [](const QString&, const QString&) {};
    grid.show();
    for (int i = 0; i < 3; ++i) grid.lvRoutesColumnClick(0);
  }
  void ClickHeader(int column) {
    QHeaderView* header = grid.lvRoutes->header();
    grid.lvRoutes->scrollTo(grid.lvRoutes->model()->index(0, column));
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }
  QStringList Column(int column) const {
    QStringList out;
    const auto* m = grid.lvRoutes->model();
    for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, column).data().toString();
    return out;
  }
  TformGrid grid;
};

// Values less than 0.5 apart sort by their numbers, both ways, in every float column.
TEST_F(RouteListTest, FloatColumnsSortByTheirNumbers) {
  const std::vector<std::string> decay = {"0.00", "0.25", "0.01", "0.50", "0.10"};
  const std::vector<std::string> repu = {"-1.00", "0.45", "-0.30", "0.00", "0.20"};
  std::vector<TRouteRow> rows;
  for (std::size_t i = 0; i < decay.size(); ++i) {
    TRouteRow r{std::to_string(i), std::vector<std::string>(RouteSubItemCount, decay[i])};
    r.SubItems[11] = repu[i];
    rows.push_back(r);
  }
  grid.AddRoutes(rows);
  for (int column = 10; column <= 15; ++column) {
    SCOPED_TRACE(column);
    const bool isRepu = column == 12;
    ClickHeader(column);
    EXPECT_EQ(Column(column), isRepu ? (QStringList{"-1.00", "-0.30", "0.00", "0.20", "0.45"})
                                     : (QStringList{"0.00", "0.01", "0.10", "0.25", "0.50"}));
    ClickHeader(column);
    EXPECT_EQ(Column(column), isRepu ? (QStringList{"0.45", "0.20", "0.00", "-0.30", "-1.00"})
                                     : (QStringList{"0.50", "0.25", "0.10", "0.01", "0.00"}));
  }
}

}  // namespace

namespace {

// A path typed into the open dialog brings up the name field's completion list; once the dialog has
// loaded the file, the list is gone and the next click on the route list reaches it. The list's folder is
// read on another thread and may come in before or after the dialog closes: the test waits for it.
TEST_F(RouteListTest, TheCompletionListClosesWithTheOpenDialog) {
  test::TempDir dir;
  fs::create_directories(dir.Path() / "saved");
  for (const char* name : {"routes_a.csv", "routes_b.csv"})
    test::WriteWholeFile(dir.Path() / "saved" / name, RouteFileHeader() + "\r\n\"5\",1,Ore\r\n");
  auto* name = grid.DlgOpen->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_TRUE(name != nullptr && name->completer() != nullptr);
  QWidget* popup = name->completer()->popup();
  auto* folders = grid.DlgOpen->findChild<QFileSystemModel*>();
  ASSERT_TRUE(folders != nullptr);
  QSignalSpy loaded(folders, &QFileSystemModel::directoryLoaded);
  auto savedRead = [&] {
    return std::any_of(loaded.begin(), loaded.end(),
                       [](const QList<QVariant>& args) { return args.at(0).toString().endsWith("/saved"); });
  };
  QTimer::singleShot(0, grid.DlgOpen, [&] {
    QTest::keyClicks(name, QString::fromStdString(dir.Str() + "/saved/rou"));
    // The rest of the name as the list would complete it, and Open.
    grid.DlgOpen->selectFile(QString::fromStdString(dir.Str() + "/saved/routes_a.csv"));
    static_cast<QDialog*>(grid.DlgOpen)->accept();
  });
  grid.LoadRoutes1Click();
  EXPECT_EQ(grid.lvRoutes->model()->rowCount(), 1);
  ASSERT_TRUE(QTest::qWaitFor(savedRead, 30000));
  EXPECT_TRUE(QTest::qWaitFor([popup] { return !popup->isVisible(); }, 2000));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  const QRect row = grid.lvRoutes->visualRect(grid.lvRoutes->model()->index(0, 0));
  QTest::mouseClick(grid.lvRoutes->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_TRUE(grid.miAddFilter->isEnabled());  // the click reached the list: its row is selected
}

}  // namespace
