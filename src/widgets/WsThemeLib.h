#pragma once
// The visual-style binding the spin buttons draw through. It is a thin layer over the application's QStyle:
// "bound" once at start-up (when a style exists to draw with) and released at exit. Unbound, the buttons paint
// their classic look with plain painter routines that need no style.

#include <QRect>
#include <QString>

class QPainter;
class QStyle;
class QWidget;

namespace qmz {

// Handle of one opened theme class; null when opening failed.
struct ThemeData {
  QStyle* style = nullptr;
  QString className;
  QWidget* window = nullptr;
  explicit operator bool() const { return style != nullptr; }
};

// Parts and states of the "spin" class, as the spin buttons choose them.
namespace spinparts {
inline constexpr int Up = 1;
inline constexpr int Down = 2;
inline constexpr int UpHorz = 3;
inline constexpr int DownHorz = 4;
}  // namespace spinparts
namespace spinstates {
inline constexpr int Normal = 1;
inline constexpr int Hot = 2;
inline constexpr int Pressed = 3;
}  // namespace spinstates

bool ThemeLibraryLoaded();

// Binds once: needs a running QApplication (its style draws); without one the binding stays unbound and the
// classic look is used for the whole run. A second call while bound does nothing.
void InitThemeLibrary();
void FreeThemeLibrary();
// Binds at the first paint when start-up did not: a program that never called InitThemeLibrary still gets the
// themed look. Does nothing once a binding was attempted (also after FreeThemeLibrary).
void EnsureThemeLibrary();

// Whether a visual style is active: bound and the application still has a style.
bool IsThemeActive();
ThemeData OpenThemeData(QWidget* window, const QString& className);
// Draws one part of an opened class into rect; false when the handle or the part is unknown.
bool DrawThemeBackground(const ThemeData& theme, QPainter* painter, int part, int state, const QRect& rect);
void CloseThemeData(ThemeData& theme);

}  // namespace qmz
