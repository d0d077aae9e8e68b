#pragma once
// The device a run of the program starts with: the built-in simulated
// device, its state kept in the --device file, or (for the commands without
// a window: --upload, --download, --compare, --report, --record) the HART
// driver on the real line --connect names. The simulated device lives on a
// clock of its own, which a command may move as fast as it likes; a real
// line's answers come in their own time, so waiting for one lets Qt's event
// loop run.

#include <memory>
#include <string>

#include "configuration/link_client.h"
#include "driver/hart_driver.h"
#include "platform/framelink/framelink.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"
#include "transport/simulated_device.h"

namespace zolin6::app {

class OpenedDevice {
 public:
  // Opens the device at `target`. `deviceFile` keeps the simulated device's
  // state (loaded now, saved by Close); it goes with the simulated device
  // only. The error names what cannot be opened.
  static Result<std::unique_ptr<OpenedDevice>> Open(const transport::ConnectionTarget& target,
                                                    const std::string& deviceFile);
  ~OpenedDevice();

  // What the control or a link client binds to.
  std::shared_ptr<framelink::DtmObject> driver() const;
  // The HART driver behind driver(), for transactions of the program's own.
  std::shared_ptr<driver::HartDriver> hart() const;
  // The built-in simulated device, when that is the device; null otherwise.
  const std::shared_ptr<transport::SimulatedDevice>& simulated() const { return sim_; }
  toolkit::Clock& clock() { return clock_; }
  // Runs the clock on Qt's event loop from now on (what --record needs with
  // any device, and a real line always).
  transport::EventLoopClock& ticker();
  // How a link client waits for an answer: the simulated device's clock
  // moves on to its next answer at once; a real line's answer is waited for.
  configuration::Wait Waiting();
  const transport::ConnectionTarget& target() const { return target_; }

  // Saves the simulated device's state to its file, whole or not at all.
  Result<bool> Close();

 private:
  explicit OpenedDevice(transport::ConnectionTarget target) : target_(std::move(target)) {}

  transport::ConnectionTarget target_;
  toolkit::Clock clock_;
  std::unique_ptr<transport::EventLoopClock> ticker_;
  std::string deviceFile_;
  std::shared_ptr<transport::SimulatedDevice> sim_;
  std::shared_ptr<driver::HartDriver> hart_;
};

}  // namespace zolin6::app
