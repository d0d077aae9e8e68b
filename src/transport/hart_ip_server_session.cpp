#include "transport/hart_ip_server_session.h"

#include <algorithm>

namespace zolin6::transport {

namespace ip = hart::ip;

namespace {

// Delimiter, address, command, byte count and check byte: no frame is shorter.
constexpr std::size_t kShortestFrame = 5;

ServerAnswer Reply(const ip::Message& request, hart::Bytes body = {}, std::uint8_t code = ip::status::kSuccess) {
  ServerAnswer answer;
  answer.reply =
      ip::MakeMessage(ip::MessageType::Response, request.header.id, request.header.sequence, std::move(body), code);
  return answer;
}

ServerAnswer End(std::string why, std::optional<ip::Message> reply = std::nullopt) {
  ServerAnswer answer;
  answer.reply = std::move(reply);
  answer.endSession = true;
  answer.why = std::move(why);
  return answer;
}

}  // namespace

ServerAnswer ServerSession::handle(const ip::Message& request, toolkit::Millis now, bool full) {
  if (request.header.type != ip::MessageType::Request) return End("a message that is not a request");
  if (request.header.status != ip::status::kSuccess) return End("a request with a status");
  if (request.header.id == ip::MessageId::SessionInitiate) return initiate(request, full);
  if (!initiated_) return End("a request before the session initiate");
  switch (request.header.id) {
    case ip::MessageId::KeepAlive:
      if (!request.body.empty()) return End("a keep-alive with a body");
      return Reply(request);
    case ip::MessageId::SessionClose:
      // A close with a body is an abort: no answer.
      if (!request.body.empty()) return End("the client aborted the session");
      return End("the client closed the session", Reply(request).reply);
    case ip::MessageId::PassThrough: return passThrough(request, now);
    case ip::MessageId::SessionInitiate: break;
  }
  return End("an unknown request");
}

ServerAnswer ServerSession::initiate(const ip::Message& request, bool full) {
  if (initiated_) return Reply(request, {}, ip::status::kSessionExists);
  Result<ip::SessionInitiate> asked = ip::DecodeSessionInitiate(request.body);
  if (!asked) return End(asked.error().message, Reply(request, {}, ip::status::kTooFewDataBytes).reply);
  if (asked->masterType != ip::kPrimaryMaster) {
    return End("a session for a master that is not primary", Reply(request, {}, ip::status::kInvalidMasterType).reply);
  }
  if (full) return End("all sessions in use", Reply(request, {}, ip::status::kAllSessionsInUse).reply);
  std::uint8_t code = ip::status::kSuccess;
  inactivityMs_ = asked->inactivityMs;
  if (inactivityMs_ < kMinInactivityMs) {
    inactivityMs_ = kDefaultInactivityMs;
    code = ip::status::kSetToNearest;
  } else if (inactivityMs_ > kMaxInactivityMs) {
    inactivityMs_ = kMaxInactivityMs;
    code = ip::status::kSetToNearest;
  }
  initiated_ = true;
  return Reply(request, ip::EncodeSessionInitiate({ip::kPrimaryMaster, inactivityMs_}), code);
}

ServerAnswer ServerSession::passThrough(const ip::Message& request, toolkit::Millis now) {
  if (request.body.size() < kShortestFrame) return End("a pass-through shorter than a HART frame");
  hart::Bytes frame = device_.Receive(request.body, now);
  // A silent device: no answer, and the client's master times out.
  if (frame.empty()) return {};
  return Reply(request, std::move(frame));
}

}  // namespace zolin6::transport
