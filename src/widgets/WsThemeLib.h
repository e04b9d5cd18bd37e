#pragma once
// The visual style the spin buttons draw through. The application's QStyle stands in for the platform's
// visual-styles library: binding it once at start-up and freeing it at exit brackets the time in which the
// buttons may draw themed; a theme handle is opened per class for one window and closed after drawing. The
// plain "Windows" style is the classic look, which the buttons paint themselves.

#include <QPointer>
#include <QRect>
#include <QString>

class QPainter;
class QStyle;
class QWidget;

namespace qmz {

// Handle of one opened theme class; false when opening failed.
struct ThemeData {
  QPointer<QStyle> style;
  QString className;
  QPointer<QWidget> window;
  explicit operator bool() const { return !style.isNull(); }
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

// True from InitThemeLibrary to FreeThemeLibrary.
bool ThemeLibraryLoaded();
// Binds the theme drawing; runs when the application object is made and does nothing while bound.
void InitThemeLibrary();
// Unbinds; runs when the application object goes. Nothing may draw themed afterwards.
void FreeThemeLibrary();

// Whether a visual style is active: the application has a style other than the classic one.
bool IsThemeActive();
// A handle for className ("spin" is the one class known) drawn for window; empty when not bound, no style is
// active or the class is unknown.
ThemeData OpenThemeData(QWidget* window, const QString& className);
void CloseThemeData(ThemeData& theme);
// Draws one part of an opened class in its state into rect; false for an empty handle or an unknown part.
bool DrawThemeBackground(const ThemeData& theme, QPainter& painter, int part, int state, const QRect& rect);

}  // namespace qmz
