#pragma once
// Opens the transport a connection target names, ready for the HART
// driver: the byte link, the timing of that link and where the master
// looks for the device.

#include <functional>
#include <memory>
#include <string>

#include "driver/byte_link.h"
#include "hart/master.h"
#include "platform/result.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"
#include "transport/hart_ip_client.h"

namespace zolin6::transport {

struct OpenedLink {
  std::shared_ptr<driver::ByteLink> link;
  hart::MasterSettings settings;  // the link's timing, the polling address
  bool publishes = false;         // HART-IP: the server publishes to a session that subscribes
  // A secure HART-IP session's TLS and cipher while it is up ("TLS 1.2,
  // PSK-AES128-GCM-SHA256"); empty otherwise, and for other lines.
  std::function<std::string()> security = [] { return std::string(); };
};

// What the transport says about itself while it runs ("session opened",
// "closed by the device: …"), for the status bar and the log.
using LinkReport = std::function<void(const std::string& text)>;

// Where a HART-IP target is and how to speak to it, its key read from its
// key file (or as typed) for a secure one; the error names what is wrong.
Result<HartIpEndpoint> HartIpEndpointOf(const ConnectionTarget& target);

// A HART-IP client or a serial modem on the event loop's clock; the
// simulated device is not a transport and is refused. A serial port that
// cannot be opened fails here; a HART-IP device that does not answer fails
// later, as the driver's off-line state. A device behind an I/O system
// (sub_device_open.h) is looked up before this returns, the event loop
// running meanwhile; one not found fails here. What arrives is handed on at the
// wall clock's time: the clock is brought up to the present first, so the
// master measures its reply times on the wall.
Result<OpenedLink> OpenLink(const ConnectionTarget& target, EventLoopClock& ticker, const LinkReport& report = {});

}  // namespace zolin6::transport
