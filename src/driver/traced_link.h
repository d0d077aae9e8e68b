#pragma once
// A byte link that reports every frame crossing it: what the driver sends,
// as one frame, and what it hears, cut into frames where the bytes heard
// make one (noise and broken frames are reported too, undecoded). It sits
// between the HART driver and any transport, so the traffic view and the
// trace file show the same whatever carries the bytes.

#include <functional>
#include <memory>

#include "driver/byte_link.h"
#include "hart/frame_trace.h"
#include "hart/receiver.h"

namespace zolin6::driver {

class TracedLink : public ByteLink, public std::enable_shared_from_this<TracedLink> {
 public:
  using Sink = std::function<void(const hart::TracedFrame& frame)>;

  explicit TracedLink(std::shared_ptr<ByteLink> inner) : inner_(std::move(inner)) {}

  // Who gets the frames from now on; an empty sink turns tracing off.
  void Trace(Sink sink) { sink_ = std::move(sink); }

  void Send(hart::ByteView bytes, toolkit::Millis now) override;
  void Listen(Listener listener) override;
  void WatchState(const StateListener& listener) override { inner_->WatchState(listener); }
  // No frames cross the line for these: nothing to trace.
  bool SendDirect(const hart::ip::DirectPdu& request, const DirectDone& done) override {
    return inner_->SendDirect(request, done);
  }

  const std::shared_ptr<ByteLink>& inner() const { return inner_; }

 private:
  void Heard(hart::ByteView bytes, toolkit::Millis now);

  std::shared_ptr<ByteLink> inner_;
  Sink sink_;
  Listener listener_;
  // Every received frame is shown, our own echo included: the trace shows the
  // line as it is.
  hart::Receiver receiver_{false};
  hart::Bytes heard_;  // bytes since the last frame reported
};

}  // namespace zolin6::driver
