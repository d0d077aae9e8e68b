#include "frame_event.h"

#include <algorithm>

#include "hart/frame.h"

namespace zolin6::scenario {

namespace {

constexpr std::uint8_t kPreamble = 0xFF;

std::string Hex(hart::ByteView bytes) {
  static constexpr const char* kDigits = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4U];
    text += kDigits[byte & 0x0FU];
  }
  return text;
}

}  // namespace

nlohmann::ordered_json FrameEvent(device::FrameDirection direction, toolkit::Millis at, hart::ByteView line) {
  const bool reply = direction == device::FrameDirection::Reply;
  nlohmann::ordered_json event = {
      {"event", "frame"}, {"at", at}, {"direction", reply ? "reply" : "request"}, {"hex", Hex(line)}};
  const auto start = std::find_if(line.begin(), line.end(), [](std::uint8_t b) { return b != kPreamble; });
  const hart::DecodeResult decoded = hart::DecodeFrame(line.subspan(static_cast<std::size_t>(start - line.begin())));
  if (!decoded) return event;
  event["command"] = decoded.frame.command;
  if (reply) event["response"] = decoded.frame.status.responseCode();
  return event;
}

}  // namespace zolin6::scenario
