// Dragging a tab to a new place. Inside the bar the bar follows the mouse itself; off the bar the drag is
// the toolkit's, so other controls can take the tab and the bar gets the drag events of any drag over it.

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "widgets/WsTabBar.h"

namespace qmz {

void TWsCustomTabBar::BeginDrag() {
  dragPending_ = false;
  dragging_ = true;
  dragAccepted_ = false;
  BeginDragOperation(this);
  // The bar takes no focus, so it listens to the keyboard for the drag's Escape.
  grabKeyboard();
}

bool TWsCustomTabBar::DragOver(QObject* source, const QPoint& pos) {
  TWsTabBarItem* tab = TabAt(pos.x(), pos.y());
  bool accept = source == this && selectedTab_ && tab && tab != selectedTab_;
  if (accept) {
    if (tab != moveMarkTab_) {
      moveMarkTab_ = tab;
      update();  // the marker moves
    }
  } else {
    RemoveMoveMark();
    accept = bool(OnDragOver);
  }
  if (OnDragOver) OnDragOver(this, source, pos.x(), pos.y(), accept);
  if (source == this) dragAccepted_ = accept;
  return accept;
}

void TWsCustomTabBar::DragDrop(QObject* source, const QPoint& pos) {
  bool moved = false;
  if (allowTabMoving_ && source == this && selectedTab_) {
    // A drop on the selected tab itself comes only through an accepting OnDragOver; it moves nothing but
    // still counts as a move.
    TWsTabBarItem* tab = TabAt(pos.x(), pos.y());
    if (tab) {
      TWsTabBarItem* tabMoved = selectedTab_;
      tabMoved->SetIndex(tab->Index());
      if (tabMoved == selectedTab_) TabMoved(tabMoved);
      moved = true;
    }
  }
  if (!moved) RemoveMoveMark();
  moveMarkTab_ = nullptr;
  if (source == this) DragCancel();
  if (OnDragDrop) OnDragDrop(this, source, pos.x(), pos.y());
}

void TWsCustomTabBar::DragCancel() {
  if (dragging_) releaseKeyboard();
  EndDragOperation(this);
  dragging_ = false;
  dragAccepted_ = false;
  RemoveMoveMark();
}

void TWsCustomTabBar::RemoveMoveMark() {
  if (!moveMarkTab_) return;
  moveMarkTab_ = nullptr;
  update();
}

void TWsCustomTabBar::HandOverDrag() {
  const int index = selectedTab_ ? selectedTab_->Index() : -1;
  DragCancel();
  auto* drag = new QDrag(this);  // the toolkit frees it
  auto* data = new QMimeData;
  data->setData(TabDragFormat(), QByteArray::number(index));
  drag->setMimeData(data);
  const QPointer<TWsCustomTabBar> guard(this);
  BeginDragOperation(this);  // the toolkit's drag goes on where the bar's own ended
  drag->exec(Qt::MoveAction);
  // Dropped back on the bar, dropEvent has moved the tab; dropped nowhere or on Escape, the drag was cancelled.
  if (guard) DragCancel();
}

void TWsCustomTabBar::keyPressEvent(QKeyEvent* e) {
  // The bar has no keys of its own; Escape only ends a drag.
  if (dragging_ && e->key() == Qt::Key_Escape) {
    DragCancel();
    return;
  }
  QWidget::keyPressEvent(e);
}

void TWsCustomTabBar::dragEnterEvent(QDragEnterEvent* e) { dragMoveEvent(e); }

void TWsCustomTabBar::dragMoveEvent(QDragMoveEvent* e) {
  if (DragOver(e->source(), e->position().toPoint())) e->acceptProposedAction();
  else e->ignore();
}

void TWsCustomTabBar::dragLeaveEvent(QDragLeaveEvent* e) {
  RemoveMoveMark();
  QWidget::dragLeaveEvent(e);
}

void TWsCustomTabBar::dropEvent(QDropEvent* e) {
  DragDrop(e->source(), e->position().toPoint());
  e->acceptProposedAction();
}

}  // namespace qmz
