#include "desktop/time_ticks.h"

#include <algorithm>
#include <array>

namespace zolin6::desktop {

namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::array<std::int64_t, 17> kSteps{kSecond,      2 * kSecond,  5 * kSecond, 10 * kSecond, 15 * kSecond,
                                              30 * kSecond, kMinute,      2 * kMinute, 5 * kMinute,  10 * kMinute,
                                              15 * kMinute, 30 * kMinute, kHour,       2 * kHour,    3 * kHour,
                                              6 * kHour,    12 * kHour};

std::int64_t FloorTo(std::int64_t value, std::int64_t step) {
  const std::int64_t rest = ((value % step) + step) % step;
  return value - rest;
}

}  // namespace

TimeTicks RoundTimeTicks(std::int64_t from, std::int64_t to, std::int64_t utcOffset, int most) {
  to = std::max(to, from + 1);
  std::int64_t step = kSteps.back();
  std::int64_t first = 0;
  std::int64_t last = 0;
  for (std::int64_t candidate : kSteps) {
    first = FloorTo(from + utcOffset, candidate);
    last = FloorTo(to + utcOffset + candidate - 1, candidate);
    if ((last - first) / candidate <= most) {
      step = candidate;
      break;
    }
  }
  first = FloorTo(from + utcOffset, step);
  last = FloorTo(to + utcOffset + step - 1, step);
  return {first - utcOffset, last - utcOffset, step, static_cast<int>((last - first) / step) + 1, step < kMinute};
}

}  // namespace zolin6::desktop
