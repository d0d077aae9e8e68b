#pragma once
// Runs the control's manual clock on the Qt event loop. Each time the loop
// is about to wait for events, one single-shot timer is set for the earliest
// due moment of the clock (a timer tick or a driver's scheduled answer);
// when it fires, the clock is moved on to the time that has really passed.
// Nothing polls: between due moments the loop sleeps.
//
// After a stall each timer ticks once and goes on from now (Clock::catchUp),
// and while the clock is held (a message box that a handler opened is up)
// nothing falls due: the driver's answers and the ticks wait until the
// handler that opened the box has returned.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "platform/toolkit/clock.h"

namespace zolin6::transport {

class EventLoopClock : public QObject {
 public:
  // The clock's present time is taken as "now" on the wall clock.
  explicit EventLoopClock(toolkit::Clock& clock, QObject* parent = nullptr);

  // Sets the wait for the clock's earliest due moment; done on its own
  // whenever the event loop goes idle.
  void reschedule();

  // Moves the clock on to the present, running what has fallen due. Called
  // before each user event: between due moments the clock stands still, and
  // a handler must arm its timers and send its requests at the true "now".
  void catchUp();

  // Holds due work back while a handler waits on a modal box; holds nest.
  // Released, the work runs once the event loop is idle again.
  void hold() { ++holds_; }
  void release();

  toolkit::Clock& clock() { return clock_; }

  // Wall-clock milliseconds since start, on the clock's scale.
  toolkit::Millis elapsed() const { return start_ + wall_.elapsed(); }

 private:
  toolkit::Clock& clock_;
  toolkit::Millis start_;
  QElapsedTimer wall_;
  QTimer wake_;
  toolkit::Millis waitingFor_ = -1;  // the due moment the wake-up is set for
  bool advancing_ = false;
  int holds_ = 0;
};

}  // namespace zolin6::transport
