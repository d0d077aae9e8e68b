#pragma once
// One QApplication for a whole test program, made before the first test and
// gone before static destruction, where Qt cannot be torn down safely.
// Register it once per program:
//   ::testing::AddGlobalTestEnvironment(new zolin6::fakes::QtEnvironment);

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

namespace zolin6::fakes {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // The tests draw without a display unless a platform was chosen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[13] = "zolin6_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

}  // namespace zolin6::fakes
