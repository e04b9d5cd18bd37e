#include "app/uFormMain_Widgets.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

namespace qmz {

void TGauge::paintEvent(QPaintEvent* event) {
  if (maximum() > minimum()) {
    QProgressBar::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  option.minimum = 0;
  option.maximum = 1;
  option.progress = 0;
  painter.drawControl(QStyle::CE_ProgressBar, option);
}

QListWidget* MakeListBox(const QString& name, bool sorted, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSortingEnabled(sorted);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // However narrow the window, a list keeps room for a place's or a good's name.
  list->setMinimumWidth(150);
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
