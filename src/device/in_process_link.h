#pragma once
// A simulated 1200 bit/s FSK line between the HART driver's master and a
// HartDevice in the same process. Every byte takes its wire time (11 bits
// per character, preambles included), the device answers a whole request
// after a short turnaround, and the reply's bytes reach the master one by
// one as they come off the line, so the master's reply timeout sees the
// reply begin in time, as on a real modem. Nothing but the clock moves it.

#include <cstdint>
#include <functional>
#include <memory>

#include "device/hart_device.h"
#include "driver/byte_link.h"
#include "hart/link_timing.h"
#include "platform/toolkit/clock.h"

namespace zolin6::device {

// How long the device takes from the end of a request to the start of its
// reply; well inside the master's reply timeout.
inline constexpr toolkit::Millis kDeviceTurnaround = 20;

enum class FrameDirection : std::uint8_t { Request, Reply };

// A frame that has crossed the line, with the moment its last byte arrived.
using FrameTrace = std::function<void(FrameDirection direction, toolkit::Millis at, hart::ByteView line)>;

class InProcessLink : public driver::ByteLink, public std::enable_shared_from_this<InProcessLink> {
 public:
  InProcessLink(toolkit::Clock& clock, std::shared_ptr<HartDevice> device);

  void Send(hart::ByteView bytes, toolkit::Millis now) override;
  void Listen(Listener listener) override { listener_ = std::move(listener); }
  // Unplugs the device or plugs it back in: while unplugged, requests go
  // out and nothing answers them.
  void SetConnected(bool connected) { connected_ = connected; }
  // Who sees each frame; an empty trace sees nothing.
  void Trace(FrameTrace trace) { trace_ = std::move(trace); }

  // Requests put on the line so far, and the time all frames spent on it.
  int requests() const { return requests_; }
  toolkit::Millis wireTime() const { return wireTime_; }

 private:
  void Answer(const hart::Bytes& request, toolkit::Millis requestEnd);
  void At(toolkit::Millis at, std::function<void(InProcessLink&)> work);

  toolkit::Clock& clock_;
  std::shared_ptr<HartDevice> device_;
  Listener listener_;
  FrameTrace trace_;
  bool connected_ = true;
  int requests_ = 0;
  toolkit::Millis wireTime_ = 0;
};

}  // namespace zolin6::device
