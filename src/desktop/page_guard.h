#pragma once
// Write writes what is on screen. Until the control's first read has gone
// out (its start-up timer sets the page name back to "Information" then)
// the window takes no tree click, tab or button; after that, Write is
// refused whenever the page on show is not the page the control would
// write. The refusal is said in the status bar; the control never hears of
// the event, so what it does when it does hear one is unchanged.

#include <QObject>
#include <QString>

#include <functional>

#include "host/user_cntrl.h"

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class PageGuard : public QObject {
 public:
  // `tell` shows why an event was refused.
  PageGuard(view::MainWindow& window, UserCntrl& control, std::function<void(const QString&)> tell);

  // Whether the control's first read has gone out.
  bool started() const { return started_; }
  // Why Write would not write the page on show now; empty when it would.
  QString writeRefusal() const;
  // Whether the last press of Write was refused here.
  bool lastWriteRefused() const { return lastWriteRefused_; }

 private:
  bool allows(const toolkit::Widget& target);
  void start();

  view::MainWindow& window_;
  UserCntrl& control_;
  std::function<void(const QString&)> tell_;
  bool started_ = false;
  bool lastWriteRefused_ = false;
};

}  // namespace zolin6::desktop
