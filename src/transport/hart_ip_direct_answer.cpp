#include "transport/hart_ip_direct_answer.h"

#include <optional>
#include <utility>

#include "hart/frame.h"
#include "hart/hart_ip.h"
#include "hart/status.h"

namespace zolin6::transport {

namespace ip = hart::ip;

namespace {

// The device reports no extended device status: 0 in commands 0, 9 and 48 alike.
constexpr std::uint8_t kExtendedStatus = 0;
constexpr std::size_t kMaxBody = ip::kMaxMessageSize - ip::kHeaderSize;
// Number, byte count and response code: a command's answer without data.
constexpr std::size_t kBareAnswer = ip::kDirectCommandHeaderSize + 1;

// The number goes to the device whole, as a long frame's command 31 hands
// it over; a 31 asked here is command 31 itself.
std::optional<device::Reply> Ask(device::ServedDevice& device, const ip::DirectCommand& asked, toolkit::Millis now) {
  hart::Frame request;
  request.type = hart::FrameType::Request;
  request.address = device.uniqueAddress();
  request.address.primaryMaster = true;
  request.command = asked.command;
  request.data = asked.data;
  return device.Answer(request, now);
}

}  // namespace

ip::DirectPdu AnswerDirectPdu(device::ServedDevice& device, const ip::DirectPdu& request, toolkit::Millis now) {
  ip::DirectPdu answer{0, kExtendedStatus, {}};
  // The device reports a cold start once: whichever command heard it, the PDU tells it.
  std::uint8_t coldStart = 0;
  std::size_t used = ip::kDirectStatusSize;
  for (const ip::DirectCommand& asked : request.commands) {
    if (kMaxBody - used < kBareAnswer) break;
    // A technician expects every command answered: silence answers 64.
    ip::DirectCommand& told =
        answer.commands.emplace_back(ip::DirectCommand{asked.command, hart::response_code::kCommandNotImplemented, {}});
    if (std::optional<device::Reply> reply = Ask(device, asked, now)) {
      told.responseCode = reply->status.first;
      told.data = std::move(reply->data);
      answer.deviceStatus = reply->status.deviceStatus;
      coldStart |= reply->status.deviceStatus & hart::device_status::kColdStart;
    }
    used += kBareAnswer;
    const std::size_t room = kMaxBody - used;
    if (told.data.size() > room) {
      told.data.resize(room);
      told.responseCode = hart::response_code::kResponseTruncated;
      break;
    }
    used += told.data.size();
  }
  answer.deviceStatus |= coldStart;
  return answer;
}

Result<hart::Bytes> AnswerDirectPduBody(device::ServedDevice& device, hart::ByteView requestBody, toolkit::Millis now) {
  Result<ip::DirectPdu> request = ip::DecodeDirectRequest(requestBody);
  if (!request) return request.error();
  return ip::EncodeDirectResponse(AnswerDirectPdu(device, *request, now));
}

}  // namespace zolin6::transport
