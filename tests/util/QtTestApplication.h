#pragma once
// One QApplication for a whole widget test program, created before the first test and gone after the
// last. A test folder registers it once: QMZ_QT_TEST_APPLICATION("test_widgets").
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace qmz::test {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  explicit QtApplicationEnvironment(const char* name) : name_(name) {}
  void SetUp() override {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(name_), nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  const char* name_;
  std::unique_ptr<QApplication> app_;
};

}  // namespace qmz::test

#define QMZ_QT_TEST_APPLICATION(name)                                                                     \
  namespace {                                                                                             \
  [[maybe_unused]] ::testing::Environment* const qtTestApplication = ::testing::AddGlobalTestEnvironment( \
      new ::qmz::test::QtApplicationEnvironment(name));                                                   \
  }
