// The tab bar's mouse handling: scroll buttons, selection, the close protocol, hot tab and hints.

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include "widgets/WsTabBar.h"

namespace qmz {

// ---- scroll buttons (a press or release on either button counts as handled)

bool TWsCustomTabBar::ScrollButtonsMouseDown(Qt::MouseButton /*button*/, Qt::KeyboardModifiers /*shift*/, int x,
                                             int y) {
  bool inside = false;
  for (ScrollButton& b : buttons_) {
    if (b.state == ScrollButtonState::Hidden || !b.rect.contains(x, y)) continue;
    inside = true;
    if (b.state == ScrollButtonState::Normal || b.state == ScrollButtonState::Hot) {
      b.state = ScrollButtonState::Pressed;
      b.pressedOutside = false;
      update(b.rect);
    }
  }
  return inside;
}

bool TWsCustomTabBar::ScrollButtonsMouseMove(Qt::KeyboardModifiers /*shift*/, int x, int y) {
  bool inside = false;
  for (ScrollButton& b : buttons_) {
    if (b.state == ScrollButtonState::Hidden) continue;
    const bool in = b.rect.contains(x, y);
    inside = inside || in;
    if (b.state == ScrollButtonState::Normal && in) {
      b.state = ScrollButtonState::Hot;
    } else if (b.state == ScrollButtonState::Hot && !in) {
      b.state = ScrollButtonState::Normal;
    } else if (b.state == ScrollButtonState::Pressed && in == b.pressedOutside) {
      b.pressedOutside = !in;  // drawn released while the mouse is off it, pressed again when back
    } else {
      continue;
    }
    update(b.rect);
  }
  return inside;
}

bool TWsCustomTabBar::ScrollButtonsMouseUp(Qt::MouseButton /*button*/, Qt::KeyboardModifiers /*shift*/, int x, int y) {
  bool inside = false;
  for (int i = 0; i < 2; ++i) {
    ScrollButton& b = buttons_[i];
    if (b.state == ScrollButtonState::Hidden) continue;
    const bool in = b.rect.contains(x, y);
    inside = inside || in;
    if (b.state != ScrollButtonState::Pressed) continue;
    b.state = ScrollButtonState::Normal;
    b.pressedOutside = false;
    update(b.rect);
    if (in) ScrollButtonClick(i);
  }
  return inside;
}

// ---- closing

void TWsCustomTabBar::SetClosingTab(TWsTabBarItem* tab) {
  if (closingTab_ == tab) return;
  closingTab_ = tab;
  update();
}

QRect TWsCustomTabBar::CloseRectOf(TWsTabBarItem* tab) {
  CalcTabsRects();
  return CurrentPainter()->GetCloseRect(tab, tab->GetDisplayRect());
}

// ---- mouse

void TWsCustomTabBar::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (ScrollButtonsMouseDown(e->button(), e->modifiers(), pos.x(), pos.y())) return;
  if (e->button() == Qt::LeftButton) {
    pressedCloseTab_ = nullptr;
    SetClosingTab(nullptr);
    TWsTabBarItem* const old = selectedTab_;
    QPointer<TWsTabBarItem> tab = TabAt(pos.x(), pos.y());
    if (tab) SetSelectedTab(tab);
    if (tab && tab == selectedTab_ && closeButton_ && !(selectBeforeClose_ && old != tab)) {
      if (CloseRectOf(tab).contains(pos) && TabClosing(tab) && tab) {
        pressedCloseTab_ = tab;
        SetClosingTab(tab);
      }
    }
    if (!closingTab_ && allowTabMoving_ && e->buttons() == Qt::LeftButton) {
      // The drag starts once the mouse has moved the usual distance.
      dragPending_ = true;
      dragStart_ = pos;
    }
  }
  QWidget::mousePressEvent(e);
}

void TWsCustomTabBar::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (dragPending_ && (e->buttons() & Qt::LeftButton) &&
      (pos - dragStart_).manhattanLength() >= QApplication::startDragDistance()) {
    BeginDrag();
  }
  if (dragging_) {
    if (rect().contains(pos)) DragOver(this, pos);
    else HandOverDrag();
    return;
  }
  CalcTabsRects();
  if (ScrollButtonsMouseMove(e->modifiers(), pos.x(), pos.y())) return;
  TWsTabBarItem* tab = TabAt(pos.x(), pos.y());
  if (!hotTracking_) {
    hotTab_ = nullptr;
  } else if (e->buttons() == Qt::NoButton && tab != hotTab_) {
    hotTab_ = tab;
    if (CurrentPainter()->Options().hotTabPainting) repaint();
  }
  if (closeButton_ && pressedCloseTab_ && (e->buttons() & Qt::LeftButton))
    SetClosingTab(CloseRectOf(pressedCloseTab_).contains(pos) ? pressedCloseTab_ : nullptr);
  UpdateHint(tab);
  QWidget::mouseMoveEvent(e);
}

void TWsCustomTabBar::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  dragPending_ = false;
  if (dragging_) {
    if (dragAccepted_) DragDrop(this, pos);
    else DragCancel();
    return;
  }
  if (ScrollButtonsMouseUp(e->button(), e->modifiers(), pos.x(), pos.y())) return;
  if (e->button() == Qt::RightButton && rightClickSelect_ && !popupMenu_) {
    QPointer<TWsTabBarItem> tab = TabAt(pos.x(), pos.y());
    if (tab) SetSelectedTab(tab);
    if (tab && tab->PopupMenu()) tab->PopupMenu()->popup(e->globalPosition().toPoint());
  } else if (e->button() == Qt::RightButton && popupMenu_) {
    popupMenu_->popup(e->globalPosition().toPoint());
  } else if (e->button() == Qt::LeftButton && closingTab_ && closeButton_) {
    if (CloseRectOf(closingTab_).contains(pos)) TabClosed(closingTab_);
  }
  pressedCloseTab_ = nullptr;
  SetClosingTab(nullptr);
  QWidget::mouseReleaseEvent(e);
}

void TWsCustomTabBar::leaveEvent(QEvent* e) {
  if (hotTab_) {
    hotTab_ = nullptr;
    if (CurrentPainter()->Options().hotTabPainting) update();
  }
  QWidget::leaveEvent(e);
}

bool TWsCustomTabBar::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && !showHint_) return true;
  return QWidget::event(e);
}

void TWsCustomTabBar::UpdateHint(TWsTabBarItem* tab) {
  const QString hint = tab && tab->ShowHint() ? tab->Hint() : hint_;
  if (hint == toolTip()) return;
  // A new text closes the open hint; the next hover opens it with the new text.
  QToolTip::hideText();
  showHint_ = true;
  setToolTip(hint);
}

}  // namespace qmz
