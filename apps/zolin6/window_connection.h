#pragma once
// What stands behind the window's control, from --connect: the built-in
// simulated transmitter, or the HART driver on a HART-IP or serial line,
// with every frame of that line going to the traffic view and --trace FILE.

#include <QString>

#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "driver/hart_driver.h"
#include "driver/sim_driver.h"
#include "driver/traced_link.h"
#include "platform/result.h"
#include "transport/connection_target.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::app {

class WindowConnection {
 public:
  using FrameSink = std::function<void(const hart::TracedFrame& frame)>;

  // Opens the line `target` names; the simulated device needs none and is
  // `sim`. `report` hears what the transport says about itself.
  static Result<std::unique_ptr<WindowConnection>> Open(const transport::ConnectionTarget& target,
                                                        transport::EventLoopClock& ticker,
                                                        std::shared_ptr<driver::SimDriver> sim,
                                                        transport::LinkReport report = {});

  // The driver the control is handed (through the link tap).
  std::shared_ptr<framelink::DtmObject> driver() const;
  const transport::ConnectionTarget& target() const { return target_; }
  bool hasLine() const { return hart_ != nullptr; }
  // Null unless the simulated device stands behind the control.
  const std::shared_ptr<driver::SimDriver>& sim() const { return sim_; }

  // Every frame from now on also goes to `sink`.
  void addFrameSink(FrameSink sink) { sinks_.push_back(std::move(sink)); }
  // Writes one line per frame to `path` from now on; fails naming the file.
  Result<bool> traceTo(const std::string& path);

  // What the status bar says of a device on line that is not this
  // transmitter; empty otherwise.
  QString otherDevice() const;

 private:
  explicit WindowConnection(transport::ConnectionTarget target) : target_(std::move(target)) {}

  transport::ConnectionTarget target_;
  std::shared_ptr<driver::SimDriver> sim_;
  std::shared_ptr<driver::TracedLink> line_;
  std::shared_ptr<driver::HartDriver> hart_;
  std::vector<FrameSink> sinks_;
  std::ofstream traceFile_;
};

}  // namespace zolin6::app
