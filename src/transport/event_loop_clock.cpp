#include "transport/event_loop_clock.h"

#include <QAbstractEventDispatcher>

#include <algorithm>

namespace zolin6::transport {

EventLoopClock::EventLoopClock(toolkit::Clock& clock, QObject* parent)
    : QObject(parent), clock_(clock), start_(clock.now()) {
  wall_.start();
  wake_.setSingleShot(true);
  wake_.setTimerType(Qt::PreciseTimer);
  connect(&wake_, &QTimer::timeout, this, [this] {
    waitingFor_ = -1;
    catchUp();
  });
  // Handlers arm timers and drivers schedule answers at any time; looking
  // once before the loop sleeps catches all of them, modal loops included.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          [this] { reschedule(); });
  reschedule();
}

void EventLoopClock::reschedule() {
  // While due work is being run the clock is between two moments; the wait
  // is set once it is done.
  if (advancing_) return;
  if (holds_ > 0) {
    wake_.stop();
    waitingFor_ = -1;
    return;
  }
  const toolkit::Millis due = clock_.nextDue();
  if (due == waitingFor_ && (due < 0 || wake_.isActive())) return;
  waitingFor_ = due;
  if (due < 0) {
    wake_.stop();
    return;
  }
  constexpr toolkit::Millis kLongestWaitMs = toolkit::Millis{24} * 3600 * 1000;  // QTimer takes an int
  const toolkit::Millis wait = std::clamp<toolkit::Millis>(due - elapsed(), 0, kLongestWaitMs);
  wake_.start(static_cast<int>(wait));
}

void EventLoopClock::catchUp() {
  // Due work may open a modal message box, whose own event loop could wake
  // this timer again; the clock must not be advanced inside an advance.
  if (advancing_ || holds_ > 0) return;
  advancing_ = true;
  clock_.catchUp(std::max<toolkit::Millis>(0, elapsed() - clock_.now()));
  advancing_ = false;
  reschedule();
}

void EventLoopClock::release() {
  if (holds_ > 0) --holds_;
  // The rest of the handler runs before the loop is idle and sets the wait.
}

}  // namespace zolin6::transport
