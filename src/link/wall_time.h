#pragma once
// The wall-clock time of a moment of the control's clock. The control's
// clock counts milliseconds from the program's start; the desktop event loop
// keeps it in step with real time, so one offset, taken at start, turns it
// into the time of day. Tests fix the offset and advance the clock by hand.

#include <cstdint>

#include "platform/toolkit/clock.h"

namespace zolin6::link {

class WallTime {
 public:
  // `epochAtZero`: milliseconds since 1970-01-01 UTC at the clock's 0.
  WallTime(const toolkit::Clock& clock, std::int64_t epochAtZero) : clock_(clock), epochAtZero_(epochAtZero) {}

  // Milliseconds since 1970-01-01 UTC, now and at a moment of the clock.
  std::int64_t now() const { return at(clock_.now()); }
  std::int64_t at(toolkit::Millis moment) const { return epochAtZero_ + moment; }

  const toolkit::Clock& clock() const { return clock_; }

 private:
  const toolkit::Clock& clock_;
  std::int64_t epochAtZero_;
};

}  // namespace zolin6::link
