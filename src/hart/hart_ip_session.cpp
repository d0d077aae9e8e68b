#include "hart/hart_ip_session.h"

#include <algorithm>

namespace zolin6::hart::ip {

namespace {

// Requests of version 2's own, answered to whoever asked.
bool IsAsked(MessageId id) { return id == MessageId::DirectPdu || id == MessageId::ReadAuditLog; }

// The device's answer to a pass-through: the HART reply for the master, or
// what the device said instead of carrying the request.
SessionStep PassThroughAnswer(const Message& message) {
  SessionStep step;
  if (!IsSuccess(message.header.status)) {
    step.notice = "the device did not carry the request: " + StatusText(message.header.status);
  } else if (!message.body.empty()) {
    step.reply = message.body;
  }
  return step;
}

// Why a session initiate answered with status 14 goes no further: the
// device runs another version than ours, and a secure client never falls
// back to plain text.
std::string VersionRefusal(std::uint8_t ours, std::uint8_t theirs) {
  if (theirs > ours) {
    return "the device accepts only secure HART-IP (version " + std::to_string(theirs) +
           "): connect with version 2 and a key file";
  }
  return "the device speaks only HART-IP version " + std::to_string(theirs) +
         ", without security: no secure session, and no fall-back to plain text";
}

}  // namespace

ClientSession::ClientSession(Framing framing, std::uint32_t askedInactivityMs, std::uint8_t version)
    : framing_(framing), asked_(askedInactivityMs), version_(version) {}

SessionStep ClientSession::open(Millis now) {
  if (state_ != SessionState::Closed) return {};
  state_ = SessionState::Initiating;
  granted_ = 0;
  lastUnanswered_ = false;
  lastHeard_ = now;
  SessionStep step = send(MessageId::SessionInitiate, EncodeSessionInitiate({kPrimaryMaster, asked_}), now);
  step.changed = true;
  step.reason = "opening a session";
  return step;
}

SessionStep ClientSession::submit(ByteView frame, Millis now) {
  waiting_ = Bytes(frame.begin(), frame.end());
  // The master has moved on: an older request's answer is not for it now.
  latestPassThrough_.reset();
  if (state_ != SessionState::Open) return {};
  // The master resends: it has given up on the request under way.
  if (inFlight_ && inFlight_->id == MessageId::PassThrough) abandonRequest();
  if (inFlight_) return {};
  if (lastUnanswered_ && framing_ == Framing::Datagram) {
    // UDP cannot tell a silent device from a device that forgot the
    // session: a keep-alive finds out before the frame goes again.
    return send(MessageId::KeepAlive, {}, now);
  }
  return sendWaiting(now);
}

SessionStep ClientSession::sendWaiting(Millis now) {
  if (!waiting_ || state_ != SessionState::Open || inFlight_) return {};
  Bytes frame = std::move(*waiting_);
  waiting_.reset();
  return send(MessageId::PassThrough, std::move(frame), now);
}

SessionStep ClientSession::send(MessageId id, Bytes body, Millis now) {
  const std::uint16_t sequence = nextSequence_++;
  Message request = MakeMessage(MessageType::Request, id, sequence, std::move(body));
  request.header.version = version_;
  Bytes message = EncodeMessage(request);
  if (id == MessageId::PassThrough) latestPassThrough_ = sequence;
  SessionStep step;
  step.transmit = message;
  inFlight_ = InFlight{id, sequence, now, 1, std::move(message)};
  return step;
}

bool ClientSession::canAsk() const { return state_ == SessionState::Open && !inFlight_ && version_ >= kSecureVersion; }

SessionStep ClientSession::ask(MessageId id, Bytes body, Millis now) {
  if (!canAsk() || !IsAsked(id)) {
    SessionStep refused;
    refused.answerLost = true;
    return refused;
  }
  return send(id, std::move(body), now);
}

void ClientSession::abandonRequest() {
  abandoned_.push_back(inFlight_->sequence);
  if (abandoned_.size() > kAbandonedKept) abandoned_.pop_front();
  lastUnanswered_ = true;
  inFlight_.reset();
}

bool ClientSession::wasAbandoned(std::uint16_t sequence) const {
  return std::find(abandoned_.begin(), abandoned_.end(), sequence) != abandoned_.end();
}

SessionStep ClientSession::end(std::string reason) {
  const bool askedUnderWay = inFlight_ && IsAsked(inFlight_->id);
  state_ = SessionState::Closed;
  inFlight_.reset();
  // A frame that waited goes with the session: the master resends it, and
  // that opens the next session, so a refusing device is not hammered.
  waiting_.reset();
  abandoned_.clear();
  latestPassThrough_.reset();
  granted_ = 0;
  SessionStep step;
  step.changed = true;
  step.reason = std::move(reason);
  step.answerLost = askedUnderWay;
  return step;
}

SessionStep ClientSession::receive(const Message& message, Millis now) {
  if (state_ == SessionState::Closed) return {};
  lastHeard_ = now;
  // Published burst data goes to the master as the frame it carries; its
  // number is the device's own count, unrelated to ours.
  if (message.header.type == MessageType::Publish) {
    SessionStep step;
    const bool frame = message.header.id == MessageId::PassThrough && !message.body.empty();
    if (state_ == SessionState::Open && frame) step.reply = message.body;
    return step;
  }
  if (!inFlight_ || message.header.sequence != inFlight_->sequence) return onUnawaited(message);
  // The initiate's answer may name another version: onInitiated says why that ends it.
  if (message.header.version != version_ && inFlight_->id != MessageId::SessionInitiate) {
    return end("protocol error: an answer in HART-IP version " + std::to_string(message.header.version));
  }
  if (message.header.type == MessageType::Nak) {
    return end("the device refused the request (NAK): " + StatusText(message.header.status));
  }
  if (message.header.type != MessageType::Response || message.header.id != inFlight_->id) {
    return end("protocol error: the response does not match its request");
  }
  return onResponse(message, now);
}

SessionStep ClientSession::onUnawaited(const Message& message) {
  const std::uint16_t sequence = message.header.sequence;
  if (wasAbandoned(sequence)) {
    // Late, but the master still waits for it while it has sent nothing newer.
    const bool passThrough =
        message.header.type == MessageType::Response && message.header.id == MessageId::PassThrough;
    if (passThrough && sequence == latestPassThrough_) {
      latestPassThrough_.reset();
      return PassThroughAnswer(message);
    }
    return {};
  }
  // A datagram answering an earlier try, or nothing of ours.
  if (framing_ == Framing::Datagram) return {};
  return end("protocol error: a response with sequence number " + std::to_string(sequence) + " answers no request");
}

SessionStep ClientSession::onResponse(const Message& message, Millis now) {
  const InFlight request = std::move(*inFlight_);
  inFlight_.reset();
  switch (request.id) {
    case MessageId::SessionInitiate: return onInitiated(message, request.tries, now);
    case MessageId::SessionClose: return end("closed");
    case MessageId::KeepAlive: {
      lastUnanswered_ = false;
      SessionStep step = sendWaiting(now);
      if (!IsSuccess(message.header.status))
        step.notice = "keep-alive answered with " + StatusText(message.header.status);
      return step;
    }
    case MessageId::PassThrough:
      lastUnanswered_ = false;
      latestPassThrough_.reset();
      return PassThroughAnswer(message);
    case MessageId::DirectPdu:
    case MessageId::ReadAuditLog: {
      lastUnanswered_ = false;
      SessionStep step = sendWaiting(now);
      if (IsSuccess(message.header.status)) {
        step.answer = message.body;
      } else {
        step.answerLost = true;
        step.notice = "the device did not answer the request: " + StatusText(message.header.status);
      }
      return step;
    }
  }
  return {};
}

SessionStep ClientSession::onInitiated(const Message& message, int tries, Millis now) {
  const std::uint8_t code = message.header.status;
  // Over UDP our first initiate may have opened the session and only its
  // answer was lost: the device then says the session exists, and it is ours.
  const bool ours = framing_ == Framing::Datagram && tries > 1 && code == status::kSessionExists;
  if (message.header.version != version_) {
    // The device may have opened the session in its own version: it is
    // closed in that version, without waiting.
    Message close = MakeMessage(MessageType::Request, MessageId::SessionClose, nextSequence_++);
    close.header.version = message.header.version;
    SessionStep ended = end("the device refused the session: " + StatusText(code) + "; " +
                            VersionRefusal(version_, message.header.version));
    ended.transmit = EncodeMessage(close);
    return ended;
  }
  if (!IsSuccess(code) && !ours) return end("the device refused the session: " + StatusText(code));
  Result<SessionInitiate> granted = DecodeSessionInitiate(message.body);
  if (!granted && !ours) return end("protocol error in the session initiate response: " + granted.error().message);
  granted_ = granted ? granted->inactivityMs : asked_;
  if (version_ < kSecureVersion) return opened(now);
  state_ = SessionState::Securing;
  securingSince_ = now;
  SessionStep step;
  step.changed = true;
  step.reason = "agreeing on TLS";
  step.startSecurity = true;
  return step;
}

SessionStep ClientSession::secured(Millis now) {
  if (state_ != SessionState::Securing) return {};
  lastHeard_ = now;
  return opened(now);
}

SessionStep ClientSession::opened(Millis now) {
  state_ = SessionState::Open;
  SessionStep step = sendWaiting(now);
  step.changed = true;
  step.reason = "connected, inactivity timer " + std::to_string(granted_) + " ms";
  if (granted_ != asked_) step.reason += " (asked " + std::to_string(asked_) + " ms)";
  return step;
}

Millis ClientSession::deadline(const InFlight& request) const {
  if (request.id == MessageId::PassThrough || IsAsked(request.id)) {
    Millis limit = kPassThroughGiveUp;
    if (granted_ != 0) limit = std::min(limit, Millis{granted_ / 2});
    return request.sentAt + limit;
  }
  if (framing_ == Framing::Datagram) return request.sentAt + kControlTryTimeout;
  return request.sentAt + kControlTryTimeout * kControlTries;
}

Millis ClientSession::idleProbe() const {
  // A granted timer of 0 never closes the session; the probe still runs.
  if (granted_ == 0) return kIdleProbe;
  return std::min(kIdleProbe, Millis{granted_ / 2});
}

std::optional<Millis> ClientSession::wakeAt() const {
  if (inFlight_) return deadline(*inFlight_);
  if (state_ == SessionState::Open) return lastHeard_ + idleProbe();
  if (state_ == SessionState::Securing) return securingSince_ + kSecuringTimeout;
  return std::nullopt;
}

SessionStep ClientSession::poll(Millis now) {
  const std::optional<Millis> due = wakeAt();
  if (!due || now < *due) return {};
  if (state_ == SessionState::Securing) {
    return end("the TLS handshake did not finish: a wrong key, or the device stopped answering");
  }
  if (!inFlight_) return send(MessageId::KeepAlive, {}, now);
  return onTimeout(now);
}

SessionStep ClientSession::onTimeout(Millis now) {
  InFlight& request = *inFlight_;
  if (request.id == MessageId::PassThrough || IsAsked(request.id)) {
    const bool asked = IsAsked(request.id);
    abandonRequest();
    SessionStep step = send(MessageId::KeepAlive, {}, now);
    step.answerLost = asked;
    return step;
  }
  if (framing_ == Framing::Datagram && request.tries < kControlTries) {
    ++request.tries;
    request.sentAt = now;
    SessionStep step;
    step.transmit = request.message;
    return step;
  }
  switch (request.id) {
    case MessageId::SessionInitiate: return end("unreachable: the device does not answer the session initiate");
    case MessageId::KeepAlive: return end("lost: the device does not answer the keep-alive");
    case MessageId::SessionClose: return end("closed");
    case MessageId::PassThrough:
    case MessageId::DirectPdu:
    case MessageId::ReadAuditLog: break;
  }
  return {};
}

SessionStep ClientSession::close(Millis now) {
  if (state_ == SessionState::Closing) return {};
  if (state_ != SessionState::Open) return end("closed");
  const bool askedUnderWay = inFlight_ && IsAsked(inFlight_->id);
  SessionStep sent = send(MessageId::SessionClose, {}, now);
  sent.answerLost = askedUnderWay;
  if (framing_ == Framing::Stream) {
    SessionStep ended = end("closed");
    ended.transmit = std::move(sent.transmit);
    ended.answerLost = askedUnderWay;
    return ended;
  }
  state_ = SessionState::Closing;
  waiting_.reset();
  abandoned_.clear();
  latestPassThrough_.reset();
  sent.changed = true;
  sent.reason = "closed";
  return sent;
}

SessionStep ClientSession::lost(const std::string& reason) {
  if (state_ == SessionState::Closed) return {};
  return end(reason);
}

}  // namespace zolin6::hart::ip
