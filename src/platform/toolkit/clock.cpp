#include "platform/toolkit/clock.h"

#include <algorithm>

namespace zolin6::toolkit {

Timer::Timer(const forms::ControlDesign& design, const ChangeListener* listener, Clock& clock)
    : Widget(design, listener), clock_(clock), enabled_(design.enabled) {
  clock_.attach(this);
}

Timer::~Timer() { clock_.detach(this); }

void Timer::setInterval(int interval) {
  interval_ = interval;
  if (enabled_) countFrom_ = clock_.now();
  changed();
}

void Timer::setEnabled(bool enabled) {
  if (enabled && !enabled_) countFrom_ = clock_.now();
  enabled_ = enabled;
  changed();
}

Millis Timer::nextDue() const {
  if (!enabled_ || interval_ <= 0) return -1;
  return countFrom_ + interval_;
}

void Timer::fire() {
  countFrom_ = clock_.now();
  if (tick_) tick_();
}

void Clock::detach(Timer* timer) { std::erase(timers_, timer); }

Millis Clock::nextDue() const {
  Millis best = -1;
  for (const Timer* t : timers_) {
    Millis due = t->nextDue();
    if (due >= 0 && (best < 0 || due < best)) best = due;
  }
  if (!scheduled_.empty()) {
    Millis due = std::max(now_, scheduled_.begin()->first);
    if (best < 0 || due < best) best = due;
  }
  return best;
}

void Clock::callAt(Millis at, std::function<void()> callback) { scheduled_.emplace(at, std::move(callback)); }

void Clock::advance(Millis ms) { run(ms, false); }

void Clock::catchUp(Millis ms) { run(ms, true); }

void Clock::run(Millis ms, bool coalesce) {
  const Millis end = now_ + ms;
  std::vector<const Timer*> fired;  // with `coalesce`: the timers that have had their one tick
  const auto hadItsTick = [&fired](const Timer* t) { return std::ranges::find(fired, t) != fired.end(); };
  for (;;) {
    Timer* next = nullptr;
    Millis nextAt = -1;
    for (Timer* t : timers_) {
      Millis due = t->nextDue();
      if (coalesce && hadItsTick(t)) continue;
      if (due >= 0 && due <= end && (nextAt < 0 || due < nextAt)) {
        next = t;
        nextAt = due;
      }
    }
    // A callback whose moment has passed is due now.
    const Millis callbackAt = scheduled_.empty() ? -1 : std::max(now_, scheduled_.begin()->first);
    const bool callbackDue = callbackAt >= 0 && callbackAt <= end;
    if (callbackDue && (next == nullptr || callbackAt < nextAt)) {
      // Taken out before it runs: the callback may schedule further ones.
      auto node = scheduled_.extract(scheduled_.begin());
      now_ = std::max(now_, node.key());
      node.mapped()();
      continue;
    }
    if (next == nullptr) break;
    now_ = std::max(now_, nextAt);
    if (coalesce) fired.push_back(next);
    next->fire();
  }
  now_ = end;
  if (!coalesce) return;
  // A timer still overdue skipped its missed ticks; it goes on from now.
  for (Timer* t : timers_) {
    const Millis due = t->nextDue();
    if (due >= 0 && due <= end) t->countFrom_ = end;
  }
}

}  // namespace zolin6::toolkit
