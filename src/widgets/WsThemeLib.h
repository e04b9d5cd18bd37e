#pragma once
// The visual style the spin buttons draw through. Qt's own style stands in for the platform's visual-styles
// library, so there is nothing to load, look up or free: a style is active whenever the application has one
// other than the plain "Windows" style, whose look is the classic one the buttons paint themselves.

#include <QRect>

class QPainter;
class QWidget;

namespace qmz {

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

bool IsThemeActive();
// Draws one spin part in its state into rect, in the look of window's style; false for an unknown part.
bool DrawThemeBackground(QWidget* window, QPainter& painter, int part, int state, const QRect& rect);

}  // namespace qmz
