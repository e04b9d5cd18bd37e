// Painting of the string grid: data cells through the delegate, header cells through the header, both
// with the grid's own colour rules and the header's sort marks.

#include <QApplication>
#include <QPainter>
#include <QPolygon>

#include "widgets/WsStringGrid_Parts.h"

namespace qmz {

QFont GridQFont(const GridFont& font) {
  // The Windows dialog font does not exist here; the desktop's own font family stands in for it.
  QFont f = font.Name == "MS Sans Serif" ? QApplication::font() : QFont(QString::fromStdString(font.Name));
  if (font.Size > 0) f.setPointSize(font.Size);
  f.setBold(font.Bold);
  f.setItalic(font.Italic);
  return f;
}

void WsGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  unsigned state = 0;
  if (option.state & QStyle::State_Selected) state |= gdSelected;
  if ((option.state & QStyle::State_HasFocus) && index == grid_.currentIndex()) state |= gdFocused;
  if (index.column() < grid_.fixedCols_) state |= gdFixed;
  grid_.DrawCell(*painter, index.column(), index.row() + 1, option.rect, state);
}

void WsGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  grid_.DrawCell(*painter, logicalIndex, 0, rect, gdFixed);
  // The base grid's fixed lines.
  if (grid_.options_ & (goFixedVertLine | goFixedHorzLine)) {
    painter->save();
    painter->setPen(grid_.palette().color(QPalette::Mid));
    if (grid_.options_ & goFixedVertLine) painter->drawLine(rect.topRight(), rect.bottomRight());
    if (grid_.options_ & goFixedHorzLine) painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
  }
}

void TWsStringGrid::DrawCell(QPainter& painter, int aCol, int aRow, const QRect& rect, unsigned state) {
  if (aCol < 0 || aCol >= visibleColumns_->Count()) return;
  TWsGridColumn& c = visibleColumns_->Items(aCol);
  const bool fixedCell = (state & gdFixed) != 0;
  const bool selected = (state & gdSelected) != 0, focused = (state & gdFocused) != 0;

  // What the base grid would have put on the canvas for this cell.
  GridColor canvasBg = color_, canvasText = font_.Color;
  if (fixedCell) {
    canvasBg = fixedColor_;
  } else if (selected && (!focused || (options_ & (goDrawFocusSelected | goRowSelect)))) {
    canvasBg = 0xFF00000D;
    canvasText = 0xFF00000E;
  }
  const GridColor colBg = c.Color() == kGridColorNone ? color_ : c.Color();
  auto pick = [&](GridColor value, GridColor whenNone, GridColor whenDefaultLook) {
    if (defaultLook_) return whenDefaultLook;
    return value == kGridColorNone ? whenNone : value;
  };
  const GridColor fixedText = pick(fixedFont_.Color, canvasText, canvasText);
  const GridColor headerText = pick(c.HeaderFont().Color, canvasText, canvasText);
  const GridColor activeFixedText = pick(activeFixedFont_.Color, fixedText, fixedText);
  const GridColor activeHeaderText = pick(activeHeaderFont_.Color, headerText, headerText);
  const GridColor activeRowText = pick(activeRowFontColor_, c.Font().Color, canvasText);
  const GridColor selectedText = pick(selectedFontColor_, c.Font().Color, canvasText);
  const GridColor fixedBg = pick(fixedColor_, colBg, canvasBg);
  const GridColor headerBg = pick(c.HeaderColor() != kGridColorNone ? c.HeaderColor() : headerColor_, colBg, canvasBg);
  const GridColor activeFixedBg = pick(activeFixedColor_, fixedBg, fixedBg);
  const GridColor activeHeaderBg = pick(activeHeaderColor_, headerBg, headerBg);
  const GridColor activeColBg = pick(activeColColor_, colBg, colBg);
  const GridColor activeRowBg = pick(activeRowColor_, colBg, (options_ & goRowSelect) ? canvasBg : colBg);
  const GridColor selectedBg = pick(selectedColor_, colBg, canvasBg);

  const int currentCol = CurrentCol();
  GridColor background;
  GridColor textColor;
  GridFont font;
  GridAlignment alignment = c.Alignment();
  QString text;
  TColumnSorting sortMark = csNone;

  if (aRow >= 1) {
    const int dataRow = aRow - 1;
    const bool selectedRow = dataRow == GetSelectedRow();
    if (aCol >= fixedCols_) {
      background = aCol == currentCol ? activeColBg : colBg;
      font = c.Font();
      textColor = font.Color;
      if (!selectedRow) {
        if ((selected && !focused) || ((selected || focused) && (options_ & goDrawFocusSelected))) {
          background = selectedBg;
          textColor = selectedText;
        }
      } else if (options_ & goRowSelect) {
        background = selectedBg;
        textColor = selectedText;
      } else {
        background = activeRowBg;
        textColor = activeRowText;
      }
    } else if (selectedRow) {
      background = activeFixedBg;
      font = activeFixedFont_;
      textColor = activeFixedText;
    } else {
      background = fixedBg;
      font = fixedFont_;
      textColor = fixedText;
    }
    font.Color = textColor;
    // The blank row of an empty grid has no cell to describe.
    if (!empty_) {
      TWsCellProperties props{font, background, alignment};
      if (OnGetCellProps) OnGetCellProps(*this, aCol, dataRow, props);
      font = props.Font;
      background = props.Color;
      alignment = props.Alignment;
      // A multi-line cell shows its stored form: all lines on one, joined by commas.
      const bool multiLine = (c.GetFlags(dataRow) & kCellMultiLine) != 0;
      text = QString::fromStdString(multiLine ? c.StoredText(dataRow) : c.GetText(dataRow));
    }
  } else {
    if (aCol == currentCol) {
      background = activeHeaderBg;
      font = activeHeaderFont_;
      font.Color = activeHeaderText;
    } else {
      background = headerBg;
      font = c.HeaderFont();
      font.Color = headerText;
    }
    text = QString::fromStdString(c.Caption());
    sortMark = c.SortOrder();
  }

  const QPalette& pal = palette();
  const QColor bg = ToQColor(background, pal);
  painter.save();
  painter.setClipRect(rect);
  painter.fillRect(rect, bg);
  const QFont qfont = GridQFont(font);
  painter.setFont(qfont);
  painter.setPen(ToQColor(font.Color, pal));
  const QFontMetrics fm(qfont);
  const int w = fm.horizontalAdvance(text);
  const int top = rect.top() + (rect.height() - fm.height()) / 2;
  int left = rect.left() + 3;
  if (alignment == GridAlignment::Right) left = rect.left() + rect.width() - 3 - w;
  if (alignment == GridAlignment::Center) left = rect.left() + (rect.width() - w) / 2;
  painter.drawText(QPoint(left, top + fm.ascent()), text);

  if (sortMark != csNone) {
    const int right = rect.left() + rect.width();
    const int x0 = right - 20, y = rect.top() + 10;
    painter.fillRect(QRect(QPoint(x0 - 3, rect.top() + 2), QPoint(right - 2, rect.top() + rect.height() - 3)), bg);
    painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    painter.setPen(Qt::black);
    QPolygon mark;
    if (sortMark == csAsc) {
      mark << QPoint(x0, y) << QPoint(x0, y - 1) << QPoint(x0 + 4, y - 5) << QPoint(x0 + 8, y - 1) << QPoint(x0 + 8, y);
      painter.drawPolygon(mark);
      painter.setPen(Qt::white);
      painter.drawLine(QPoint(x0, y - 1), QPoint(x0 + 4, y - 5));
    } else {
      mark << QPoint(x0, y - 5) << QPoint(x0 + 8, y - 5) << QPoint(x0 + 8, y - 4) << QPoint(x0 + 4, y)
           << QPoint(x0, y - 4);
      painter.drawPolygon(mark);
      painter.setPen(Qt::white);
      painter.drawLine(QPoint(x0, y - 4), QPoint(x0 + 4, y));
    }
  }
  painter.restore();

  if (aRow == 0) {
    if (OnDrawHeader) OnDrawHeader(*this, painter, aCol, rect, state);
  } else if (OnDrawCell) {
    OnDrawCell(*this, painter, aCol, aRow - 1, rect, state);
  }
}

}  // namespace qmz
