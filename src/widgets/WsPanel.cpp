#include "widgets/WsPanel.h"

#include <QApplication>
#include <QChildEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <algorithm>

#include "widgets/WsThemes.h"

namespace qmz {

void TWsArrangeSettings::Assign(const TWsArrangeSettings& source) {
  BeginUpdate();
  SetAutoArrange(source.AutoArrange());
  SetAutoSize(source.AutoSize());
  SetWrapControls(source.WrapControls());
  SetBorderLeft(source.BorderLeft());
  SetBorderTop(source.BorderTop());
  SetDistanceVertical(source.DistanceVertical());
  SetDistanceHorizontal(source.DistanceHorizontal());
  showNotVisibleAtDesignTime_ = source.ShowNotVisibleAtDesignTime();
  SetMaxWidth(source.MaxWidth());
  EndUpdate();
}

TWsCustomArrangePanel::TWsCustomArrangePanel(QWidget* parent) : TWsExCustomPanel(parent) {
  setFrameStyle(QFrame::NoFrame);
  SetParentBackground(true);
  hotTrackFont_.font = font();
  hotTrackFontOptions_ = {TWsTrackFontOption::hoFollowFont, TWsTrackFontOption::hoPreserveColor,
                          TWsTrackFontOption::hoPreserveStyle};
  arrangeSettings_.OnChangedProperty = [this](TWsPersistentProperty*, const std::string& propName) {
    ArrangeSettingsChanged(propName);
  };
  hotTrackOptions_.OnChanged = [this](TWsPersistentProperty*) { update(); };
  lastSize_ = size();
}

TWsCustomArrangePanel::~TWsCustomArrangePanel() {
  arrangeSettings_.OnChangedProperty = nullptr;
  hotTrackOptions_.OnChanged = nullptr;
  for (QObject* child : children()) child->removeEventFilter(this);
}

void TWsCustomArrangePanel::EndLoad() {
  if (!loading_) return;
  loading_ = false;
  if (arrangeSettings_.AutoArrange()) ArrangeControls();
}

void TWsCustomArrangePanel::ArrangeSettingsChanged(const std::string& propName) {
  if (propName == "AutoArrange") {
    if (arrangeSettings_.AutoArrange()) Rearrange();
  } else if (propName == "AutoSize") {
    if (arrangeSettings_.AutoSize() != TWsAutoSizePanel::asNone) Rearrange();
  } else {
    Rearrange();
  }
}

void TWsCustomArrangePanel::Rearrange() {
  if (arrangeSettings_.AutoArrange() && !loading_) ArrangeControls();
}

// ---- arrangement -------------------------------------------------------------------------------------------

namespace {

QList<QWidget*> ChildControls(const QWidget* panel) {
  QList<QWidget*> controls;
  for (QObject* child : panel->children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget != nullptr && !widget->isWindow()) controls << widget;
  }
  return controls;
}

int TabOrderOf(const QWidget* control, int position) {
  const QVariant order = control->property(TWsCustomArrangePanel::TabOrderProperty);
  return order.isValid() ? order.toInt() : position;
}

}  // namespace

void TWsCustomArrangePanel::ArrangeControls() {
  const QList<QWidget*> controls = ChildControls(this);
  if (arranging_ || controls.isEmpty() || loading_) return;
  arranging_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{arranging_};

  const TWsArrangeSettings& s = arrangeSettings_;
  const TWsAutoSizePanel autoSize = s.AutoSize();
  const bool sizeWidth = autoSize == TWsAutoSizePanel::asWidth || autoSize == TWsAutoSizePanel::asBoth;
  const bool sizeHeight = autoSize == TWsAutoSizePanel::asHeight || autoSize == TWsAutoSizePanel::asBoth;
  const QSize oldSize = size();
  int newWidth = width();
  int newHeight = height();
  int currTop = s.BorderTop();
  int currLeft = s.BorderLeft();
  int maxRight = sizeWidth ? width() - 2 * s.BorderLeft() : -1;
  int maxBottom = sizeHeight ? height() - 2 * s.BorderTop() : -1;

  for (QWidget* control : controls) {
    // A nested panel arranges only by its own settings.
    if (auto* panel = qobject_cast<TWsCustomArrangePanel*>(control)) panel->Rearrange();
    newWidth = std::max(newWidth, control->width() + 2 * s.BorderLeft());
  }
  if (s.MaxWidth() >= 1 && s.MaxWidth() < newWidth) newWidth = s.MaxWidth();

  int rowHeight = -1;
  for (int order = 0;; ++order) {
    QWidget* control = nullptr;
    for (int i = 0; i < controls.size() && control == nullptr; ++i) {
      if (TabOrderOf(controls[i], i) == order) control = controls[i];
    }
    if (control == nullptr) break;  // the first missing tab order ends the walk
    if (control->isHidden()) continue;
    const int need = currLeft + control->width() + s.DistanceHorizontal() + s.BorderLeft();
    const bool tooWide = (need > newWidth && !sizeWidth) || (s.MaxWidth() >= 1 && need > s.MaxWidth());
    if (tooWide && currLeft > s.BorderLeft() && s.WrapControls()) {
      currLeft = s.BorderLeft();
      currTop += rowHeight + s.DistanceVertical();
      rowHeight = -1;
    }
    control->move(currLeft, currTop);
    currLeft += control->width();
    maxRight = std::max(maxRight, currLeft);
    currLeft += s.DistanceHorizontal();
    rowHeight = std::max(rowHeight, control->height());
    maxBottom = currTop + rowHeight;
  }

  if (sizeWidth) {
    if (maxRight < 0) newWidth = 0;
    else if (s.MaxWidth() >= 1 && s.MaxWidth() <= maxRight) newWidth = s.MaxWidth();
    else newWidth = s.BorderLeft() + maxRight;
  }
  if (sizeHeight) newHeight = maxBottom < 0 ? 0 : s.BorderTop() + maxBottom;
  SetWidth(newWidth);
  SetHeight(newHeight);
  if (size() != oldSize) {
    if (QWidget* focused = QApplication::focusWidget()) focused->update();
  }
}

// ---- sizes -------------------------------------------------------------------------------------------------

// The setters compare with the size the panel has now: a resize before it was first shown sends its event
// only later, so the last size seen in an event may be stale.
void TWsCustomArrangePanel::SetWidth(int value) {
  if (value == width()) return;
  lastSize_ = QSize(value, height());  // the resize event of a shown panel reports nothing more
  resize(value, height());
  lastSize_ = size();
  if (OnChangedWidth) OnChangedWidth(this, width());
  SizeChanged();
}

void TWsCustomArrangePanel::SetHeight(int value) {
  if (value == height()) return;
  lastSize_ = QSize(width(), value);  // the resize event of a shown panel reports nothing more
  resize(width(), value);
  lastSize_ = size();
  if (OnChangedHeight) OnChangedHeight(this, height());
  SizeChanged();
}

// Resizes from anywhere else, reported when their event arrives.
void TWsCustomArrangePanel::NoteSize() {
  const QSize now = size();
  if (now == lastSize_) return;
  const QSize before = std::exchange(lastSize_, now);
  if (now.width() != before.width() && OnChangedWidth) OnChangedWidth(this, now.width());
  if (now.height() != before.height() && OnChangedHeight) OnChangedHeight(this, now.height());
  SizeChanged();
}

void TWsCustomArrangePanel::SizeChanged() {
  if (OnResizeParent) {
    OnResizeParent(this, x(), y(), width(), height());
  } else if (auto* parent = qobject_cast<TWsCustomArrangePanel*>(parentWidget())) {
    parent->Rearrange();
  }
}

void TWsCustomArrangePanel::resizeEvent(QResizeEvent* event) {
  NoteSize();
  if (arrangeSettings_.AutoArrange()) ArrangeControls();
  TWsExCustomPanel::resizeEvent(event);
}

// Children shown, hidden or resized take their place again, as the toolkit realigns a parent's children.
void TWsCustomArrangePanel::childEvent(QChildEvent* event) {
  TWsExCustomPanel::childEvent(event);
  if (event->type() == QEvent::ChildAdded && event->child()->isWidgetType()) {
    event->child()->installEventFilter(this);
  } else if (event->type() == QEvent::ChildRemoved) {
    event->child()->removeEventFilter(this);
    if (!arranging_) Rearrange();
  }
}

bool TWsCustomArrangePanel::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched->parent() == this && !arranging_ &&
      (type == QEvent::ShowToParent || type == QEvent::HideToParent || type == QEvent::Resize)) {
    Rearrange();
  }
  return TWsExCustomPanel::eventFilter(watched, event);
}

// ---- properties --------------------------------------------------------------------------------------------

void TWsCustomArrangePanel::SetHotTrackFont(const WsFont& value) { hotTrackFont_ = value; }

void TWsCustomArrangePanel::SetHotTrackFontOptions(const TWsTrackFontOptions& value) {
  if (hotTrackFontOptions_ == value) return;
  hotTrackFontOptions_ = value;
  if (!value.count(TWsTrackFontOption::hoFollowFont)) return;
  const QFont& source = font();
  QFont& target = hotTrackFont_.font;
  // Qt fonts carry no character set: hoPreserveCharSet has nothing to keep.
  if (!value.count(TWsTrackFontOption::hoPreserveColor)) hotTrackFont_.color = fontColor_;
  if (!value.count(TWsTrackFontOption::hoPreserveHeight)) {
    if (source.pixelSize() > 0) target.setPixelSize(source.pixelSize());
    else target.setPointSizeF(source.pointSizeF());
  }
  if (!value.count(TWsTrackFontOption::hoPreserveName)) target.setFamilies(source.families());
  if (!value.count(TWsTrackFontOption::hoPreservePitch)) target.setFixedPitch(source.fixedPitch());
  if (!value.count(TWsTrackFontOption::hoPreserveStyle)) {
    target.setBold(source.bold());
    target.setItalic(source.italic());
    target.setUnderline(source.underline());
    target.setStrikeOut(source.strikeOut());
  }
}

void TWsCustomArrangePanel::SetSizeable(bool value) {
  if (sizeable_ == value) return;
  sizeable_ = value;
  setMouseTracking(value || hasMouseTracking());
  update();
}

void TWsCustomArrangePanel::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  setAttribute(Qt::WA_NoSystemBackground, value && !ThemeServicesEnabled());
  update();
}

#define QMZ_PANEL_SETTER(Name, Type, field)           \
  void TWsCustomArrangePanel::Set##Name(Type value) { \
    if (field == value) return;                       \
    field = value;                                    \
    update();                                         \
  }
QMZ_PANEL_SETTER(MultiLine, bool, multiLine_)
QMZ_PANEL_SETTER(FlatBorder, bool, flatBorder_)
QMZ_PANEL_SETTER(FlatBorderColor, WsColor, flatBorderColor_)
QMZ_PANEL_SETTER(Caption, const QString&, caption_)
QMZ_PANEL_SETTER(Alignment, TAlignment, alignment_)
QMZ_PANEL_SETTER(BevelInner, TBevelCut, bevelInner_)
QMZ_PANEL_SETTER(BevelOuter, TBevelCut, bevelOuter_)
QMZ_PANEL_SETTER(BevelWidth, int, bevelWidth_)
QMZ_PANEL_SETTER(BorderWidth, int, borderWidth_)
#undef QMZ_PANEL_SETTER

void TWsCustomArrangePanel::SetFont(const WsFont& value) {
  fontColor_ = value.color;
  setFont(value.font);
  update();
}

// ---- mouse -------------------------------------------------------------------------------------------------

bool TWsCustomArrangePanel::InGrip(const QPoint& pos) const {
  return width() - pos.x() < 12 && height() - pos.y() < 12;
}

bool TWsCustomArrangePanel::BeforeMove(int x, int y) {
  bool allow = true;
  if (OnBeforeMove) OnBeforeMove(this, x, y, allow);
  return allow;
}

void TWsCustomArrangePanel::AfterMove() {
  if (OnAfterMove) OnAfterMove(this);
}

bool TWsCustomArrangePanel::InBody(const QPoint& pos) const {
  return pos.x() >= 6 && pos.y() >= 6 && pos.x() < width() - 5 && pos.y() < height() - 5;
}

void TWsCustomArrangePanel::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  // A press well inside the border drags the panel by its body; the body comes first, so on a panel that
  // also sizes, only the grip's outer band sizes.
  if (event->button() == Qt::LeftButton && movable_ && InBody(pos) && BeforeMove(pos.x(), pos.y())) {
    wasMoved_ = true;
    lastMouse_ = event->globalPosition().toPoint();
    return;
  }
  if (event->button() == Qt::LeftButton && sizeable_ && InGrip(pos)) {
    sizing_ = true;
    lastMouse_ = pos;
    QApplication::setOverrideCursor(Qt::SizeFDiagCursor);
    return;
  }
  TWsExCustomPanel::mousePressEvent(event);
}

void TWsCustomArrangePanel::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (sizing_) {
    const int newWidth = width() + pos.x() - lastMouse_.x();
    const int newHeight = height() + pos.y() - lastMouse_.y();
    if (newWidth >= 2 && newHeight >= 2) {
      lastMouse_ = pos;
      resize(newWidth, newHeight);
      NoteSize();
      repaint();
    }
  } else if (wasMoved_) {
    const QPoint global = event->globalPosition().toPoint();
    move(this->pos() + global - lastMouse_);
    lastMouse_ = global;
  } else {
    TWsExCustomPanel::mouseMoveEvent(event);
  }
  // Where a press would drag a movable panel's body, the grip's corner shows no sizing cursor.
  if (sizeable_) setCursor(InGrip(pos) && !(movable_ && InBody(pos)) ? Qt::SizeFDiagCursor : Qt::ArrowCursor);
}

void TWsCustomArrangePanel::mouseReleaseEvent(QMouseEvent* event) {
  if (sizing_) {
    sizing_ = false;
    QApplication::restoreOverrideCursor();
    update();
    return;
  }
  if (wasMoved_) {
    wasMoved_ = false;
    AfterMove();
    return;
  }
  TWsExCustomPanel::mouseReleaseEvent(event);
}

// A disabled panel is not repainted on either; while something is dragged over it, the hot look waits.
void TWsCustomArrangePanel::MouseEnter(QWidget* control) {
  TWsExCustomPanel::MouseEnter(control);
  if (!isEnabled() || transparent_) return;
  if (ThemeServicesEnabled() || (hotTrack_ && !sizing_ && !DragOperationUnderway())) update();
}

void TWsCustomArrangePanel::MouseLeave(QWidget* control) {
  TWsExCustomPanel::MouseLeave(control);
  if (!isEnabled() || transparent_) return;
  if (ThemeServicesEnabled() || (hotTrack_ && (sizing_ || !DragOperationUnderway()))) update();
}

void TWsCustomArrangePanel::ParentColorChanged() {
  update();
  TWsExCustomPanel::ParentColorChanged();
}

}  // namespace qmz
