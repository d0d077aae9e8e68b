#pragma once
// Runs scenario lines against one control on a manual clock and reports
// every framework call, message box and result as one JSON object per line.

#include <deque>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "describe.h"
#include "driver/sim_driver.h"
#include "host/user_cntrl.h"
#include "platform/toolkit/clock.h"
#include "platform/toolkit/message_box.h"

namespace zolin6::scenario {

class ScenarioRunner : private toolkit::MessageBoxes {
 public:
  using Output = std::function<void(const Json&)>;

  // Creates the control at clock time 0. `iconFolder` holds the two status
  // icons.
  ScenarioRunner(Output output, std::string iconFolder);
  ~ScenarioRunner() override;

  // Runs one line (numbered from 1); false when it could not be run, after
  // reporting an error event.
  bool RunLine(int number, std::string_view line);

  // Runs every line of `input`; the exit status: 0, or 2 when a line could
  // not be run.
  int Run(std::istream& input);

 private:
  using Args = std::vector<std::string>;
  // Each command answers an error message, or the empty text on success.
  using Command = std::string (ScenarioRunner::*)(const Args&);

  std::string Locale(const Args& args);
  std::string Driver(const Args& args);
  std::string Init(const Args& args);
  std::string Advance(const Args& args);
  std::string Notify(const Args& args);
  std::string Tree(const Args& args);
  std::string Tab(const Args& args);
  std::string Click(const Args& args);
  std::string Set(const Args& args);
  std::string Select(const Args& args);
  std::string Answer(const Args& args);
  std::string Call(const Args& args);
  std::string Show(const Args& args);
  std::string State(const Args& args);
  std::string Release(const Args& args);
  std::string Destroy(const Args& args);
  std::string Sim(const Args& args);

  // toolkit::MessageBoxes: answered from the queue of `answer` lines.
  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon icon) override;

  void Emit(Json event) const { output_(event); }
  std::shared_ptr<framelink::DtmObject> MakeDriver();
  std::shared_ptr<driver::SimDriver> MakeSimDriver();

  Output output_;
  std::string iconFolder_;
  toolkit::Clock clock_;
  std::deque<toolkit::Answer> answers_;
  std::string driverKind_ = "recording";
  std::unique_ptr<UserCntrl> control_;
  // The simulated transmitter handed over by the last `init` with `driver sim`.
  std::shared_ptr<driver::SimDriver> sim_;
};

}  // namespace zolin6::scenario
