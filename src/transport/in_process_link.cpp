#include "transport/in_process_link.h"

#include <chrono>

namespace zolin6::transport {

namespace {

// When byte `index` (from 0) of a frame that starts at `start` has arrived.
toolkit::Millis ByteArrival(toolkit::Millis start, std::size_t index) {
  return start + hart::WireTime(hart::kFskTiming, index + 1).count();
}

// The instant line: the device answers before the master looks again.
constexpr hart::LinkTiming kInstantTiming{hart::Micros{0}, hart::Millis{0}, hart::Millis{0}, hart::kMinimumPreamblesFsk,
                                          hart::kMinimumPreamblesFsk};

}  // namespace

hart::LinkTiming LineTiming(LineKind kind) { return kind == LineKind::Instant ? kInstantTiming : hart::kFskTiming; }

InProcessLink::InProcessLink(toolkit::Clock& clock, std::shared_ptr<device::HartDevice> device, LineKind kind)
    : clock_(clock), device_(std::move(device)), kind_(kind) {}

void InProcessLink::At(toolkit::Millis at, std::function<void(InProcessLink&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void InProcessLink::SetConnected(bool connected) {
  connected_ = connected;
  if (kind_ == LineKind::Instant && stateListener_) stateListener_(connected, clock_.now());
}

void InProcessLink::Send(hart::ByteView bytes, toolkit::Millis now) {
  if (bytes.empty()) return;
  ++requests_;
  if (kind_ == LineKind::Instant) {
    const hart::Bytes request(bytes.begin(), bytes.end());
    if (trace_) trace_(FrameDirection::Request, now, request);
    if (connected_) Answer(request, now);
    return;
  }
  const toolkit::Millis end = ByteArrival(now, bytes.size() - 1);
  wireTime_ += end - now;
  // The device reads the request once its last byte has arrived.
  At(end, [request = hart::Bytes(bytes.begin(), bytes.end()), end](InProcessLink& self) {
    if (self.trace_) self.trace_(FrameDirection::Request, end, request);
    if (self.connected_) self.Answer(request, end);
  });
}

void InProcessLink::Answer(const hart::Bytes& request, toolkit::Millis requestEnd) {
  auto reply = std::make_shared<const hart::Bytes>(device_->ReceiveSerial(request, requestEnd));
  if (reply->empty()) return;  // not for the device: silence
  if (kind_ == LineKind::Instant) {
    if (trace_) trace_(FrameDirection::Reply, requestEnd, *reply);
    if (listener_) listener_(*reply, requestEnd);
    return;
  }
  const toolkit::Millis start = requestEnd + device::kTurnaround;
  const toolkit::Millis end = ByteArrival(start, reply->size() - 1);
  wireTime_ += end - start;
  for (std::size_t i = 0; i < reply->size(); ++i) {
    At(ByteArrival(start, i), [reply, i, end](InProcessLink& self) {
      const std::uint8_t byte = (*reply)[i];
      if (self.listener_) self.listener_(hart::ByteView(&byte, 1), self.clock_.now());
      if (i + 1 == reply->size() && self.trace_) self.trace_(FrameDirection::Reply, end, *reply);
    });
  }
}

}  // namespace zolin6::transport
