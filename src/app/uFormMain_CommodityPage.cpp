#include "app/uFormMain_CommodityPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace qmz {

MainTreeView* MakeTreeView(const QString& name, bool multiSelect, QWidget* parent) {
  auto* tree = new MainTreeView(parent);
  tree->setObjectName(name);
  tree->setHeaderHidden(true);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree->SetMultiSelect(multiSelect);
  return tree;
}

CommodityPage::CommodityPage(MainPageList* parent) : MainPage(parent) {
  setObjectName(QStringLiteral("pageCommodity"));
  tvCommoAll = MakeTreeView(QStringLiteral("tvCommoAll"), true, this);
  btAddCommo = MakeButton(QStringLiteral("btAddCommo"), QStringLiteral(">>"), this);
  btDelCommo = MakeButton(QStringLiteral("btDelCommo"), QStringLiteral("<<"), this);
  btClear = MakeButton(QStringLiteral("btClear"), QStringLiteral("Clear"), this);
  lbCommo = MakeListBox(QStringLiteral("lbCommo"), true, this);

  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btAddCommo);
  buttons->addWidget(btDelCommo);
  buttons->addWidget(btClear);
  buttons->addStretch();
  auto* row = new QHBoxLayout(this);
  row->addWidget(tvCommoAll, 1);
  row->addLayout(buttons);
  row->addWidget(lbCommo, 1);
}

}  // namespace qmz
