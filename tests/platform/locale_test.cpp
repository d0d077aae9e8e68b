#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zolin6::platform {
namespace {

// Every case names its separator; the locale is put back to "." afterwards.
class LocaleTest : public ::testing::Test {
 protected:
  void TearDown() override { SetUserLocale({'.'}); }
};

TEST_F(LocaleTest, ReadsNumbersWithTheUsersSeparator) {
  struct Case {
    char separator;
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {'.', "1.5", 1.5},   {',', " -2,25 ", -2.25}, {',', "1,5E3", 1500.0}, {'.', "+4", 4.0}, {'.', ".5", 0.5},
      // The grouping sign is skipped inside the integer part.
      {',', "1.000", 1000.0}, {',', "0.0", 0.0},    {'.', "1,000.5", 1000.5},
  };
  for (const auto& c : cases) {
    SetUserLocale({c.separator});
    EXPECT_DOUBLE_EQ(*ToDouble(c.text), c.expected) << c.text;
  }
}

TEST_F(LocaleTest, RefusesTextsThatAreNoNumber) {
  struct Case {
    char separator;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {'.', "", "Type mismatch"},    {'.', "abc", "Type mismatch"},   {'.', "1.5x", "Type mismatch"},
      {'.', "1.2.3", "Type mismatch"}, {'.', ".", "Type mismatch"},   {'.', "1e", "Type mismatch"},
      {'.', "nan", "Type mismatch"}, {',', "1,5,5", "Type mismatch"}, {',', "1,5.0", "Type mismatch"},
      {'.', "1e999", "Overflow"},
  };
  for (const auto& c : cases) {
    SetUserLocale({c.separator});
    const Result<double> value = ToDouble(c.text);
    ASSERT_FALSE(value) << c.text;
    EXPECT_EQ(value.error().message, c.message) << c.text;
  }
}

TEST_F(LocaleTest, RoundsHalvesToTheEvenNeighbourWithinRange) {
  const std::pair<const char*, int> cases[] = {{"0.5", 0},  {"1.5", 2},  {"2.5", 2},         {"3.5", 4},
                                               {"-2.5", -2}, {"-3.5", -4}, {"32767.4", 32767}, {"-32768.5", -32768}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(*ToInt16(text), expected) << text;
  EXPECT_EQ(ToInt16("32767.5").error().message, "Overflow");
  EXPECT_EQ(ToInt16("x").error().message, "Type mismatch");
  EXPECT_EQ(ToInt32("2147483647.5").error().message, "Overflow");
  EXPECT_EQ(*ToInt32("-2147483648.5"), -2147483647 - 1);
  EXPECT_EQ(RoundToInt16(std::nan("")).error().message, "Overflow");
}

TEST_F(LocaleTest, WritesNumbersWithTheUsersSeparator) {
  struct Case {
    char separator;
    double value;
    int decimals;  // -1: shortest form
    const char* expected;
  };
  const Case cases[] = {
      {'.', 1.5, -1, "1.5"},       {',', 0.75, -1, "0,75"},   {'.', 1.0, -1, "1"},
      {'.', -0.0, -1, "0"},        {'.', 2e-5, -1, "2E-05"},  {'.', 0.0001, -1, "0.0001"},
      {'.', 1e15, -1, "1E+15"},    {'.', 0.1 + 0.2, -1, "0.3"},
      {'.', 1.0 / 3.0, -1, "0.333333333333333"},
      {'.', 12.3456, 3, "12.346"}, {'.', 0.0, 3, "0.000"},    {',', 0.5, 3, "0,500"},
      {',', -0.0000005775, 15, "-0,000000577500000"},
      // Halves of the shown digits round away from zero, although 1.2345
      // and 1.005 lie just below the half in binary.
      {'.', 1.2345, 3, "1.235"},   {'.', -1.005, 2, "-1.01"},
      {'.', -0.0001, 3, "0.000"},  // no sign on a value shown as zero
      {'.', 123456.789, 15, "123456.789000000000000"},  // 15 significant digits
  };
  for (const auto& c : cases) {
    SetUserLocale({c.separator});
    EXPECT_EQ(c.decimals < 0 ? FormatShortest(c.value) : FormatFixed(c.value, c.decimals), c.expected) << c.value;
  }
}

TEST_F(LocaleTest, LeadingNumberReadsThePointAndNeverFails) {
  SetUserLocale({','});  // no effect on this rule
  const std::pair<const char*, double> cases[] = {{"12.5abc", 12.5}, {"", 0.0},   {"abc", 0.0}, {"  -3e2x", -300.0},
                                                  {".5", 0.5},       {"1,5", 1.0}, {"1e", 1.0},  {"inf", 0.0}};
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), expected) << text;
}

}  // namespace
}  // namespace zolin6::platform
