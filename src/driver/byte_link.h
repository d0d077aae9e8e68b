#pragma once
// What the HART driver needs from a transport: put bytes on the line, and
// hear what comes back. A modem, a socket or the simulated line of
// src/device is a thin adapter behind this, so the driver's protocol work
// is the same whatever carries the bytes.

#include <functional>
#include <optional>

#include "hart/bytes.h"
#include "hart/hart_ip_direct.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

class ByteLink {
 public:
  // Bytes heard on the line and the moment they arrived.
  using Listener = std::function<void(hart::ByteView bytes, toolkit::Millis now)>;
  // What the line itself knows of the way to the device: false when it is
  // gone (a connection closed, a line unplugged), true when it is back.
  using StateListener = std::function<void(bool up, toolkit::Millis now)>;

  virtual ~ByteLink() = default;

  // Starts sending `bytes` at `now`; they take their wire time from then.
  virtual void Send(hart::ByteView bytes, toolkit::Millis now) = 0;
  // Who hears the line from now on; an empty listener hears nothing.
  virtual void Listen(Listener listener) = 0;
  // Who hears the line's own news of the way to the device. A line that
  // cannot tell (a modem without carrier detect) never calls it; the
  // driver then learns of a lost device from its unanswered requests.
  virtual void WatchState(const StateListener& /*listener*/) {}

  // Several requests in one message, where the line carries that (a secure
  // HART-IP session that is open and idle); false when it cannot now, and
  // then `done` is never called. Otherwise `done` hears once: the answers,
  // or nothing when none will come.
  using DirectDone = std::function<void(std::optional<hart::ip::DirectPdu> answer)>;
  virtual bool SendDirect(const hart::ip::DirectPdu& /*request*/, const DirectDone& /*done*/) { return false; }
};

}  // namespace zolin6::driver
