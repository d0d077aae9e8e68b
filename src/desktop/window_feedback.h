#pragma once
// What the window shows beside the control so the user never has to guess:
// a busy indicator with the time since the request went out, the device's
// tag, and a line under the page title that says when the values of a live
// page were last updated, that they are stale while the device is off line
// (the page is greyed), that an output is held at a fixed current, and what
// to do on each step of a trim. It only reads the control's state and the
// traffic on the link; the control itself is untouched.

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "host/user_cntrl.h"
#include "link/link_activity.h"
#include "link/link_tap.h"

class QLabel;
class QProgressBar;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class WindowFeedback : public QObject {
 public:
  WindowFeedback(view::MainWindow& window, UserCntrl& control, toolkit::Clock& clock,
                 std::shared_ptr<link::LinkTap> tap);
  ~WindowFeedback() override;
  WindowFeedback(const WindowFeedback&) = delete;
  WindowFeedback& operator=(const WindowFeedback&) = delete;

  // Shows the present state at once (the tests call it; the window
  // refreshes by itself after each change).
  void refresh();

  // Names the connection in the status bar before the device's tag
  // ("HART-IP 10.0.0.5:5094 · TT-101"). `otherDevice` says what device is
  // on line when it is not this transmitter (empty when it is, or none is).
  void setConnection(const QString& where, std::function<QString()> otherDevice = {});

  // What the link shows: the requests waiting, the outputs held.
  const link::LinkActivity& activity() const { return activity_; }
  // Told after every change of the activity (a request, an answer).
  void onActivityChange(std::function<void()> hook) { activityHooks_.push_back(std::move(hook)); }
  // What is done of the procedure on show, added to the page's note.
  void setProgress(std::function<QString(const UserCntrl::State&)> progress) { progress_ = std::move(progress); }
  // Shows `text` in the banner for a while, unless an output is held.
  void showReleased(const QString& text);

 private:
  void showBusy();
  void showPageNote();
  void showBanner();
  void showEmptyPage();
  QString liveNote(bool online) const;

  view::MainWindow& window_;
  UserCntrl& control_;
  toolkit::Clock& clock_;
  std::shared_ptr<link::LinkTap> tap_;
  link::LinkActivity activity_;
  QProgressBar* busyBar_ = nullptr;
  QLabel* busyText_ = nullptr;
  QLabel* deviceTag_ = nullptr;
  QString connection_;
  std::function<QString()> otherDevice_;
  std::vector<std::function<void()>> activityHooks_;
  std::function<QString(const UserCntrl::State&)> progress_;
  QString released_;                // the last release said in the banner
  toolkit::Millis releasedAt_ = 0;  // when, on the control's clock
  QPointer<QWidget> greyed_;        // the live page greyed while the device is off line
  QTimer soon_;                     // runs the refresh once the control has handled the event
  QTimer tick_;                     // counts the seconds while something is pending or live
};

}  // namespace zolin6::desktop
