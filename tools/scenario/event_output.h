#pragma once
// The one way an event becomes a line of output, for the headless runner and
// the window's script alike.

#include <string>

#include "describe.h"

namespace zolin6::scenario {

// The event as one line of compact JSON. A text that is not UTF-8 (a
// scenario line saved in Latin-1, a device text with an 8-bit code) shows
// U+FFFD for each byte that does not fit, as a text viewer would, instead
// of ending the run.
std::string EventLine(const Json& event);

}  // namespace zolin6::scenario
