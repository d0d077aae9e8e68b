#include "hart/frame_trace.h"

#include <algorithm>
#include <cstdio>

#include "hart/frame.h"

namespace zolin6::hart {

TracedFrame TraceFrame(TraceDirection direction, Millis at, ByteView line) {
  TracedFrame traced{at, direction, Bytes(line.begin(), line.end()), {}, {}, {}, nullptr};
  const auto start = std::find_if(line.begin(), line.end(), [](std::uint8_t b) { return b != kPreamble; });
  const DecodeResult decoded = DecodeFrame(line.subspan(static_cast<std::size_t>(start - line.begin())));
  if (!decoded) {
    traced.problem = decoded.description();
    return traced;
  }
  traced.command = decoded.frame.command;
  if (decoded.frame.type != FrameType::Request) {
    traced.responseCode = decoded.frame.status.responseCode();
    traced.deviceStatus = decoded.frame.status.deviceStatus;
  }
  return traced;
}

const char* DirectionCode(TraceDirection direction) { return direction == TraceDirection::Sent ? "tx" : "rx"; }

std::string Hex(ByteView bytes, bool spaced) {
  static constexpr const char* kDigits = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (const std::uint8_t byte : bytes) {
    if (spaced && !text.empty()) text += ' ';
    text += kDigits[byte >> 4U];
    text += kDigits[byte & 0x0FU];
  }
  return text;
}

std::string FormatTraceLine(const TracedFrame& frame) {
  char head[40];
  std::snprintf(head, sizeof head, "%lld.%03lld %s ", static_cast<long long>(frame.at.count() / 1000),
                static_cast<long long>(frame.at.count() % 1000), DirectionCode(frame.direction));
  std::string text = head + Hex(frame.line, true) + " |";
  if (!frame.command) return text + " " + (frame.problem != nullptr ? frame.problem : "not a frame");
  text += " cmd " + std::to_string(*frame.command);
  if (frame.responseCode) text += " rc " + std::to_string(*frame.responseCode);
  if (frame.deviceStatus) {
    char status[16];
    std::snprintf(status, sizeof status, " status 0x%02X", *frame.deviceStatus);
    text += status;
  }
  return text;
}

}  // namespace zolin6::hart
