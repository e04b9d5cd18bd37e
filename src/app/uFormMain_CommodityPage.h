#pragma once
// The commodity page: the commodity tree, the add, delete and clear buttons and the chosen list.

#include <QWidget>

#include "app/uFormMain_Widgets.h"

namespace qmz {

class CommodityPage : public MainPage {
  Q_OBJECT

 public:
  explicit CommodityPage(MainPageList* parent);

  MainTreeView* tvCommoAll = nullptr;
  QPushButton *btAddCommo = nullptr, *btDelCommo = nullptr, *btClear = nullptr;
  QListWidget* lbCommo = nullptr;
};

// A tree of the selection pages: read-only, rows selected whole, no header.
MainTreeView* MakeTreeView(const QString& name, bool multiSelect, QWidget* parent);

}  // namespace qmz
