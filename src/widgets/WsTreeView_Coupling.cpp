// TWsTreeView: the tree built from a menu and the coupled tab widget.
#include <QActionEvent>
#include <QEvent>
#include <QActionGroup>
#include <QMenuBar>
#include <QToolButton>

#include "widgets/WsTreeView.h"

namespace qmz {

// ---- menu --------------------------------------------------------------------------------------------------

void TWsTreeView::SetMenu(QMenu* menu) {
  if (menu_ == menu) return;
  menu_ = menu;
  WatchMenus();
  RebuildFromMenu();
}

// A Qt menu has no change handler to save and put back: the tree watches the events in which the menu and each
// of its sub-menus report an item added, removed or changed, and the menu's own handling of them runs after.
void TWsTreeView::WatchMenus() {
  for (const QPointer<QObject>& watched : std::exchange(watchedMenus_, {}))
    if (watched != nullptr) watched->removeEventFilter(this);
  QList<QMenu*> menus;
  if (QMenu* menu = Menu()) menus.append(menu);
  for (int i = 0; i < menus.size(); ++i) {
    menus[i]->installEventFilter(this);
    watchedMenus_.append(menus[i]);
    for (QAction* item : menus[i]->actions()) {
      QMenu* sub = item->menu();
      if (sub != nullptr && !menus.contains(sub)) menus.append(sub);
    }
  }
}

bool TWsTreeView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::ActionAdded || type == QEvent::ActionRemoved || type == QEvent::ActionChanged) {
    // A menu that is being destroyed gives up its items one by one; it is no QMenu any more, and not heard.
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu != nullptr && Menu() != nullptr && watchedMenus_.contains(watched))
      MenuChanged(menu, static_cast<QActionEvent*>(event)->action(), type != QEvent::ActionChanged);
  }
  return TWsExTreeView::eventFilter(watched, event);
}

void TWsTreeView::MenuChanged(QMenu* /*sender*/, QAction* /*source*/, bool /*rebuild*/) {
  WatchMenus();  // a sub-menu may have come or gone
  RebuildFromMenu();
}

void TWsTreeView::RebuildFromMenu() {
  setUpdatesEnabled(false);
  clear();
  if (QMenu* menu = Menu()) {
    for (QAction* item : menu->actions()) AddMenuItemNode(nullptr, item);
  }
  setUpdatesEnabled(true);
}

void TWsTreeView::AddMenuItemNode(TWsTreeNode* parent, QAction* item) {
  if (item == nullptr || item->isSeparator() || item->text().isEmpty() || item->text() == QLatin1String("-")) return;
  // The caption without its accelerator marks ("&&" stands for one "&").
  QString caption;
  const QString text = item->text();
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    caption += text[i];
  }
  TWsTreeNode* node = AddChild(parent, caption);
  node->SetMenuItem(item);
  node->setIcon(0, item->icon());
  if (QMenu* sub = item->menu()) {
    for (QAction* child : sub->actions()) AddMenuItemNode(node, child);
  }
}

namespace {

// Whether an item has a click handler of its own. QObject keeps the count of its listeners to itself; the
// menus, menu bars and tool buttons that hold the item listen too, and so does its group of exclusive
// choices: none of them counts.
struct ClickListeners : QObject {
  using QObject::receivers;
};

bool HasClickHandler(const QAction* item) {
  int holders = item->actionGroup() != nullptr ? 1 : 0;
  for (const QObject* holder : item->associatedObjects())
    if (qobject_cast<const QMenu*>(holder) != nullptr || qobject_cast<const QMenuBar*>(holder) != nullptr ||
        qobject_cast<const QToolButton*>(holder) != nullptr)
      ++holders;
  return (item->*&ClickListeners::receivers)(SIGNAL(triggered(bool))) > holders;
}

}  // namespace

bool TWsTreeView::IsMenuItemClick(const TWsTreeNode* node) const {
  return Menu() != nullptr && node != nullptr && node->MenuItem() != nullptr && HasClickHandler(node->MenuItem());
}

void TWsTreeView::MenuItemClick(TWsTreeNode* node) {
  if (QAction* item = node->MenuItem()) item->trigger();
}

// ---- page control ------------------------------------------------------------------------------------------

bool TWsTreeView::DoComparePage(QWidget* page, TWsTreeNode* node) {
  bool matches = false;
  if (OnComparePage) {
    OnComparePage(this, page, node, matches);
    return matches;
  }
  const int index = pageControl_->indexOf(page);
  return pageControl_->tabText(index).compare(node->text(0), Qt::CaseInsensitive) == 0;
}

void TWsTreeView::SyncPageControl(TWsTreeNode* node) {
  if (pageControl_ == nullptr || node == nullptr) return;
  QWidget* match = nullptr;
  for (int i = 0; i < pageControl_->count(); ++i) {
    if (DoComparePage(pageControl_->widget(i), node)) match = pageControl_->widget(i);
  }
  if (match == nullptr) return;
  pageControl_->setCurrentWidget(match);
  if (OnPageChanged) OnPageChanged(this, node, match);
}

}  // namespace qmz
