#include "widgets/WsSpin.h"

#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <qdrawutil.h>

#include "widgets/WsThemeLib.h"

namespace qmz {

QImage LoadSpinGlyph(const QString& name) {
  const bool up = name == QLatin1String("WsSpinUp");
  if (!up && name != QLatin1String("WsSpinDown")) return {};
  // 16-colour bitmap: black triangle 7, 5, 3, 1 pixels wide in a one-pixel olive frame (the key colour).
  QImage image(9, 6, QImage::Format_RGB32);
  image.fill(QColor(128, 128, 0));
  for (int row = 0; row < 4; ++row) {
    const int width = 7 - 2 * row;
    const int y = up ? 4 - row : 1 + row;
    for (int x = 0; x < width; ++x) image.setPixel(1 + row + x, y, qRgb(0, 0, 0));
  }
  return image;
}

namespace {

// Speed buttons draw their glyph with the bottom-left pixel's colour as transparent.
QPixmap KeyedGlyph(const QPixmap& glyph) {
  if (glyph.isNull()) return glyph;
  const QImage image = glyph.toImage();
  const QColor key = image.pixelColor(0, image.height() - 1);
  QPixmap keyed = glyph;
  keyed.setMask(QBitmap::fromImage(image.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
  return keyed;
}

void DrawArrow(QPainter& painter, const QRect& rect, bool left, bool enabled, const QPalette& palette) {
  const int size = qMax(2, qMin(rect.width(), rect.height()) / 3);
  const QPoint c = rect.center();
  QPolygon triangle;
  if (left) {
    triangle << QPoint(c.x() - size / 2, c.y()) << QPoint(c.x() + size / 2, c.y() - size)
             << QPoint(c.x() + size / 2, c.y() + size);
  } else {
    triangle << QPoint(c.x() + size / 2, c.y()) << QPoint(c.x() - size / 2, c.y() - size)
             << QPoint(c.x() - size / 2, c.y() + size);
  }
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(enabled ? QColor(Qt::black) : palette.color(QPalette::Disabled, QPalette::WindowText));
  painter.drawPolygon(triangle);
  painter.restore();
}

}  // namespace

TWsTimerSpeedButton::TWsTimerSpeedButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  // Visual styles exist on every platform this runs on.
  themesPossible_ = true;
  setAttribute(Qt::WA_Hover);
}

TWsTimerSpeedButton::~TWsTimerSpeedButton() { delete repeatTimer_; }

void TWsTimerSpeedButton::SetButtonKind(int value) {
  if (buttonKind_ == value) return;
  buttonKind_ = value;
  update();
}

void TWsTimerSpeedButton::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  update();
}

void TWsTimerSpeedButton::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  update();
}

void TWsTimerSpeedButton::SetGlyph(const QPixmap& glyph) {
  glyph_ = glyph;
  update();
}

void TWsTimerSpeedButton::SetNumGlyphs(int value) {
  value = qBound(1, value, 4);
  if (numGlyphs_ == value) return;
  numGlyphs_ = value;
  update();
}

void TWsTimerSpeedButton::SetRepeatIntervals(int firstMs, int nextMs) {
  firstRepeatMs_ = qMax(0, firstMs);
  nextRepeatMs_ = qMax(0, nextMs);
}

void TWsTimerSpeedButton::RepeatTick() {
  if (repeatTimer_ == nullptr) return;
  repeatTimer_->setInterval(nextRepeatMs_);
  if (!isDown() || !captured_) return;
  try {
    emit clicked(false);
  } catch (...) {
    repeatTimer_->stop();
    throw;
  }
}

void TWsTimerSpeedButton::InvalidateParent() {
  if (parentWidget() != nullptr) parentWidget()->update();
}

void TWsTimerSpeedButton::mousePressEvent(QMouseEvent* event) {
  QAbstractButton::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) {
    captured_ = true;
    if (autoRepeat_) {
      if (repeatTimer_ == nullptr) {
        repeatTimer_ = new QTimer();
        connect(repeatTimer_, &QTimer::timeout, this, &TWsTimerSpeedButton::RepeatTick);
      }
      repeatTimer_->setInterval(firstRepeatMs_);
      repeatTimer_->start();
    }
  }
  InvalidateParent();
  if (OnMouseDown) OnMouseDown(this, event->button());
}

void TWsTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) captured_ = false;
  QAbstractButton::mouseReleaseEvent(event);
  if (repeatTimer_ != nullptr) repeatTimer_->stop();
  InvalidateParent();
}

void TWsTimerSpeedButton::enterEvent(QEnterEvent* event) {
  hot_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void TWsTimerSpeedButton::leaveEvent(QEvent* event) {
  hot_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void TWsTimerSpeedButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (themesPossible_ && ThemeLibraryLoaded() && IsThemeActive() && PaintThemed(painter)) return;
  PaintClassic(painter);
}

bool TWsTimerSpeedButton::PaintThemed(QPainter& painter) {
  int part = spinparts::Up;
  switch (buttonKind_) {
    case KindVertUp:
      part = spinparts::Up;
      break;
    case KindVertDown:
      part = spinparts::Down;
      break;
    case KindHorzUp:
      part = spinparts::UpHorz;
      break;
    default:
      part = spinparts::DownHorz;
      break;
  }
  const int state = isDown() ? spinstates::Pressed : hot_ ? spinstates::Hot : spinstates::Normal;
  ThemeData theme = OpenThemeData(parentWidget() != nullptr ? parentWidget() : this, QStringLiteral("spin"));
  const bool drawn = DrawThemeBackground(theme, painter, part, state, rect());
  CloseThemeData(theme);
  return drawn;
}

QPixmap TWsTimerSpeedButton::CurrentGlyphImage() const {
  if (glyph_.isNull()) return {};
  const int count = qMax(1, numGlyphs_);
  const int width = glyph_.width() / count;
  int index = 0;
  if (!isEnabled() && count > 1) index = 1;
  else if (isDown() && count > 2) index = 2;
  return KeyedGlyph(glyph_.copy(index * width, 0, width, glyph_.height()));
}

void TWsTimerSpeedButton::PaintClassic(QPainter& painter) {
  const bool down = isDown();
  const QRect r = rect();
  if (!transparent_) painter.fillRect(r, palette().color(QPalette::Button));
  if (!flat_ || down || hot_) qDrawWinButton(&painter, r, palette(), down, nullptr);
  if (buttonKind_ == KindHorzDown || buttonKind_ == KindHorzUp) {
    DrawArrow(painter, down ? r.translated(1, 1) : r, buttonKind_ == KindHorzDown, isEnabled(), palette());
    return;
  }
  const QPixmap glyph = CurrentGlyphImage();
  if (glyph.isNull()) return;
  QPoint at((r.width() - glyph.width()) / 2, (r.height() - glyph.height()) / 2);
  if (down) at += QPoint(1, 1);
  painter.save();
  // Without an image of its own for the disabled state, the normal one is shown faded.
  if (!isEnabled() && numGlyphs_ < 2) painter.setOpacity(0.4);
  painter.drawPixmap(at, glyph);
  painter.restore();
}

// ---------------------------------------------------------------------------------------------------------

TWsSpinButton::TWsSpinButton(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  upButton_ = new TWsTimerSpeedButton(this);
  downButton_ = new TWsTimerSpeedButton(this);
  for (TWsTimerSpeedButton* half : {upButton_, downButton_}) {
    half->SetAutoRepeat(true);
    connect(half, &QAbstractButton::clicked, this, [this, half] { BtnClick(half); });
    half->OnMouseDown = [this](TWsTimerSpeedButton* sender, Qt::MouseButton button) { BtnMouseDown(sender, button); };
  }
  upButton_->SetGlyph(QPixmap::fromImage(LoadSpinGlyph(QStringLiteral("WsSpinUp"))));
  downButton_->SetGlyph(QPixmap::fromImage(LoadSpinGlyph(QStringLiteral("WsSpinDown"))));
  upButton_->SetButtonKind(TWsTimerSpeedButton::KindVertUp);
  downButton_->SetButtonKind(TWsTimerSpeedButton::KindVertDown);
  focusedButton_ = upButton_;
  setMinimumWidth(MinWidth());
  resize(15, 25);
  Arrange();
}

QSize TWsSpinButton::sizeHint() const { return {MinWidth(), 25}; }

void TWsSpinButton::SetDirection(TSpinDirection value) {
  if (direction_ == value) return;
  direction_ = value;
  const bool vertical = value == TSpinDirection::spVertical;
  upButton_->SetButtonKind(vertical ? TWsTimerSpeedButton::KindVertUp : TWsTimerSpeedButton::KindHorzUp);
  downButton_->SetButtonKind(vertical ? TWsTimerSpeedButton::KindVertDown : TWsTimerSpeedButton::KindHorzDown);
  setMinimumWidth(MinWidth());
  resize(MinWidth(), height());
  Arrange();
}

QPixmap TWsSpinButton::UpGlyph() const { return upButton_->Glyph(); }
QPixmap TWsSpinButton::DownGlyph() const { return downButton_->Glyph(); }
int TWsSpinButton::UpNumGlyphs() const { return upButton_->NumGlyphs(); }
int TWsSpinButton::DownNumGlyphs() const { return downButton_->NumGlyphs(); }
void TWsSpinButton::SetUpNumGlyphs(int value) { upButton_->SetNumGlyphs(value); }
void TWsSpinButton::SetDownNumGlyphs(int value) { downButton_->SetNumGlyphs(value); }

void TWsSpinButton::SetUpGlyph(const QPixmap& glyph) {
  if (!glyph.isNull()) {
    upButton_->SetGlyph(glyph);
    return;
  }
  upButton_->SetGlyph(QPixmap::fromImage(LoadSpinGlyph(QStringLiteral("WsSpinUp"))));
  upButton_->SetNumGlyphs(1);
}

void TWsSpinButton::SetDownGlyph(const QPixmap& glyph) {
  if (!glyph.isNull()) {
    downButton_->SetGlyph(glyph);
    return;
  }
  downButton_->SetGlyph(QPixmap::fromImage(LoadSpinGlyph(QStringLiteral("WsSpinDown"))));
  downButton_->SetNumGlyphs(1);
}

// Tab reaches the button; a click focuses it only through the press handling of the halves.
void TWsSpinButton::SetTabStop(bool value) { setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus); }

void TWsSpinButton::Arrange() {
  const int w = width();
  const int h = height();
  if (direction_ == TSpinDirection::spVertical) {
    // The halves overlap by one pixel, so the pair shows one shared middle line.
    upButton_->setGeometry(0, 0, w, h / 2);
    const int upHeight = upButton_->height();
    downButton_->setGeometry(0, upHeight - 1, w, h - upHeight + 1);
  } else {
    downButton_->setGeometry(0, 0, w / 2, h);
    upButton_->setGeometry(w / 2 + 1, 0, w / 2, h);
  }
}

void TWsSpinButton::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (width() < MinWidth()) {
    resize(MinWidth(), height());
    return;
  }
  Arrange();
}

void TWsSpinButton::BtnClick(TWsTimerSpeedButton* sender) {
  if (sender == upButton_) {
    if (OnUpClick) OnUpClick(this);
  } else if (OnDownClick) {
    OnDownClick(this);
  }
}

void TWsSpinButton::BtnMouseDown(TWsTimerSpeedButton* sender, Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  SetFocusedButton(sender);
  QWidget* target = focusControl_;
  // A focus control that already has the focus leaves the turn to the spin button itself.
  if (target != nullptr && (target->focusPolicy() & Qt::TabFocus) != 0 && target->isEnabled() && target->isVisible() &&
      !target->hasFocus()) {
    target->setFocus(Qt::MouseFocusReason);
  } else if (TabStop() && !hasFocus() && isEnabled() && isVisible()) {
    setFocus(Qt::MouseFocusReason);
  }
}

void TWsSpinButton::SetFocusedButton(TWsTimerSpeedButton* button) {
  if (!TabStop() || !isEnabled() || button == focusedButton_) return;
  focusedButton_ = button;
  if (hasFocus()) focusedButton_->update();
}

void TWsSpinButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
      focusedButton_->click();
      break;
    case Qt::Key_Up:
      SetFocusedButton(upButton_);
      upButton_->click();
      break;
    case Qt::Key_Down:
      SetFocusedButton(downButton_);
      downButton_->click();
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TWsSpinButton::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  focusedButton_->update();
}

void TWsSpinButton::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  focusedButton_->update();
}

}  // namespace qmz
