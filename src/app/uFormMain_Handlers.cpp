// Handlers of the selection pages, the calculator, the information and debug pages and the small
// commands. The start-up needs the page switching; the rest is filled in with the calculator, the
// information and debug pages and the about box.

#include "app/uFormMain.h"

namespace qmz {

void TformMain::OnInfClick() { plInformation->SetActivePage(btInfBase->isChecked() ? pageInfBase : pageInfGood); }

void TformMain::btBeendenClick() { close(); }

// The information and debug pages' handlers: uFormMain_InfoHandlers.cpp, uFormMain_DebugHandlers.cpp.

}  // namespace qmz
