#include "widgets/WsThemes.h"

#include <QPainter>
#include <QWidget>

namespace qmz {

namespace {

bool themeServicesEnabled = true;

bool WantsParentBackground(const QWidget* control) {
  if (const auto* ex = dynamic_cast<const WsExControl*>(control)) return ex->ParentBackground();
  return !control->autoFillBackground();
}

}  // namespace

bool ThemeServicesEnabled() { return themeServicesEnabled; }
void SetThemeServicesEnabled(bool enabled) { themeServicesEnabled = enabled; }

void DrawThemedBackground(QWidget* control, QPainter& canvas, const QRect& rect, WsColor color,
                          bool needsParentBackground) {
  QWidget* parent = control ? control->parentWidget() : nullptr;
  bool useParent = parent && ThemeServicesEnabled() && (!needsParentBackground || WantsParentBackground(control));
  if (useParent) {
    const WsColor parentColor = ControlColor(parent);
    useParent = color == parentColor ||
                ColorToRgb(color, control->palette()) == ColorToRgb(parentColor, parent->palette());
  }
  const bool wholeArea = rect == WholeAreaRect;
  canvas.save();
  if (useParent && wholeArea) {
    // No clipping: the parent's whole background, placed so that the part under the control lands on it.
    parent->render(&canvas, -control->pos(), QRegion(parent->rect()), QWidget::DrawWindowBackground);
  } else if (useParent) {
    // The parent paints its own background (not its children) into our painter: the part of it under rect,
    // placed at rect. The shift by our position is made whenever the control is off the parent's origin.
    canvas.setClipRect(rect, Qt::IntersectClip);
    parent->render(&canvas, rect.topLeft(), QRegion(rect.translated(control->pos())), QWidget::DrawWindowBackground);
  } else if (!wholeArea) {
    const QColor fill = ToQColor(color, control ? control->palette() : QPalette());
    if (fill.isValid()) canvas.fillRect(rect, fill);
  }
  canvas.restore();
}

void DrawThemedBackground(QWidget* control, QPainter& canvas, const QRect& rect, bool needsParentBackground) {
  DrawThemedBackground(control, canvas, rect, FromQColor(canvas.brush().color()), needsParentBackground);
}

}  // namespace qmz
