#include "transport/in_process_link.h"

#include <chrono>

namespace zolin6::transport {

namespace {

// When byte `index` (from 0) of a frame that starts at `start` has arrived.
toolkit::Millis ByteArrival(toolkit::Millis start, std::size_t index) {
  return start + hart::WireTime(hart::kFskTiming, index + 1).count();
}

// The instant line: the device answers before the master looks again.
constexpr hart::LinkTiming kInstantTiming{.pollPreambles = hart::kMinimumPreamblesFsk,
                                          .minimumPreambles = hart::kMinimumPreamblesFsk};

}  // namespace

hart::LinkTiming LineTiming(LineKind kind) { return kind == LineKind::Instant ? kInstantTiming : hart::kFskTiming; }

InProcessLink::InProcessLink(toolkit::Clock& clock, std::shared_ptr<device::ServedDevice> device, LineKind kind)
    : clock_(clock), device_(std::move(device)), kind_(kind) {
  if (device::HartDevice* bursting = device_->burstSource()) bursts_.emplace(*bursting, kind_ == LineKind::Fsk);
}

void InProcessLink::At(toolkit::Millis at, std::function<void(InProcessLink&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void InProcessLink::SetConnected(bool connected) {
  connected_ = connected;
  if (kind_ == LineKind::Instant && stateListener_) stateListener_(connected, clock_.now());
  WakeBursts();
}

void InProcessLink::Send(hart::ByteView bytes, toolkit::Millis now) {
  if (bytes.empty()) return;
  ++requests_;
  if (kind_ == LineKind::Instant) {
    const hart::Bytes request(bytes.begin(), bytes.end());
    if (trace_) trace_(FrameDirection::Request, now, request);
    if (connected_) Answer(request, now);
    WakeBursts();
    return;
  }
  const toolkit::Millis end = ByteArrival(now, bytes.size() - 1);
  wireTime_ += end - now;
  // Over a burst frame, neither is heard: the device's receiver is busy.
  const bool lost = now < burstUntil_;
  if (bursts_) bursts_->turns().heardOthers(end);
  // The device reads the request once its last byte has arrived.
  At(end, [request = hart::Bytes(bytes.begin(), bytes.end()), end, lost](InProcessLink& self) {
    if (self.trace_) self.trace_(FrameDirection::Request, end, request);
    if (self.connected_ && !lost) self.Answer(request, end);
    self.WakeBursts();
  });
}

void InProcessLink::WakeBursts() {
  if (!bursts_) return;
  const std::optional<toolkit::Millis> at = bursts_->nextTry(clock_.now());
  if (!at || !connected_) return;
  const std::uint64_t check = ++burstCheck_;
  At(*at, [check](InProcessLink& self) {
    if (check == self.burstCheck_) self.TryBurst();
  });
}

// A request or reply may have taken the turn since the check was set.
void InProcessLink::TryBurst() {
  const toolkit::Millis now = clock_.now();
  std::optional<device::Reply> burst = connected_ && bursts_ ? bursts_->take(now) : std::nullopt;
  if (!burst) return WakeBursts();
  hart::Bytes frame = device_->burstSource()->EncodeSerial(*burst);
  if (frame.empty()) return WakeBursts();
  if (kind_ == LineKind::Instant) {
    if (trace_) trace_(FrameDirection::Burst, now, frame);
    if (listener_) listener_(frame, now);
    return WakeBursts();
  }
  burstUntil_ = ByteArrival(now, frame.size() - 1);
  bursts_->turns().published(burstUntil_);
  Transmit(std::move(frame), now, FrameDirection::Burst);
  WakeBursts();
}

void InProcessLink::SetFaults(const std::optional<device::FaultRates>& rates) {
  faults_.reset();
  if (rates) faults_.emplace(*rates);
}

void InProcessLink::Answer(const hart::Bytes& request, toolkit::Millis requestEnd) {
  hart::Bytes reply = device_->ReceiveSerial(request, requestEnd);
  if (reply.empty()) return;  // not for the device: silence
  toolkit::Millis late = 0;
  if (faults_) {
    const std::optional<device::Millis> decided = device::ApplyToSerialReply(*faults_, reply);
    if (!decided) return;  // lost on the line
    late = *decided;
  }
  if (kind_ == LineKind::Instant) {
    if (late == 0) return Deliver(reply, requestEnd);
    At(requestEnd + late,
       [reply = std::move(reply), at = requestEnd + late](InProcessLink& self) { self.Deliver(reply, at); });
    return;
  }
  const toolkit::Millis start = requestEnd + device::kTurnaround + late;
  if (bursts_) bursts_->turns().replied(ByteArrival(start, reply.size() - 1));
  Transmit(std::move(reply), start, FrameDirection::Reply);
}

// The bytes of a frame reach the master one by one as they come off the line.
void InProcessLink::Transmit(hart::Bytes frame, toolkit::Millis start, FrameDirection direction) {
  auto shared = std::make_shared<const hart::Bytes>(std::move(frame));
  const toolkit::Millis end = ByteArrival(start, shared->size() - 1);
  wireTime_ += end - start;
  for (std::size_t i = 0; i < shared->size(); ++i) {
    At(ByteArrival(start, i), [shared, i, end, direction](InProcessLink& self) {
      const std::uint8_t byte = (*shared)[i];
      if (self.listener_) self.listener_(hart::ByteView(&byte, 1), self.clock_.now());
      if (i + 1 == shared->size() && self.trace_) self.trace_(direction, end, *shared);
    });
  }
}

// The instant line hands the whole reply over in one piece.
void InProcessLink::Deliver(const hart::Bytes& reply, toolkit::Millis at) {
  if (trace_) trace_(FrameDirection::Reply, at, reply);
  if (listener_) listener_(reply, at);
}

}  // namespace zolin6::transport
