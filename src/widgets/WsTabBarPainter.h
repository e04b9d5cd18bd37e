#pragma once
// Tab bars draw and measure nothing themselves: a painter does it for them. The modern painter draws flat tabs
// with a small close button each and a divider line between them.

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

#include "widgets/WsControls.h"

class QPainter;

namespace qmz {

class TWsCustomTabBar;
class TWsTabBarItem;

enum class ScrollButtonState { Hidden, Normal, Hot, Pressed, Disabled };

struct PainterOptions {
  bool hotTabPainting = false;       // the bar repaints when the hot tab changes
  bool bottomScrollButtons = false;  // scroll buttons at the bottom instead of the top
};

class TWsTabBarPainter : public QObject {
  Q_OBJECT

 public:
  explicit TWsTabBarPainter(QObject* owner = nullptr) : QObject(owner) {}
  // Every bar still using the painter falls back to its own default painter.
  ~TWsTabBarPainter() override;

  // Repaints every bar that uses the painter.
  virtual void Changed();
  virtual void DrawBackground(QPainter& canvas, TWsCustomTabBar* tabBar, const QRect& r) = 0;
  virtual void DrawTab(QPainter& canvas, TWsTabBarItem* tab, const QRect& r) = 0;
  virtual void DrawDivider(QPainter& canvas, TWsTabBarItem* leftTab, const QRect& r) = 0;
  virtual void DrawMoveDivider(QPainter& canvas, TWsTabBarItem* tab, bool moveLeft) = 0;
  virtual int GetDividerWidth(TWsTabBarItem* tab) = 0;
  virtual QSize GetTabSize(TWsTabBarItem* tab) = 0;
  virtual QRect GetCloseRect(TWsTabBarItem* tab, const QRect& r) = 0;
  virtual PainterOptions Options() const = 0;
  // Button 0 is the left, 1 the right scroll button.
  virtual void DrawScrollButton(QPainter& canvas, TWsCustomTabBar* tabBar, int button, ScrollButtonState state,
                                const QRect& r);

 private:
  friend class TWsCustomTabBar;

  std::vector<TWsCustomTabBar*> bars_;
};

class TWsModernTabBarPainter : public TWsTabBarPainter {
  Q_OBJECT

 public:
  explicit TWsModernTabBarPainter(QObject* owner = nullptr);

  WsColor TabColor() const { return tabColor_; }
  void SetTabColor(WsColor value) { SetColorValue(tabColor_, value); }
  WsColor Color() const { return color_; }
  void SetColor(WsColor value) { SetColorValue(color_, value); }
  WsColor BorderColor() const { return borderColor_; }
  void SetBorderColor(WsColor value) { SetColorValue(borderColor_, value); }
  WsColor ControlDivideColor() const { return controlDivideColor_; }
  void SetControlDivideColor(WsColor value) { SetColorValue(controlDivideColor_, value); }
  WsColor ModifiedCrossColor() const { return modifiedCrossColor_; }
  void SetModifiedCrossColor(WsColor value) { SetColorValue(modifiedCrossColor_, value); }
  WsColor CloseColorSelected() const { return closeColorSelected_; }
  void SetCloseColorSelected(WsColor value) { SetColorValue(closeColorSelected_, value); }
  WsColor CloseColor() const { return closeColor_; }
  void SetCloseColor(WsColor value) { SetColorValue(closeColor_, value); }
  WsColor CloseCrossColorSelected() const { return closeCrossColorSelected_; }
  void SetCloseCrossColorSelected(WsColor value) { SetColorValue(closeCrossColorSelected_, value); }
  WsColor CloseCrossColor() const { return closeCrossColor_; }
  void SetCloseCrossColor(WsColor value) { SetColorValue(closeCrossColor_, value); }
  WsColor CloseCrossColorDisabled() const { return closeCrossColorDisabled_; }
  void SetCloseCrossColorDisabled(WsColor value) { SetColorValue(closeCrossColorDisabled_, value); }
  WsColor CloseRectColor() const { return closeRectColor_; }
  void SetCloseRectColor(WsColor value) { SetColorValue(closeRectColor_, value); }
  WsColor CloseRectColorDisabled() const { return closeRectColorDisabled_; }
  void SetCloseRectColorDisabled(WsColor value) { SetColorValue(closeRectColorDisabled_, value); }
  WsColor DividerColor() const { return dividerColor_; }
  void SetDividerColor(WsColor value) { SetColorValue(dividerColor_, value); }
  WsColor MoveDividerColor() const { return moveDividerColor_; }
  void SetMoveDividerColor(WsColor value) { SetColorValue(moveDividerColor_, value); }
  int TabWidth() const { return tabWidth_; }
  // Negative widths are stored as 0 (automatic width).
  void SetTabWidth(int value);
  const WsFont& Font() const { return font_; }
  void SetFont(const WsFont& value) { SetFontValue(font_, value); }
  const WsFont& DisabledFont() const { return disabledFont_; }
  void SetDisabledFont(const WsFont& value) { SetFontValue(disabledFont_, value); }
  const WsFont& SelectedFont() const { return selectedFont_; }
  void SetSelectedFont(const WsFont& value) { SetFontValue(selectedFont_, value); }

  void DrawBackground(QPainter& canvas, TWsCustomTabBar* tabBar, const QRect& r) override;
  void DrawTab(QPainter& canvas, TWsTabBarItem* tab, const QRect& r) override;
  void DrawDivider(QPainter& canvas, TWsTabBarItem* leftTab, const QRect& r) override;
  void DrawMoveDivider(QPainter& canvas, TWsTabBarItem* tab, bool moveLeft) override;
  int GetDividerWidth(TWsTabBarItem* tab) override;
  QSize GetTabSize(TWsTabBarItem* tab) override;
  QRect GetCloseRect(TWsTabBarItem* tab, const QRect& r) override;
  PainterOptions Options() const override;

 private:
  void SetColorValue(WsColor& field, WsColor value);
  void SetFontValue(WsFont& field, const WsFont& value);
  const WsFont& TabFont(TWsTabBarItem* tab) const;

  WsColor tabColor_ = colors::BtnFace;
  WsColor color_ = colors::Window;
  WsColor borderColor_ = 0x00C0C0C0;
  WsColor controlDivideColor_ = 0x00000000;
  WsColor modifiedCrossColor_ = 0x000000FF;
  WsColor closeColorSelected_ = 0x00F4F4F4;
  WsColor closeColor_ = 0x00FFFFFF;
  WsColor closeCrossColorSelected_ = 0x00000000;
  WsColor closeCrossColor_ = 0x005D5D5D;
  WsColor closeCrossColorDisabled_ = 0x00ADADAD;
  WsColor closeRectColor_ = 0x00868686;
  WsColor closeRectColorDisabled_ = 0x00D6D6D6;
  WsColor dividerColor_ = 0x0099A8AC;
  WsColor moveDividerColor_ = 0x00000000;
  int tabWidth_ = 0;
  WsFont font_;
  WsFont disabledFont_;
  WsFont selectedFont_;
};

// A rectangle from left, top and exclusive right and bottom edges.
inline QRect EdgeRect(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

}  // namespace qmz
