#pragma once

namespace qmz::platform {

// The process priority classes the program uses, mapped to nice values: idle 19, normal 0, high -5.
// Nothing here asks for real-time scheduling.
enum class PriorityClass { Idle, Normal, High };

// Sets the whole process's nice value. Going back from idle to normal needs the right to lower a nice
// value; where the system refuses, the process keeps the priority it has (false).
bool SetProcessPriorityClass(PriorityClass value);

}  // namespace qmz::platform
