#pragma once
// One frame as a traffic log shows it: when it crossed the line, which way,
// every byte (preambles included), and what it says, decoded once. The
// scenario runner's `trace`, the window's traffic view and `--trace FILE`
// all print these.

#include <cstdint>
#include <optional>
#include <string>

#include "hart/bytes.h"
#include "hart/link_timing.h"

namespace zolin6::hart {

enum class TraceDirection : std::uint8_t { Sent, Received };

struct TracedFrame {
  Millis at{0};
  TraceDirection direction = TraceDirection::Sent;
  Bytes line;                                // as on the wire
  std::optional<std::uint16_t> command;      // none when the frame does not decode
  std::optional<std::uint8_t> responseCode;  // replies only
  std::optional<std::uint8_t> deviceStatus;  // replies only
  const char* problem = nullptr;             // why it does not decode
};

TracedFrame TraceFrame(TraceDirection direction, Millis at, ByteView line);

// "tx"/"rx", as the traces print them.
const char* DirectionCode(TraceDirection direction);
// Upper-case hex digits, with a space between bytes when asked.
std::string Hex(ByteView bytes, bool spaced = false);
// One line of a trace file or the traffic view, e.g.
// "12.345 tx FF FF 82 ... | cmd 3" or "12.650 rx ... | cmd 3 rc 0 status 0x40".
std::string FormatTraceLine(const TracedFrame& frame);

}  // namespace zolin6::hart
