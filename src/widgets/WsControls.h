#pragma once
// The layer every control of the widget set stands on: the 32-bit colour value and a font with its colour,
// option objects that report their own changes, hot-track options, and the extended control bases that turn
// Qt's events into overridable operations and notifications (keys, hit tests, background, focus, text, font,
// hint, cursor, visibility, child controls, mouse enter/leave, parent colour, hint colour, focus frame).

#include <QFont>
#include <QFrame>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QKeyEvent;
class QPainter;
class QPalette;

namespace qmz {

// $00BBGGRR is a plain colour, $FF0000nn system colour nn (taken from the palette), None and Default are
// markers the controls interpret.
using WsColor = std::uint32_t;

namespace colors {
inline constexpr WsColor None = 0x1FFFFFFF;
inline constexpr WsColor Default = 0x20000000;
inline constexpr WsColor SystemFlag = 0xFF000000;
inline constexpr WsColor Window = 0xFF000005;
inline constexpr WsColor WindowText = 0xFF000008;
inline constexpr WsColor Highlight = 0xFF00000D;
inline constexpr WsColor HighlightText = 0xFF00000E;
inline constexpr WsColor BtnFace = 0xFF00000F;
inline constexpr WsColor BtnShadow = 0xFF000010;
inline constexpr WsColor GrayText = 0xFF000011;
inline constexpr WsColor BtnText = 0xFF000012;
inline constexpr WsColor BtnHighlight = 0xFF000014;
inline constexpr WsColor InfoText = 0xFF000017;
inline constexpr WsColor InfoBk = 0xFF000018;
}  // namespace colors

constexpr WsColor RgbColor(int r, int g, int b) {
  return WsColor(r & 0xFF) | (WsColor(g & 0xFF) << 8) | (WsColor(b & 0xFF) << 16);
}
constexpr bool IsSystemColor(WsColor color) { return (color & 0xFF000000) == colors::SystemFlag; }

// System colours resolve through the palette (the application's when none is given). None gives a transparent
// colour; Default gives an invalid QColor, so the caller picks its own default.
QColor ToQColor(WsColor color, const QPalette& palette);
QColor ToQColor(WsColor color);
WsColor FromQColor(const QColor& color);
// The plain $00BBGGRR value of a colour, system colours resolved; markers stay as they are.
WsColor ColorToRgb(WsColor color, const QPalette& palette);

// A font together with the colour its text is drawn in.
struct WsFont {
  QFont font;
  WsColor color = colors::WindowText;
  bool operator==(const WsFont& other) const { return color == other.color && font == other.font; }
};

// An option object that reports its own changes. Changing/Changed fire only outside BeginUpdate/EndUpdate
// brackets (one pair around a whole bracket); the per-property events fire always.
class TWsPersistentProperty {
 public:
  using NotifyEvent = std::function<void(TWsPersistentProperty* sender)>;
  using PropertyEvent = std::function<void(TWsPersistentProperty* sender, const std::string& propName)>;

  TWsPersistentProperty() = default;
  TWsPersistentProperty(const TWsPersistentProperty&) = delete;
  TWsPersistentProperty& operator=(const TWsPersistentProperty&) = delete;
  virtual ~TWsPersistentProperty() = default;

  NotifyEvent OnChanging;
  NotifyEvent OnChanged;
  PropertyEvent OnChangingProperty;
  PropertyEvent OnChangedProperty;

  int UpdateCount() const { return updateCount_; }

  virtual void Changed();
  virtual void Changing();
  virtual void ChangedProperty(const std::string& propName);
  virtual void ChangingProperty(const std::string& propName);
  virtual void SetUpdateState(bool updating);
  virtual void BeginUpdate();
  // An EndUpdate without its BeginUpdate is ignored, so the count never goes below 0 and silences nothing.
  virtual void EndUpdate();

 private:
  int updateCount_ = 0;
};

class TWsHotTrackOptions : public TWsPersistentProperty {
 public:
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  WsColor Color() const { return color_; }
  void SetColor(WsColor value);
  bool FrameVisible() const { return frameVisible_; }
  void SetFrameVisible(bool value);
  WsColor FrameColor() const { return frameColor_; }
  void SetFrameColor(WsColor value);

  // Copies all four values inside one update bracket, so the owner sees one change.
  void Assign(const TWsHotTrackOptions& source);

 private:
  template <typename T>
  void SetValue(T& field, T value, const char* propName);

  bool enabled_ = false;
  WsColor color_ = 0x00D2BDB6;
  bool frameVisible_ = false;
  WsColor frameColor_ = 0x006A240A;
};

// The application's exception handler as the controls reach it: an exception one of their events raised is
// handed to it and goes no further. The program's application object installs its own handler; with none
// installed the class library's default runs, the exception's message in an error box. Sender: the object
// whose event raised (nullptr when there is none).
using ExceptionHandler = std::function<void(QObject* Sender, const std::exception& E)>;
void SetApplicationHandleException(ExceptionHandler handler);
void ApplicationHandleException(QObject* sender, const std::exception& error);
// Runs run; whatever it raises is handed to the application's exception handler (an exception of no
// std::exception class as "Unknown exception") and goes no further.
void HandExceptionsToApplication(QObject* sender, const std::function<void()>& run);
// The class library's default error box: the exception's message as plain text, nothing else.
void ShowExceptionBox(const std::exception& error);

// The keys a control asks for before a key reaches it (GetDlgCode): arrows, Tab, every key, characters.
namespace dlgcodes {
inline constexpr unsigned WantArrows = 0x01;
inline constexpr unsigned WantTab = 0x02;
inline constexpr unsigned WantAllKeys = 0x04;
inline constexpr unsigned WantChars = 0x08;
inline constexpr unsigned WantMessage = 0x10;
}  // namespace dlgcodes

// The state and behaviour the extended control bases share. The Qt classes below route their event() through
// HandleEvent, which turns Qt's events into the overridable operations and notifications. The default of each
// hands the event on to Qt's own handling (DefaultHandler), so an override that calls the base keeps Qt's
// behaviour and one that does not replaces it.
class WsExControl {
 public:
  using NotifyEvent = std::function<void(QWidget* sender)>;

  explicit WsExControl(QWidget* self);
  WsExControl(const WsExControl&) = delete;
  WsExControl& operator=(const WsExControl&) = delete;
  virtual ~WsExControl();

  NotifyEvent OnMouseEnter;
  NotifyEvent OnMouseLeave;
  NotifyEvent OnParentColorChange;

  bool MouseOver() const { return mouseOver_; }
  WsColor HintColor() const { return hintColor_; }
  void SetHintColor(WsColor value) { hintColor_ = value; }
  bool FrameHighlighting() const { return frameHighlighting_; }
  void SetFrameHighlighting(bool value);

  // The control's background colour. Setting it clears ParentColor and tells the child controls.
  WsColor Color() const { return color_; }
  void SetColor(WsColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  // The control wants its parent's background behind it (see DrawThemedBackground).
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool value) { parentBackground_ = value; }

  // Chooses the colour of this control's hints into hintColor (see HintColor's rules); true when a hint may
  // show.
  virtual bool HintShow(QColor& hintColor);
  // The colour a hint of this control is shown in.
  QColor EffectiveHintColor();
  // The application's own hint colour.
  static QColor ApplicationHintColor();

  QWidget* Widget() const { return self_; }

 protected:
  // Operations. The window title stands for the control's text.
  virtual void TextChanged();
  // A key offered before it may trigger a shortcut: true takes it as an ordinary key press.
  virtual bool WantKey(int key, Qt::KeyboardModifiers shift, const QString& keyText);
  // Whether the point (client coordinates) belongs to the control; a mouse event at a point that does not
  // goes on to the parent.
  virtual bool HitTest(int x, int y);
  virtual void BoundsChanged() {}
  // The keys wanted (dlgcodes) as Qt would give them; may add or remove some.
  virtual void GetDlgCode(unsigned& /*code*/) {}
  virtual void DoSetFocus(QWidget* previous);
  virtual void DoKillFocus(QWidget* next);
  // Before each paint, on the control's own painter (its state restored afterwards); true when the
  // background counts as erased. Qt has filled it already when the control fills its background.
  virtual bool DoEraseBackground(QPainter& canvas, std::intptr_t param);

  // Notifications.
  // The focus moved to control (in this control's window).
  virtual void FocusChanged(QWidget* control);
  virtual void VisibleChanged();
  virtual void EnabledChanged();
  virtual void ColorChanged() {}
  virtual void FontChanged();
  // The font changed because the parent's did (the control has no font of its own).
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  // The parent's hint (tool tip) changed.
  virtual void ParentShowHintChanged();
  // control: the control whose area the mouse entered or left; Qt tells each control of its own area only.
  virtual void MouseEnter(QWidget* control);
  virtual void MouseLeave(QWidget* control);
  virtual void CursorChanged();
  virtual void ShowingChanged(bool showing);
  // The control's hint (tool tip) changed.
  virtual void ShowHintChanged();
  // A child control comes or goes. Qt reports a child only once it has come or gone, so Changing runs right
  // before Changed; Changing has nothing to hand on.
  virtual void ControlsListChanging(QWidget* /*control*/, bool /*inserting*/) {}
  virtual void ControlsListChanged(QWidget* control, bool inserting);

  // Hands the event being dispatched on to Qt's own handling, once; its result.
  bool DefaultHandler();
  bool HandleEvent(QEvent* event, const std::function<bool(QEvent*)>& inherited);

 private:
  struct Dispatch;
  struct DispatchScope;
  class EventRouter;
  void PaintFrame();
  bool DispatchEvent(QEvent* event);
  bool DispatchKey(QKeyEvent* event);
  bool RouteWatchedEvent(QObject* watched, QEvent* event);
  void WatchParent();
  QPoint ClientPoint(const QPoint& at) const;

  QWidget* self_;
  WsColor hintColor_ = colors::Default;
  WsColor color_ = colors::BtnFace;
  bool parentColor_ = false;
  bool parentBackground_ = false;
  bool mouseOver_ = false;
  bool frameHighlighting_ = false;
  Dispatch* dispatch_ = nullptr;
  QMetaObject::Connection focusConnection_;
  std::unique_ptr<QObject> router_;
  QPointer<QWidget> watchedParent_;
};

// The colour a widget shows as background: the Ws colour of an extended control, else its palette's.
WsColor ControlColor(const QWidget* widget);

class TWsExCustomControl : public QWidget, public WsExControl {
  Q_OBJECT

 public:
  explicit TWsExCustomControl(QWidget* parent = nullptr);

 protected:
  // The class library's border width: an inner border of this many pixels, in the control's Color, by which
  // the client area (contentsRect) and so what is laid out in it are inset.
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);

  bool event(QEvent* e) override;

 private:
  int borderWidth_ = 0;
};

class TWsExCustomPanel : public QFrame, public WsExControl {
  Q_OBJECT

 public:
  explicit TWsExCustomPanel(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* e) override;
};

// The form the page list and its pages derive from; it adds no behaviour.
class TWsCustomControl : public TWsExCustomControl {
  Q_OBJECT

 public:
  using TWsExCustomControl::TWsExCustomControl;
};

// The widget set's own drag and drop. Qt tells no other control that a drag is under way, so a control that
// drags something announces it from the start of its drag to the end; a source freed meanwhile ends it too.
void BeginDragOperation(QObject* source);
// Ends only the drag that source began.
void EndDragOperation(QObject* source);
bool DragOperationUnderway();

// Bevel look of edit, list and combo boxes.
enum class BevelKind { bkNone, bkFlat, bkSoft };
BevelKind GetBevelKind(const QWidget* box);
void SetBoxBevelKind(QWidget* box, BevelKind kind);

// Mouse-move hot tracking of bevels: the edit, list or combo box under the mouse (sender) turns flat; moving
// over anything else turns every such box of the form soft again. Shift, x and y are not used.
void SetBevelKind(QWidget* form, QObject* sender, Qt::KeyboardModifiers shift, int x, int y);

}  // namespace qmz
