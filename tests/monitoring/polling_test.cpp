// The polling timers: who starts them at which rate, what each tick reads,
// the silence while the device is away, and the stop.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/control_harness.h"
#include "writing/writing_helpers.h"

namespace zolin6::fakes {
namespace {

using toolkit::Timer;

// The live pages, started from the tree or a tab: the timer, its rate, and
// the read every tick sends.
struct LiveCase {
  const char* label;
  const char* node;
  const char* tabControl;  // "" for none
  int tab;
  const char* timer;
  int interval;
  const char* readCode;
};

void PrintTo(const LiveCase& c, std::ostream* os) { *os << c.label; }
std::string LiveLabel(const ::testing::TestParamInfo<LiveCase>& info) { return info.param.label; }

class LivePage : public ::testing::TestWithParam<LiveCase> {};

TEST_P(LivePage, ReadsAtItsRateUntilThePageIsLeft) {
  const LiveCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree(c.node);
  if (*c.tabControl != '\0') h.ClickTab(c.tabControl, c.tab);
  EXPECT_EQ(RunningPolling(h), std::vector<std::string>{c.timer});
  EXPECT_EQ(h.get<Timer>(c.timer).interval(), c.interval);
  const std::string document = h.state().sRequestDoc;
  h.driver->requests.clear();
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "");

  h.clock.advance(c.interval - 1);
  EXPECT_TRUE(h.driver->requests.empty());
  h.clock.advance(1);
  ASSERT_EQ(h.driver->requests.size(), 1u);
  EXPECT_EQ(h.driver->requests[0].kind, "read");
  EXPECT_EQ(h.driver->requests[0].code, c.readCode);
  // The tick passes the document the starting click built.
  EXPECT_EQ(h.driver->requests[0].document, document);
  EXPECT_EQ(h.state().sReadCode, c.readCode);
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
  h.clock.advance(c.interval);
  EXPECT_EQ(h.driver->requests.size(), 2u);

  // Leaving the page stops the timer; its interval stays.
  h.ClickTree("Information");
  h.driver->requests.clear();
  h.clock.advance(3 * c.interval);
  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_FALSE(h.get<Timer>(c.timer).enabled());
  EXPECT_EQ(h.get<Timer>(c.timer).interval(), c.interval);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LivePage,
    ::testing::Values(LiveCase{"ObserveFromTree", "Observe", "", 0, "TimerObserve", 3000, "24"},
                      // The first tab restarts the same timer more slowly.
                      LiveCase{"ObserveMonitTab", "Observe", "SSTabObserve", 0, "TimerObserve", 5000, "24"},
                      LiveCase{"StatusFromTree", "Diagnosis", "", 0, "TimerReadStatus", 5000, "25"},
                      LiveCase{"DeviceSpecificTab", "Diagnosis", "SSTabDiagnosis", 1, "TimerReadStatus", 5000, "25"}),
    LiveLabel);

TEST(SpecificVariables, EveryTickReadsTheVariablesChosenAtThatMoment) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Observe");
  const char* chosen[] = {"Sensor 1", "Sensor 6%", "", "Local Temp", "Sensor 2", "Sensor 3", "Sensor 4", "Sensor 5"};
  for (int i = 0; i < 8; ++i) Type(h, "cmbVar" + std::to_string(i + 1), -1, chosen[i]);
  h.ClickTab("SSTabObserve", 1);
  EXPECT_EQ(RunningPolling(h), std::vector<std::string>{"TimerMonitSpecificVar"});
  EXPECT_EQ(h.get<Timer>("TimerMonitSpecificVar").interval(), 5000);
  h.driver->requests.clear();

  // A new choice counts from the next tick on; an empty combo sends "".
  Type(h, "cmbVar1", -1, "Sensor 1 %");
  Type(h, "cmbVar5", -1, "Sensor 2%");
  h.clock.advance(5000);

  ASSERT_EQ(h.driver->requests.size(), 1u);
  ExpectRequest(h.driver->requests[0], "read", "32", Filled({"", "0B", "", "0C", "07", "02", "03", "04"}));
  EXPECT_EQ(h.state().sRequestDoc, h.driver->requests[0].document);
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
}

TEST(DiagnosisTemperature, TimerRunsButItsTicksReadNothing) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Diagnosis");
  h.ClickTab("SSTabDiagnosis", 3);
  EXPECT_EQ(RunningPolling(h), std::vector<std::string>{"TimerDiagTemperature"});
  EXPECT_EQ(h.get<Timer>("TimerDiagTemperature").interval(), 3000);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "");
  h.driver->requests.clear();

  h.clock.advance(9000);

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(h.panel(4), "");
  EXPECT_TRUE(h.get<Timer>("TimerDiagTemperature").enabled());
}

// The trim timers are started by the procedures; here they are started the
// way the procedures start them, with the interval first.
struct TrimCase {
  const char* timer;
  int startInterval;
  const char* readCode;
  int laterInterval;  // the interval after the first tick
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.timer; }

class TrimTimer : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimTimer, EveryTickReadsWithAnEmptyDocument) {
  const TrimCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  // Leave a document with values behind, which the ticks must not reuse.
  h.ClickTree("Configuration");
  h.boxes.answers.push_back(toolkit::Answer::Yes);
  h.Click("cmdConfSRangeCopyAll");
  ASSERT_NE(AttributesOf(h.state().sRequestDoc), Filled({}));
  h.driver->requests.clear();
  Timer& timer = h.get<Timer>(c.timer);
  timer.setInterval(c.startInterval);
  timer.setEnabled(true);

  h.clock.advance(c.startInterval);
  ASSERT_EQ(h.driver->requests.size(), 1u);
  ExpectRequest(h.driver->requests[0], "read", c.readCode, Filled({}));
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
  EXPECT_EQ(timer.interval(), c.laterInterval);

  h.clock.advance(c.laterInterval - 1);
  EXPECT_EQ(h.driver->requests.size(), 1u);
  h.clock.advance(1);
  EXPECT_EQ(h.driver->requests.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Procedures, TrimTimer,
                         ::testing::Values(
                             // The first loop current comes after 1 s, the later ones every 3 s.
                             TrimCase{"TimerReadCurrent", 1000, "28", 3000},
                             TrimCase{"TimerReadCalTemperature", 3000, "29", 3000},
                             TrimCase{"TimerReadCalTempSensor", 3000, "31", 3000}));

// Each acting timer with the read of its tick.
struct TickCase {
  const char* timer;
  const char* readCode;
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.timer; }

class WithoutDevice : public ::testing::TestWithParam<TickCase> {};

TEST_P(WithoutDevice, TicksAreSilentAndResumeWhenTheDeviceReturns) {
  const TickCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  Timer& timer = h.get<Timer>(c.timer);
  timer.setInterval(3000);
  timer.setEnabled(true);
  h.Notify(0, kOffline);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "");

  h.clock.advance(9000);
  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(h.panel(4), "");
  EXPECT_TRUE(timer.enabled());

  h.Notify(0, kOnline);
  h.clock.advance(3000);
  ASSERT_EQ(h.driver->requests.size(), 1u);
  EXPECT_EQ(h.driver->requests[0].code, c.readCode);
}

INSTANTIATE_TEST_SUITE_P(Timers, WithoutDevice,
                         ::testing::Values(TickCase{"TimerObserve", "24"}, TickCase{"TimerMonitSpecificVar", "32"},
                                           TickCase{"TimerReadStatus", "25"}, TickCase{"TimerReadCurrent", "28"},
                                           TickCase{"TimerReadCalTemperature", "29"},
                                           TickCase{"TimerReadCalTempSensor", "31"}));

}  // namespace
}  // namespace zolin6::fakes
