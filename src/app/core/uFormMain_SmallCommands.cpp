#include "app/core/uFormMain_SmallCommands.h"

#include "gamedata/uSVIni_IniFile.h"
#include "support/DbgMonIntf.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

void ClearDefaultInstallation(const std::string& iniFileName) {
  TIniFile ini(iniFileName);
  ini.DeleteKey("MAIN", "Default");
}

std::optional<PriorityChoice> PriorityForModifiers(bool shift, bool ctrl, bool alt) {
  using platform::PriorityClass;
  if (alt) return std::nullopt;
  if (shift && ctrl) return PriorityChoice{PriorityClass::High, "ProcessPriority Changed()- REALTIME"};
  if (shift) return PriorityChoice{PriorityClass::High, "ProcessPriority Changed()- HIGH"};
  if (ctrl) return PriorityChoice{PriorityClass::Idle, "ProcessPriority Changed()- IDLE"};
  return PriorityChoice{PriorityClass::Normal, "ProcessPriority Changed()- NORMAL"};
}

void SwitchPriority(bool shift, bool ctrl, bool alt, TJournal* journal) {
  const std::optional<PriorityChoice> choice = PriorityForModifiers(shift, ctrl, alt);
  if (!choice) return;
  if (!platform::SetProcessPriorityClass(choice->priority)) {
    Log("The system refused the process priority of: " + choice->debugText, 5, journal);
  }
  SendDebug(choice->debugText);
}

}  // namespace qmz
