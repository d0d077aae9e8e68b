#include "driver/traced_link.h"

namespace zolin6::driver {

namespace {

// Noise that never makes a frame is shown in pieces of this size.
constexpr std::size_t kLongestNoise = 2 * hart::kMaxFrameSize;

}  // namespace

void TracedLink::Send(hart::ByteView bytes, toolkit::Millis now) {
  if (sink_) sink_(hart::TraceFrame(hart::TraceDirection::Sent, hart::Millis{now}, bytes));
  inner_->Send(bytes, now);
}

void TracedLink::Listen(Listener listener) {
  listener_ = std::move(listener);
  if (!listener_) return inner_->Listen({});
  inner_->Listen([weak = weak_from_this()](hart::ByteView bytes, toolkit::Millis now) {
    if (auto self = weak.lock()) self->Heard(bytes, now);
  });
}

void TracedLink::Heard(hart::ByteView bytes, toolkit::Millis now) {
  if (sink_) {
    for (const std::uint8_t byte : bytes) {
      heard_.push_back(byte);
      const bool ended = receiver_.push(byte).kind != hart::ReceiveKind::Nothing;
      if (!ended && heard_.size() < kLongestNoise) continue;
      sink_(hart::TraceFrame(hart::TraceDirection::Received, hart::Millis{now}, heard_));
      heard_.clear();
    }
  }
  // The listener may drop this link (a disconnect): nothing of ours is used after.
  Listener listener = listener_;
  listener(bytes, now);
}

}  // namespace zolin6::driver
