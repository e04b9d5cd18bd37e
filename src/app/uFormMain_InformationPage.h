#pragma once
// The information page: a base list and the goods of the chosen base, or the goods by category, beside
// the card of the chosen base or good.

#include <QWidget>
#include <vector>

#include "app/ModelAdapter.h"
#include "app/core/uFormMain_Info.h"
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

  // Replaces the card with these lines, each written in its own font, size and weight.
  void ShowCard(const std::vector<TCardLine>& Lines);
};

// Adds the nodes (and their children) under Parent, a root for none, with their tags.
void AddInfoNodes(MainTreeView* Tree, TWsTreeNode* Parent, const std::vector<TInfoNode>& Nodes);

}  // namespace qmz
