#pragma once
// The information page: a base list and the goods of the chosen base, or the goods by category, beside
// the card of the chosen base or good.

#include <QWidget>

#include "app/uFormMain_Widgets.h"

namespace qmz {

class InformationPage : public MainPage {
  Q_OBJECT

 public:
  explicit InformationPage(MainPageList* parent);

  QToolButton *btInfBase = nullptr, *btInfGood = nullptr;
  MainPageList* plInformation = nullptr;
  MainPage *pageInfBase = nullptr, *pageInfGood = nullptr;
  QListWidget* lbInfBase = nullptr;
  MainTreeView *tvInfBaseGood = nullptr, *tvInfCommos = nullptr;
  QTextEdit* reInformation = nullptr;
};

}  // namespace qmz
