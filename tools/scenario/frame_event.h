#pragma once
// The `trace on` output of the HART drivers: one event per frame that
// crossed the line, so a scenario shows the HART traffic behind a page.

#include <nlohmann/json.hpp>

#include "hart/frame_trace.h"

namespace zolin6::scenario {

// {"event":"frame","at":MS,"dir":"tx"|"rx","bytes":"FFFF...","command":N}
// with "responseCode":N for a reply; "bytes" is every byte on the wire,
// preambles included. A frame that does not decode has no command.
nlohmann::ordered_json FrameEvent(const hart::TracedFrame& frame);

}  // namespace zolin6::scenario
