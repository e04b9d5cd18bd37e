#pragma once
// Themed backgrounds: a control can show its parent's background behind it instead of a plain fill.

#include <QRect>

#include "widgets/WsControls.h"

class QPainter;
class QWidget;

namespace qmz {

// The toolkit's theme services. On by default; off, every themed background is a plain fill.
bool ThemeServicesEnabled();
void SetThemeServicesEnabled(bool enabled);

// The rectangle that stands for the control's whole area (all four coordinates 0x7FFFFFFF): the parent's
// whole background, unclipped. As a rectangle to fill it is empty.
inline constexpr QRect WholeAreaRect{QPoint(0x7FFFFFFF, 0x7FFFFFFF), QPoint(0x7FFFFFFF, 0x7FFFFFFF)};

// Paints the background of rect for control: the parent's background when the control has a parent of the
// same colour, themes are on and (unless needsParentBackground is False) the control wants its parent's
// background; otherwise rect filled with color. The painter's state is left as it was.
void DrawThemedBackground(QWidget* control, QPainter& canvas, const QRect& rect, WsColor color,
                          bool needsParentBackground);
// The same with the painter's current brush colour.
void DrawThemedBackground(QWidget* control, QPainter& canvas, const QRect& rect, bool needsParentBackground);

}  // namespace qmz
