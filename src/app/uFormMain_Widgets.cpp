#include "app/uFormMain_Widgets.h"

namespace qmz {

QListWidget* MakeListBox(const QString& name, bool sorted, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSortingEnabled(sorted);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  return list;
}

QToolButton* MakeSpeedButton(const QString& name, const QString& caption, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setCheckable(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return button;
}

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

MainPanel* MakePanel(const QString& name, QWidget* parent) {
  auto* panel = new MainPanel(parent);
  panel->setObjectName(name);
  return panel;
}

MainPage* MakePage(const QString& name, MainPageList* list) {
  auto* page = new MainPage(list);
  page->setObjectName(name);
  return page;
}

}  // namespace qmz
