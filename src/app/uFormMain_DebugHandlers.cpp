// Handlers of the hidden debug page: the record lists, a record's fields, a base's market in the route
// list, and the dump of the loader's INI slots.

#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "app/uFormMain_DebugPanel.h"

namespace qmz {

void TformMain::gbOptionsDblClick() {
  if (panDebug->parentWidget() != panBackTop) panDebug->setParent(panBackTop);
  debugPanel_->SetFillsParent(true);
  panDebug->show();
}

void TformMain::btCloseDebugClick() {
  debugPanel_->SetFillsParent(false);
  panDebug->hide();
}

void TformMain::FillDebugLists(int Mode) {
  RefreshSourceLists();
  if (!FData) {
    lbSection->setProperty("Tag", Mode);
    return;
  }
  debugPanel_->FillLists(Mode, DebugLists(*FData, Mode));
}

void TformMain::btGroupsClick() { FillDebugLists(dlmFactions); }
void TformMain::btBasesClick() { FillDebugLists(dlmBases); }
void TformMain::btSystemsClick() { FillDebugLists(dlmSystems); }
void TformMain::btCommosClick() { FillDebugLists(dlmGoods); }

void TformMain::lbSectionClick() {
  const int row = lbSection->currentRow();
  if (row < 0 || !FData) return;
  const int mode = debugPanel_->ListMode();
  const int index = row + 1;
  if (mode != dlmFactions && mode != dlmBases && mode != dlmSystems && mode != dlmGoods) return;
  debugPanel_->ShowRecordLines(DebugRecordLines(*FData, mode, index));
  if (mode == dlmBases) ShowMarketRows(index, false);
}

void TformMain::ShowMarketRows(int Base, bool OnlySold) {
  if (!formGrid_ || !FData) return;
  formGrid_->ClearRoutes();
  std::vector<TRouteRow> rows = MarketRows(*FData, Base, OnlySold);
  // The base column names the entry chosen in the record list, whatever that list shows.
  const QListWidgetItem* chosen = lbSection->currentItem();
  const std::string shown = chosen ? chosen->text().toStdString() : std::string();
  for (TRouteRow& row : rows) row.SubItems[2] = shown;
  formGrid_->AddRoutes(std::move(rows));
  RoutesListView()->viewport()->update();
}

// The goods sold at the base of the position chosen in the record list, whatever that list shows: a
// look into the market row of that index. A position past the bases shows an empty list.
void TformMain::lbSectionListClick() {
  const int row = lbSection->currentRow();
  if (row < 0 || !FData) return;
  ShowMarketRows(row + 1, true);
}

void TformMain::Button1Click() { lbSectionListClick(); }

void TformMain::panBackTopClick() {
  if (!FData) return;
  // Into the program's folder, one plain file name per slot; slots the loader released write nothing.
  WriteIniDump(*FData, setup_.ProgramFolder);
}

}  // namespace qmz
