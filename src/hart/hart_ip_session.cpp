#include "hart/hart_ip_session.h"

#include <algorithm>

namespace zolin6::hart::ip {

ClientSession::ClientSession(Framing framing, std::uint32_t askedInactivityMs)
    : framing_(framing), asked_(askedInactivityMs) {}

SessionStep ClientSession::open(Millis now) {
  if (state_ != SessionState::Closed) return {};
  state_ = SessionState::Initiating;
  granted_ = 0;
  abandoned_.reset();
  lastUnanswered_ = false;
  SessionStep step = send(MessageId::SessionInitiate, EncodeSessionInitiate({kPrimaryMaster, asked_}), now);
  step.changed = true;
  step.reason = "opening a session";
  return step;
}

SessionStep ClientSession::submit(ByteView frame, Millis now) {
  waiting_ = Bytes(frame.begin(), frame.end());
  if (state_ != SessionState::Open) return {};
  if (inFlight_ && inFlight_->id == MessageId::PassThrough) {
    // The master resends: it has given up on the request under way.
    abandoned_ = inFlight_->sequence;
    lastUnanswered_ = true;
    inFlight_.reset();
  }
  if (inFlight_) return {};
  if (lastUnanswered_ && framing_ == Framing::Datagram) {
    // UDP cannot tell a silent device from a device that forgot the
    // session: a keep-alive finds out before the frame goes again.
    lastUnanswered_ = false;
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
  inFlight_ = InFlight{id, sequence, now};
  lastSent_ = now;
  SessionStep step;
  step.transmit = EncodeMessage(MakeMessage(MessageType::Request, id, sequence, std::move(body)));
  return step;
}

SessionStep ClientSession::end(std::string reason) {
  state_ = SessionState::Closed;
  inFlight_.reset();
  // A frame that waited goes with the session: the master resends it, and
  // that opens the next session, so a refusing device is not hammered.
  waiting_.reset();
  granted_ = 0;
  SessionStep step;
  step.changed = true;
  step.reason = std::move(reason);
  return step;
}

SessionStep ClientSession::receive(const Message& message, Millis now) {
  if (state_ == SessionState::Closed) return {};
  // Published burst data is not ours to handle.
  if (message.header.type == MessageType::Publish) return {};
  const bool awaited = inFlight_ && message.header.sequence == inFlight_->sequence;
  if (!awaited) {
    if (framing_ == Framing::Datagram || message.header.sequence == abandoned_) return {};
    return end("protocol error: a response with sequence number " + std::to_string(message.header.sequence) +
               " answers no request");
  }
  if (message.header.type == MessageType::Nak) {
    return end("the device refused the request (NAK, status " + std::to_string(message.header.status) + ")");
  }
  if (message.header.type != MessageType::Response || message.header.id != inFlight_->id) {
    return end("protocol error: the response does not match its request");
  }
  return onResponse(message, now);
}

SessionStep ClientSession::onResponse(const Message& message, Millis now) {
  const MessageId id = inFlight_->id;
  inFlight_.reset();
  switch (id) {
    case MessageId::SessionInitiate: return onInitiated(message, now);
    case MessageId::SessionClose: return end("the session is closed");
    case MessageId::KeepAlive: return sendWaiting(now);
    case MessageId::PassThrough: {
      lastUnanswered_ = false;
      SessionStep step = sendWaiting(now);
      if (IsSuccess(message.header.status) && !message.body.empty()) step.reply = message.body;
      return step;
    }
  }
  return {};
}

SessionStep ClientSession::onInitiated(const Message& message, Millis now) {
  const std::uint8_t code = message.header.status;
  if (!IsSuccess(code)) return end(std::string("the device refused the session: ") + DescribeStatus(code));
  Result<SessionInitiate> granted = DecodeSessionInitiate(message.body);
  if (!granted) return end("protocol error in the session initiate response: " + granted.error().message);
  state_ = SessionState::Open;
  granted_ = granted->inactivityMs;
  SessionStep step = sendWaiting(now);
  step.changed = true;
  step.reason = "connected, inactivity timer " + std::to_string(granted_) + " ms";
  if (granted_ != asked_) step.reason += " (asked " + std::to_string(asked_) + " ms)";
  return step;
}

Millis ClientSession::giveUpAt(const InFlight& request) const {
  if (request.id != MessageId::PassThrough) return request.sentAt + kControlReplyTimeout;
  Millis limit = kPassThroughGiveUp;
  if (granted_ != 0) limit = std::min(limit, Millis{granted_ / 2});
  return request.sentAt + limit;
}

std::optional<Millis> ClientSession::wakeAt() const {
  if (inFlight_) return giveUpAt(*inFlight_);
  // A granted timer of 0 never closes the session.
  if (state_ == SessionState::Open && granted_ != 0) return lastSent_ + Millis{granted_ / 2};
  return std::nullopt;
}

SessionStep ClientSession::poll(Millis now) {
  const std::optional<Millis> due = wakeAt();
  if (!due || now < *due) return {};
  if (!inFlight_) return send(MessageId::KeepAlive, {}, now);
  switch (inFlight_->id) {
    case MessageId::SessionInitiate: return end("unreachable: the device does not answer the session initiate");
    case MessageId::KeepAlive: return end("the device does not answer the keep-alive; the session is lost");
    case MessageId::SessionClose: return end("the session is closed");
    case MessageId::PassThrough:
      abandoned_ = inFlight_->sequence;
      lastUnanswered_ = true;
      inFlight_.reset();
      return poll(now);
  }
  return {};
}

SessionStep ClientSession::close(Millis now) {
  if (state_ != SessionState::Open) return end("closed");
  SessionStep step = send(MessageId::SessionClose, {}, now);
  SessionStep ended = end("closed");
  ended.transmit = std::move(step.transmit);
  return ended;
}

SessionStep ClientSession::lost(const std::string& reason) {
  if (state_ == SessionState::Closed) return {};
  return end(reason);
}

}  // namespace zolin6::hart::ip
