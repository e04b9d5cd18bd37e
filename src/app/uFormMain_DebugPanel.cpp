#include "app/uFormMain_DebugPanel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qmz {

DebugPanel::DebugPanel(QWidget* parent) : MainPanel(parent) {
  setObjectName(QStringLiteral("panDebug"));
  setAutoFillBackground(true);
  btGroups = MakeButton(QStringLiteral("btGroups"), QStringLiteral("Groups"), this);
  btGroups->setProperty("Tag", 20);
  btCommos = MakeButton(QStringLiteral("btCommos"), QStringLiteral("Commos"), this);
  btCommos->setProperty("Tag", 50);
  btBases = MakeButton(QStringLiteral("btBases"), QStringLiteral("Bases"), this);
  btBases->setProperty("Tag", 30);
  btSystems = MakeButton(QStringLiteral("btSystems"), QStringLiteral("Systems"), this);
  btSystems->setProperty("Tag", 40);
  Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("Sold Commo"), this);
  btCloseDebug = MakeButton(QStringLiteral("btCloseDebug"), QStringLiteral("&Close"), this);
  lbSection = MakeListBox(QStringLiteral("lbSection"), false, this);
  lbSection->setSelectionMode(QAbstractItemView::SingleSelection);
  lbSectionList = MakeListBox(QStringLiteral("lbSectionList"), false, this);
  lbSectionList->setSelectionMode(QAbstractItemView::SingleSelection);
  reIni = new QTextEdit(this);
  reIni->setObjectName(QStringLiteral("reIni"));

  auto* buttons = new QHBoxLayout;
  for (auto* b : {btGroups, btCommos, btBases, btSystems, Button1, btCloseDebug}) buttons->addWidget(b);
  auto* lists = new QHBoxLayout;
  lists->addWidget(lbSection);
  lists->addWidget(lbSectionList);
  lists->addWidget(reIni, 2);
  auto* l = new QVBoxLayout(this);
  l->addLayout(buttons);
  l->addLayout(lists, 1);
  hide();
}

}  // namespace qmz
