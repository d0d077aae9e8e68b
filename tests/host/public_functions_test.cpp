// The date and channel-code conversions the control offers its host.

#include <gtest/gtest.h>

#include "fakes/control_harness.h"

namespace zolin6 {
namespace {

using fakes::ControlHarness;

TEST(GetConverteDate, DayMonthAndYearSince1900InHex) {
  struct Case {
    const char* text;
    const char* hart;  // nullptr: the conversion fails
  };
  const Case cases[] = {
      {"25/12/2022", "190C7A"},
      {"1/2/2000", "010264"},
      {"31/12/1999", "1F0C63"},
      {"0/0/1900", "000000"},
      {"25/12/2022/extra", "190C7A"},
      {"1/1/1899", "0101FFFF"},
      {"1/1/2156", "0101100"},
      {"25-12-2022", nullptr},
      {"", nullptr},
      {"a/1/2000", nullptr},
      {"1/1/", nullptr},
  };
  for (const Case& c : cases) {
    ControlHarness h;
    h.get<toolkit::TextBox>("txtParameter", 51).setText(c.text);
    h.get<toolkit::TextBox>("txtParameter", 158).setText(c.text);
    auto online = h.control->GetConverteDate();
    auto offline = h.control->GetConverteDateOffLine();
    if (c.hart == nullptr) {
      EXPECT_FALSE(online) << c.text;
      EXPECT_FALSE(offline) << c.text;
    } else {
      ASSERT_TRUE(online) << c.text;
      EXPECT_EQ(*online, c.hart) << c.text;
      EXPECT_EQ(*offline, c.hart) << c.text;
    }
  }
}

TEST(GetChannelCode, OnlyTrimStepPagesOfChannelsTwoToSix) {
  EXPECT_EQ(UserCntrl::GetChannelCode("Trim 4mA Channel 2"), "01");
  EXPECT_EQ(UserCntrl::GetChannelCode("Trim 20mA Channel 6"), "05");
  EXPECT_EQ(UserCntrl::GetChannelCode("Trim 20mA Channel 3"), "02");
  EXPECT_EQ(UserCntrl::GetChannelCode("Trim 4mA Channel 1"), "");
  EXPECT_EQ(UserCntrl::GetChannelCode("Trim Current Channel 2"), "");
  EXPECT_EQ(UserCntrl::GetChannelCode("Trim 4mA Channel 7"), "");
  EXPECT_EQ(UserCntrl::GetChannelCode("trim 4mA channel 2"), "");
}

}  // namespace
}  // namespace zolin6
