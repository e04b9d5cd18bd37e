#pragma once
// Base of the window tests: one application object for the whole test program (gtest_main creates
// none), of the class the windows expect. It is destroyed when the last test has run, before the
// process's own clean-up, which Qt's objects must not outlive.

#include <gtest/gtest.h>

#include <QApplication>

namespace qmz::test {

template <class Application = QApplication>
class GuiFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance()) return;
    struct Owner : ::testing::Environment {
      void TearDown() override { delete QCoreApplication::instance(); }
    };
    static int argc = 1;
    static char name[] = "qmz-test";
    static char* argv[] = {name, nullptr};
    auto* app = new Application(argc, argv);
    // The windows close in the tests; the application must outlive them all.
    app->setQuitOnLastWindowClosed(false);
    ::testing::AddGlobalTestEnvironment(new Owner);
  }
};

}  // namespace qmz::test
