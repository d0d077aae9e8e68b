#pragma once
// What the scenario lines need from the place they run in. The headless
// runner passes time on a manual clock and fires the widget model's events
// itself; the desktop window lets its event loop run and sends the user's
// events through the Qt widgets. Everything else about a line (its
// arguments, its events, its error texts) is the same in both, and lives in
// ScenarioLines.

#include <memory>
#include <optional>
#include <string>

#include "host/user_cntrl.h"
#include "platform/framelink/framelink.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/widgets.h"
#include "transport/simulated_device.h"

namespace zolin6::scenario {

class ScenarioHost {
 public:
  virtual ~ScenarioHost() = default;

  // The control the lines work on; nullptr once `destroy` has run.
  virtual UserCntrl* control() = 0;
  // The control's clock: the "at" of every event and the time of `sim set`.
  virtual toolkit::Millis now() const = 0;

  // Whether `command` runs here: nullopt when it does, the empty text when
  // its lines are skipped, otherwise the error its lines report.
  virtual std::optional<std::string> Declines(const std::string& command) const {
    (void)command;
    return std::nullopt;
  }

  // `init`: a new driver of `kind` ("recording", "notready", "bare", "sim",
  // "hart", "hart-ip HOST:PORT [udp]", "serial PATH"), or why there is none.
  // Only a place that runs `init` and `destroy` needs these two.
  virtual Result<std::shared_ptr<framelink::DtmObject>> MakeDriver(const std::string& kind) {
    (void)kind;
    return std::shared_ptr<framelink::DtmObject>();
  }
  virtual void DestroyControl() {}
  // The simulated device that `sim` lines change (behind `driver sim` or
  // `driver hart`); nullptr when there is none.
  virtual transport::SimulatedDevice* sim() = 0;
  // `trace on|off`: whether each frame on the HART line is printed; false
  // when there is no HART line to trace.
  virtual bool TraceFrames(bool on) {
    (void)on;
    return false;
  }

  // `advance MS`: lets MS milliseconds (at most a day) pass.
  virtual void Advance(toolkit::Millis ms) = 0;
  // Before a notification of the script reaches the control, which it does
  // now, as a user's event does.
  virtual void BeginNotify() {}
  // After each line that is not blank or a comment, before its error (if
  // any) is reported.
  virtual void LineDone() {}

  // The user's events on controls the line found in the widget model. False:
  // there is nothing here to do it with (the line then names an unknown
  // control).
  virtual void OpenNode(int node) = 0;  // the tree's node `node`, from 1
  virtual void ChooseTab(toolkit::TabControl& tabs, int tab) = 0;
  virtual bool Click(toolkit::CommandButton& button) = 0;
  virtual bool Type(toolkit::Widget& box, const std::string& text) = 0;  // a text box or combo box
  virtual bool Choose(toolkit::OptionButton& option) = 0;
};

}  // namespace zolin6::scenario
