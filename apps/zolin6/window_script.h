#pragma once
// Runs a scenario of the runner's line format in the real window: the
// user's events go through the Qt widgets, `advance MS` lets MS milliseconds
// of the event loop pass, and message boxes are answered from the `answer`
// queue. The lines and their events are the runner's own (ScenarioLines);
// the application's own start stands for `driver` and `init`, which are
// skipped, and the window has no `call` or `destroy`.

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "host/user_cntrl.h"
#include "scenario_host.h"
#include "scenario_lines.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"
#include "view/message_boxes.h"

namespace zolin6::app {

using view::MainWindow;
using view::QtMessageBoxes;

class WindowScript : private scenario::ScenarioHost {
 public:
  using Output = scenario::ScenarioLines::Output;

  // `sim`: the simulated transmitter behind the window, which the `sim`
  // lines change; nullptr when the window works with another driver.
  WindowScript(MainWindow& window, UserCntrl& control, toolkit::Clock& clock, QtMessageBoxes& boxes, Output output,
               std::shared_ptr<transport::SimulatedDevice> sim = nullptr);
  ~WindowScript() override;
  WindowScript(const WindowScript&) = delete;
  WindowScript& operator=(const WindowScript&) = delete;

  // Runs one line (numbered from 1); false when it could not be run.
  bool RunLine(int number, std::string_view line) { return lines_.RunLine(number, line); }
  // Runs every line; 0, or 2 when a line could not be run.
  int Run(std::istream& input) { return lines_.Run(input); }

 private:
  // scenario::ScenarioHost
  UserCntrl* control() override { return &control_; }
  toolkit::Millis now() const override { return clock_.now(); }
  std::optional<std::string> Declines(const std::string& command) const override;
  transport::SimulatedDevice* sim() override { return sim_.get(); }
  void Advance(toolkit::Millis ms) override;
  void BeginNotify() override;
  void LineDone() override;
  void OpenNode(int node) override;
  void ChooseTab(toolkit::TabControl& tabs, int tab) override;
  bool Click(toolkit::CommandButton& model) override;
  bool Type(toolkit::Widget& model, const std::string& text) override;
  bool Choose(toolkit::OptionButton& model) override;

  MainWindow& window_;
  UserCntrl& control_;
  toolkit::Clock& clock_;
  QtMessageBoxes& boxes_;
  std::shared_ptr<transport::SimulatedDevice> sim_;
  scenario::ScenarioLines lines_;
};

}  // namespace zolin6::app
