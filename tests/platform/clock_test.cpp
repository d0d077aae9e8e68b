#include "platform/toolkit/clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/form_design.h"

namespace zolin6::toolkit {
namespace {

// A clock with one timer; every tick and callback appends "what@when" to a log.
class ClockTest : public ::testing::Test {
 protected:
  ClockTest() : timer(forms::ControlDesign{forms::Kind::Timer, "Timer1"}, nullptr, clock) {
    timer.onTick([this] { log.push_back("tick@" + std::to_string(clock.now())); });
  }
  void Schedule(Millis at, const std::string& name) {
    clock.callAt(at, [this, name] { log.push_back(name + "@" + std::to_string(clock.now())); });
  }

  Clock clock;
  Timer timer;
  std::vector<std::string> log;
};

TEST_F(ClockTest, TimerTicksEveryIntervalWhileEnabled) {
  timer.setInterval(1000);
  timer.setEnabled(true);
  clock.advance(3500);
  EXPECT_EQ(log, (std::vector<std::string>{"tick@1000", "tick@2000", "tick@3000"}));
  EXPECT_EQ(clock.now(), 3500);
  EXPECT_EQ(clock.nextDue(), 4000);
}

TEST_F(ClockTest, CallbacksRunOnceInTimeOrderAmongTheTicks) {
  timer.setInterval(1000);
  timer.setEnabled(true);
  Schedule(1500, "b");
  Schedule(300, "a");
  Schedule(1000, "tie");  // a tick due at the same moment goes first
  clock.advance(2000);
  EXPECT_EQ(log, (std::vector<std::string>{"a@300", "tick@1000", "tie@1000", "b@1500", "tick@2000"}));
  log.clear();
  timer.setEnabled(false);
  clock.advance(5000);
  EXPECT_TRUE(log.empty());
}

TEST_F(ClockTest, CatchUpAfterAStallTicksOnceAndGoesOnFromNow) {
  timer.setInterval(1000);
  timer.setEnabled(true);
  Schedule(2500, "answer");
  clock.catchUp(3500);
  // The answer still comes at its moment; the missed ticks are one tick.
  EXPECT_EQ(log, (std::vector<std::string>{"tick@1000", "answer@2500"}));
  EXPECT_EQ(clock.nextDue(), 4500);
  clock.catchUp(1000);
  EXPECT_EQ(log.back(), "tick@4500");
}

TEST_F(ClockTest, CallbacksDueTogetherKeepTheirOrder) {
  for (const char* name : {"first", "second", "third"}) Schedule(100, name);
  clock.advance(100);
  EXPECT_EQ(log, (std::vector<std::string>{"first@100", "second@100", "third@100"}));
}

TEST_F(ClockTest, CallbackScheduledByACallbackRunsInTheSameAdvanceWhenDue) {
  clock.callAt(100, [this] {
    log.push_back("outer@" + std::to_string(clock.now()));
    Schedule(clock.now() + 50, "inner");
    Schedule(clock.now() + 5000, "later");
  });
  clock.advance(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"outer@100", "inner@150"}));
  EXPECT_EQ(clock.nextDue(), 5100);
}

TEST_F(ClockTest, NextDueCoversCallbacksAndAPassedMomentIsDueNow) {
  EXPECT_EQ(clock.nextDue(), -1);
  clock.advance(500);
  Schedule(200, "late");
  EXPECT_EQ(clock.nextDue(), 500);
  clock.advance(0);
  EXPECT_EQ(log, (std::vector<std::string>{"late@500"}));
  EXPECT_EQ(clock.nextDue(), -1);
}

}  // namespace
}  // namespace zolin6::toolkit
