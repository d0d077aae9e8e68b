#include "device/in_process_link.h"

#include <chrono>

namespace zolin6::device {

namespace {

// When byte `index` (from 0) of a frame that starts at `start` has arrived.
toolkit::Millis ByteArrival(toolkit::Millis start, std::size_t index) {
  return start + hart::WireTime(hart::kFskTiming, index + 1).count();
}

}  // namespace

InProcessLink::InProcessLink(toolkit::Clock& clock, std::shared_ptr<HartDevice> device)
    : clock_(clock), device_(std::move(device)) {}

void InProcessLink::At(toolkit::Millis at, std::function<void(InProcessLink&)> work) {
  clock_.callAt(at, [weak = weak_from_this(), work = std::move(work)] {
    if (auto self = weak.lock()) work(*self);
  });
}

void InProcessLink::Send(hart::ByteView bytes, toolkit::Millis now) {
  if (bytes.empty()) return;
  ++requests_;
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
  const toolkit::Millis start = requestEnd + kDeviceTurnaround;
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

}  // namespace zolin6::device
