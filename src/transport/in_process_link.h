#pragma once
// The line between the HART driver's master and a simulated HART device in
// the same process. Two kinds:
//  - instant: frames cross in no time and the device answers at once; the
//    line says when it is unplugged or plugged in again, as a closed
//    connection does. Behind the built-in simulated device, whose driver
//    paces its answers itself.
//  - a 1200 bit/s FSK line: every byte takes its wire time (11 bits per
//    character, preambles included), the device answers a whole request
//    after a short turnaround, and the reply's bytes reach the master one by
//    one as they come off the line, so the master's reply timeout sees the
//    reply begin in time, as on a real modem. Unplugging it is silent, as on
//    a modem without carrier detect.
// A device in burst mode publishes on either line when its messages fall
// due: on the FSK line at its turns (device/burst_turns.h), byte by byte,
// and a request that starts while a burst frame is on the line is lost in
// it; on the instant line whole, at once.
// Nothing but the clock moves it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "device/hart_device.h"
#include "device/line_faults.h"
#include "driver/byte_link.h"
#include "hart/link_timing.h"
#include "platform/toolkit/clock.h"
#include "transport/burst_schedule.h"

namespace zolin6::transport {

enum class LineKind : std::uint8_t { Instant, Fsk };

// The timing the driver's master uses on each kind of line: the instant
// line has no wire time, no turnaround and no quiet time.
hart::LinkTiming LineTiming(LineKind kind);

enum class FrameDirection : std::uint8_t { Request, Reply, Burst };

// A frame that has crossed the line, with the moment its last byte arrived.
using FrameTrace = std::function<void(FrameDirection direction, toolkit::Millis at, hart::ByteView line)>;

class InProcessLink : public driver::ByteLink, public std::enable_shared_from_this<InProcessLink> {
 public:
  InProcessLink(toolkit::Clock& clock, std::shared_ptr<device::ServedDevice> device, LineKind kind);

  void Send(hart::ByteView bytes, toolkit::Millis now) override;
  void Listen(Listener listener) override { listener_ = std::move(listener); }
  void WatchState(const StateListener& listener) override { stateListener_ = listener; }

  LineKind kind() const { return kind_; }
  // Unplugs the device or plugs it back in: while unplugged, requests go
  // out and nothing answers them. An instant line says so.
  void SetConnected(bool connected);
  bool connected() const { return connected_; }
  // A bad line on demand: a share of the device's replies dropped, damaged
  // or late, as the rates say; nullopt mends the line.
  void SetFaults(const std::optional<device::FaultRates>& rates);
  // Who sees each frame; an empty trace sees nothing.
  void Trace(FrameTrace trace) { trace_ = std::move(trace); }

  // Looks again at the device's burst messages: call it once the link is
  // held by a shared pointer and whenever they were changed from outside.
  void WakeBursts();

  // Requests put on the line so far, and the time all frames spent on it.
  int requests() const { return requests_; }
  toolkit::Millis wireTime() const { return wireTime_; }

 private:
  void Answer(const hart::Bytes& request, toolkit::Millis requestEnd);
  void Deliver(const hart::Bytes& reply, toolkit::Millis at);
  void At(toolkit::Millis at, std::function<void(InProcessLink&)> work);
  void Transmit(hart::Bytes frame, toolkit::Millis start, FrameDirection direction);
  void TryBurst();

  toolkit::Clock& clock_;
  std::shared_ptr<device::ServedDevice> device_;
  LineKind kind_;
  Listener listener_;
  StateListener stateListener_;
  FrameTrace trace_;
  std::optional<device::LineFaults> faults_;
  bool connected_ = true;
  std::optional<BurstSchedule> bursts_;  // none where nothing bursts (an I/O system)
  std::uint64_t burstCheck_ = 0;         // the check scheduled last; earlier ones are stale
  toolkit::Millis burstUntil_ = 0;       // a burst frame is on the line until then
  int requests_ = 0;
  toolkit::Millis wireTime_ = 0;
};

}  // namespace zolin6::transport
