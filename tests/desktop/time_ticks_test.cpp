// The trend's time axis: the fewest round steps that show the span, edges
// on whole steps of local time, also in a time zone half an hour off.

#include <gtest/gtest.h>

#include "desktop/time_ticks.h"

namespace zolin6::desktop {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;

struct TickCase {
  const char* what;
  std::int64_t from, to, utcOffset;
  TimeTicks expected;
};

class TimeTicksTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(TimeTicksTest, StepsAreRoundAndCoverTheSpan) {
  const TickCase& c = GetParam();
  const TimeTicks got = RoundTimeTicks(c.from, c.to, c.utcOffset);
  EXPECT_EQ(got.from, c.expected.from) << c.what;
  EXPECT_EQ(got.to, c.expected.to) << c.what;
  EXPECT_EQ(got.step, c.expected.step) << c.what;
  EXPECT_EQ(got.count, c.expected.count) << c.what;
  EXPECT_EQ(got.seconds, c.expected.seconds) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Spans, TimeTicksTest,
    ::testing::Values(
        // 2 s steps would need 19: 5 s is the first that fits in 8.
        TickCase{"35 s", 3500, 38500, 0, {0, 40 * kSecond, 5 * kSecond, 9, true}},
        // One minute steps would need 11; in UTC+1 the edges are whole local minutes.
        TickCase{"10 min an hour ahead", 100 * kSecond, 700 * kSecond, kHour, {0, 12 * kMinute, 2 * kMinute, 7, false}},
        // Local 03:00, 06:00, ... in a zone 5 h 30 min ahead.
        TickCase{"20 h, half an hour off",
                 0,
                 20 * kHour,
                 5 * kHour + 30 * kMinute,
                 {-2 * kHour - 30 * kMinute, 21 * kHour + 30 * kMinute, 3 * kHour, 9, false}},
        TickCase{"an empty span still has one step", 5000, 5000, 0, {5000, 6000, kSecond, 2, true}},
        TickCase{"beyond the longest step", 0, 200 * kHour, 0, {0, 204 * kHour, 12 * kHour, 18, false}}));

}  // namespace
}  // namespace zolin6::desktop
