// The extended control bases' event routing: Qt's events turned into the overridable operations and
// notifications, the hint colour and the flat focus frame.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <algorithm>

#include "widgets/WsControls.h"

namespace qmz {

// The event being dispatched and whether Qt's handling has had it.
struct WsExControl::Dispatch {
  QEvent* event;
  const std::function<bool(QEvent*)>& inherited;
  bool handed = false;
  bool result = false;
};

// Makes dispatched (none: nothing may be handed on) the event being dispatched until the scope ends.
struct WsExControl::DispatchScope {
  DispatchScope(WsExControl* control, Dispatch* dispatched) : control_(control), outer_(control->dispatch_) {
    control_->dispatch_ = dispatched;
  }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;
  ~DispatchScope() { control_->dispatch_ = outer_; }

 private:
  WsExControl* control_;
  Dispatch* outer_;
};

namespace {

// Qt has no event of its own for a parent's hint changing: the parent sends this one to its children.
const QEvent::Type kParentShowHintChange = QEvent::Type(QEvent::registerEventType());

// The widget that had the focus before the current one; Qt names only the new one.
QPointer<QWidget>& LastFocus() {
  static QPointer<QWidget> last;
  return last;
}

void TrackFocus() {
  static bool tracking = false;
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (tracking || app == nullptr) return;
  tracking = true;
  // Qt sends FocusOut and FocusIn before it signals the change, so LastFocus still names the previous
  // widget while they are handled.
  QObject::connect(app, &QApplication::focusChanged, app, [](QWidget*, QWidget* now) { LastFocus() = now; });
}

// Key press handling of QWidget, called past the focus change Qt makes of Tab.
struct KeyAccess : QWidget {
  using QWidget::keyPressEvent;
};

}  // namespace

// Watches what the control hears of through other objects' events: a scroll area's viewport (the tree view's
// items), whose mouse and paint events go through the control's operations as well, and a parent that is no
// extended control (which would tell its children itself), for its hint.
class WsExControl::EventRouter : public QObject {
 public:
  explicit EventRouter(WsExControl* control) : control_(control) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override { return control_->RouteWatchedEvent(watched, event); }

 private:
  WsExControl* control_;
};

WsExControl::WsExControl(QWidget* self) : self_(self), router_(std::make_unique<EventRouter>(this)) {
  TrackFocus();
  if (auto* area = qobject_cast<QAbstractScrollArea*>(self_)) area->viewport()->installEventFilter(router_.get());
  WatchParent();
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
    focusConnection_ = QObject::connect(app, &QApplication::focusChanged, self_, [this](QWidget*, QWidget* now) {
      if (now == nullptr || now->window() != self_->window()) return;
      // No event of this control is handed on from here, even when the focus moves while one is dispatched.
      DispatchScope none(this, nullptr);
      FocusChanged(now);
    });
  }
}

// Qt's own destruction still moves the focus; this part of the control must not hear of it.
WsExControl::~WsExControl() { QObject::disconnect(focusConnection_); }

bool WsExControl::DefaultHandler() {
  if (dispatch_ == nullptr) return false;
  if (!dispatch_->handed) {
    dispatch_->handed = true;
    dispatch_->result = dispatch_->inherited(dispatch_->event);
  }
  return dispatch_->result;
}

// ---- defaults of the operations and notifications

void WsExControl::TextChanged() { DefaultHandler(); }

bool WsExControl::WantKey(int /*key*/, Qt::KeyboardModifiers /*shift*/, const QString& /*keyText*/) {
  DefaultHandler();
  return dispatch_ != nullptr && dispatch_->event->isAccepted();
}

bool WsExControl::HitTest(int /*x*/, int /*y*/) { return true; }
void WsExControl::DoSetFocus(QWidget* /*previous*/) { DefaultHandler(); }
void WsExControl::DoKillFocus(QWidget* /*next*/) { DefaultHandler(); }
bool WsExControl::DoEraseBackground(QPainter& /*canvas*/, std::intptr_t /*param*/) {
  return self_->autoFillBackground();
}
void WsExControl::FocusChanged(QWidget* /*control*/) { DefaultHandler(); }
void WsExControl::VisibleChanged() { DefaultHandler(); }
void WsExControl::EnabledChanged() { DefaultHandler(); }
void WsExControl::FontChanged() { DefaultHandler(); }
void WsExControl::ParentFontChanged() { DefaultHandler(); }
void WsExControl::ParentShowHintChanged() { DefaultHandler(); }
void WsExControl::CursorChanged() { DefaultHandler(); }
void WsExControl::ShowingChanged(bool /*showing*/) { DefaultHandler(); }
void WsExControl::ShowHintChanged() { DefaultHandler(); }
void WsExControl::ControlsListChanged(QWidget* /*control*/, bool /*inserting*/) { DefaultHandler(); }

void WsExControl::MouseEnter(QWidget* /*control*/) {
  mouseOver_ = true;
  if (OnMouseEnter) OnMouseEnter(self_);
  DefaultHandler();
}

void WsExControl::MouseLeave(QWidget* /*control*/) {
  mouseOver_ = false;
  DefaultHandler();
  if (OnMouseLeave) OnMouseLeave(self_);
}

QColor WsExControl::ApplicationHintColor() {
  return QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase);
}

namespace {

// Qt has one hint window for the whole program, in the colours of QToolTip::palette(). A control's own hint
// colour goes onto that window only while it shows the control's hint: before any hint shows, the window
// gets the program's colours back, so a window still open for the next control's hint is never left red.
QWidget* ShownHintWindow() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->inherits("QTipLabel") && window->isVisible()) return window;
  return nullptr;
}

class HintColourReset : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::ToolTip)
      if (QWidget* window = ShownHintWindow()) window->setPalette(QToolTip::palette());
    return false;
  }
};

void ShowHint(const QPoint& globalPos, const QString& text, QWidget* control, const QColor& colour) {
  static QPointer<HintColourReset> reset;  // goes with the application
  if (!reset) {
    reset = new HintColourReset(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(reset);
  }
  QToolTip::showText(globalPos, text, control);
  if (QWidget* window = ShownHintWindow()) {
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::All, QPalette::ToolTipBase, colour);
    window->setPalette(palette);
  }
}

}  // namespace

bool WsExControl::HintShow(QColor& hintColor) {
  if (hintColor_ == colors::None) {
    hintColor = ApplicationHintColor();
  } else if (hintColor_ == colors::Default) {
    // The parent decides on a copy; a parent that is no extended control leaves the colour as it was.
    if (auto* parent = dynamic_cast<WsExControl*>(self_->parentWidget())) {
      QColor copy = hintColor;
      parent->HintShow(copy);
      hintColor = copy;
    }
  } else {
    hintColor = ToQColor(hintColor_, self_->palette());
  }
  return true;
}

QColor WsExControl::EffectiveHintColor() {
  QColor colour = ApplicationHintColor();
  HintShow(colour);
  return colour;
}

void WsExControl::PaintFrame() {
  const bool hot = self_->hasFocus() || mouseOver_;
  const QColor active = ToQColor(0x00733800);
  QPainter painter(self_);
  painter.setBrush(Qt::NoBrush);
  const QRect outer(0, 0, self_->width() - 1, self_->height() - 1);
  painter.setPen(hot ? active : ToQColor(0x00808080));
  painter.drawRect(outer);
  painter.setPen(hot ? active : ToQColor(color_, self_->palette()));
  painter.drawRect(outer.adjusted(1, 1, -1, -1));
}

// ---- routing

// The control's client area is its viewport when it has one.
QPoint WsExControl::ClientPoint(const QPoint& at) const {
  if (const auto* area = qobject_cast<const QAbstractScrollArea*>(self_)) return area->viewport()->mapFrom(self_, at);
  return at;
}

void WsExControl::WatchParent() {
  if (watchedParent_ != nullptr) watchedParent_->removeEventFilter(router_.get());
  watchedParent_ = self_->parentWidget();
  if (watchedParent_ != nullptr && dynamic_cast<WsExControl*>(watchedParent_.data()) == nullptr)
    watchedParent_->installEventFilter(router_.get());
}

bool WsExControl::RouteWatchedEvent(QObject* watched, QEvent* event) {
  if (watched == watchedParent_ && event->type() == QEvent::ToolTipChange) {
    QEvent parentHint(kParentShowHintChange);
    QCoreApplication::sendEvent(self_, &parentHint);
    return false;
  }
  auto* area = qobject_cast<QAbstractScrollArea*>(self_);
  if (area == nullptr || watched != area->viewport()) return false;
  QWidget* viewport = area->viewport();
  // The viewport's events are none of the control's own: nothing dispatched is handed on from here.
  DispatchScope none(this, nullptr);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (HitTest(at.x(), at.y())) return false;
      // Not the control's point: on through the control (which refuses it as well) to its parent.
      event->ignore();
      return true;
    }
    case QEvent::Paint: {
      QPainter canvas(viewport);
      canvas.save();
      DoEraseBackground(canvas, 0);
      canvas.restore();
      return false;
    }
    default:
      return false;
  }
}

bool WsExControl::DispatchKey(QKeyEvent* event) {
  // What Qt gives a control: arrows and characters; Tab moves the focus on.
  unsigned code = dlgcodes::WantArrows | dlgcodes::WantChars;
  GetDlgCode(code);
  const bool all = (code & (dlgcodes::WantAllKeys | dlgcodes::WantMessage)) != 0;
  const int key = event->key();
  const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == Qt::NoModifier;
  if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && plain && (all || (code & dlgcodes::WantTab) != 0)) {
    (self_->*static_cast<void (QWidget::*)(QKeyEvent*)>(&KeyAccess::keyPressEvent))(event);
    return true;
  }
  const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
  const bool character = !arrow && plain && !event->text().isEmpty() && event->text().at(0).isPrint();
  if (!all && ((arrow && (code & dlgcodes::WantArrows) == 0) || (character && (code & dlgcodes::WantChars) == 0))) {
    event->ignore();  // on to the parent, as a key the control does not take
    return false;
  }
  return DefaultHandler();
}

bool WsExControl::DispatchEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
      MouseEnter(self_);
      break;
    case QEvent::Leave:
      MouseLeave(self_);
      break;
    case QEvent::ToolTip: {
      QColor colour = ApplicationHintColor();
      const QString text = self_->toolTip();
      if (!HintShow(colour) || text.isEmpty()) return DefaultHandler();
      ShowHint(static_cast<QHelpEvent*>(event)->globalPos(), text, self_, colour);
      return true;
    }
    case QEvent::ShortcutOverride: {
      auto* key = static_cast<QKeyEvent*>(event);
      const bool wanted = WantKey(key->key(), key->modifiers(), key->text());
      key->setAccepted(wanted);
      return wanted;
    }
    case QEvent::KeyPress:
      return DispatchKey(static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      const QPoint at = ClientPoint(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (!HitTest(at.x(), at.y())) {
        event->ignore();  // not this control's point: the parent gets it
        return false;
      }
      DefaultHandler();
      break;
    }
    case QEvent::Paint: {
      // A scroll area's own paint is its frame; its background is erased on the viewport.
      if (qobject_cast<QAbstractScrollArea*>(self_) == nullptr) {
        QPainter canvas(self_);
        canvas.save();
        DoEraseBackground(canvas, 0);
        canvas.restore();
      }
      DefaultHandler();
      break;
    }
    case QEvent::WindowTitleChange:
      TextChanged();
      break;
    case QEvent::EnabledChange:
      EnabledChanged();
      break;
    case QEvent::FontChange:
      if (!self_->testAttribute(Qt::WA_SetFont) && self_->parentWidget() != nullptr) ParentFontChanged();
      FontChanged();
      break;
    case QEvent::CursorChange:
      CursorChanged();
      break;
    case QEvent::ToolTipChange:
      ShowHintChanged();
      for (QObject* child : self_->children()) {
        if (!child->isWidgetType()) continue;
        QEvent parentHint(kParentShowHintChange);
        QCoreApplication::sendEvent(child, &parentHint);
      }
      break;
    case QEvent::Show:
    case QEvent::Hide:
      ShowingChanged(event->type() == QEvent::Show);
      break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
      VisibleChanged();
      break;
    case QEvent::Resize:
      DefaultHandler();
      BoundsChanged();
      break;
    case QEvent::FocusIn:
      DoSetFocus(LastFocus() != self_ ? LastFocus().data() : nullptr);
      break;
    case QEvent::FocusOut: {
      QWidget* next = QApplication::focusWidget();
      DoKillFocus(next != self_ ? next : nullptr);
      break;
    }
    case QEvent::ChildAdded:
    case QEvent::ChildRemoved: {
      QObject* child = static_cast<QChildEvent*>(event)->child();
      if (!child->isWidgetType()) return DefaultHandler();
      // A child on its way out is no longer a whole widget: only its address is handed on.
      auto* control = static_cast<QWidget*>(child);
      const bool inserting = event->type() == QEvent::ChildAdded;
      ControlsListChanging(control, inserting);
      ControlsListChanged(control, inserting);
      break;
    }
    case QEvent::ParentChange:
      DefaultHandler();
      WatchParent();
      if (parentColor_) ParentColorChanged();
      break;
    default:
      if (event->type() == kParentShowHintChange) {
        ParentShowHintChanged();
        break;
      }
      return DefaultHandler();
  }
  // An override that kept the event from Qt has handled it.
  return dispatch_->handed ? dispatch_->result : true;
}

bool WsExControl::HandleEvent(QEvent* event, const std::function<bool(QEvent*)>& inherited) {
  Dispatch dispatch{event, inherited};
  DispatchScope scope(this, &dispatch);
  const bool result = DispatchEvent(event);
  if (!frameHighlighting_) return result;
  switch (event->type()) {
    case QEvent::Paint:
      PaintFrame();
      break;
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      // The frame lives in the outer two pixels; repainting them redraws it in its new state.
      self_->update(QRegion(self_->rect()).subtracted(QRegion(self_->rect().adjusted(2, 2, -2, -2))));
      break;
    default:
      break;
  }
  return result;
}

TWsExCustomControl::TWsExCustomControl(QWidget* parent) : QWidget(parent), WsExControl(this) {}

void TWsExCustomControl::SetBorderWidth(int value) {
  value = std::max(0, value);
  if (value == borderWidth_) return;
  borderWidth_ = value;
  setContentsMargins(value, value, value, value);  // layouts follow by themselves
  BoundsChanged();                                 // the client area changed its size, as on a resize
  update();
}

bool TWsExCustomControl::event(QEvent* e) {
  if (e->type() == QEvent::Paint && borderWidth_ > 0) {
    // The border lies outside the client area the control paints: it shows the control's Color.
    const QColor color = ToQColor(Color(), palette());
    if (color.isValid()) {
      QPainter canvas(this);
      canvas.setClipRegion(QRegion(rect()).subtracted(contentsRect()));
      canvas.fillRect(rect(), color);
    }
  }
  return HandleEvent(e, [this](QEvent* ev) { return QWidget::event(ev); });
}

TWsExCustomPanel::TWsExCustomPanel(QWidget* parent) : QFrame(parent), WsExControl(this) {}

bool TWsExCustomPanel::event(QEvent* e) {
  return HandleEvent(e, [this](QEvent* ev) { return QFrame::event(ev); });
}

}  // namespace qmz
