#include "widgets/WsThemeLib.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

namespace qmz {

namespace {
bool themeLibraryLoaded = false;
bool bindingAttempted = false;
}  // namespace

bool ThemeLibraryLoaded() { return themeLibraryLoaded; }

void InitThemeLibrary() {
  if (themeLibraryLoaded) return;
  bindingAttempted = true;
  // No application, no style to draw with: like a platform without the library, silently classic.
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || QApplication::style() == nullptr) return;
  themeLibraryLoaded = true;
  // Released with the application, as the binding of a library is released at exit.
  qAddPostRoutine(FreeThemeLibrary);
}

void EnsureThemeLibrary() {
  if (!bindingAttempted) InitThemeLibrary();
}

void FreeThemeLibrary() { themeLibraryLoaded = false; }

bool IsThemeActive() {
  return themeLibraryLoaded && qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
         QApplication::style() != nullptr;
}

ThemeData OpenThemeData(QWidget* window, const QString& className) {
  ThemeData theme;
  if (!IsThemeActive() || className.compare(QLatin1String("spin"), Qt::CaseInsensitive) != 0) return theme;
  theme.style = window != nullptr ? window->style() : QApplication::style();
  theme.className = className;
  theme.window = window;
  return theme;
}

bool DrawThemeBackground(const ThemeData& theme, QPainter* painter, int part, int state, const QRect& rect) {
  if (!theme || painter == nullptr) return false;
  QStyle::PrimitiveElement arrow;
  switch (part) {
    case spinparts::Up:
      arrow = QStyle::PE_IndicatorArrowUp;
      break;
    case spinparts::Down:
      arrow = QStyle::PE_IndicatorArrowDown;
      break;
    case spinparts::UpHorz:
      arrow = QStyle::PE_IndicatorArrowRight;
      break;
    case spinparts::DownHorz:
      arrow = QStyle::PE_IndicatorArrowLeft;
      break;
    default:
      return false;
  }
  QStyleOptionButton button;
  if (theme.window != nullptr) button.initFrom(theme.window);
  button.rect = rect;
  // Spin parts have no disabled look of their own: a disabled half keeps the normal one.
  button.state |= QStyle::State_Enabled;
  if (state == spinstates::Pressed) {
    button.state |= QStyle::State_Sunken;
  } else {
    button.state |= QStyle::State_Raised;
    if (state == spinstates::Hot) button.state |= QStyle::State_MouseOver;
  }
  theme.style->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, painter, theme.window);
  QStyleOption glyph = button;
  const int inset = qMax(1, qMin(rect.width(), rect.height()) / 5);
  glyph.rect = rect.adjusted(inset, inset, -inset, -inset);
  theme.style->drawPrimitive(arrow, &glyph, painter, theme.window);
  return true;
}

void CloseThemeData(ThemeData& theme) { theme = ThemeData(); }

}  // namespace qmz
