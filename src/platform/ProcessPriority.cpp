#include "platform/ProcessPriority.h"

#include <sys/resource.h>

namespace qmz::platform {

bool SetProcessPriorityClass(PriorityClass value) {
  const int nice = value == PriorityClass::Idle ? 19 : value == PriorityClass::High ? -5 : 0;
  return setpriority(PRIO_PROCESS, 0, nice) == 0;
}

}  // namespace qmz::platform
