// Handlers of the selection pages, the calculator, the information and debug pages and the small
// commands. The start-up needs the page switching; the rest is filled in with the calculator, the
// information and debug pages and the about box.

#include "app/uFormMain.h"

namespace qmz {

void TformMain::OnInfClick() { plInformation->SetActivePage(btInfBase->isChecked() ? pageInfBase : pageInfGood); }

void TformMain::btBeendenClick() { close(); }

// ---- information page ------------------------------------------------------------------------------
void TformMain::lbInfBaseClick() {}
void TformMain::tvInfBaseGoodClick() {}

// ---- debug page ------------------------------------------------------------------------------------
void TformMain::gbOptionsDblClick() {}
void TformMain::btCloseDebugClick() {}
void TformMain::btGroupsClick() {}
void TformMain::btBasesClick() {}
void TformMain::btSystemsClick() {}
void TformMain::btCommosClick() {}
void TformMain::lbSectionClick() {}
void TformMain::lbSectionListClick() {}
void TformMain::Button1Click() {}

// ---- about box and small commands ------------------------------------------------------------------
void TformMain::btInfoClick() {}
void TformMain::btClearDefaultClick() {}

}  // namespace qmz
