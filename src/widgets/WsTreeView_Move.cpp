// TWsTreeView: moving nodes and scrolling while something is dragged over the tree.
#include <QDragMoveEvent>
#include <QScrollBar>
#include <QTimerEvent>

#include "widgets/WsTreeView.h"

namespace qmz {

// ---- moving nodes ------------------------------------------------------------------------------------------

void TWsTreeNode::MoveTo(TWsTreeNode* destination, NodeAttachMode mode) {
  for (const QTreeWidgetItem* up = destination; up != nullptr; up = up->parent())
    if (up == this) return;
  QTreeWidget* tree = destination != nullptr ? destination->treeWidget() : treeWidget();
  if (tree == nullptr) return;
  // The shown check boxes of the node and its children are read before the move and set again after it.
  QList<QTreeWidgetItem*> subtree{this};
  for (int i = 0; i < subtree.size(); ++i) {
    if (auto* node = dynamic_cast<TWsTreeNode*>(subtree[i])) node->checked_ = node->Checked();
    for (int c = 0; c < subtree[i]->childCount(); ++c) subtree.append(subtree[i]->child(c));
  }
  TWsTreeView* view = View();
  const bool sameTree = view != nullptr && tree == view;
  // Taking the node out hands the current node on to a neighbour; inside one tree it comes back afterwards,
  // and neither step is a change of the current node (movingNode_ keeps them from counting as one).
  QTreeWidgetItem* current = sameTree ? view->currentItem() : nullptr;
  if (!subtree.contains(current)) current = nullptr;
  const bool expanded = isExpanded();
  if (sameTree) view->movingNode_ = true;
  if (QTreeWidgetItem* oldParent = parent()) oldParent->removeChild(this);
  else if (treeWidget() != nullptr) treeWidget()->takeTopLevelItem(treeWidget()->indexOfTopLevelItem(this));

  const bool asChild = mode == NodeAttachMode::AddChild || mode == NodeAttachMode::AddChildFirst;
  QTreeWidgetItem* newParent = destination == nullptr ? nullptr : asChild ? destination : destination->parent();
  QTreeWidgetItem* siblings = newParent != nullptr ? newParent : tree->invisibleRootItem();
  int row = siblings->childCount();
  if (mode == NodeAttachMode::AddFirst || mode == NodeAttachMode::AddChildFirst) row = 0;
  else if (mode == NodeAttachMode::Insert && destination != nullptr) row = siblings->indexOfChild(destination);
  siblings->insertChild(row, this);

  const auto* newView = qobject_cast<TWsTreeView*>(tree);
  for (QTreeWidgetItem* item : subtree) {
    auto* node = dynamic_cast<TWsTreeNode*>(item);
    if (node == nullptr) continue;
    if (newView != nullptr && !newView->Checkboxes()) node->setData(0, Qt::CheckStateRole, QVariant());
    else node->ReapplyCheckState();
  }
  setExpanded(expanded);
  if (current != nullptr) view->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
  if (sameTree) view->movingNode_ = false;
}

// ---- drag scrolling ----------------------------------------------------------------------------------------

void TWsTreeView::SetScrollDirection(int direction) {
  if (direction == scrollDirection_) return;
  if (direction == 0) dragScrollTimer_.stop();
  else if (scrollDirection_ == 0) dragScrollTimer_.start(200, this);
  scrollDirection_ = direction;
}

void TWsTreeView::dragMoveEvent(QDragMoveEvent* event) {
  TWsExTreeView::dragMoveEvent(event);
  if (!autoDragScroll_) return;
  const int y = event->position().toPoint().y();
  if (y < 20) SetScrollDirection(-1);
  else if (y > viewport()->height() - 20) SetScrollDirection(1);
  else SetScrollDirection(0);
}

// A drag that leaves the tree or ends elsewhere stops the scrolling too.
void TWsTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
  SetScrollDirection(0);
  TWsExTreeView::dragLeaveEvent(event);
}

void TWsTreeView::dropEvent(QDropEvent* event) {
  SetScrollDirection(0);
  TWsExTreeView::dropEvent(event);
}

void TWsTreeView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != dragScrollTimer_.timerId()) {
    TWsExTreeView::timerEvent(event);
    return;
  }
  verticalScrollBar()->triggerAction(scrollDirection_ < 0 ? QAbstractSlider::SliderSingleStepSub
                                                          : QAbstractSlider::SliderSingleStepAdd);
}

}  // namespace qmz
