#pragma once
// Time for the control's timers. The clock is advanced explicitly: by the
// tests and the scenario runner with `advance`, by the desktop view from its
// event loop. No core code reads the wall clock.

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/toolkit/widgets.h"

namespace zolin6::toolkit {

using Millis = std::int64_t;

class Clock;

// A timer control: ticks every `interval` ms while enabled. Enabling a
// disabled timer, or setting the interval of an enabled one, starts a new
// count from now; an interval of 0 never ticks.
class Timer : public Widget {
 public:
  Timer(const forms::ControlDesign& design, const ChangeListener* listener, Clock& clock);
  ~Timer() override;

  int interval() const { return interval_; }
  void setInterval(int interval);
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled);
  void onTick(std::function<void()> handler) { tick_ = std::move(handler); }

  // When the next tick is due, or -1 when the timer cannot tick.
  Millis nextDue() const;

 private:
  friend class Clock;
  void fire();

  Clock& clock_;
  int interval_ = 0;
  bool enabled_;
  Millis countFrom_ = 0;
  std::function<void()> tick_;
};

class Clock {
 public:
  Millis now() const { return now_; }
  // Moves time on by `ms`, firing every due tick and every due callback in
  // time order; ticks due at the same moment fire in the order the timers
  // were created, and before the callbacks due at that moment.
  void advance(Millis ms);
  // Moves time on by `ms` as an operating-system timer recovers from a stall
  // (a modal box, a slow paint): callbacks run as with `advance`, but each
  // timer ticks at most once and then counts its interval from the new now,
  // instead of replaying every tick it missed back to back.
  void catchUp(Millis ms);
  // The earliest moment at which a timer tick or a callback is due, or -1.
  Millis nextDue() const;

  // Runs `callback` once, when `advance` reaches `at` (on the next advance
  // when `at` has already passed). Callbacks due at the same moment run in
  // the order they were scheduled. This is how work that is not a timer
  // control, such as a device driver's delayed answers, runs on the same
  // time as the control's timers.
  void callAt(Millis at, std::function<void()> callback);

 private:
  friend class Timer;
  void attach(Timer* timer) { timers_.push_back(timer); }
  void detach(Timer* timer);
  void run(Millis ms, bool coalesce);

  Millis now_ = 0;
  std::vector<Timer*> timers_;
  // Scheduled callbacks by due moment; equal moments keep their order.
  std::multimap<Millis, std::function<void()>> scheduled_;
};

}  // namespace zolin6::toolkit
