#pragma once
// Runs a scenario of the runner's line format in the real window: the
// user's events go through the Qt widgets, `advance MS` lets MS milliseconds
// of the event loop pass, message boxes are answered from the `answer`
// queue, and `show`/`state`/`msgbox`/`error` events are printed as the
// runner prints them. The application's own start stands for `driver` and
// `init`, which are skipped.

#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "host/user_cntrl.h"
#include "view/main_window.h"
#include "view/message_boxes.h"

namespace zolin6::view {

class WindowScript {
 public:
  using Output = std::function<void(const std::string&)>;  // one JSON object per call

  WindowScript(MainWindow& window, UserCntrl& control, toolkit::Clock& clock, QtMessageBoxes& boxes, Output output);
  ~WindowScript();
  WindowScript(const WindowScript&) = delete;
  WindowScript& operator=(const WindowScript&) = delete;

  // The `sim` lines, when the window works with the simulated transmitter:
  // the handler answers an error message, or the empty text.
  using SimCommands = std::function<std::string(const std::vector<std::string>& args)>;
  void setSimCommands(SimCommands commands) { sim_ = std::move(commands); }

  // Runs one line (numbered from 1); false when it could not be run.
  bool RunLine(int number, std::string_view line);
  // Runs every line; 0, or 2 when a line could not be run.
  int Run(std::istream& input);

 private:
  using Args = std::vector<std::string>;
  std::string Dispatch(const std::string& command, const Args& args);
  std::string Tree(const Args& args);
  std::string Tab(const Args& args);
  std::string Click(const Args& args);
  std::string Set(const Args& args);
  std::string Select(const Args& args);
  std::string Advance(const Args& args);
  toolkit::Answer Answer(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                         toolkit::Icon icon);

  MainWindow& window_;
  UserCntrl& control_;
  toolkit::Clock& clock_;
  QtMessageBoxes& boxes_;
  Output output_;
  std::deque<toolkit::Answer> answers_;
  SimCommands sim_;
};

}  // namespace zolin6::view
