#include "app/uFormMain_PlacePage.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace qmz {

namespace {
const QString kRegionHint = QStringLiteral("NOT SUPPORTED YET");
}

PlacePageNames SourcePageNames() {
  return {"pageSource",
          {"btFromBase", "btFromSystem", "btFromRegion", "btFromAny"},
          "plFrom",
          {"pageFromBase", "pageFromSystem", "pageFromRegion", "pageFromAny"},
          {"lbFromBase", "lbFromSystem", "lbFromRegion", "lbFromAny"},
          "btAddFrom",
          "btDelFrom",
          "btClearFrom",
          "lbOrigin"};
}

PlacePageNames DestPageNames() {
  return {"pageDest",
          {"btDestBase", "btDestSystem", "btDestRegion", "btDestAny"},
          "plDest",
          {"pageDestBase", "pageDestSystem", "pageDestRegion", "pageDestAny"},
          {"lbDestBase", "lbDestSystem", "lbDestRegion", "lbDestAny"},
          "btAddTo",
          "btDelTo",
          "btClearDest",
          "lbDestination"};
}

PlacePage::PlacePage(const PlacePageNames& names, MainPageList* parent) : MainPage(parent) {
  setObjectName(names.Page);
  static const std::array<QString, 4> captions = {"Base", "System", "Region", "Anywhere"};

  auto* top = new QHBoxLayout;
  Group = new QButtonGroup(this);
  Group->setExclusive(true);
  for (int i = 0; i < 4; ++i) {
    Buttons[i] = MakeSpeedButton(names.Buttons[i], captions[i], this);
    Group->addButton(Buttons[i], i);
    top->addWidget(Buttons[i]);
  }
  Buttons[0]->setChecked(true);
  Buttons[2]->setToolTip(kRegionHint);

  PageList = new MainPageList(this);
  PageList->setObjectName(names.PageList);
  for (int i = 0; i < 4; ++i) {
    Pages[i] = MakePage(names.Pages[i], PageList);
    Lists[i] = MakeListBox(names.Lists[i], true, Pages[i]);
    auto* l = new QVBoxLayout(Pages[i]);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(Lists[i]);
  }
  PageList->Loaded();
  Lists[2]->setToolTip(kRegionHint);

  auto* buttons = new QVBoxLayout;
  Add = MakeButton(names.Add, QStringLiteral(">>"), this);
  Del = MakeButton(names.Del, QStringLiteral("<<"), this);
  Clear = MakeButton(names.Clear, QStringLiteral("Clear"), this);
  buttons->addStretch();
  buttons->addWidget(Add);
  buttons->addWidget(Del);
  buttons->addWidget(Clear);
  buttons->addStretch();

  Chosen = MakeListBox(names.Chosen, true, this);

  auto* left = new QVBoxLayout;
  left->addLayout(top);
  left->addWidget(PageList);
  auto* row = new QHBoxLayout(this);
  row->addLayout(left, 1);
  row->addLayout(buttons);
  row->addWidget(Chosen, 1);
}

}  // namespace qmz
