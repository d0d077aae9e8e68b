// What the fuzz targets and the review of the write path found, each kept
// from coming back. Every case failed before its fix.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/float_ieee.h"
#include "fakes/user_locale.h"
#include "platform/locale.h"
#include "scenario_runner.h"

namespace zolin6 {
namespace {

std::string Convert(std::string text) {
  Result<std::string> hex = codecs::ConvertFloatToHex(text);
  return hex ? *hex : "error: " + hex.error().message;
}

// A fraction whose remaining part, doubled, falls below 0.0001 is written
// in exponent form ("2E-05") and one just below 2 as "2": their first
// character was taken as a bit, so 1.00001 went out as 1.875 (3FF00000) and
// 100.00002 as 102 (42CC0000). They now get their bits from the value,
// cut as every other conversion is.
TEST(FloatHexFindings, FractionsWithLongRunsOfZerosOrNines) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.00001", "3F800053"},
      {"100.00002", "42C80002"},
      {"0.5000001", "3F000000"},           // below 1 only 23 fraction bits exist
      {"0.9999999999999999", "3F7FFFFE"},  // written "2" after doubling
  };
  for (const auto& [text, hex] : cases) EXPECT_EQ(Convert(text), hex) << text;
}

// A value with no "1" bit kept the exponent of whatever was converted
// before it: "-0" went out as -16 after "20" and as -0.0625 after "0.001".
TEST(FloatHexFindings, TheSameTextGivesTheSamePatternWhateverCameBefore) {
  for (const char* before : {"20", "0.001", "-1.5"}) {
    SCOPED_TRACE(before);
    Convert(before);
    EXPECT_EQ(Convert("-0"), "80000000");
    Convert(before);
    EXPECT_EQ(Convert("0.00000000000"), "00000000");
  }
}

// Texts that are no number went out as some number ("abc" as 0.5, an empty
// box as 1.0, "1,000.5" as 1.5); the write pages now refuse them.
using FloatHexLocaleFindings = fakes::UserLocaleTest;

TEST_F(FloatHexLocaleFindings, TypedTextsThatAreNoPlainNumberAreRefused) {
  for (const char* text : {"abc", "", " ", "1e3", "1,000.5", "12abc", "- 5", "5-"}) {
    EXPECT_FALSE(codecs::ConvertTypedNumberToHex(text)) << "[" << text << "]";
  }
  platform::SetUserLocale({','});
  EXPECT_EQ(*codecs::ConvertTypedNumberToHex(" 12.5 "), "41480000");
  EXPECT_EQ(*codecs::ConvertTypedNumberToHex("-,5"), "BF000000");
  platform::SetUserLocale({'.'});
  EXPECT_EQ(*codecs::ConvertTypedNumberToHex("+20"), "41A00000");
}

// Scenario lines whose numbers reached the clock or an encoder unchecked:
// time beyond the clock's range (undefined behaviour, or hours of ticks)
// and a count that made the encoder pad a text to gigabytes.
TEST(ScenarioFindings, LinesWithoutBoundsAreRefused) {
  int errors = 0;
  scenario::ScenarioRunner runner([&errors](const scenario::Json& e) { errors += e.value("event", "") == "error"; },
                                  ZOLIN6_ASSETS_DIR);
  int number = 0;
  for (const char* line : {"advance 9223372036854775807", "advance 86400001", "call PackAscii A 2000000000",
                           "call AsciiToHex A 100000000", "driver sim", "init", "sim latency 9223372036854775000"}) {
    (void)runner.RunLine(++number, line);
  }
  EXPECT_EQ(errors, 5);
  EXPECT_TRUE(runner.RunLine(++number, "advance 86400000"));
}

}  // namespace
}  // namespace zolin6
