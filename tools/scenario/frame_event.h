#pragma once
// The `trace on` output of `driver hart`: one event per frame that crossed
// the simulated line, so a scenario shows the HART traffic behind a page.

#include <nlohmann/json.hpp>

#include "device/in_process_link.h"
#include "hart/bytes.h"
#include "platform/toolkit/clock.h"

namespace zolin6::scenario {

// {"event":"frame","at":MS,"direction":"request"|"reply","hex":"FFFF...",
//  "command":N} with "response":N for a reply; "hex" is every byte on the
// wire, preambles included. A frame that does not decode has no command.
nlohmann::ordered_json FrameEvent(device::FrameDirection direction, toolkit::Millis at, hart::ByteView line);

}  // namespace zolin6::scenario
