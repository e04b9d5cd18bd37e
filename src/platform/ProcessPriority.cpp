#include "platform/ProcessPriority.h"

#include <dirent.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace qmz::platform {

namespace {

int NiceOf(PriorityClass value) {
  switch (value) {
    case PriorityClass::Idle:
      return 19;
    case PriorityClass::High:
      return -5;
    case PriorityClass::Normal:
      break;
  }
  return 0;
}

// The inode of the initial user namespace, fixed by the kernel.
constexpr ino_t kInitialUserNamespace = 0xEFFFFFFDu;

// CAP_SYS_NICE as setpriority checks it: in the initial user namespace only, so a container's root,
// which holds it in its own namespace, has it not.
bool HasNicePrivilege() {
  struct stat ns {};
  if (stat("/proc/self/ns/user", &ns) == 0 && ns.st_ino != kInitialUserNamespace) return false;
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  return (data[CAP_SYS_NICE / 32].effective & (1u << (CAP_SYS_NICE % 32))) != 0;
}

// The thread ids of the process: each has its own nice value on Linux.
std::set<pid_t> ThreadIds() {
  std::set<pid_t> ids;
  DIR* dir = opendir("/proc/self/task");
  if (dir == nullptr) return ids;
  while (const dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long id = std::strtol(entry->d_name, &end, 10);
    if (end != entry->d_name && *end == '\0' && id > 0) ids.insert(pid_t(id));
  }
  closedir(dir);
  return ids;
}

}  // namespace

bool NormalPriorityReachable() {
  rlimit limit{};
  // The nice limit allows nice values down to 20 - limit without privilege.
  if (getrlimit(RLIMIT_NICE, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 20)) return true;
  return HasNicePrivilege();
}

PriorityResult SetProcessPriorityClass(PriorityClass value) {
  const int nice = NiceOf(value);
  if (nice > 0 && !NormalPriorityReachable()) {
    rlimit limit{};
    getrlimit(RLIMIT_NICE, &limit);
    return {PriorityOutcome::Refused,
            "the process could not go back to normal priority afterwards (it has no CAP_SYS_NICE privilege, and its "
            "nice limit RLIMIT_NICE is " +
                std::to_string(limit.rlim_cur) + ", below 20)"};
  }
  // The calling thread first: the threads it starts from now on take its value. Threads that others start
  // meanwhile are found by the next round.
  int error = 0;
  if (setpriority(PRIO_PROCESS, id_t(gettid()), nice) != 0) error = errno;
  std::set<pid_t> done{gettid()};
  for (int round = 0; round < 8; ++round) {
    bool fresh = false;
    for (const pid_t id : ThreadIds()) {
      if (!done.insert(id).second) continue;
      fresh = true;
      // A thread that ended meanwhile is no failure.
      if (setpriority(PRIO_PROCESS, id_t(id), nice) != 0 && errno != ESRCH && error == 0) error = errno;
    }
    if (!fresh) break;
  }
  if (error != 0) return {PriorityOutcome::Failed, std::string("the system refused it: ") + std::strerror(error)};
  return {};
}

}  // namespace qmz::platform
