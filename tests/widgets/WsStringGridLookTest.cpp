// The string grid's colours and fonts as the screen shows them: each look property set on a shown grid is
// read back and repaints the cells its rule names; the column's own looks, the drawing events and the
// header's sort marks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "widgets/WsControls.h"
#include "widgets/WsStringGridFixture.h"

using namespace qmz;
using qmz::test::StringGrid;

namespace {

QColor Rgb(GridColor c) { return ToQColor(c); }

// A bold font big enough that its strokes show the colour unblended.
GridFont Bold(GridColor color) { return GridFont{"MS Sans Serif", 12, color, true, false}; }

struct Where {
  bool header;
  int col, row;  // visible column and data row (row unused for the header)
};

}  // namespace

class StringGridLook : public StringGrid {
 protected:
  // A fixed column and two more, three rows; the current cell is (Cur, row 1) and cell (Oth, row 2) is
  // selected besides it.
  void ShowLookGrid() {
    Fill({"Fix", "Cur", "Oth"}, {{"MMMM", "MMMM", "MMMM"}, {"MMMM", "MMMM", "MMMM"}, {"MMMM", "MMMM", "MMMM"}});
    grid->SetFixedCols(1);
    grid->SetSelectedRow(1);
    ShowGrid();
    grid->selectionModel()->select(grid->model()->index(2, 2), QItemSelectionModel::Select);
    grid->clearFocus();
  }

  QRect Area(Where w) { return w.header ? HeaderRect(w.col) : CellRect(w.col, w.row); }
  QColor Background(const QImage& image, Where w) {
    const QRect r = Area(w);
    return image.pixelColor(r.left() + 1, r.top() + 1);
  }
};

TEST_F(StringGridLook, EveryGridLookIsReadBackAndRepaintsItsCells) {
  using Set = std::function<bool(TWsStringGrid&, GridColor)>;
  const auto color = [](void (TWsStringGrid::*set)(GridColor), GridColor (TWsStringGrid::*get)() const) -> Set {
    return [=](TWsStringGrid& g, GridColor c) {
      (g.*set)(c);
      return (g.*get)() == c;
    };
  };
  const auto font = [](void (TWsStringGrid::*set)(const GridFont&),
                       const GridFont& (TWsStringGrid::*get)() const) -> Set {
    return [=](TWsStringGrid& g, GridColor c) {
      (g.*set)(Bold(c));
      return (g.*get)() == Bold(c);
    };
  };
  struct Case {
    const char* name;
    Set set;
    Where where;
    bool text;  // the colour is the text's, else the background's
  };
  using G = TWsStringGrid;
  const Case cases[] = {
      {"ActiveHeaderColor", color(&G::SetActiveHeaderColor, &G::ActiveHeaderColor), {true, 1, 0}, false},
      {"ActiveHeaderFont", font(&G::SetActiveHeaderFont, &G::ActiveHeaderFont), {true, 1, 0}, true},
      {"ActiveColColor", color(&G::SetActiveColColor, &G::ActiveColColor), {false, 1, 0}, false},
      {"ActiveRowColor", color(&G::SetActiveRowColor, &G::ActiveRowColor), {false, 2, 1}, false},
      {"ActiveRowFontColor", color(&G::SetActiveRowFontColor, &G::ActiveRowFontColor), {false, 2, 1}, true},
      {"ActiveFixedColor", color(&G::SetActiveFixedColor, &G::ActiveFixedColor), {false, 0, 1}, false},
      {"ActiveFixedFont", font(&G::SetActiveFixedFont, &G::ActiveFixedFont), {false, 0, 1}, true},
      {"FixedColor", color(&G::SetFixedColor, &G::FixedColor), {false, 0, 0}, false},
      {"FixedFont", font(&G::SetFixedFont, &G::FixedFont), {false, 0, 2}, true},
      {"HeaderColor", color(&G::SetHeaderColor, &G::HeaderColor), {true, 2, 0}, false},
      {"HeaderFont", font(&G::SetHeaderFont, &G::HeaderFont), {true, 2, 0}, true},
      {"SelectedColor", color(&G::SetSelectedColor, &G::SelectedColor), {false, 2, 2}, false},
      {"SelectedFontColor", color(&G::SetSelectedFontColor, &G::SelectedFontColor), {false, 2, 2}, true},
      {"Color", color(&G::SetColor, &G::Color), {false, 2, 0}, false},
      {"Font", font(&G::SetFont, &G::Font), {false, 2, 0}, true},
  };
  const GridColor values[] = {0x0000FF, 0x00C000};  // red, then green, as $00BBGGRR
  for (const Case& c : cases) {
    SetUp();
    ShowLookGrid();
    for (GridColor value : values) {
      EXPECT_TRUE(c.set(*grid, value)) << c.name;
      const QImage image = OnScreen();
      if (c.text) {
        EXPECT_TRUE(HasColor(image, Area(c.where), Rgb(value))) << c.name << " " << value;
      } else {
        EXPECT_EQ(Background(image, c.where), Rgb(value)) << c.name << " " << value;
      }
    }
  }
}

TEST_F(StringGridLook, DefaultLookTakesTheColoursTheBaseGridPrepared) {
  ShowLookGrid();
  grid->SetHeaderColor(0x0000FF);
  grid->SetActiveHeaderColor(0xFF0000);
  grid->SetSelectedColor(0x00FF00);
  QImage image = OnScreen();
  ASSERT_EQ(Background(image, {true, 2, 0}), QColor(255, 0, 0));
  ASSERT_EQ(Background(image, {true, 1, 0}), QColor(0, 0, 255));
  grid->SetDefaultLook(true);
  EXPECT_TRUE(grid->DefaultLook());
  image = OnScreen();
  // Every header takes the fixed colour the base grid put on the canvas, the selected cell the highlight.
  EXPECT_EQ(Background(image, {true, 2, 0}), Rgb(grid->FixedColor()));
  EXPECT_EQ(Background(image, {true, 1, 0}), Rgb(grid->FixedColor()));
  EXPECT_EQ(Background(image, {false, 2, 2}), Rgb(0xFF00000D));
}

TEST_F(StringGridLook, ColumnLooksWinOverTheGridsAndFollowItWhileParent) {
  ShowLookGrid();
  TWsGridColumn& oth = grid->VisibleColumns().Items(2);
  oth.SetColor(0x0000FF);
  oth.SetHeaderColor(0x00FF00);
  grid->SetHeaderColor(0xFF0000);
  QImage image = OnScreen();
  EXPECT_EQ(Background(image, {false, 2, 0}), QColor(255, 0, 0));
  EXPECT_EQ(Background(image, {true, 2, 0}), QColor(0, 255, 0));
  EXPECT_EQ(Background(image, {true, 1, 0}), Rgb(grid->ActiveHeaderColor()));  // the current column's stays

  // Fonts: a column's own font ends following the grid's until ParentFont takes the grid's back.
  oth.SetColor(kGridColorNone);
  oth.SetFont(Bold(0x008000));
  oth.SetHeaderFont(Bold(0x800000));
  EXPECT_FALSE(oth.ParentFont());
  EXPECT_FALSE(oth.ParentHeaderFont());
  grid->SetFont(Bold(0x000080));
  grid->SetHeaderFont(Bold(0x000080));
  EXPECT_EQ(oth.Font(), Bold(0x008000));
  EXPECT_EQ(grid->VisibleColumns().Items(1).Font(), Bold(0x000080));  // a parent column follows
  image = OnScreen();
  EXPECT_TRUE(HasColor(image, CellRect(2, 0), QColor(0, 0x80, 0)));
  EXPECT_TRUE(HasColor(image, HeaderRect(2), QColor(0, 0, 0x80)));
  oth.SetParentFont(true);
  oth.SetParentHeaderFont(true);
  EXPECT_TRUE(oth.ParentFont());
  EXPECT_TRUE(oth.ParentHeaderFont());
  EXPECT_EQ(oth.Font(), Bold(0x000080));
  EXPECT_EQ(oth.HeaderFont(), Bold(0x000080));
  EXPECT_TRUE(HasColor(OnScreen(), CellRect(2, 0), QColor(0x80, 0, 0)));

  // Alignment places the text 3 pixels in from the left or right edge, or in the middle.
  grid->SetFont(Bold(0x000000));
  const auto inkSpan = [&](const QImage& shot, const QRect& r) {
    int first = -1, last = -1;
    for (int x = r.left(); x <= r.right(); ++x)
      for (int y = r.top(); y <= r.bottom(); ++y)
        if (shot.pixelColor(x, y).lightness() < 100) {
          if (first < 0) first = x;
          last = x;
        }
    return std::pair<int, int>(first - r.left(), r.right() - last);
  };
  const struct {
    GridAlignment alignment;
    std::function<bool(int left, int right)> placed;
  } alignments[] = {
      {GridAlignment::Right, [](int left, int right) { return right <= 5 && left > right; }},
      {GridAlignment::Center, [](int left, int right) { return std::abs(left - right) <= 3; }},
      {GridAlignment::Left, [](int left, int right) { return left <= 5 && right > left; }},
  };
  for (const auto& a : alignments) {
    grid->SetCell(2, 0, "MM");
    oth.SetAlignment(a.alignment);
    EXPECT_EQ(oth.Alignment(), a.alignment);
    const auto [left, right] = inkSpan(OnScreen(), CellRect(2, 0));
    EXPECT_TRUE(a.placed(left, right)) << int(a.alignment) << ": " << left << " " << right;
  }
}

TEST_F(StringGridLook, CellPropsAndDrawEventsPaintOverTheDefault) {
  std::vector<std::pair<int, int>> asked;
  std::vector<std::pair<int, QRect>> drawnHeaders;
  std::vector<std::tuple<int, int, QRect>> drawnCells;
  grid->OnGetCellProps = [&](TWsStringGrid&, int col, int row, TWsCellProperties& props) {
    asked.emplace_back(col, row);
    if (col == 2 && row == 0) props.Color = 0xFF0000;
  };
  grid->OnDrawCell = [&](TWsStringGrid&, QPainter& p, int col, int row, const QRect& rect, unsigned) {
    drawnCells.emplace_back(col, row, rect);
    if (col == 1 && row == 2) p.fillRect(rect.left(), rect.top(), 4, 4, Qt::green);
  };
  grid->OnDrawHeader = [&](TWsStringGrid&, QPainter& p, int col, const QRect& rect, unsigned state) {
    drawnHeaders.emplace_back(col, rect);
    EXPECT_TRUE(state & gdFixed);
    if (col == 2) p.fillRect(rect.left(), rect.top(), 4, 4, Qt::red);
  };
  ShowLookGrid();
  const QImage image = OnScreen();
  EXPECT_EQ(Background(image, {false, 2, 0}), QColor(0, 0, 255));
  EXPECT_EQ(Background(image, {false, 1, 2}), QColor(0, 255, 0));
  EXPECT_EQ(Background(image, {true, 2, 0}), QColor(255, 0, 0));
  // Data rows count from 0 under the header; the rectangles are the cells'.
  EXPECT_NE(std::find(asked.begin(), asked.end(), std::pair(2, 0)), asked.end());
  EXPECT_NE(std::find(asked.begin(), asked.end(), std::pair(0, 2)), asked.end());
  const QRect cell = grid->visualRect(grid->model()->index(2, 1));
  EXPECT_NE(std::find(drawnCells.begin(), drawnCells.end(), std::tuple(1, 2, cell)), drawnCells.end());
  QHeaderView* h = grid->horizontalHeader();
  EXPECT_NE(std::find(drawnHeaders.begin(), drawnHeaders.end(),
                      std::pair(2, QRect(h->sectionViewportPosition(2), 0, h->sectionSize(2), h->height()))),
            drawnHeaders.end());
}

TEST_F(StringGridLook, MultiLineCellsShowTheirLinesJoinedAndHeadersTheirSortMarks) {
  Fill({"A", "B"}, {{"one\r\ntwo", ""}, {"one,two", ""}, {"", ""}});
  grid->SetAutoSort(false);
  grid->SetSelectedRow(2);
  ASSERT_EQ(grid->GetCellFlags(0, 0) & kCellMultiLine, kCellMultiLine);
  ShowGrid();
  const QImage image = OnScreen();
  // The stored form "one,two" and the one-line text "one,two" look the same.
  const QImage multi = image.copy(CellRect(0, 0)), single = image.copy(CellRect(0, 1));
  EXPECT_EQ(multi, single);
  EXPECT_TRUE(HasColor(multi, multi.rect(), Qt::black));

  // The mark sits 20 pixels from the header's right edge, its tip 5 above Rect.Top + 10.
  const QColor mark(0xC0, 0xC0, 0xC0);
  for (TColumnSorting order : {csAsc, csDsc}) {
    grid->VisibleColumns().Items(1).SetSortOrder(order);
    const QImage shot = OnScreen();
    const QRect r = HeaderRect(1);
    const int x0 = r.left() + r.width() - 20, y = r.top() + 10;
    EXPECT_EQ(shot.pixelColor(x0 + 4, order == csAsc ? y - 2 : y - 3), mark) << order;
    // Pointing up, the mark is wide at its foot; pointing down, at its top.
    EXPECT_EQ(shot.pixelColor(x0 + 1, y - 1) == mark || shot.pixelColor(x0 + 7, y - 1) == mark, order == csAsc);
    const QRect unsorted = HeaderRect(0);
    EXPECT_NE(shot.pixelColor(unsorted.left() + unsorted.width() - 16, y - 3), mark);
  }
}
