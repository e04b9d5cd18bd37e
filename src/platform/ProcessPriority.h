#pragma once
// The process priority classes the program uses, mapped to nice values: idle 19, normal 0, high -5.
// Nothing here asks for real-time scheduling.

#include <string>

namespace qmz::platform {

enum class PriorityClass { Idle, Normal, High };

enum class PriorityOutcome {
  Made,     // every thread of the process runs at the class's nice value
  Refused,  // left out: the process could not come back to normal priority afterwards
  Failed,   // the system refused it (above normal without the right to, or back from a nice value set outside)
};

struct PriorityResult {
  PriorityOutcome outcome = PriorityOutcome::Made;
  std::string reason;  // why, when it was not made
};

// Gives every thread of the process the class's nice value: Linux keeps one per thread, and a thread takes
// its creator's when it starts. An ordinary user's process may raise a nice value but lower it only within
// its nice limit, so idle is set only where normal can follow (NormalPriorityReachable); otherwise it would
// last for the rest of the run.
PriorityResult SetProcessPriorityClass(PriorityClass value);

// Whether the process may go back to nice 0 from above: the CAP_SYS_NICE privilege, or a nice limit
// (RLIMIT_NICE) of at least 20.
bool NormalPriorityReachable();

}  // namespace qmz::platform
