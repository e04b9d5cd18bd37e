#pragma once
// One QApplication for every widget test of a test program, made by whichever test asks first and kept
// to the end of the program (Qt allows one per process).

#include <QApplication>

namespace qmz::test {

inline void EnsureQtApp() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "qmz_test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace qmz::test

// fontconfig keeps a few blocks from its first initialisation until the process ends; the leak checker
// would report them on every run of a Qt test. Weak, so several test files may include this header.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
