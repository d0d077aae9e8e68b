#pragma once
// Reaching a device behind a HART-IP I/O system (a target with /DEVICE):
// over the session to the I/O system, the device is looked up by command
// 84 and the way to it chosen (driver/sub_device_finder.h), while the event
// loop runs; the driver then talks to it as to any device: long frames
// straight to it, or carried in command 77 (driver/sub_device_link.h).

#include <functional>
#include <string>

#include "platform/result.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::transport {

// `ioSystem`: the opened link to the I/O system; `lastNews`: the HART-IP
// client's last sentence about its connection, for a failure. The result
// identifies the device by command 0 at its unique address. A name that
// matches nothing, or an endpoint that is no I/O system, fails naming the
// target: "hart-ip://10.0.0.5:5094/TT-9: no device 'TT-9' behind this I/O system".
Result<OpenedLink> ReachSubDevice(const ConnectionTarget& target, OpenedLink ioSystem, EventLoopClock& ticker,
                                  const std::function<std::string()>& lastNews, const LinkReport& report);

}  // namespace zolin6::transport
