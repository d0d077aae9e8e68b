#include "frame_event.h"

namespace zolin6::scenario {

nlohmann::ordered_json FrameEvent(const hart::TracedFrame& frame) {
  nlohmann::ordered_json event = {{"event", "frame"},
                                  {"at", frame.at.count()},
                                  {"dir", hart::DirectionCode(frame.direction)},
                                  {"bytes", hart::Hex(frame.line)}};
  if (frame.command) event["command"] = *frame.command;
  if (frame.responseCode) event["responseCode"] = *frame.responseCode;
  return event;
}

}  // namespace zolin6::scenario
