#include "widgets/WsControls.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QStyle>
#include <QToolTip>
#include <stdexcept>

#include "widgets/WsPlainText.h"

namespace qmz {

namespace {

// System colour numbers as the game's platform counts them, mapped onto the nearest palette role.
bool SystemRole(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
  group = QPalette::Active;
  switch (index) {
    case 0:
      role = QPalette::Mid;
      return true;  // scroll bar
    case 1:
    case 12:
      role = QPalette::Dark;
      return true;  // desktop, application work space
    case 2:
    case 13:
    case 26:
    case 27:
    case 29:
      role = QPalette::Highlight;
      return true;
    case 3:
    case 28:
      role = QPalette::Midlight;
      return true;  // inactive caption
    case 4:
    case 30:
      role = QPalette::Window;
      return true;  // menu, menu bar
    case 5:
      role = QPalette::Base;
      return true;  // window
    case 6:
      role = QPalette::Shadow;
      return true;  // window frame
    case 7:
      role = QPalette::WindowText;
      return true;  // menu text
    case 8:
      role = QPalette::Text;
      return true;  // window text
    case 9:
    case 14:
      role = QPalette::HighlightedText;
      return true;
    case 10:
    case 11:
    case 15:
      role = QPalette::Button;
      return true;  // borders, button face
    case 16:
      role = QPalette::Dark;
      return true;  // button shadow
    case 17:
    case 19:
      group = QPalette::Disabled;
      role = QPalette::Text;
      return true;  // grey text
    case 18:
      role = QPalette::ButtonText;
      return true;
    case 20:
      role = QPalette::Light;
      return true;  // button highlight
    case 21:
      role = QPalette::Shadow;
      return true;  // 3-D dark shadow
    case 22:
      role = QPalette::Midlight;
      return true;  // 3-D light
    case 23:
      role = QPalette::ToolTipText;
      return true;
    case 24:
      role = QPalette::ToolTipBase;
      return true;
    default:
      return false;
  }
}

}  // namespace

QColor ToQColor(WsColor color, const QPalette& palette) {
  if (color == colors::None) return QColor(Qt::transparent);
  if (color == colors::Default) return QColor();
  if (IsSystemColor(color)) {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (!SystemRole(int(color & 0xFF), group, role)) return QColor(Qt::black);
    return palette.color(group, role);
  }
  return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QColor ToQColor(WsColor color) { return ToQColor(color, QApplication::palette()); }

WsColor FromQColor(const QColor& color) {
  if (!color.isValid()) return colors::Default;
  if (color.alpha() == 0) return colors::None;
  return RgbColor(color.red(), color.green(), color.blue());
}

WsColor ColorToRgb(WsColor color, const QPalette& palette) {
  if (!IsSystemColor(color)) return color;
  return FromQColor(ToQColor(color, palette));
}

// ---- the application's exception handler

namespace {
ExceptionHandler& InstalledHandler() {
  static ExceptionHandler handler;
  return handler;
}
}  // namespace

void SetApplicationHandleException(ExceptionHandler handler) { InstalledHandler() = std::move(handler); }

void ApplicationHandleException(QObject* sender, const std::exception& error) {
  if (InstalledHandler()) InstalledHandler()(sender, error);
  else ShowExceptionBox(error);
}

void HandExceptionsToApplication(QObject* sender, const std::function<void()>& run) {
  try {
    run();
  } catch (const std::exception& error) {
    ApplicationHandleException(sender, error);
  } catch (...) {
    ApplicationHandleException(sender, std::runtime_error("Unknown exception"));
  }
}

void ShowExceptionBox(const std::exception& error) {
  PlainMessageBox(nullptr, QMessageBox::Critical, QApplication::applicationDisplayName(),
                  QString::fromUtf8(error.what()));
}

// ---- option objects

void TWsPersistentProperty::Changed() {
  if (updateCount_ == 0 && OnChanged) OnChanged(this);
}

void TWsPersistentProperty::Changing() {
  if (updateCount_ == 0 && OnChanging) OnChanging(this);
}

void TWsPersistentProperty::ChangedProperty(const std::string& propName) {
  if (OnChangedProperty) OnChangedProperty(this, propName);
}

void TWsPersistentProperty::ChangingProperty(const std::string& propName) {
  if (OnChangingProperty) OnChangingProperty(this, propName);
}

void TWsPersistentProperty::SetUpdateState(bool updating) {
  if (updating) Changing();
  else Changed();
}

void TWsPersistentProperty::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TWsPersistentProperty::EndUpdate() {
  if (updateCount_ == 0) return;
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

template <typename T>
void TWsHotTrackOptions::SetValue(T& field, T value, const char* propName) {
  if (field == value) return;
  Changing();
  ChangingProperty(propName);
  field = value;
  ChangedProperty(propName);
  Changed();
}

void TWsHotTrackOptions::SetEnabled(bool value) { SetValue(enabled_, value, "Enabled"); }
void TWsHotTrackOptions::SetColor(WsColor value) { SetValue(color_, value, "Color"); }
void TWsHotTrackOptions::SetFrameVisible(bool value) { SetValue(frameVisible_, value, "FrameVisible"); }
void TWsHotTrackOptions::SetFrameColor(WsColor value) { SetValue(frameColor_, value, "FrameColor"); }

void TWsHotTrackOptions::Assign(const TWsHotTrackOptions& source) {
  BeginUpdate();
  SetEnabled(source.enabled_);
  SetColor(source.color_);
  SetFrameVisible(source.frameVisible_);
  SetFrameColor(source.frameColor_);
  EndUpdate();
}

// ---- extended control bases

WsColor ControlColor(const QWidget* widget) {
  if (const auto* ex = dynamic_cast<const WsExControl*>(widget)) return ex->Color();
  return FromQColor(widget->palette().color(widget->backgroundRole()));
}

void WsExControl::SetFrameHighlighting(bool value) {
  if (frameHighlighting_ == value) return;
  frameHighlighting_ = value;
  self_->update();
}

void WsExControl::SetColor(WsColor value) {
  parentColor_ = false;
  if (color_ == value) return;
  color_ = value;
  QPalette palette = self_->palette();
  const QColor qcolor = ToQColor(value, palette);
  if (qcolor.isValid()) {
    palette.setColor(QPalette::Window, qcolor);
    self_->setPalette(palette);
  }
  ColorChanged();
  self_->update();
  for (QObject* child : self_->children())
    if (auto* ex = dynamic_cast<WsExControl*>(child)) ex->ParentColorChanged();
}

void WsExControl::SetParentColor(bool value) {
  if (parentColor_ == value) return;
  parentColor_ = value;
  if (value) ParentColorChanged();
}

void WsExControl::ParentColorChanged() {
  if (parentColor_ && self_->parentWidget()) {
    SetColor(ControlColor(self_->parentWidget()));
    parentColor_ = true;
  }
  if (OnParentColorChange) OnParentColorChange(self_);
}

// ---- drag and drop

namespace {
QPointer<QObject> dragSource;
}  // namespace

void BeginDragOperation(QObject* source) { dragSource = source; }

void EndDragOperation(QObject* source) {
  if (dragSource == source) dragSource = nullptr;
}

bool DragOperationUnderway() { return !dragSource.isNull(); }

// ---- bevels

namespace {

const char* const kBevelProperty = "qmzBevelKind";

bool IsBevelBox(const QObject* object) {
  return qobject_cast<const QLineEdit*>(object) || qobject_cast<const QListWidget*>(object) ||
         qobject_cast<const QComboBox*>(object);
}

// The soft bevel is the style's own frame. The flat one is painted over that frame, inside its width, so a
// box under the mouse changes its look but never its size or the layout around it.
class FlatBevelPainter : public QObject {
 public:
  static FlatBevelPainter* Instance() {
    static QPointer<FlatBevelPainter> painter;  // goes with the application
    if (!painter) painter = new FlatBevelPainter(QCoreApplication::instance());
    return painter;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || painting_ ||
        GetBevelKind(static_cast<QWidget*>(watched)) != BevelKind::bkFlat)
      return false;
    auto* box = static_cast<QWidget*>(watched);
    painting_ = true;
    QCoreApplication::sendEvent(box, event);  // the box paints itself first
    painting_ = false;
    const auto* frame = qobject_cast<QFrame*>(box);
    const int width = frame ? frame->frameWidth()
                            : box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
    if (width <= 0) return true;
    QPainter painter(box);
    const QRect outer = box->rect();
    const QRegion ring = QRegion(outer).subtracted(QRegion(outer.adjusted(width, width, -width, -width)));
    painter.setClipRegion(ring);
    painter.fillRect(outer, box->palette().color(QPalette::Base));
    painter.setPen(ToQColor(colors::BtnShadow, box->palette()));
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    return true;
  }

 private:
  using QObject::QObject;
  bool painting_ = false;
};

}  // namespace

BevelKind GetBevelKind(const QWidget* box) {
  const QVariant value = box->property(kBevelProperty);
  return value.isValid() ? BevelKind(value.toInt()) : BevelKind::bkNone;
}

void SetBoxBevelKind(QWidget* box, BevelKind kind) {
  if (GetBevelKind(box) == kind) return;
  if (kind == BevelKind::bkFlat) box->installEventFilter(FlatBevelPainter::Instance());  // once, however often
  box->setProperty(kBevelProperty, int(kind));
  box->update();
}

void SetBevelKind(QWidget* form, QObject* sender, Qt::KeyboardModifiers /*shift*/, int /*x*/, int /*y*/) {
  if (sender && IsBevelBox(sender)) {
    SetBoxBevelKind(static_cast<QWidget*>(sender), BevelKind::bkFlat);
    return;
  }
  if (!form) return;
  for (QWidget* child : form->findChildren<QWidget*>())
    if (IsBevelBox(child) && GetBevelKind(child) != BevelKind::bkSoft) SetBoxBevelKind(child, BevelKind::bkSoft);
}

}  // namespace qmz
