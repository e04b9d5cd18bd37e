#pragma once
// A panel that can arrange its child controls in wrapping rows, highlight itself while the mouse is over it,
// draw a flat border or bevels and a (multi-line) caption, be resized with a sizing grip, be dragged by its
// body and let its parent show through.

#include <QObject>
#include <QString>
#include <functional>
#include <set>

#include "widgets/WsControls.h"

namespace qmz {

enum class TWsAutoSizePanel { asNone, asWidth, asHeight, asBoth };
enum class TWsTrackFontOption {
  hoFollowFont,
  hoPreserveCharSet,
  hoPreserveColor,
  hoPreserveHeight,
  hoPreserveName,
  hoPreservePitch,
  hoPreserveStyle
};
using TWsTrackFontOptions = std::set<TWsTrackFontOption>;
enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TWsArrangeSettings : public TWsPersistentProperty {
 public:
  bool WrapControls() const { return wrapControls_; }
  void SetWrapControls(bool value) { SetValue(wrapControls_, value, "WrapControls"); }
  int BorderLeft() const { return borderLeft_; }
  void SetBorderLeft(int value) { SetValue(borderLeft_, value, "BorderLeft"); }
  int BorderTop() const { return borderTop_; }
  void SetBorderTop(int value) { SetValue(borderTop_, value, "BorderTop"); }
  int DistanceVertical() const { return distanceVertical_; }
  void SetDistanceVertical(int value) { SetValue(distanceVertical_, value, "DistanceVertical"); }
  int DistanceHorizontal() const { return distanceHorizontal_; }
  void SetDistanceHorizontal(int value) { SetValue(distanceHorizontal_, value, "DistanceHorizontal"); }
  bool ShowNotVisibleAtDesignTime() const { return showNotVisibleAtDesignTime_; }
  void SetShowNotVisibleAtDesignTime(bool value) { showNotVisibleAtDesignTime_ = value; }
  TWsAutoSizePanel AutoSize() const { return autoSize_; }
  void SetAutoSize(TWsAutoSizePanel value) { SetValue(autoSize_, value, "AutoSize"); }
  bool AutoArrange() const { return autoArrange_; }
  void SetAutoArrange(bool value) { SetValue(autoArrange_, value, "AutoArrange"); }
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int value) { SetValue(maxWidth_, value, "MaxWidth"); }

  // Copies every setting inside one update bracket; each changed one still reports its own name.
  void Assign(const TWsArrangeSettings& source);

 private:
  template <typename T>
  void SetValue(T& field, T value, const char* propName) {
    if (field == value) return;
    Changing();
    ChangingProperty(propName);
    field = value;
    ChangedProperty(propName);
    Changed();
  }

  bool wrapControls_ = true;
  int borderLeft_ = 0;
  int borderTop_ = 0;
  int distanceVertical_ = 0;
  int distanceHorizontal_ = 0;
  bool showNotVisibleAtDesignTime_ = true;
  TWsAutoSizePanel autoSize_ = TWsAutoSizePanel::asNone;
  bool autoArrange_ = false;
  int maxWidth_ = 0;
};

class TWsPanelHotTrackOptions : public TWsHotTrackOptions {
 public:
  TWsPanelHotTrackOptions() { SetColor(colors::BtnFace); }
};

// The hot-track settings of a panel, for code that knows the panel only as some control.
class IWsHotTrack {
 public:
  virtual bool HotTrack() const = 0;
  virtual void SetHotTrack(bool value) = 0;
  virtual const WsFont& HotTrackFont() const = 0;
  virtual void SetHotTrackFont(const WsFont& value) = 0;
  virtual const TWsTrackFontOptions& HotTrackFontOptions() const = 0;
  virtual void SetHotTrackFontOptions(const TWsTrackFontOptions& value) = 0;
  virtual TWsHotTrackOptions& HotTrackOptions() = 0;
  virtual void SetHotTrackOptions(const TWsHotTrackOptions& value) = 0;

 protected:
  ~IWsHotTrack() = default;
};

}  // namespace qmz

Q_DECLARE_INTERFACE(qmz::IWsHotTrack, "{B74E2C19-5A6D-4F30-9E8B-0C2D61A7F45E}")

namespace qmz {

// Asked before a body drag starts at client point (x, y); allow false keeps the panel where it is.
using TWsPanelMoveEvent = std::function<void(QWidget* sender, int x, int y, bool& allow)>;
// The panel's bounds after its width or height changed.
using TWsPanelResizeParentEvent = std::function<void(QWidget* sender, int nLeft, int nTop, int nWidth, int nHeight)>;
// The new width (or height) after it changed.
using TWsPanelChangedSizeEvent = std::function<void(QWidget* sender, int changedSize)>;

class TWsCustomArrangePanel : public TWsExCustomPanel, public IWsHotTrack {
  Q_OBJECT
  Q_INTERFACES(qmz::IWsHotTrack)

 public:
  // Child controls are placed in the order of this dynamic property (0, 1, 2, ...; the walk stops at the first
  // missing number); a child without it counts by its position among the panel's child widgets.
  static constexpr const char* TabOrderProperty = "TabOrder";

  using NotifyEvent = WsExControl::NotifyEvent;

  explicit TWsCustomArrangePanel(QWidget* parent = nullptr);
  ~TWsCustomArrangePanel() override;

  // Form loading: arrangement waits until EndLoad, which arranges once.
  void BeginLoad() { loading_ = true; }
  void EndLoad();
  bool Loading() const { return loading_; }

  void ArrangeControls();
  TWsArrangeSettings& ArrangeSettings() { return arrangeSettings_; }
  void SetArrangeSettings(const TWsArrangeSettings& value) { arrangeSettings_.Assign(value); }

  bool HotTrack() const override { return hotTrack_; }
  void SetHotTrack(bool value) override { hotTrack_ = value; }
  const WsFont& HotTrackFont() const override { return hotTrackFont_; }
  void SetHotTrackFont(const WsFont& value) override;
  const TWsTrackFontOptions& HotTrackFontOptions() const override { return hotTrackFontOptions_; }
  void SetHotTrackFontOptions(const TWsTrackFontOptions& value) override;
  TWsHotTrackOptions& HotTrackOptions() override { return hotTrackOptions_; }
  void SetHotTrackOptions(const TWsHotTrackOptions& value) override { hotTrackOptions_.Assign(value); }
  // Panels are built in code: with no stored-form reader, nothing reads the obsolete stored "HotColor" (which
  // went to HotTrackOptions().Color()).

  bool Movable() const { return movable_; }
  void SetMovable(bool value) { movable_ = value; }
  bool Sizeable() const { return sizeable_; }
  void SetSizeable(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);
  bool FlatBorder() const { return flatBorder_; }
  void SetFlatBorder(bool value);
  WsColor FlatBorderColor() const { return flatBorderColor_; }
  void SetFlatBorderColor(WsColor value);

  QString Caption() const { return caption_; }
  void SetCaption(const QString& value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  // The caption's font with its colour.
  WsFont Font() const { return {font(), fontColor_}; }
  void SetFont(const WsFont& value);

  // Size setters that report the change (also used for resizes from anywhere else).
  void SetWidth(int value);
  void SetHeight(int value);

  bool Sizing() const { return sizing_; }

  NotifyEvent OnAfterMove;
  NotifyEvent OnPaint;
  TWsPanelMoveEvent OnBeforeMove;
  TWsPanelResizeParentEvent OnResizeParent;
  TWsPanelChangedSizeEvent OnChangedWidth;
  TWsPanelChangedSizeEvent OnChangedHeight;

 protected:
  virtual void DrawBevels(QPainter& painter);
  virtual void DrawCaption(QPainter& painter);
  virtual void DrawCaptionOn(QPainter& painter);
  virtual bool BeforeMove(int x, int y);
  virtual void AfterMove();
  virtual void ArrangeSettingsChanged(const std::string& propName);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void childEvent(QChildEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void MouseEnter(QWidget* control) override;
  void MouseLeave(QWidget* control) override;
  void ParentColorChanged() override;

 private:
  void Rearrange();
  void NoteSize();
  void SizeChanged();
  void DrawFlatBorder(QPainter& painter);
  void DrawGrip(QPainter& painter);
  int BevelInset() const;
  bool InGrip(const QPoint& pos) const;
  // Where a press on a movable panel drags it.
  bool InBody(const QPoint& pos) const;
  bool Hot() const { return MouseOver() && hotTrack_; }

  TWsArrangeSettings arrangeSettings_;
  TWsPanelHotTrackOptions hotTrackOptions_;
  WsFont hotTrackFont_;
  TWsTrackFontOptions hotTrackFontOptions_;
  WsColor fontColor_ = colors::WindowText;
  bool loading_ = false;
  bool arranging_ = false;
  bool hotTrack_ = false;
  bool movable_ = false;
  bool sizeable_ = false;
  bool transparent_ = false;
  bool multiLine_ = false;
  bool flatBorder_ = false;
  WsColor flatBorderColor_ = colors::BtnShadow;
  QString caption_;
  TAlignment alignment_ = TAlignment::taCenter;
  TBevelCut bevelInner_ = TBevelCut::bvNone;
  TBevelCut bevelOuter_ = TBevelCut::bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  bool sizing_ = false;
  bool wasMoved_ = false;
  QPoint lastMouse_;
  QSize lastSize_;
};

class TWsPanel : public TWsCustomArrangePanel {
  Q_OBJECT

 public:
  using TWsCustomArrangePanel::TWsCustomArrangePanel;
};

}  // namespace qmz
