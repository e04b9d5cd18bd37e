#include "widgets/WsThemeLib.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

namespace qmz {

bool IsThemeActive() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
         QApplication::style()->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0;
}

bool DrawThemeBackground(QWidget* window, QPainter& painter, int part, int state, const QRect& rect) {
  static constexpr QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                        QStyle::PE_IndicatorArrowRight, QStyle::PE_IndicatorArrowLeft};
  if (part < spinparts::Up || part > spinparts::DownHorz) return false;
  QStyleOptionButton button;
  button.initFrom(window);
  button.rect = rect;
  // Spin parts have no disabled look of their own: a disabled half keeps the normal one.
  button.state |= QStyle::State_Enabled;
  if (state == spinstates::Pressed) button.state |= QStyle::State_Sunken;
  else button.state |= state == spinstates::Hot ? QStyle::State_Raised | QStyle::State_MouseOver : QStyle::State_Raised;
  window->style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &painter, window);
  const int inset = qMax(1, qMin(rect.width(), rect.height()) / 5);
  button.rect = rect.adjusted(inset, inset, -inset, -inset);
  window->style()->drawPrimitive(arrows[part - spinparts::Up], &button, &painter, window);
  return true;
}

}  // namespace qmz
