#include "hart/master.h"

#include <algorithm>

#include "hart/command_codec.h"

namespace zolin6::hart {

namespace {

constexpr std::uint16_t kReadUniqueIdentifier = 0;
constexpr std::uint16_t kReadAdditionalStatus = 48;

}  // namespace

const char* Describe(Outcome outcome) {
  switch (outcome) {
    case Outcome::Replied: return "replied";
    case Outcome::NoReply: return "no reply";
    case Outcome::GarbledReply: return "only garbled replies";
    case Outcome::CommunicationError: return "communication errors in every try";
    case Outcome::StillBusy: return "device still busy";
    case Outcome::NotResent: return "no reply; not resent as the device may have acted on it";
    case Outcome::NoDevice: return "no device found";
    case Outcome::InvalidRequest: return "request does not fit a frame";
  }
  return "unknown outcome";
}

Master::Master(MasterSettings settings) : settings_(settings), pollingAddress_(settings.pollingAddress) {}

std::uint32_t Master::submit(std::uint16_t command, Bytes data, Effect effect) {
  const std::uint32_t id = nextId_++;
  queue_.push_back({id, command, std::move(data), effect, Origin::Caller});
  return id;
}

std::uint32_t Master::submit(std::uint16_t command, Bytes data) {
  return submit(command, std::move(data), EffectOf(command));
}

void Master::identify() { identifyRequested_ = true; }

void Master::forgetDevice() {
  identity_.reset();
  if (linkState_ == LinkState::Online) linkState_ = LinkState::Offline;
}

Step Master::step(Millis now, ByteView received) {
  Step out;
  receive(now, received, out);
  if (phase_ == Phase::AwaitingReply && now >= deadline_) onTimeout(now, out);
  if (phase_ == Phase::WaitingToResend && now >= deadline_) send(now, out);
  if (phase_ == Phase::Idle) startNext(now, out);
  out.wakeAt = wakeAt();
  return out;
}

void Master::receive(Millis now, ByteView received, Step& step) {
  // Bytes outside a transaction belong to nobody we wait for: a reply that
  // came after we gave up, a burst, another master's traffic.
  if (received.empty() || phase_ != Phase::AwaitingReply) return;
  for (const std::uint8_t byte : received) {
    const ReceiveEvent event = receiver_.push(byte);
    if (event.kind == ReceiveKind::Error) heardGarble_ = true;
    if (event.kind != ReceiveKind::Frame || !expectsFrom(event.frame)) continue;
    onReply(now, event.frame, step);
    if (phase_ != Phase::AwaitingReply) return;
  }
  if (!replyBegun_ && receiver_.inDeviceFrame()) {
    // A reply that has begun in time gets the time of the longest frame to
    // finish; our own echo does not count.
    replyBegun_ = true;
    deadline_ = std::max(deadline_, now + WireTime(settings_.link, kMaxFrameSize));
  }
}

bool Master::expectsFrom(const Frame& frame) const {
  // A reply with the secondary master's bit answers the other master.
  // A device that does not know command 31 answers it bare, without the
  // number we asked for.
  const bool sameCommand = frame.command == current_.command ||
                           (current_.command > kLargestOneByteCommand && frame.command == kExpandedCommand);
  return frame.type == FrameType::Reply && frame.address.primaryMaster && sameCommand &&
         frame.address.sameDevice(target_);
}

void Master::onReply(Millis now, const Frame& frame, Step& step) {
  if (frame.status.communicationError()) return onCommunicationError(now, frame, step);
  if (frame.status.asksToResend()) return onResendAsked(now, frame, step);
  if (current_.origin == Origin::Identification && !onIdentified(frame)) {
    return finish(now, Outcome::GarbledReply, &frame, step);
  }
  finish(now, Outcome::Replied, &frame, step);
}

// The device refused our request as received garbled, so it did not act on
// it: resending is safe even for a command that is not repeatable. A scan
// retries here too: a device is there.
void Master::onCommunicationError(Millis now, const Frame& frame, Step& step) {
  if (retriesUsed_ >= settings_.retries) return finish(now, Outcome::CommunicationError, &frame, step);
  ++retriesUsed_;
  phase_ = Phase::WaitingToResend;
  deadline_ = now + settings_.link.quietTime;
}

// Busy means not done; a delayed response is collected by sending the same
// request again. Both are safe for any command.
void Master::onResendAsked(Millis now, const Frame& frame, Step& step) {
  if (busyResends_ >= settings_.busyResends) return finish(now, Outcome::StillBusy, &frame, step);
  ++busyResends_;
  phase_ = Phase::WaitingToResend;
  deadline_ = now + busyWait_;
  busyWait_ = std::min(busyWait_ * 2, kLongestBusyWait);
}

void Master::onTimeout(Millis now, Step& step) {
  // A request that got no reply may still have reached the device.
  if (current_.effect == Effect::Repeatable && retriesUsed_ < allowedRetries()) {
    ++retriesUsed_;
    return send(now, step);
  }
  const bool identifying = current_.origin == Origin::Identification;
  if (identifying && settings_.scanPollingAddresses && pollingAddress_ < kLargestPollingAddress) {
    ++pollingAddress_;
    target_ = Address::Polling(pollingAddress_);
    retriesUsed_ = 0;
    return send(now, step);
  }
  const Outcome outcome = current_.effect == Effect::NotRepeatable ? Outcome::NotResent
                          : heardGarble_                           ? Outcome::GarbledReply
                                                                   : Outcome::NoReply;
  finish(now, outcome, nullptr, step);
}

// The unique address is the expanded device type's 14 bits and the device
// ID; HART 5 devices put manufacturer and device type in the same bytes.
bool Master::onIdentified(const Frame& frame) {
  const Result<Record> reply = ParseReply(kReadUniqueIdentifier, frame.status, frame.data);
  if (!reply) return false;
  const std::uint32_t deviceType = reply->number("expanded device type").value();
  const std::uint32_t deviceId = reply->number("device id").value();
  Identity identity;
  identity.pollingAddress = pollingAddress_;
  identity.address = Address::Unique({static_cast<std::uint8_t>(deviceType >> 8U),
                                      static_cast<std::uint8_t>(deviceType), static_cast<std::uint8_t>(deviceId >> 16U),
                                      static_cast<std::uint8_t>(deviceId >> 8U), static_cast<std::uint8_t>(deviceId)});
  identity.requestPreambles = reply->number("request preambles").value();
  identity.identifier = *reply;
  identity_ = std::move(identity);
  linkState_ = LinkState::Online;
  return true;
}

void Master::queueMoreStatus(const Frame& reply) {
  if (!settings_.readMoreStatus || linkState_ != LinkState::Online) return;
  if (!reply.status.has(device_status::kMoreStatusAvailable) || current_.command == kReadAdditionalStatus) return;
  if (!queue_.empty() && queue_.front().origin == Origin::MoreStatus) return;
  queue_.push_front({0, kReadAdditionalStatus, {}, Effect::Repeatable, Origin::MoreStatus});
}

void Master::finish(Millis now, Outcome outcome, const Frame* reply, Step& step) {
  Completion completion{current_.id, current_.command, outcome, {}, {}, attempts_};
  if (reply != nullptr) {
    completion.status = reply->status;
    completion.data.assign(reply->data.begin(), reply->data.end());
    if (outcome == Outcome::Replied) queueMoreStatus(*reply);
  }
  step.completed.push_back(std::move(completion));
  if (current_.origin == Origin::Identification && linkState_ == LinkState::Identifying) {
    // Without a device nothing queued can be sent.
    linkState_ = LinkState::Offline;
    failQueue(step);
  }
  phase_ = Phase::Idle;
  quietUntil_ = now + settings_.link.quietTime;
}

void Master::failQueue(Step& step) {
  for (const Transaction& waiting : queue_) {
    step.completed.push_back({waiting.id, waiting.command, Outcome::NoDevice, {}, {}, 0});
  }
  queue_.clear();
}

void Master::startNext(Millis now, Step& step) {
  if (now < quietUntil_) return;
  if (linkState_ == LinkState::Offline && (identifyRequested_ || !queue_.empty())) {
    identifyRequested_ = false;
    linkState_ = LinkState::Identifying;
    pollingAddress_ = settings_.scanPollingAddresses ? 0 : settings_.pollingAddress;
    current_ = {0, kReadUniqueIdentifier, {}, Effect::Repeatable, Origin::Identification};
    target_ = Address::Polling(pollingAddress_);
  } else if (linkState_ == LinkState::Online && !queue_.empty()) {
    current_ = std::move(queue_.front());
    queue_.pop_front();
    target_ = identity_->address;
  } else {
    return;
  }
  attempts_ = 0;
  retriesUsed_ = 0;
  busyResends_ = 0;
  busyWait_ = kFirstBusyWait;
  heardGarble_ = false;
  send(now, step);
}

void Master::send(Millis now, Step& step) {
  Frame request;
  request.address = target_;
  request.command = current_.command;
  request.data = current_.data;
  Bytes bytes;
  if (!EncodeFrame(request, preambles(), bytes)) return finish(now, Outcome::InvalidRequest, nullptr, step);
  ++attempts_;
  phase_ = Phase::AwaitingReply;
  // The device's time to answer starts when our last byte has left.
  deadline_ = now + WireTime(settings_.link, bytes.size()) + settings_.link.replyTimeout;
  replyBegun_ = false;
  receiver_.reset();
  step.transmit = std::move(bytes);
}

std::size_t Master::preambles() const {
  if (settings_.link.minimumPreambles == 0) return 0;
  if (linkState_ != LinkState::Online || !identity_) return settings_.link.pollPreambles;
  return std::max(settings_.link.minimumPreambles, identity_->requestPreambles);
}

// Silence while scanning moves on to the next address.
int Master::allowedRetries() const {
  const bool scanning = current_.origin == Origin::Identification && settings_.scanPollingAddresses;
  return scanning ? kTriesPerScannedAddress - 1 : settings_.retries;
}

std::optional<Millis> Master::wakeAt() const {
  if (phase_ != Phase::Idle) return deadline_;
  const bool work = linkState_ == LinkState::Online ? !queue_.empty() : identifyRequested_ || !queue_.empty();
  if (work && linkState_ != LinkState::Identifying) return quietUntil_;
  return std::nullopt;
}

}  // namespace zolin6::hart
