// Handlers of the selection pages, the calculator, the information and debug pages and the small
// commands. The start-up needs the page switching; the rest is filled in with the calculator, the
// information and debug pages and the about box.

#include <array>

#include "app/uFormMain.h"

namespace qmz {

namespace {

// The first of base, system, region whose button is down decides; else anywhere.
int DownButton(QToolButton* base, QToolButton* system, QToolButton* region) {
  if (base->isChecked()) return 0;
  if (system->isChecked()) return 1;
  if (region->isChecked()) return 2;
  return 3;
}

}  // namespace

void TformMain::OnFromClick() {
  plFrom->SetActivePage(std::array{pageFromBase, pageFromSystem, pageFromRegion,
                                   pageFromAny}[DownButton(btFromBase, btFromSystem, btFromRegion)]);
}

void TformMain::OnDestClick() {
  plDest->SetActivePage(std::array{pageDestBase, pageDestSystem, pageDestRegion,
                                   pageDestAny}[DownButton(btDestBase, btDestSystem, btDestRegion)]);
}

void TformMain::OnInfClick() { plInformation->SetActivePage(btInfBase->isChecked() ? pageInfBase : pageInfGood); }

void TformMain::btBeendenClick() { close(); }

// ---- selection of places and goods: built with the calculator --------------------------------------
void TformMain::FunctionClick() {}
void TformMain::btAddFromClick() {}
void TformMain::btAddToClick() {}
void TformMain::btAddCommoClick() {}
void TformMain::btDelFromClick() {}
void TformMain::btDelToClick() {}
void TformMain::btDelCommoClick() {}
void TformMain::btClearFromClick() {}
void TformMain::btClearDestClick() {}
void TformMain::btClearClick() {}
void TformMain::FillCommodityTrees() { FillBaseMarketTrees(); }

// ---- route calculation and route display: built with the calculator ---------------------------------
void TformMain::btCalculateClick() {}
void TformMain::btShowRoutesClick() {}

// The information and debug pages' handlers: uFormMain_InfoHandlers.cpp, uFormMain_DebugHandlers.cpp.

// ---- about box and small commands ------------------------------------------------------------------
void TformMain::btInfoClick() {}
void TformMain::btClearDefaultClick() {}

}  // namespace qmz
