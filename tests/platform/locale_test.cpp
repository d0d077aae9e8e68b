#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

namespace zolin6::platform {
namespace {

// Every case names its separator; the locale is put back to "." afterwards.
class LocaleTest : public ::testing::Test {
 protected:
  void TearDown() override { SetUserLocale({'.'}); }
};

std::string Read(char separator, const char* text) {
  SetUserLocale({separator});
  const Result<double> value = ToDouble(text);
  return value ? FormatShortest(*value) : "error: " + value.error().message;
}

TEST_F(LocaleTest, ReadsNumbersWithTheUsersSeparator) {
  const std::tuple<char, const char*, const char*> cases[] = {
      {'.', "1.5", "1.5"},
      {',', " -2,25 ", "-2,25"},
      {',', "1,5E3", "1500"},
      {'.', "+4", "4"},
      {'.', ".5", "0.5"},
      // The other sign groups digits, inside the integer part only.
      {',', "1.000", "1000"},
      {'.', "1,000.5", "1000.5"},
      // Malformed.
      {'.', "", "error: Type mismatch"},
      {'.', "1.5x", "error: Type mismatch"},
      {'.', "1.2.3", "error: Type mismatch"},
      {'.', ".", "error: Type mismatch"},
      {'.', "1e", "error: Type mismatch"},
      {'.', "nan", "error: Type mismatch"},
      {',', "1,5.0", "error: Type mismatch"},
      {'.', "1e999", "error: Overflow"},
  };
  for (const auto& [separator, text, read] : cases) EXPECT_EQ(Read(separator, text), read) << text;
}

TEST_F(LocaleTest, RoundsHalvesToTheEvenNeighbourWithinRange) {
  const std::pair<const char*, int> cases[] = {{"0.5", 0},   {"1.5", 2},   {"2.5", 2},
                                               {"-2.5", -2}, {"-3.5", -4}, {"-32768.5", -32768}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(*ToInt16(text), expected) << text;
  EXPECT_EQ(ToInt16("32767.5").error().message, "Overflow");
  EXPECT_EQ(ToInt32("2147483647.5").error().message, "Overflow");
  EXPECT_EQ(*ToInt32("-2147483648.5"), -2147483647 - 1);
  EXPECT_EQ(RoundToInt16(std::nan("")).error().message, "Overflow");
}

TEST_F(LocaleTest, WritesNumbersWithTheUsersSeparator) {
  const std::tuple<char, double, int, const char*> cases[] = {
      // Shortest form (decimals -1): 15 significant digits, exponent form far from 1.
      {'.', -0.0, -1, "0"},
      {'.', 2e-5, -1, "2E-05"},
      {'.', 1e15, -1, "1E+15"},
      {'.', 0.1 + 0.2, -1, "0.3"},
      {',', 0.75, -1, "0,75"},
      {',', -0.0000005775, 15, "-0,000000577500000"},
      // Halves of the shown digits round away from zero, though 1.2345 and
      // 1.005 lie just below the half in binary; zero shows no sign.
      {'.', 1.2345, 3, "1.235"},
      {'.', -1.005, 2, "-1.01"},
      {'.', -0.0001, 3, "0.000"},
      {'.', 123456.789, 15, "123456.789000000000000"},
  };
  for (const auto& [separator, value, decimals, written] : cases) {
    SetUserLocale({separator});
    EXPECT_EQ(decimals < 0 ? FormatShortest(value) : FormatFixed(value, decimals), written) << value;
  }
}

TEST_F(LocaleTest, LeadingNumberReadsThePointAndNeverFails) {
  SetUserLocale({','});  // no effect on this rule
  const std::pair<const char*, double> cases[] = {{"12.5abc", 12.5}, {"", 0.0},    {"abc", 0.0}, {"  -3e2x", -300.0},
                                                  {".5", 0.5},       {"1,5", 1.0}, {"1e", 1.0},  {"inf", 0.0}};
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), expected) << text;
}

}  // namespace
}  // namespace zolin6::platform
