#pragma once
// The scenario lines: one command table for the headless runner and the
// desktop window. Each line is checked and run here, and its events and
// error texts printed as one JSON object each; what depends on the place
// the lines run in goes through a ScenarioHost.

#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "describe.h"
#include "platform/toolkit/message_box.h"
#include "scenario_host.h"

namespace zolin6::scenario {

class ScenarioLines {
 public:
  using Output = std::function<void(const Json&)>;

  ScenarioLines(ScenarioHost& host, Output output);

  // Runs one line (numbered from 1); false when it could not be run, after
  // reporting an error event.
  bool RunLine(int number, std::string_view line);

  // Runs every line of `input`; the exit status: 0, or 2 when a line could
  // not be run.
  int Run(std::istream& input);

  // A message box of the control: answered from the queue of `answer`
  // lines (nothing queued: Yes/No boxes answer no, OK boxes ok) and reported
  // as a msgbox event.
  toolkit::Answer AnswerBox(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                            toolkit::Icon icon);

  void Emit(const Json& event) const { output_(event); }

 private:
  using Args = std::vector<std::string>;
  // Each command answers an error message, or the empty text on success.
  using Command = std::string (ScenarioLines::*)(const Args&);

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
  std::string SimLine(transport::SimulatedDevice& sim, const Args& args);
  std::string Trace(const Args& args);
  // burst_lines.cpp
  std::string Burst(const Args& args);

  ScenarioHost& host_;
  Output output_;
  std::deque<toolkit::Answer> answers_;
  std::string driverKind_ = "recording";
};

}  // namespace zolin6::scenario
