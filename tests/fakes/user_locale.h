#pragma once
// A fixture for tests that change the user's decimal separator, which is
// process-wide: it puts back the one the test started with, also when an
// assertion ends the test midway, so a ',' never leaks into later tests.

#include <gtest/gtest.h>

#include "platform/locale.h"

namespace zolin6::fakes {

class UserLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = platform::UserLocale(); }
  void TearDown() override { platform::SetUserLocale(saved_); }

 private:
  platform::Locale saved_{'.'};
};

}  // namespace zolin6::fakes
