#include "app/core/uFormMain_SmallCommands.h"

#include "gamedata/uSVIni_IniFile.h"
#include "support/DbgMonIntf.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

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
  // A failure is journaled each time; idle left out (no way back to normal) once a run, by SetPriorityClass.
  const platform::PriorityResult result = SetPriorityClass(choice->priority, journal);
  if (result.outcome == platform::PriorityOutcome::Failed) {
    Log("The system refused the process priority of: " + choice->debugText + " (" + result.reason + ")", jlWarning,
        journal);
  }
  SendDebug(choice->debugText);
}

}  // namespace qmz
