#pragma once
// Runs scenario lines against one control on a manual clock and reports
// every framework call, message box and result as one JSON object per line.
// The lines themselves are ScenarioLines'; the runner is the headless place
// they run in: it owns the clock, the control and the driver, passes time
// by advancing the clock, and fires the widget model's events directly.

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "driver/traced_link.h"
#include "host/user_cntrl.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/message_box.h"
#include "scenario_host.h"
#include "scenario_lines.h"

namespace zolin6::transport {
class EventLoopClock;  // Qt's event loop, only for `driver hart-ip` and `driver serial`
}  // namespace zolin6::transport

namespace zolin6::scenario {

class ScenarioRunner : private ScenarioHost, private toolkit::MessageBoxes {
 public:
  using Output = ScenarioLines::Output;

  // Creates the control at clock time 0. `iconFolder` holds the two status
  // icons.
  ScenarioRunner(Output output, std::string iconFolder);
  ~ScenarioRunner() override;

  // Runs one line (numbered from 1); false when it could not be run, after
  // reporting an error event.
  bool RunLine(int number, std::string_view line) { return lines_.RunLine(number, line); }

  // Runs every line of `input`; the exit status: 0, or 2 when a line could
  // not be run.
  int Run(std::istream& input) { return lines_.Run(input); }

 private:
  // ScenarioHost
  UserCntrl* control() override { return control_.get(); }
  toolkit::Millis now() const override { return clock_.now(); }
  Result<std::shared_ptr<framelink::DtmObject>> MakeDriver(const std::string& kind) override;
  void DestroyControl() override { control_.reset(); }
  transport::SimulatedDevice* sim() override { return sim_.get(); }
  bool TraceFrames(bool on) override;
  void Advance(toolkit::Millis ms) override;
  void OpenNode(int node) override;
  void ChooseTab(toolkit::TabControl& tabs, int tab) override;
  bool Click(toolkit::CommandButton& button) override;
  bool Type(toolkit::Widget& box, const std::string& text) override;
  bool Choose(toolkit::OptionButton& option) override;

  // toolkit::MessageBoxes: answered from the queue of `answer` lines.
  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override {
    return lines_.AnswerBox(text, title, buttons, icon);
  }

  std::shared_ptr<transport::SimulatedDevice> MakeSimulatedDevice(transport::LineKind line);
  Result<std::shared_ptr<framelink::DtmObject>> MakeWireDriver(const std::string& kind);
  driver::DriverObserver MakeObserver();
  void EmitRequest(const std::string& kind, const std::string& code, const std::string& document);

  Output output_;
  std::string iconFolder_;
  toolkit::Clock clock_;
  ScenarioLines lines_;
  std::unique_ptr<UserCntrl> control_;
  // The simulated device handed over by the last `init` with `driver sim`
  // or `driver hart`.
  std::shared_ptr<transport::SimulatedDevice> sim_;
  // The HART driver on a real line, from the last `init` with `driver
  // hart-ip` or `driver serial`; time then passes on the wall clock.
  std::unique_ptr<transport::EventLoopClock> realTime_;  // outlives the line it times
  std::shared_ptr<driver::HartDriver> wireDriver_;
  std::shared_ptr<driver::TracedLink> wireLink_;
  bool traceFrames_ = false;
};

}  // namespace zolin6::scenario
