#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace qmz::test {

// Runs Run in a child process, so that what it does to the process (ids, mounts, refused allocations, a
// crash) stays there: its result as the child's exit code, ThrownCode when it throws, minus the signal that
// ended the child, or -1000 when there was no child.
inline int RunInChild(const std::function<int()>& run, int thrownCode) {
  const pid_t child = fork();
  if (child == 0) {
    int code = thrownCode;
    try {
      code = run();
    } catch (...) {
    }
    _exit(code);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace qmz::test
