#include "widgets/WsThemeLib.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

namespace qmz {

namespace {

bool themeLibraryLoaded = false;
bool freeRegistered = false;

}  // namespace

bool ThemeLibraryLoaded() { return themeLibraryLoaded; }

void InitThemeLibrary() {
  if (themeLibraryLoaded) return;
  themeLibraryLoaded = true;
  if (!freeRegistered && QCoreApplication::instance() != nullptr) {
    freeRegistered = true;
    qAddPostRoutine(FreeThemeLibrary);
  }
}

void FreeThemeLibrary() { themeLibraryLoaded = false; }

// Bound as the application object is made, as a library is bound when the program starts.
Q_COREAPP_STARTUP_FUNCTION(InitThemeLibrary)

bool IsThemeActive() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
         QApplication::style()->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0;
}

ThemeData OpenThemeData(QWidget* window, const QString& className) {
  ThemeData theme;
  if (!themeLibraryLoaded || window == nullptr || !IsThemeActive() ||
      className.compare(QLatin1String("spin"), Qt::CaseInsensitive) != 0)
    return theme;
  theme.style = window->style();
  theme.className = className;
  theme.window = window;
  return theme;
}

void CloseThemeData(ThemeData& theme) { theme = ThemeData(); }

bool DrawThemeBackground(const ThemeData& theme, QPainter& painter, int part, int state, const QRect& rect) {
  static constexpr QStyle::PrimitiveElement arrows[] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                        QStyle::PE_IndicatorArrowRight, QStyle::PE_IndicatorArrowLeft};
  if (!theme || theme.window.isNull() || part < spinparts::Up || part > spinparts::DownHorz) return false;
  QWidget* window = theme.window;
  QStyleOptionButton button;
  button.initFrom(window);
  button.rect = rect;
  // Spin parts have no disabled look of their own: a disabled half keeps the normal one, arrows included.
  button.state |= QStyle::State_Enabled;
  if (button.palette.currentColorGroup() == QPalette::Disabled) button.palette.setCurrentColorGroup(QPalette::Active);
  if (state == spinstates::Pressed) button.state |= QStyle::State_Sunken;
  else button.state |= state == spinstates::Hot ? QStyle::State_Raised | QStyle::State_MouseOver : QStyle::State_Raised;
  theme.style->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &painter, window);
  const int inset = qMax(1, qMin(rect.width(), rect.height()) / 5);
  button.rect = rect.adjusted(inset, inset, -inset, -inset);
  theme.style->drawPrimitive(arrows[part - spinparts::Up], &button, &painter, window);
  return true;
}

}  // namespace qmz
