// Differences said in words: a unit change with the range numbers kept is a
// range that now means another temperature; the same temperature in another
// unit is no range change; codes appear as their texts.

#include <gtest/gtest.h>

#include "configuration/change_text.h"
#include "configuration/compare.h"

namespace zolin6::configuration {
namespace {

constexpr std::int64_t kCelsius = 32;
constexpr std::int64_t kFahrenheit = 33;
constexpr std::int64_t kMillivolts = 36;

Configuration Channel3(std::int64_t unit, double lower, double upper) {
  Configuration c;
  c.values["channel 3.unit"] = unit;
  c.values["channel 3.lower range value"] = lower;
  c.values["channel 3.upper range value"] = upper;
  return c;
}

struct UnitCase {
  const char* what;
  Configuration before;
  Configuration after;
  std::vector<std::string> differing;  // keys marked, in catalogue order
  std::string said;                    // the one line DescribeChanges gives
};

class ChangeTextTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(ChangeTextTest, MarksAndSaysWhatChanged) {
  const UnitCase& c = GetParam();
  const Comparison comparison = Compare(c.before, c.after);
  std::vector<std::string> keys;
  for (const Difference& d : comparison.differences) keys.push_back(d.key);
  EXPECT_EQ(keys, c.differing) << c.what;
  EXPECT_EQ(DescribeChanges(comparison, c.before, c.after), std::vector<std::string>{c.said}) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Units, ChangeTextTest,
    ::testing::Values(UnitCase{"same numbers, new unit: the range means another temperature",
                               Channel3(kCelsius, 0, 600),
                               Channel3(kFahrenheit, 0, 600),
                               {"channel 3.unit", "channel 3.upper range value", "channel 3.lower range value"},
                               "channel 3: unit °C → °F; the range 0–600 now means 0–600 °F"},
                      UnitCase{"the same temperatures in another unit: only the unit changes",
                               Channel3(kCelsius, 0, 100),
                               Channel3(kFahrenheit, 32, 212),
                               {"channel 3.unit"},
                               "channel 3: unit °C → °F"},
                      UnitCase{"a range change in one unit is said from and to",
                               Channel3(kCelsius, 0, 600),
                               Channel3(kCelsius, 0, 500),
                               {"channel 3.upper range value"},
                               "channel 3: range 0–600 °C → 0–500 °C"},
                      UnitCase{"a unit of another kind is never converted",
                               Channel3(kCelsius, 0, 600),
                               Channel3(kMillivolts, 0, 600),
                               {"channel 3.unit", "channel 3.upper range value", "channel 3.lower range value"},
                               "channel 3: unit °C → mV; the range 0–600 now means 0–600 mV"}));

TEST(ChangeTextTest, CountsAreSaidTheSameEverywhere) {
  EXPECT_EQ(DifferenceCount(0), "No differences");
  EXPECT_EQ(DifferenceCount(1), "1 difference");
  EXPECT_EQ(DifferenceCount(2), "2 differences");
}

TEST(ChangeTextTest, AValueMissingOnOneSideIsSaidAsNone) {
  Configuration before = Channel3(kCelsius, 0, 600);
  Configuration after = before;
  after.values.erase("channel 3.upper range value");
  const Comparison comparison = Compare(before, after);
  EXPECT_EQ(DescribeChanges(comparison, before, after),
            std::vector<std::string>{"channel 3: range 0–600 °C → 0–(none) °C"});
  EXPECT_EQ(ShownOrNone("channel 3.upper range value", after), "(none)");
}

}  // namespace
}  // namespace zolin6::configuration
