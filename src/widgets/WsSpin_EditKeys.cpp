// TWsSpinEdit: keyboard, character filter, focus, attached label and look.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include "widgets/WsSpin.h"
#include "widgets/WsSpin_Locale.h"

namespace qmz {

namespace {

bool IsControl(QChar c) { return c.unicode() < 32; }
constexpr char16_t kBackspace = 8;
constexpr char16_t kEnter = 13;
constexpr char16_t kEscape = 27;

}  // namespace

// ----- character filter -------------------------------------------------------------------------------------

bool TWsSpinEdit::AcceptsChar(QChar& key) {
  const spinlocale::Separators sep = spinlocale::Current();
  const bool isNormal = spinType_ == TWsSpinType::sptNormal;
  const bool isFloat = spinType_ == TWsSpinType::sptFloat;
  const bool isSeparator = key == sep.decimal || key == sep.thousands || key == sep.time || key == sep.date;
  const int caret = SelStart();
  const QString t = text();

  bool accepted = isSeparator || key == QLatin1Char('+') || key == QLatin1Char('-') || key.isDigit() ||
                  (IsControl(key) && key != QChar(kEnter));
  if (key.isDigit() && (key.unicode() < u'0' || key.unicode() > u'9')) accepted = false;
  if (isNormal && isSeparator) accepted = false;
  auto numericAlias = [&](QChar separator) {
    return (separator == sep.decimal || separator == sep.thousands || separator == QLatin1Char('-') ||
            separator == QLatin1Char('+')) &&
           (isNormal || isFloat);
  };
  if (key == sep.time && spinType_ != TWsSpinType::sptTime && !numericAlias(sep.time)) accepted = false;
  if (key == sep.date && spinType_ != TWsSpinType::sptDate && !numericAlias(sep.date)) accepted = false;

  if (isFloat && key != QChar(kBackspace) && key != QChar(kEnter) && key != QChar(kEscape)) {
    if (key == sep.thousands) key = sep.decimal;
    const int separatorAt = int(t.indexOf(sep.decimal)) + 1;
    if (key == sep.decimal && (separatorAt > 0 || precision_ == 0)) accepted = false;
    if (precision_ >= 1 && separatorAt > 0 && caret >= separatorAt && !hasSelectedText() &&
        t.size() >= separatorAt + precision_) {
      accepted = false;
    }
  }
  if (spinType_ == TWsSpinType::sptTime) {
    if (key == QLatin1Char(',') || key == QLatin1Char('.')) key = sep.time;
    if (key == sep.time && t.contains(sep.time)) accepted = false;
  }
  if (spinType_ == TWsSpinType::sptHex) {
    const char16_t u = key.unicode();
    accepted = ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f') ||
                (IsControl(key) && key != QChar(kEnter))) &&
               caret >= 2;
    // The "0x" prefix stays.
    if (key == QChar(kBackspace) && caret == 2) accepted = false;
  }
  if (!editorEnabled_ && accepted && !(IsControl(key) && key != QChar(kBackspace))) accepted = false;
  return accepted;
}

// ----- keyboard ---------------------------------------------------------------------------------------------

void TWsSpinEdit::keyPressEvent(QKeyEvent* event) {
  const QString oldText = text();
  const int caret = SelStart();
  const int selLength = int(selectedText().size());
  int key = event->key();
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ctrl) key = Qt::Key_Up;  // Ctrl+Enter steps up

  bool handled = true;
  const bool smartKind = spinType_ == TWsSpinType::sptNormal || spinType_ == TWsSpinType::sptFloat;
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      // The smart step and the page keys do not ask ReadOnly; the button steps do.
      if (incrementSmart_ && !hasSelectedText() && smartKind) {
        SmartStep(key == Qt::Key_Up);
      } else if (key == Qt::Key_Up) {
        UpClick(this);
      } else {
        DownClick(this);
      }
      break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      const bool up = key == Qt::Key_PageUp;
      if (incrementSmart_ && !hasSelectedText()) {
        SmartStep(up);
      } else if (spinType_ == TWsSpinType::sptNormal) {
        const qint64 sum = qint64(Value()) + (up ? 1 : -1) * qint64(incrementPage_);
        SetValue(int(qBound<qint64>(qint64(INT32_MIN), sum, qint64(INT32_MAX))));
      } else if (spinType_ == TWsSpinType::sptFloat) {
        SetFloatValue(FloatValue() + (up ? incrementFloatPage_ : -incrementFloatPage_));
      }
      break;
    }
    case Qt::Key_Delete:
      if (!editorEnabled_ || (spinType_ == TWsSpinType::sptHex && caret < 2)) break;
      QLineEdit::keyPressEvent(event);
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      if (returnIsTab_) focusNextChild();
      QChar enter(kEnter);
      if (OnKeyPress) OnKeyPress(this, enter);
      break;
    }
    default:
      handled = false;
      break;
  }
  if (!handled) {
    // Ctrl alone (or with Shift) makes a shortcut: copy, paste, select all, undo. Alt alone makes a
    // command key and types nothing. A printable character composed with Ctrl+Alt or AltGr is text and
    // passes the filter.
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    const QString typed = event->text();
    const bool composed = (event->modifiers() & Qt::GroupSwitchModifier) != 0;
    if (held == Qt::AltModifier && !composed && typed.size() == 1 && typed.at(0).isPrint()) {
      event->ignore();
      return;
    }
    QChar ch;
    if (held == Qt::NoModifier && key == Qt::Key_Backspace) ch = QChar(kBackspace);
    else if (held == Qt::NoModifier && key == Qt::Key_Escape) ch = QChar(kEscape);
    else if (typed.size() == 1 && held != Qt::ControlModifier && (held == Qt::NoModifier || typed.at(0).isPrint()))
      ch = typed.at(0);
    if (ch.isNull()) QLineEdit::keyPressEvent(event);
    else HandleCharacter(event, ch);
    if (text() != oldText) setModified(true);
    return;
  }
  event->accept();
  if (key != Qt::Key_Return && key != Qt::Key_Enter) RestoreCaret(caret, selLength);
  else if (!returnIsTab_) RestoreCaret(caret, selLength);
  if (text() != oldText) setModified(true);
}

bool TWsSpinEdit::HandleCharacter(QKeyEvent* event, QChar key) {
  const spinlocale::Separators sep = spinlocale::Current();
  if (key == QLatin1Char('+')) {
    event->accept();
    return true;
  }
  if (key == QLatin1Char('-') && !(spinType_ == TWsSpinType::sptDate && sep.date == QLatin1Char('-'))) {
    if (signed_) ToggleSign();
    event->accept();
    return true;
  }
  // What the key event would type; the key-press event and the filter may each put another character in its place.
  const QChar typed = key;
  if (OnKeyPress) OnKeyPress(this, key);
  if (key.isNull()) {
    event->accept();
    return true;
  }
  if (!AcceptsChar(key)) {
    Beep();
    event->accept();
    return false;
  }
  // The line edit's own handling would take a held Ctrl or Alt for a key binding.
  if (key == typed && (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
    QLineEdit::keyPressEvent(event);
  } else if (!isReadOnly()) {
    insert(QString(key));
    event->accept();
  }
  return true;
}

void TWsSpinEdit::ToggleSign() {
  const int caret = SelStart();
  const int selLength = int(selectedText().size());
  QString t = text();
  int moved = caret;
  if (t.startsWith(QLatin1Char('-'))) {
    t.remove(0, 1);
    moved = qMax(0, caret - 1);
  } else {
    t.prepend(QLatin1Char('-'));
    moved = caret + 1;
  }
  setText(t);
  setModified(true);
  RestoreCaret(moved, selLength);
}

// ----- focus ------------------------------------------------------------------------------------------------

void TWsSpinEdit::focusInEvent(QFocusEvent* event) {
  const bool hadSelection = hasSelectedText();
  const int caret = cursorPosition();
  QLineEdit::focusInEvent(event);
  if (autoSelect_) {
    if (!(event->reason() == Qt::MouseFocusReason && editorEnabled_)) selectAll();
  } else if (!hadSelection && hasSelectedText()) {
    setCursorPosition(caret);  // Qt selects everything on Tab by itself
  }
}

void TWsSpinEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Leaving the field for another control brings the value into range; a window or popup taking the focus
  // is no leave.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
  if (loading_) return;
  switch (spinType_) {
    // Only a value out of range is rewritten; a text that is no number stays as the player left it.
    case TWsSpinType::sptNormal:
      if (ClampValue(Value()) != Value()) SetValue(Value());
      break;
    case TWsSpinType::sptFloat:
      if (ClampFloatValue(FloatValue()) != FloatValue()) SetFloatValue(FloatValue());
      break;
    case TWsSpinType::sptDate:
      if (ClampDateValue(DateValue()) != DateValue()) SetDateValue(DateValue());
      break;
    case TWsSpinType::sptTime:
      if (ClampDateValue(TimeValue()) != TimeValue()) SetTimeValue(ClampDateValue(TimeValue()));
      break;
    case TWsSpinType::sptHex:
      SetHexValue(ClampValue(HexValue()));
      break;
  }
}

void TWsSpinEdit::enterEvent(QEnterEvent* event) {
  QLineEdit::enterEvent(event);
  if (autoFocus_ && isEnabled()) setFocus(Qt::MouseFocusReason);
}

// ----- label ------------------------------------------------------------------------------------------------

void TWsSpinEdit::SetLabelCaption(const QString& value) {
  if (label_ == nullptr) {
    label_ = new QLabel(parentWidget());
    label_->setBuddy(this);
    label_->setFont(font());
    label_->setVisible(parentWidget() != nullptr && isVisibleTo(parentWidget()));
  }
  labelCaption_ = value;
  label_->setText(value);
  UpdateLabel();
}

void TWsSpinEdit::SetLabelPosition(TLabelPosition value) {
  labelPosition_ = value;
  UpdateLabel();
}

void TWsSpinEdit::SetLabelMargin(int value) {
  labelMargin_ = value;
  UpdateLabel();
}

void TWsSpinEdit::SetLabelTransparent(bool value) {
  labelTransparent_ = value;
  UpdateLabel();
}

void TWsSpinEdit::SetLabelFont(const QFont& value) {
  labelFont_ = value;
  UpdateLabel();
}

void TWsSpinEdit::SetLabelAlwaysEnabled(bool value) {
  labelAlwaysEnabled_ = value;
  // Switching it on enables the label; switching it off leaves the label until the edit's Enabled changes.
  if (value && label_ != nullptr) label_->setEnabled(true);
}

void TWsSpinEdit::UpdateLabel() {
  if (label_ == nullptr || loading_) return;
  label_->setAutoFillBackground(!labelTransparent_);
  label_->setFont(labelFont_);
  label_->adjustSize();
  const QRect r = geometry();
  const int lh = label_->height();
  const int lw = label_->width();
  const int tw = QFontMetrics(labelFont_).horizontalAdvance(labelCaption_);
  const int m = labelMargin_;
  QPoint at;
  switch (labelPosition_) {
    case TLabelPosition::lpLeftTop:
      at = {r.left() - tw - m, r.top()};
      break;
    case TLabelPosition::lpLeftCenter:
      at = {r.left() - tw - m, r.top() + (r.height() - lh) / 2};
      break;
    case TLabelPosition::lpLeftBottom:
      at = {r.left() - tw - m, r.top() + r.height() - lh};
      break;
    case TLabelPosition::lpTopLeft:
      at = {r.left(), r.top() - lh - m};
      break;
    case TLabelPosition::lpBottomLeft:
      at = {r.left(), r.top() + r.height() + m};
      break;
    case TLabelPosition::lpLeftTopLeft:
      at = {r.left() - m, r.top()};
      break;
    case TLabelPosition::lpLeftCenterLeft:
      at = {r.left() - m, r.top() + (r.height() - lh) / 2};
      break;
    case TLabelPosition::lpLeftBottomLeft:
      at = {r.left() - m, r.top() + r.height() - lh};
      break;
    case TLabelPosition::lpTopCenter:
      at = {r.left() + (r.width() - lw) / 2, r.top() - lh - m};
      break;
    case TLabelPosition::lpBottomCenter:
      at = {r.left() + (r.width() - lw) / 2, r.top() + r.height() + m};
      break;
  }
  label_->move(at);
}

void TWsSpinEdit::setVisible(bool visible) {
  QLineEdit::setVisible(visible);
  if (label_ != nullptr && label_->parentWidget() != nullptr) label_->setVisible(visible);
}

bool TWsSpinEdit::event(QEvent* event) {
  const bool result = QLineEdit::event(event);
  if (event->type() == QEvent::ParentChange && label_ != nullptr && label_->parentWidget() != parentWidget()) {
    label_->setParent(parentWidget());
    label_->setVisible(parentWidget() != nullptr && isVisibleTo(parentWidget()));
    UpdateLabel();
  }
  return result;
}

void TWsSpinEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && !loading_ && label_ != nullptr && !labelAlwaysEnabled_) {
    label_->setEnabled(isEnabled());
  }
  if (event->type() == QEvent::FontChange) {
    ApplyMinHeight();
    ApplyEditRect();
  }
}

// ----- look -------------------------------------------------------------------------------------------------

void TWsSpinEdit::SetDirection(TSpinDirection value) {
  button_->SetDirection(value);
  PlaceButton();
  ApplyEditRect();
}

TSpinDirection TWsSpinEdit::Direction() const { return button_->Direction(); }

void TWsSpinEdit::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  if (value) normalPalette_ = palette();
  else setPalette(normalPalette_);
  setFrame(!value);
  ApplyMinHeight();
  ApplyEditRect();
  PlaceButton();
  update();
}

void TWsSpinEdit::SetFlatLineColor(const QColor& value) {
  if (flatLineColor_ == value) return;
  flatLineColor_ = value;
  update();
}

void TWsSpinEdit::SetSpinFlat(bool value) {
  spinFlat_ = value;
  button_->UpButton()->SetFlat(value);
  button_->DownButton()->SetFlat(value);
}

void TWsSpinEdit::SetSpinTransparent(bool value) {
  spinTransparent_ = value;
  button_->UpButton()->SetTransparent(value);
  button_->DownButton()->SetTransparent(value);
  PlaceButton();
}

void TWsSpinEdit::SetEditAlign(TEditAlign value) {
  editAlign_ = value;
  const Qt::Alignment horizontal = value == TEditAlign::eaRight    ? Qt::AlignRight
                                   : value == TEditAlign::eaCenter ? Qt::AlignHCenter
                                                                   : Qt::AlignLeft;
  setAlignment(horizontal | Qt::AlignVCenter);
}

void TWsSpinEdit::SetEditorEnabled(bool value) {
  editorEnabled_ = value;
  ApplyReadOnly();
}

void TWsSpinEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  ApplyReadOnly();
}

// The line edit takes no typing, cutting or pasting in either case; steps check readOnly_ alone.
void TWsSpinEdit::ApplyReadOnly() { QLineEdit::setReadOnly(readOnly_ || !editorEnabled_); }

void TWsSpinEdit::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  if (value) {
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::transparent);
    setPalette(p);
  } else {
    setPalette(normalPalette_);
  }
  update();
}

void TWsSpinEdit::ApplyEditRect() {
  const int inset = flat_ ? 2 : 0;
  setTextMargins(inset, 0, button_->width() + 2 + inset, 0);
}

void TWsSpinEdit::PlaceButton() {
  const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
  const int buttonWidth = button_->Direction() == TSpinDirection::spVertical ? 15 : 20;
  button_->setGeometry(width() - buttonWidth - frame, frame, buttonWidth, qMax(2, height() - 2 * frame));
}

int TWsSpinEdit::MinHeight() const {
  // The text's height and a quarter of the smaller of the system's and the edit's text height, and room for
  // a one-pixel border drawn four times over when the box has one.
  const int fontHeight = QFontMetrics(font()).height();
  const int systemHeight = QFontMetrics(QApplication::font()).height();
  return fontHeight + qMin(systemHeight, fontHeight) / 4 + 2 + (hasFrame() ? 4 : 0);
}

// The box's minimum height as Qt's own minimum, so that layouts give it that much too and a smaller height
// is raised to it before any resize reaches the box.
void TWsSpinEdit::ApplyMinHeight() { setMinimumHeight(MinHeight()); }

void TWsSpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceButton();
  ApplyEditRect();
  UpdateLabel();
}

void TWsSpinEdit::moveEvent(QMoveEvent* event) {
  QLineEdit::moveEvent(event);
  UpdateLabel();
}

void TWsSpinEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!flat_) return;
  QPainter painter(this);
  painter.setPen(flatLineColor_);
  painter.drawLine(2, height() - 1, width() - button_->width() - 4, height() - 1);
}

}  // namespace qmz
