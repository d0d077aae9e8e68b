// The polling ticks: the read each timer repeats, with which document, and
// the silence while the device is away. Which page starts which timer at
// which rate is the navigation's business.

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;

struct TickCase {
  const char* timer;
  const char* sent;  // "" for a tick that reads nothing
  int nextMs;        // the interval after the first tick
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.timer; }

class PollingTick : public ConnectedControl, public ::testing::WithParamInterface<TickCase> {};

TEST_P(PollingTick, ReadsOnEveryTickAndIsSilentOffLine) {
  const TickCase& c = GetParam();
  h.get<toolkit::TextBox>("txtParameter", 106).setText("300");  // leaves the document "012C"
  h.boxes.answers.push_back(toolkit::Answer::Yes);
  h.Click("cmdResetChangeStatus");
  // A new choice of monitored variable counts from the next tick on.
  h.type("cmbVar1", -1, "Sensor 1 %");
  h.type("cmbVar5", -1, "Sensor 2%");
  h.driver->requests.clear();
  h.setPanel(4, "idle");
  toolkit::Timer& timer = h.get<toolkit::Timer>(c.timer);
  timer.setInterval(1000);
  timer.setEnabled(true);

  h.clock.advance(999);
  EXPECT_EQ(h.sent(), Lines{});
  h.clock.advance(1);
  EXPECT_EQ(h.sent(), *c.sent ? Lines{c.sent} : Lines{});
  EXPECT_EQ(h.panel(4), *c.sent ? "Reading Xmtr Data..." : "idle");
  EXPECT_EQ(timer.interval(), c.nextMs);

  // Without the device the ticks go on silently and resume by themselves.
  h.Notify(0, kOffline);
  h.driver->requests.clear();
  h.clock.advance(10 * c.nextMs);
  EXPECT_EQ(h.sent(), Lines{});
  h.Notify(0, kOnline);
  h.clock.advance(c.nextMs);
  EXPECT_EQ(h.sent().size(), *c.sent ? 1u : 0u);
}

// The observation and status ticks pass the document the last request left;
// the trim timers send an empty one; the specific variables are read afresh.
INSTANTIATE_TEST_SUITE_P(Timers, PollingTick,
                         ::testing::Values(TickCase{"TimerObserve", "read 24 012C", 1000},
                                           TickCase{"TimerReadStatus", "read 25 012C", 1000},
                                           TickCase{"TimerMonitSpecificVar", "read 32 ,01,02,03,07,05,06,07", 1000},
                                           // The loop current is read back 1 s after the trim step, then every 3 s.
                                           TickCase{"TimerReadCurrent", "read 28", 3000},
                                           TickCase{"TimerReadCalTemperature", "read 29", 1000},
                                           TickCase{"TimerReadCalTempSensor", "read 31", 1000},
                                           // The extremes are read once when their tab is chosen.
                                           TickCase{"TimerDiagTemperature", "", 1000}));

}  // namespace
}  // namespace zolin6::fakes
