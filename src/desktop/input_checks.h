#pragma once
// Typed values checked before the control sees them: on the page on show, a
// field whose text the Write button would refuse (a number that is not a
// plain decimal in the user's locale, a text longer than the device keeps)
// is marked at once with the reason in its tooltip. When Write then does
// nothing, or the device is off line, the status bar says why and the field
// gets the focus. The control's own rule stays underneath: it still stops
// silently at such a field.

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

#include "host/user_cntrl.h"

class QLabel;
class QWidget;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class InputChecks : public QObject {
 public:
  InputChecks(view::MainWindow& window, UserCntrl& control);

  // Marks the fields of the page on show; the first field Write refuses, if any.
  QWidget* check();
  // What the status bar says after Write (empty when it had nothing to say).
  QString notice() const;
  // Says in the status bar why the window refused an event.
  void say(const QString& why);
  // Whether the window itself refused the last Write (and said why): then
  // the checks after the control's handler have nothing to add.
  void setWriteRefused(std::function<bool()> refused) { writeRefused_ = std::move(refused); }

 private:
  void writePressed();
  void mark(QWidget* field, const QString& reason);

  view::MainWindow& window_;
  UserCntrl& control_;
  QLabel* notice_ = nullptr;
  QTimer soon_;  // checks the page once the current event is handled
  QTimer clearNotice_;
  std::vector<QPointer<QWidget>> marked_;
  std::function<bool()> writeRefused_;
};

}  // namespace zolin6::desktop
