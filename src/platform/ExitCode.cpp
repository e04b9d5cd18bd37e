#include "platform/ExitCode.h"

#include <atomic>

namespace qmz::platform {

namespace {
std::atomic<int> exitCode{0};
}

int ProcessExitCode() { return exitCode.load(); }
void SetProcessExitCode(int code) { exitCode.store(code); }

}  // namespace qmz::platform
