#pragma once
// What stands behind the window's control: the built-in simulated
// transmitter, or the HART driver on a HART-IP or serial line, from
// --connect and later from File > Connect. The control binds once to a
// switching driver; each connection puts its driver behind it. Every frame
// of a HART line goes to the traffic view and --trace FILE.

#include <QString>

#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "desktop/burst_dialog.h"
#include "driver/hart_driver.h"
#include "driver/switching_driver.h"
#include "driver/traced_link.h"
#include "platform/result.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"
#include "transport/simulated_device.h"

namespace zolin6::app {

class WindowConnection {
 public:
  using FrameSink = std::function<void(const hart::TracedFrame& frame)>;

  // `sim`: the built-in simulated device; `report` hears what a transport
  // says about itself.
  WindowConnection(transport::EventLoopClock& ticker, std::shared_ptr<transport::SimulatedDevice> sim,
                   transport::LinkReport report = {});

  // Puts the device at `target` behind the control, the previous one's line
  // closed; a line that cannot be opened fails naming it and changes nothing.
  Result<bool> Connect(const transport::ConnectionTarget& target);
  // No device behind the control: it is told the device is off line.
  void Disconnect();

  // The driver the control is handed (through the link tap), for good.
  std::shared_ptr<framelink::DtmObject> driver() const { return switching_; }
  const transport::ConnectionTarget& target() const { return target_; }
  bool connected() const { return connected_; }
  bool hasLine() const { return hart_ != nullptr; }
  // The simulated device while it is the one connected; null otherwise.
  std::shared_ptr<transport::SimulatedDevice> sim() const { return connected_ && !hart_ ? sim_ : nullptr; }
  // The status bar's name of the connection ("HART-IP 10.0.0.5:5094", "Not connected").
  QString describe() const;
  // The secure session's TLS and cipher while it is up; empty otherwise.
  std::string security() const { return security_ ? security_() : std::string(); }
  // Said after every Connect and Disconnect.
  void onChange(std::function<void()> changed) { changed_ = std::move(changed); }

  // Every frame from now on also goes to `sink`.
  void addFrameSink(FrameSink sink) { sinks_.push_back(std::move(sink)); }
  // Writes one line per frame to `path` from now on; fails naming the file.
  Result<bool> traceTo(const std::string& path);

  // The HART driver of the present connection, the simulated device's
  // included; null while disconnected.
  std::shared_ptr<driver::HartDriver> hartDriver() const;
  // Device > Burst Mode's way to the device on line, whichever it is now.
  desktop::BurstLine burstLine() const;

  // What the status bar says of a device on line that is not this
  // transmitter; empty otherwise.
  QString otherDevice() const;

 private:
  transport::EventLoopClock& ticker_;
  transport::LinkReport report_;
  std::shared_ptr<transport::SimulatedDevice> sim_;
  std::shared_ptr<driver::SwitchingDriver> switching_;
  transport::ConnectionTarget target_;
  bool connected_ = true;
  std::shared_ptr<driver::HartDriver> hart_;
  std::function<std::string()> security_;
  std::vector<FrameSink> sinks_;
  std::ofstream traceFile_;
  std::function<void()> changed_;
};

}  // namespace zolin6::app
