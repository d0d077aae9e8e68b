#include "transport/hart_ip_server_session.h"

#include <algorithm>
#include <string>

#include "hart/encoding.h"
#include "hart/frame.h"
#include "transport/hart_ip_direct_answer.h"

namespace zolin6::transport {

namespace ip = hart::ip;

namespace {

// Delimiter, address, command, byte count and check byte: no frame is shorter.
constexpr std::size_t kShortestFrame = 5;
// The response codes of command 533.
constexpr std::uint8_t kInvalidSelection = 2;  // another device than this one
constexpr std::uint8_t kTooFewDataBytes = 5;
constexpr std::size_t kSubscriptionSize = hart::kUniqueAddressSize + 2;

ServerAnswer End(std::string why, std::optional<ip::Message> reply = std::nullopt,
                 ip::SessionEnd endedBy = ip::SessionEnd::MalformedMessage) {
  ServerAnswer answer;
  answer.reply = std::move(reply);
  answer.endSession = true;
  answer.why = std::move(why);
  answer.endedBy = endedBy;
  return answer;
}

}  // namespace

ServerAnswer ServerSession::reply(const ip::Message& request, hart::Bytes body, std::uint8_t code) const {
  ServerAnswer answer;
  answer.reply =
      ip::MakeMessage(ip::MessageType::Response, request.header.id, request.header.sequence, std::move(body), code);
  answer.reply->header.version = version_;
  return answer;
}

ServerAnswer ServerSession::handle(const ip::Message& request, toolkit::Millis now, bool full) {
  if (request.header.type != ip::MessageType::Request) return End("a message that is not a request");
  if (request.header.status != ip::status::kSuccess) return End("a request with a status");
  if (request.header.id == ip::MessageId::SessionInitiate) return initiate(request, full);
  if (!initiated_) return End("a request before the session initiate");
  if (request.header.version != version_) {
    return End("a HART-IP version " + std::to_string(request.header.version) + " message in a version " +
               std::to_string(version_) + " session");
  }
  switch (request.header.id) {
    case ip::MessageId::KeepAlive:
      if (!request.body.empty()) return End("a keep-alive with a body");
      return reply(request);
    case ip::MessageId::SessionClose:
      // A close with a body is an abort: no answer.
      if (!request.body.empty()) return End("the client aborted the session", {}, ip::SessionEnd::ClosedByClient);
      return End("the client closed the session", reply(request).reply, ip::SessionEnd::ClosedByClient);
    case ip::MessageId::PassThrough: return passThrough(request, now);
    case ip::MessageId::DirectPdu: return directPdu(request, now);
    case ip::MessageId::ReadAuditLog: return readAuditLog(request);
    case ip::MessageId::SessionInitiate: break;
  }
  return End("an unknown request");
}

ServerAnswer ServerSession::initiate(const ip::Message& request, bool full) {
  if (initiated_) {
    if (request.header.sequence == initiateSequence_ && initiateAnswer_) return {initiateAnswer_, false, {}};
    return reply(request, {}, ip::status::kSessionExists);
  }
  // The version goes first: the refusals below are answered in the version
  // the client will speak.
  const ip::VersionAgreement agreed = ip::AgreeVersion(request.header.version, security_);
  version_ = agreed.version;
  if (agreed.refused) {
    return End("a HART-IP version " + std::to_string(request.header.version) + " session refused (" +
                   ip::StatusText(agreed.status) + ")",
               reply(request, {}, agreed.status).reply, ip::SessionEnd::Refused);
  }
  Result<ip::SessionInitiate> asked = ip::DecodeSessionInitiate(request.body);
  if (!asked) return End(asked.error().message, reply(request, {}, ip::status::kTooFewDataBytes).reply);
  // Only a primary master may open a session; any other is not answered.
  if (asked->masterType != ip::kPrimaryMaster) return End("a session for a master that is not primary (status 2)");
  if (full) {
    return End("all sessions in use", reply(request, {}, ip::status::kAllSessionsInUse).reply, ip::SessionEnd::Refused);
  }
  std::uint8_t code = agreed.status;
  inactivityMs_ = asked->inactivityMs;
  if (inactivityMs_ < kMinInactivityMs || inactivityMs_ > kMaxInactivityMs) {
    inactivityMs_ = inactivityMs_ < kMinInactivityMs ? kDefaultInactivityMs : kMaxInactivityMs;
    // The version warning, when there is one, matters more to the client.
    if (code == ip::status::kSuccess) code = ip::status::kSetToNearest;
  }
  initiated_ = true;
  initiateSequence_ = request.header.sequence;
  ServerAnswer answer = reply(request, ip::EncodeSessionInitiate({ip::kPrimaryMaster, inactivityMs_}), code);
  initiateAnswer_ = answer.reply;
  answer.startSecurity = secure();
  return answer;
}

ServerAnswer ServerSession::passThrough(const ip::Message& request, toolkit::Millis now) {
  if (request.body.size() < kShortestFrame) return End("a pass-through shorter than a HART frame");
  const hart::DecodeResult decoded = hart::DecodeFrame(request.body);
  if (decoded && decoded.frame.type == hart::FrameType::Request && decoded.frame.command == ip::kSubscribeCommand) {
    return subscribe(request, decoded.frame);
  }
  hart::Bytes frame = device_.Receive(request.body, now);
  // A silent device: no answer, and the client's master times out.
  if (frame.empty()) return {};
  return reply(request, std::move(frame));
}

// Several commands in one message, without frames: version 2 only.
ServerAnswer ServerSession::directPdu(const ip::Message& request, toolkit::Millis now) {
  if (!secure()) return End("a direct PDU in a version 1 session");
  Result<hart::Bytes> answer = AnswerDirectPduBody(device_, request.body, now);
  if (!answer) return End("a malformed direct PDU: " + answer.error().message);
  return reply(request, std::move(answer).value());
}

// Who used the server and how: for the eyes of a secure session only.
ServerAnswer ServerSession::readAuditLog(const ip::Message& request) {
  if (!secure() || audit_ == nullptr) return End("an audit log request outside a secure session");
  const Result<ip::AuditLogRequest> asked = ip::DecodeAuditLogRequest(request.body);
  if (!asked) return End("a malformed audit log request: " + asked.error().message);
  Result<hart::Bytes> log = ip::EncodeAuditLog(audit_->read(asked->startRecord, asked->count));
  if (!log) return End("the audit log cannot be sent: " + log.error().message);
  return reply(request, std::move(log).value());
}

// The answer comes from the server, not the device: the primary master's
// bit set and the burst bit clear, as gateways build their own answers.
ServerAnswer ServerSession::subscribe(const ip::Message& request, const hart::Frame& frame) {
  const bool forUs = frame.address.isLong && (frame.address.sameDevice(device_.uniqueAddress()) ||
                                              frame.address.sameDevice(hart::Address::Unique({})));
  if (!forUs) return {};  // a frame for another device: nobody answers
  const std::uint8_t code = takeSubscription(frame.data);
  hart::Frame answer{hart::FrameType::Reply, frame.address, 0, {}, frame.command, {code, 0}, {}};
  answer.address.primaryMaster = true;
  answer.address.burstMode = false;
  if (code == 0) answer.data = frame.data.first(kSubscriptionSize);
  hart::Bytes bytes;
  if (!hart::EncodeFrame(answer, 0, bytes)) return {};
  return reply(request, std::move(bytes));
}

// Data: the device's unique address (all zero: every device) and the flags.
std::uint8_t ServerSession::takeSubscription(hart::ByteView data) {
  if (data.size() < kSubscriptionSize) return kTooFewDataBytes;
  const hart::ByteView wanted = data.first(hart::kUniqueAddressSize);
  const bool anyDevice = std::ranges::all_of(wanted, [](std::uint8_t b) { return b == 0; });
  const hart::Address named = hart::Address::Unique({wanted[0], wanted[1], wanted[2], wanted[3], wanted[4]});
  if (!anyDevice && !named.sameDevice(device_.uniqueAddress())) return kInvalidSelection;
  subscribed_ = (hart::ReadUnsigned(data.subspan(hart::kUniqueAddressSize), 2) & ip::kSubscribeProcessData) != 0;
  return 0;
}

std::optional<ip::Message> ServerSession::publish(hart::ByteView burstFrame) {
  if (!initiated_ || !subscribed_) return std::nullopt;
  ++publishSequence_;
  ip::Message message = ip::MakeMessage(ip::MessageType::Publish, ip::MessageId::PassThrough, publishSequence_,
                                        hart::Bytes(burstFrame.begin(), burstFrame.end()));
  message.header.version = version_;
  return message;
}

}  // namespace zolin6::transport
