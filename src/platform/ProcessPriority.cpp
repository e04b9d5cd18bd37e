#include "platform/ProcessPriority.h"

#include <sys/resource.h>

#include <cerrno>

namespace qmz::platform {

bool SetProcessPriorityClass(PriorityClass value) {
  const int nice = value == PriorityClass::Idle ? 19 : 0;
  return setpriority(PRIO_PROCESS, 0, nice) == 0;
}

PriorityClass GetProcessPriorityClass() {
  // -1 is a valid nice value, so errno tells a failure apart.
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, 0);
  if (errno != 0) return PriorityClass::Normal;
  return nice > 0 ? PriorityClass::Idle : PriorityClass::Normal;
}

}  // namespace qmz::platform
