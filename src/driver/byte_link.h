#pragma once
// What the HART driver needs from a transport: put bytes on the line, and
// hear what comes back. A modem, a socket or the simulated line of
// src/device is a thin adapter behind this, so the driver's protocol work
// is the same whatever carries the bytes.

#include <functional>

#include "hart/bytes.h"
#include "platform/toolkit/clock.h"

namespace zolin6::driver {

class ByteLink {
 public:
  // Bytes heard on the line and the moment they arrived.
  using Listener = std::function<void(hart::ByteView bytes, toolkit::Millis now)>;

  virtual ~ByteLink() = default;

  // Starts sending `bytes` at `now`; they take their wire time from then.
  virtual void Send(hart::ByteView bytes, toolkit::Millis now) = 0;
  // Who hears the line from now on; an empty listener hears nothing.
  virtual void Listen(Listener listener) = 0;
};

}  // namespace zolin6::driver
