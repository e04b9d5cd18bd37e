#include "app/uFormMain_DebugPanel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/ModelAdapter.h"
#include "widgets/WsPlainText.h"

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
  reIni->setReadOnly(true);
  reIni->setFont(QFont(QStringLiteral("Courier New")));
  lbSection->setProperty("Tag", 0);

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

int DebugPanel::ListMode() const { return lbSection->property("Tag").toInt(); }

void DebugPanel::FillLists(int Mode, const TDebugLists& Lists) {
  lbSection->setProperty("Tag", Mode);
  for (const std::string& name : Lists.Names) lbSection->addItem(ToQString(name));
  for (const std::string& nick : Lists.Nicknames) lbSectionList->addItem(ToQString(nick));
}

void DebugPanel::ShowRecordLines(const std::vector<std::string>& Lines) {
  reIni->clear();
  for (const std::string& line : Lines) AppendPlainText(reIni, ToQString(line));
}

void DebugPanel::SetFillsParent(bool Value) {
  fillsParent_ = Value;
  QWidget* parent = parentWidget();
  if (!parent) return;
  parent->removeEventFilter(this);
  if (!Value) return;
  parent->installEventFilter(this);
  setGeometry(parent->rect());
  raise();
}

bool DebugPanel::eventFilter(QObject* watched, QEvent* event) {
  // Keeps covering the parent as the window is resized.
  if (fillsParent_ && watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
  return MainPanel::eventFilter(watched, event);
}

}  // namespace qmz
