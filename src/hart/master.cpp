#include "hart/master.h"

#include <algorithm>

#include "hart/command_codec.h"
#include "hart/command_numbers.h"

namespace zolin6::hart {

namespace {

// The reply timeout runs out once a millisecond has passed beyond it: a
// reply that begins in its last millisecond still counts, even when the
// caller hands it over after another call at that same moment.
constexpr Millis kTick{1};
// A reply that has begun gets the time of the longest frame to finish.
constexpr std::size_t kLongestReply = kMostReplyPreambles + kMaxFrameSize;

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

Master::Master(MasterSettings settings)
    : settings_(settings), line_(settings.link), pollingAddress_(settings.pollingAddress) {}

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
  if (settings_.link.wholeFrames) return stepFrame(now, received);
  Step out;
  line_.startWatching(now);
  hearBytes(now, received, out);
  advance(now, out);
  return out;
}

Step Master::stepFrame(Millis now, ByteView frame) {
  Step out;
  line_.startWatching(now);
  const auto delimiter = std::find_if(frame.begin(), frame.end(), [](std::uint8_t b) { return b != kPreamble; });
  const ByteView whole = frame.subspan(static_cast<std::size_t>(delimiter - frame.begin()));
  if (!whole.empty()) {
    const DecodeResult decoded = DecodeFrame(whole);
    if (decoded) {
      hearFrame(now, decoded.frame, out);
    } else if (phase_ == Phase::AwaitingReply) {
      heardGarble_ = true;  // nobody else talks on a framed link
    }
  }
  advance(now, out);
  return out;
}

void Master::hearBytes(Millis now, ByteView received, Step& step) {
  for (const std::uint8_t byte : received) {
    line_.heard(Heard::Talk, now);
    const ReceiveEvent event = receiver_.push(byte);
    if (event.kind == ReceiveKind::Frame) {
      hearFrame(now, event.frame, step);
    } else if (event.kind == ReceiveKind::Error && !event.request && phase_ == Phase::AwaitingReply) {
      heardGarble_ = true;  // a broken request is an echo or the other master's
    }
    noteReplyBegun(now);
  }
}

// A reply that begins in time meets the reply timeout, from its first
// preamble: the device has started to answer. Our own echo does not count,
// nor anything heard while our request is still going out.
void Master::noteReplyBegun(Millis now) {
  if (phase_ != Phase::AwaitingReply || replyBegun_ || now < requestLeftAt_) return;
  if (!receiver_.countingPreambles() && !receiver_.inDeviceFrame()) return;
  replyBegun_ = true;
  deadline_ = std::max(deadline_, now + WireTime(settings_.link, kLongestReply));
}

void Master::hearFrame(Millis now, const Frame& frame, Step& step) {
  if (frame.type == FrameType::Burst) {
    HeardBurst burst{now, frame, Bytes(frame.data.begin(), frame.data.end())};
    burst.frame.data = {};
    step.bursts.push_back(std::move(burst));
    line_.setBursting(true);
  } else if (frame.type == FrameType::Reply && identity_ && frame.address.sameDevice(identity_->address)) {
    line_.setBursting(frame.address.burstMode);
  }
  line_.heard(classify(frame), now);
  if (phase_ != Phase::AwaitingReply) return;
  if (expectsFrom(frame)) return onReply(now, frame, step);
  // Someone else's frame, not our reply's beginning: the device's time to
  // answer is what it was, or a burst heard first would stretch it by the
  // longest reply.
  replyBegun_ = false;
  deadline_ = requestLeftAt_ + settings_.link.replyTimeout;
}

// We are the primary master: the master bit set is ours. A request with it
// is our own echo, which hands nobody the line.
Heard Master::classify(const Frame& frame) const {
  const bool ours = frame.address.primaryMaster;
  switch (frame.type) {
    case FrameType::Burst: return ours ? Heard::OwnBurst : Heard::OtherBurst;
    case FrameType::Reply: return ours ? Heard::OwnReply : Heard::OtherReply;
    case FrameType::Request: return ours ? Heard::Talk : Heard::OtherRequest;
  }
  return Heard::Talk;
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

void Master::advance(Millis now, Step& step) {
  if (phase_ == Phase::AwaitingReply && now >= deadline_ + kTick) onTimeout(now, step);
  if (phase_ == Phase::WaitingToResend && earliestStart(now) <= now) send(now, step);
  while (phase_ == Phase::Idle && earliestStart(now) <= now && takeNext()) send(now, step);
  step.wakeAt = wakeAt(now);
}

Millis Master::earliestStart(Millis now) const { return line_.nextStart(std::max(now, notBefore_)); }

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
  waitToResend(now, now);
}

// Busy means not done; a delayed response is collected by sending the same
// request again. Both are safe for any command.
void Master::onResendAsked(Millis now, const Frame& frame, Step& step) {
  if (busyResends_ >= settings_.busyResends) return finish(now, Outcome::StillBusy, &frame, step);
  ++busyResends_;
  waitToResend(now, now + busyWait_);
  busyWait_ = NextBusyWait(busyWait_);
}

// The reply ended our turn: the line is free for the others until we resend.
void Master::waitToResend(Millis now, Millis notBefore) {
  phase_ = Phase::WaitingToResend;
  notBefore_ = notBefore;
  line_.stopUsing(now);
}

void Master::onTimeout(Millis now, Step& step) {
  // A request that got no reply may still have reached the device.
  if (current_.effect == Effect::Repeatable && retriesUsed_ < settings_.retries) {
    ++retriesUsed_;
    return resendUnanswered(now, step);
  }
  const bool identifying = current_.origin == Origin::Identification;
  if (identifying && settings_.scanPollingAddresses && !settings_.identifyAt &&
      pollingAddress_ < kLargestPollingAddress) {
    ++pollingAddress_;
    target_ = Address::Polling(pollingAddress_);
    retriesUsed_ = 0;
    return resendUnanswered(now, step);
  }
  const Outcome outcome = current_.effect == Effect::NotRepeatable ? Outcome::NotResent
                          : heardGarble_                           ? Outcome::GarbledReply
                                                                   : Outcome::NoReply;
  finish(now, outcome, nullptr, step);
}

// Without a bursting device the line is still ours after an unanswered
// request, and the resend goes out at once. A bursting device takes its turn
// after our request; the resend waits for ours, or it would go into a burst.
void Master::resendUnanswered(Millis now, Step& step) {
  if (!line_.bursting()) return send(now, step);
  phase_ = Phase::WaitingToResend;
  notBefore_ = now;
  line_.stopUsingUnanswered(requestLeftAt_);
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
  moreStatusReadAt_.reset();  // its first reply with more status is followed by 48
  return true;
}

// Command 48 follows "more status available" when it appears or the status
// byte changes; while both stay as they are, at most once a minute, so a
// device that keeps the bit set does not double the line time.
void Master::queueMoreStatus(Millis now, const Frame& reply) {
  const std::optional<std::uint8_t> before = lastDeviceStatus_;
  lastDeviceStatus_ = reply.status.deviceStatus;
  if (!settings_.readMoreStatus || current_.command == kReadAdditionalStatus) return;
  if (!reply.status.has(device_status::kMoreStatusAvailable)) return;
  const bool news = before != reply.status.deviceStatus;
  const bool due = !moreStatusReadAt_ || now - *moreStatusReadAt_ >= kMoreStatusRepeat;
  if (!news && !due) return;
  // It goes next: the reply that asked for it has just ended its transaction.
  queue_.push_front({0, kReadAdditionalStatus, {}, Effect::Repeatable, Origin::MoreStatus});
  moreStatusReadAt_ = now;
}

void Master::finish(Millis now, Outcome outcome, const Frame* reply, Step& step) {
  Completion completion{current_.id, current_.command, outcome, {}, {}, attempts_};
  if (reply != nullptr) {
    completion.status = reply->status;
    completion.data.assign(reply->data.begin(), reply->data.end());
    if (outcome == Outcome::Replied) queueMoreStatus(now, *reply);
  }
  step.completed.push_back(std::move(completion));
  if (current_.origin == Origin::Identification && linkState_ == LinkState::Identifying) {
    // Without a device nothing queued can be sent.
    linkState_ = LinkState::Offline;
    failQueue(step);
  }
  phase_ = Phase::Idle;
  line_.stopUsing(now);
}

void Master::failQueue(Step& step) {
  for (const Transaction& waiting : queue_) {
    step.completed.push_back({waiting.id, waiting.command, Outcome::NoDevice, {}, {}, 0});
  }
  queue_.clear();
}

bool Master::hasWork() const {
  switch (linkState_) {
    case LinkState::Offline: return identifyRequested_ || !queue_.empty();
    case LinkState::Identifying: return false;  // identification is under way
    case LinkState::Online: return !queue_.empty();
  }
  return false;
}

bool Master::takeNext() {
  if (!hasWork()) return false;
  if (linkState_ == LinkState::Offline) {
    identifyRequested_ = false;
    linkState_ = LinkState::Identifying;
    const bool atPolling = !settings_.identifyAt && !settings_.scanPollingAddresses;
    pollingAddress_ = atPolling ? settings_.pollingAddress : 0;
    current_ = {0, kReadUniqueIdentifier, {}, Effect::Repeatable, Origin::Identification};
    target_ = settings_.identifyAt ? *settings_.identifyAt : Address::Polling(pollingAddress_);
  } else {
    current_ = std::move(queue_.front());
    queue_.pop_front();
    target_ = identity_->address;
  }
  attempts_ = 0;
  retriesUsed_ = 0;
  busyResends_ = 0;
  busyWait_ = std::max(kFirstBusyWait, settings_.link.quietTime);
  heardGarble_ = false;
  return true;
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
  line_.startUsing();
  // The device's time to answer starts when our last byte has left.
  requestLeftAt_ = now + WireTime(settings_.link, bytes.size());
  deadline_ = requestLeftAt_ + settings_.link.replyTimeout;
  replyBegun_ = false;
  receiver_.reset();
  step.transmit = std::move(bytes);
}

std::size_t Master::preambles() const {
  if (settings_.link.minimumPreambles == 0) return 0;
  if (!identity_) return settings_.link.pollPreambles;  // known once command 0 answered
  return std::max(settings_.link.minimumPreambles, identity_->requestPreambles);
}

std::optional<Millis> Master::wakeAt(Millis now) const {
  if (phase_ == Phase::AwaitingReply) return deadline_ + kTick;
  if (phase_ == Phase::WaitingToResend || hasWork()) return earliestStart(now);
  return std::nullopt;
}

}  // namespace zolin6::hart
