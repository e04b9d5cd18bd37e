#pragma once

namespace qmz::platform {

// The exit code the process will end with, as far as the program knows it; main() sets it before
// the module-level objects are destroyed, so their closing lines can name it. 0 until set.
int ProcessExitCode();
void SetProcessExitCode(int code);

}  // namespace qmz::platform
