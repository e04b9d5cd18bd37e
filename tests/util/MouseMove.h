#pragma once
// The mouse moving over a widget as the window system delivers it (QTest's cursor does not move on the
// offscreen platform); with a button held it drags.

#include <QApplication>
#include <QMouseEvent>

namespace qmz::test {

inline void MoveMouse(QWidget* widget, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::NoButton, held,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

}  // namespace qmz::test
