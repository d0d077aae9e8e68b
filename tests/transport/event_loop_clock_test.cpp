// The clock on the event loop as due work sees it: work that runs an event
// loop of its own (a dialog, a wait) is not overtaken by what falls due
// meanwhile, which runs once that work has returned; a release the clock
// never saw held does not undo the next hold.

#include "transport/event_loop_clock.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <string>
#include <vector>

#include "hart_ip_support.h"

namespace zolin6::transport {
namespace {

// Lets the loop wait as the application's does: the clock sets its wake-up
// when the loop is about to block.
void Idle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

TEST(EventLoopClock, WorkDueDuringAnotherWorksOwnLoopRunsAfterIt) {
  testing::EnsureEventLoop();
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  std::vector<std::string> order;
  clock.callAt(clock.now() + 10, [&] {
    order.emplace_back("first begins");
    Idle(150);
    order.emplace_back("first ends");
  });
  clock.callAt(clock.now() + 20, [&] { order.emplace_back("second"); });
  ticker.reschedule();  // the loop below only polls: it never goes idle
  testing::RunUntil([&] { return order.size() == 3; }, 3000);
  EXPECT_EQ(order, (std::vector<std::string>{"first begins", "first ends", "second"}));
}

TEST(EventLoopClock, AHoldAfterAnUnmatchedReleaseStillHoldsWork) {
  testing::EnsureEventLoop();
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  ticker.release();
  ticker.hold();
  bool ran = false;
  clock.callAt(clock.now() + 10, [&] { ran = true; });
  Idle(100);
  EXPECT_FALSE(ran);
  ticker.release();
  Idle(100);
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace zolin6::transport
