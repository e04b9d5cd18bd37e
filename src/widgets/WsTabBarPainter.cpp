#include "widgets/WsTabBarPainter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cstdlib>
#include <qdrawutil.h>

#include "widgets/WsTabBar.h"

namespace qmz {

namespace {

// i / steps of distance, rounded to the nearer pixel (halves away from the start).
int Share(int distance, int i, int steps) {
  const int magnitude = (2 * std::abs(distance) * i + steps) / (2 * steps);
  return distance < 0 ? -magnitude : magnitude;
}

// A one-pixel line from one point up to, not including, the other, set pixel by pixel: one per step along the
// longer axis. Shortening the end point instead would tilt a slanted line, and the close cross would come
// out lopsided.
void LineTo(QPainter& canvas, const QColor& colour, QPoint from, QPoint to) {
  const int dx = to.x() - from.x(), dy = to.y() - from.y();
  const int steps = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < steps; ++i)
    canvas.fillRect(from.x() + Share(dx, i, steps), from.y() + Share(dy, i, steps), 1, 1, colour);
}

// The room a tab's image takes: any index but -1 counts once the bar has images, also one the list does not
// reach, so the tab's width and its caption agree.
int ImageSpace(const TWsCustomTabBar* bar, const TWsTabBarItem* tab) {
  if (tab->ImageIndex() == -1 || bar->Images().isEmpty()) return 0;
  return bar->Images().first().width() + 2;
}

// The filled triangle with its outline, row by row: a polygon fill leaves out the last row of the left arrow,
// and both arrows have seven rows, the middle one four pixels wide.
void DrawArrow(QPainter& canvas, int button, int x, int y, const QColor& colour) {
  for (int row = 0; row < 7; ++row) {
    const int width = 4 - std::abs(3 - row);
    canvas.fillRect(button == 0 ? x + 4 - width : x, y + row, width, 1, colour);
  }
}

}  // namespace

// ---- abstract painter

TWsTabBarPainter::~TWsTabBarPainter() {
  const std::vector<TWsCustomTabBar*> bars = bars_;
  bars_.clear();
  for (TWsCustomTabBar* bar : bars) bar->PainterFreed(this);
}

void TWsTabBarPainter::Changed() {
  for (TWsCustomTabBar* bar : bars_) bar->PainterChanged();
}

void TWsTabBarPainter::DrawScrollButton(QPainter& canvas, TWsCustomTabBar* tabBar, int button, ScrollButtonState state,
                                        const QRect& r) {
  canvas.save();
  const bool pressed = state == ScrollButtonState::Pressed;
  const QPalette& palette = tabBar->palette();
  const QBrush face = palette.button();
  if (tabBar->FlatScrollButtons()) {
    qDrawShadePanel(&canvas, r, palette, pressed, 1, &face);
  } else {
    // The older look: a dark outline around a raised or sunken face.
    canvas.setPen(palette.color(QPalette::Shadow));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(r.adjusted(0, 0, -1, -1));
    qDrawShadePanel(&canvas, r.adjusted(1, 1, -1, -1), palette, pressed, 1, &face);
  }
  const QRect moved = pressed ? r.translated(1, 1) : r;
  const int x = moved.left() + (moved.width() - 4) / 2;
  const int y = moved.top() + (moved.height() - 7) / 2;
  if (state == ScrollButtonState::Disabled) {
    DrawArrow(canvas, button, x + 1, y + 1, ToQColor(0x00FFFFFF));
    DrawArrow(canvas, button, x, y, ToQColor(0x00808080));
  } else {
    DrawArrow(canvas, button, x, y, Qt::black);
  }
  canvas.restore();
}

// ---- modern painter

TWsModernTabBarPainter::TWsModernTabBarPainter(QObject* owner) : TWsTabBarPainter(owner) {
  font_.font = QApplication::font();
  font_.color = colors::WindowText;
  disabledFont_.font = QApplication::font();
  disabledFont_.color = colors::GrayText;
  selectedFont_ = font_;
}

void TWsModernTabBarPainter::SetColorValue(WsColor& field, WsColor value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TWsModernTabBarPainter::SetFontValue(WsFont& field, const WsFont& value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TWsModernTabBarPainter::SetTabWidth(int value) {
  value = std::max(value, 0);
  if (tabWidth_ == value) return;
  tabWidth_ = value;
  Changed();
}

PainterOptions TWsModernTabBarPainter::Options() const { return PainterOptions{true, false}; }

const WsFont& TWsModernTabBarPainter::TabFont(TWsTabBarItem* tab) const {
  if (!tab->Enabled()) return disabledFont_;
  if (tab->Selected()) return selectedFont_;
  return font_;
}

void TWsModernTabBarPainter::DrawBackground(QPainter& canvas, TWsCustomTabBar* tabBar, const QRect& r) {
  const QPalette& palette = tabBar->palette();
  canvas.fillRect(r, ToQColor(color_, palette));
  // A border all round, then the edge toward the pages over it.
  canvas.setPen(ToQColor(borderColor_, palette));
  canvas.drawRect(r.adjusted(0, 0, -1, -1));
  canvas.setPen(ToQColor(controlDivideColor_, palette));
  if (tabBar->Orientation() == TWsTabBarOrientation::toTop) canvas.drawLine(r.bottomLeft(), r.bottomRight());
  else canvas.drawLine(r.topLeft(), r.topRight());
}

QSize TWsModernTabBarPainter::GetTabSize(TWsTabBarItem* tab) {
  TWsCustomTabBar* bar = tab->TabBar();
  const QFontMetrics metrics(TabFont(tab).font);
  int width = metrics.horizontalAdvance(tab->Caption()) + 11;
  if (bar && bar->CloseButton()) width += 15;
  if (bar) width += ImageSpace(bar, tab);
  if (tabWidth_ > 0) width = tabWidth_;
  const int height = metrics.boundingRect(tab->Caption() + QStringLiteral("Ag")).height() + 7;
  return QSize(width, height);
}

int TWsModernTabBarPainter::GetDividerWidth(TWsTabBarItem* /*tab*/) { return 1; }

QRect TWsModernTabBarPainter::GetCloseRect(TWsTabBarItem* /*tab*/, const QRect& r) {
  return EdgeRect(r.left() + 5, r.top() + 5, r.left() + 17, r.top() + 16);
}

void TWsModernTabBarPainter::DrawTab(QPainter& canvas, TWsTabBarItem* tab, const QRect& r) {
  TWsCustomTabBar* bar = tab->TabBar();
  if (!bar) return;
  canvas.save();
  const QPalette& palette = bar->palette();
  const bool selected = tab->Selected(), enabled = tab->Enabled(), modified = tab->Modified();
  int left = r.left(), top = r.top(), right = r.right() + 1, bottom = r.bottom() + 1;

  if (selected) {
    canvas.fillRect(r, ToQColor(tabColor_, palette));
    // Outlined on three sides, open toward the pages.
    canvas.setPen(ToQColor(controlDivideColor_, palette));
    if (bar->Orientation() == TWsTabBarOrientation::toTop)
      canvas.drawPolyline(QPolygon({r.bottomLeft(), r.topLeft(), r.topRight(), r.bottomRight()}));
    else canvas.drawPolyline(QPolygon({r.topLeft(), r.bottomLeft(), r.bottomRight(), r.topRight()}));
  } else if (enabled && bar->HotTab() == tab) {
    LineTo(canvas, ToQColor(dividerColor_, palette), r.topLeft(), QPoint(right - 2, top));
  }

  if (bar->CloseButton()) {
    const QColor fill = ToQColor(selected ? closeColorSelected_ : closeColor_, palette);
    const QRect cr = GetCloseRect(tab, tab->GetDisplayRect());
    const bool closing = bar->ClosingTab() == tab;
    const QRect frame = closing ? cr.adjusted(1, 1, -1, -1) : cr;
    canvas.setPen(ToQColor(enabled ? closeRectColor_ : closeRectColorDisabled_, palette));
    canvas.setBrush(fill);
    canvas.drawRect(frame.adjusted(0, 0, -1, -1));
    WsColor cross = closeCrossColor_;
    if (modified) cross = modifiedCrossColor_;
    else if (selected && !closing) cross = closeCrossColorSelected_;
    else if (!enabled) cross = closeCrossColorDisabled_;
    const QColor crossColour = ToQColor(cross, palette);
    const int cl = cr.left(), ct = cr.top(), crr = cr.right() + 1, cb = cr.bottom() + 1;
    LineTo(canvas, crossColour, QPoint(cl + 3, ct + 3), QPoint(crr - 3, cb - 3));
    LineTo(canvas, crossColour, QPoint(cl + 4, ct + 3), QPoint(crr - 4, cb - 3));
    LineTo(canvas, crossColour, QPoint(crr - 4, ct + 3), QPoint(cl + 2, cb - 3));
    LineTo(canvas, crossColour, QPoint(crr - 5, ct + 3), QPoint(cl + 3, cb - 3));
    // A modified tab's mark keeps only the cross's four arms.
    if (modified) canvas.fillRect(EdgeRect(cl + 5, ct + 4, crr - 5, cb - 4), fill);
    left = crr;
  }

  left += 1;
  top += 1;
  right -= 1;
  bottom -= 1;
  if (!bar->CloseButton()) left += 2;

  if (tab->ImageIndex() >= 0 && tab->ImageIndex() < bar->Images().size()) {
    const QPixmap& image = bar->Images().at(tab->ImageIndex());
    const QPixmap shown = enabled ? image : QIcon(image).pixmap(image.size(), QIcon::Disabled);
    canvas.drawPixmap(left, top + (bottom - top - image.height()) / 2, shown);
  }
  left += ImageSpace(bar, tab);

  const WsFont& font = TabFont(tab);
  canvas.setFont(font.font);
  canvas.setPen(ToQColor(font.color, palette));
  const QRect textArea = EdgeRect(left, top, right, bottom);
  canvas.setClipRect(textArea, Qt::IntersectClip);
  canvas.drawText(textArea.adjusted(3, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, tab->Caption());
  canvas.restore();
}

void TWsModernTabBarPainter::DrawDivider(QPainter& canvas, TWsTabBarItem* leftTab, const QRect& r) {
  TWsCustomTabBar* bar = leftTab->TabBar();
  if (!bar || leftTab->Selected()) return;
  if (bar->SelectedTab() && bar->SelectedTab() == leftTab->NextVisibleTab()) return;
  const int x = r.left() + r.width() - 1;  // R.Right - 1 with an exclusive right edge
  LineTo(canvas, ToQColor(dividerColor_, bar->palette()), QPoint(x, r.top() + 3), QPoint(x, r.top() + r.height() - 3));
}

void TWsModernTabBarPainter::DrawMoveDivider(QPainter& canvas, TWsTabBarItem* tab, bool moveLeft) {
  const QRect display = tab->GetDisplayRect();
  int left = display.left(), right = display.right() + 1;
  const int top = display.top() + 4, bottom = display.bottom() + 1 - 2;
  if (moveLeft) {
    left -= 1;
    right = left + 4;
  } else {
    right -= 1;
    left = right - 4;
  }
  canvas.fillRect(EdgeRect(left, top, right, bottom), ToQColor(moveDividerColor_));
}

}  // namespace qmz
