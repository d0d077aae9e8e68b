#pragma once
// The body of a HART-IP direct PDU (version 2): several commands to one
// device in one message, without HART frames. The body holds the field
// device status and extended device status, then each command as its
// 16-bit number, a byte count and its data. In a response each command's
// data starts with its response code, which the byte count counts.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hart/bytes.h"
#include "platform/result.h"

namespace zolin6::hart::ip {

// Device status and extended device status, ahead of the commands.
inline constexpr std::size_t kDirectStatusSize = 2;
// Command number and byte count, ahead of each command's data.
inline constexpr std::size_t kDirectCommandHeaderSize = 3;

struct DirectCommand {
  std::uint16_t command = 0;
  std::uint8_t responseCode = 0;  // responses only
  Bytes data;                     // the request's data, or the reply's after the response code
};

struct DirectPdu {
  std::uint8_t deviceStatus = 0;    // responses: the field device status
  std::uint8_t extendedStatus = 0;  // responses: the extended device status
  std::vector<DirectCommand> commands;
};

// Fail on an empty command list, data longer than its byte count can say,
// or a body that makes the message longer than kMaxMessageSize.
Result<Bytes> EncodeDirectRequest(const DirectPdu& pdu);
Result<Bytes> EncodeDirectResponse(const DirectPdu& pdu);
// Fail on a body without its status bytes or commands, a command cut short
// or whose byte count reaches past the body; a response also on a command
// without its response code.
Result<DirectPdu> DecodeDirectRequest(ByteView body);
Result<DirectPdu> DecodeDirectResponse(ByteView body);

}  // namespace zolin6::hart::ip
