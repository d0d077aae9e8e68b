#pragma once
// The device keeps its own time, counted in ms from whatever moment its
// owner chooses: a test's manual clock, the server's monotonic clock.

#include <cstdint>

namespace zolin6::device {

using Millis = std::int64_t;

}  // namespace zolin6::device
