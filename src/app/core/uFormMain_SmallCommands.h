#pragma once
// The main window's small commands that need no window: forgetting the default installation and the
// priority switch of the Controls group box and the start-up log.

#include <optional>
#include <string>

#include "platform/ProcessPriority.h"

namespace qmz {

class TJournal;

// Deletes MAIN/Default of the settings file; reports nothing, also when there was none.
void ClearDefaultInstallation(const std::string& iniFileName);

struct PriorityChoice {
  platform::PriorityClass priority;
  std::string debugText;  // what the outside debug viewer is told
};

// The priority chosen by the modifier keys held on a mouse press; none with Alt. Shift and Ctrl
// together would ask for real time: that is never requested, high is used instead.
std::optional<PriorityChoice> PriorityForModifiers(bool shift, bool ctrl, bool alt);

// Applies the choice of the modifiers and tells the debug viewer, also when the system refused the class
// (journaled) or idle was left out for want of a way back to normal (journaled once a run).
void SwitchPriority(bool shift, bool ctrl, bool alt, TJournal* journal);

}  // namespace qmz
