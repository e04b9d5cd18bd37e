// The application object of the window tests is the program's own class, made before any test runs
// (whichever test comes first), so every window finds the unhandled-exception handling it relies on.

#include <gtest/gtest.h>

#include "app/QmzApplication.h"

namespace {

class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    app_ = new qmz::QmzApplication(argc, argv);
    app_->setQuitOnLastWindowClosed(false);
  }
  // Before the process's own clean-up, which Qt's objects must not outlive.
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  qmz::QmzApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace
