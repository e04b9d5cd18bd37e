#include "app/uFormMain_InformationPage.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/uFormMain_CommodityPage.h"

namespace qmz {

InformationPage::InformationPage(MainPageList* parent) : MainPage(parent) {
  setObjectName(QStringLiteral("pageInformation"));
  auto* group = new QButtonGroup(this);
  btInfBase = MakeSpeedButton(QStringLiteral("btInfBase"), QStringLiteral("Base"), this);
  btInfGood = MakeSpeedButton(QStringLiteral("btInfGood"), QStringLiteral("Good"), this);
  group->addButton(btInfBase);
  group->addButton(btInfGood);
  btInfBase->setChecked(true);

  plInformation = new MainPageList(this);
  plInformation->setObjectName(QStringLiteral("plInformation"));
  pageInfBase = MakePage(QStringLiteral("pageInfBase"), plInformation);
  pageInfGood = MakePage(QStringLiteral("pageInfGood"), plInformation);
  plInformation->Loaded();

  auto* splitter = new QSplitter(Qt::Vertical, pageInfBase);
  lbInfBase = MakeListBox(QStringLiteral("lbInfBase"), true, splitter);
  lbInfBase->setSelectionMode(QAbstractItemView::SingleSelection);
  QFont bold = lbInfBase->font();
  bold.setBold(true);
  lbInfBase->setFont(bold);
  tvInfBaseGood = MakeTreeView(QStringLiteral("tvInfBaseGood"), false, splitter);
  splitter->addWidget(lbInfBase);
  splitter->addWidget(tvInfBaseGood);
  splitter->setSizes({161, 200});
  auto* baseLayout = new QVBoxLayout(pageInfBase);
  baseLayout->setContentsMargins(0, 0, 0, 0);
  baseLayout->addWidget(splitter);

  tvInfCommos = MakeTreeView(QStringLiteral("tvInfCommos"), true, pageInfGood);
  auto* goodLayout = new QVBoxLayout(pageInfGood);
  goodLayout->setContentsMargins(0, 0, 0, 0);
  goodLayout->addWidget(tvInfCommos);

  reInformation = new QTextEdit(this);
  reInformation->setObjectName(QStringLiteral("reInformation"));
  reInformation->setReadOnly(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btInfBase);
  buttons->addWidget(btInfGood);
  auto* left = new QVBoxLayout;
  left->addLayout(buttons);
  left->addWidget(plInformation);
  auto* row = new QHBoxLayout(this);
  row->addLayout(left, 1);
  row->addWidget(reInformation, 1);
}

}  // namespace qmz
