#pragma once
// The trend's time axis at round times of day: a step from a short list of
// round steps (1 s to 12 h), the fewest ticks that still show the span, and
// the span widened to whole steps of local time so that every tick falls on
// one. No Qt: the chart only applies it.

#include <cstdint>

namespace zolin6::desktop {

struct TimeTicks {
  std::int64_t from;  // left edge, ms since 1970 UTC, on a step of local time
  std::int64_t to;    // right edge, likewise; covers the span asked for
  std::int64_t step;  // ms between two ticks
  int count;          // ticks from edge to edge, both included
  bool seconds;       // whether the labels need seconds
};

// Ticks for the span [from, to] (ms since 1970 UTC) with at most `most`
// steps between the edges, in a time zone `utcOffset` ms ahead of UTC.
TimeTicks RoundTimeTicks(std::int64_t from, std::int64_t to, std::int64_t utcOffset, int most = 8);

}  // namespace zolin6::desktop
