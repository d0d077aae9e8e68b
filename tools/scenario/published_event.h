#pragma once
// What a device in burst mode published, as the runner prints it:
// {"event":"published","at":MS,"command":N,"master":"primary"|"secondary",
//  "status":N,"values":{FIELD:VALUE,...}}: the fields of the command's
// reply by name, a repeated field as a list; a frame that does not decode
// has "bytes":"HEX" in place of its values.

#include <nlohmann/json.hpp>

#include "hart/bytes.h"
#include "platform/toolkit/clock.h"

namespace zolin6::scenario {

nlohmann::ordered_json PublishedEvent(toolkit::Millis at, hart::ByteView line);

}  // namespace zolin6::scenario
