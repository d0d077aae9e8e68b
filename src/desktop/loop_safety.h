#pragma once
// The procedures keep the loop safe: before a step that holds an output at
// a fixed current the user is asked to take the loop out of automatic
// control first; the control's trim questions say what the meter should
// read and what comes after each answer; the page says which points are
// done; and once the device confirms a release the user hears that the
// loop may go back to automatic control. All of it sits around the
// control's own boxes and changes nothing the control sends: a step the
// user cancels is a click the control never got.

#include <QObject>
#include <QString>

#include <set>
#include <utility>

#include "host/user_cntrl.h"
#include "link/link_activity.h"
#include "platform/toolkit/message_box.h"

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class Prompter;
class WindowFeedback;

class LoopSafety : public QObject {
 public:
  LoopSafety(view::MainWindow& window, UserCntrl& control, WindowFeedback& feedback, Prompter& prompter);

  // The line the window adds under the text of one of the control's boxes,
  // asked while the box opens (after the page it answers).
  QString boxNote(const std::string& text, toolkit::Buttons buttons);
  // The answer the user gave to the box last noted.
  void boxAnswered(toolkit::Answer answer);
  // What is done of the procedure on show, for the page's note; "" when
  // nothing is.
  QString progress(const UserCntrl::State& state) const;

 private:
  bool allows(const toolkit::Widget& target);
  // The channel and current a click on `target` would hold; channel 0 when
  // it holds nothing.
  std::pair<int, QString> holdOf(const toolkit::Widget& target) const;
  void heldChanged();

  view::MainWindow& window_;
  UserCntrl& control_;
  WindowFeedback& feedback_;
  Prompter& prompter_;
  std::map<int, double> held_;              // the outputs held at the last change
  std::set<std::pair<int, int>> trimmed_;   // (channel, mA) of the current trim points done
  std::set<std::string> sensorPointsDone_;  // "Sensor Lower Trim", "Sensor Upper Trim"
  std::pair<int, int> askedPoint_{0, 0};    // the current trim point the open question is about
  std::string askedSensorPoint_;            // the sensor trim point the open question is about
};

}  // namespace zolin6::desktop
