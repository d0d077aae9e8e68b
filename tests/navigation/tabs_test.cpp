// The tab controls: the page names each tab records, the read it sends and
// the polling timer it starts.

#include <gtest/gtest.h>

#include "navigation_helpers.h"

namespace zolin6::fakes {
namespace {

struct TabCase {
  const char* control;
  int tab;
  const char* page;
  const char* subPage;
  const char* sent;       // "" when nothing is sent
  const char* readCode;   // sReadCode afterwards ("1" is the value before)
  const char* running;    // polling timers afterwards ("TimerReadCurrent" runs before)
  int interval;           // of the timer the tab starts
};

class TabClick : public ::testing::TestWithParam<TabCase> {};

TEST_P(TabClick, RecordsTheTabAndSendsItsRead) {
  const TabCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.get<toolkit::Timer>("TimerReadCurrent").setEnabled(true);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");

  h.ClickTab(c.control, c.tab);

  EXPECT_EQ(h.state().sPage, c.page);
  EXPECT_EQ(h.state().sSubPage, c.subPage);
  EXPECT_EQ(h.state().sReadCode, c.readCode);
  EXPECT_EQ(Sent(h), *c.sent ? std::vector<std::string>{c.sent} : std::vector<std::string>{});
  EXPECT_EQ(h.panel(4), *c.sent ? "Reading Xmtr Data..." : "idle");
  const std::vector<std::string> running = RunningTimers(h);
  EXPECT_EQ(running, *c.running ? std::vector<std::string>{c.running} : std::vector<std::string>{});
  if (c.interval != 0 && !running.empty()) {
    EXPECT_EQ(h.get<toolkit::Timer>(running[0]).interval(), c.interval);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, TabClick,
    ::testing::Values(
        // Every information tab names the page "Info Sensor 1"; the code goes
        // out without passing through sReadCode, as on the range tabs.
        TabCase{"SSTabInfoSensor", 5, "Info Sensor 1", "Info Sensor 6", "read 8", "1", "TimerReadCurrent", 0},
        TabCase{"SSTabConfSensor", 3, "Channel Sensor", "Sensor 4", "read 13", "13", "TimerReadCurrent", 0},
        TabCase{"SSTabConfSensor", 6, "Channel Sensor", "Sensor Others", "read 33", "33", "TimerReadCurrent", 0},
        TabCase{"SSTabSensorRange", 1, "Range Sensor", "Sensor 2", "read 19", "1", "TimerReadCurrent", 0},
        TabCase{"SSTabDiagnosis", 1, "Diagnosis", "Specific Status", "read 25", "25", "TimerReadStatus", 5000},
        TabCase{"SSTabDiagnosis", 2, "Diagnosis", "Change Counter", "read 26", "26", "", 0},
        TabCase{"SSTabDiagnosis", 3, "Diagnosis", "Diag Temperature", "read 27", "27", "TimerDiagTemperature", 3000},
        TabCase{"SSTabObserve", 0, "Observe", "Monit", "read 24", "24", "TimerObserve", 5000},
        // The codes of the eight monitoring slots as preset at start.
        TabCase{"SSTabObserve", 1, "Observe", "Specific Var", "read 32 00,01,02,03,04,05,06,07", "32",
                "TimerMonitSpecificVar", 5000},
        // Loop-test tabs name the page only: nothing is sent or released.
        TabCase{"SSTabLoopTest", 4, "Fixed Current - Channel 5", "", "", "1", "TimerReadCurrent", 0}),
    [](const ::testing::TestParamInfo<TabCase>& p) {
      return std::string(p.param.control + 5) + "Tab" + std::to_string(p.param.tab);
    });

TEST(DiagnosisTabs, OnlyTheTemperatureTabCanBeWritten) {
  ControlHarness h;
  h.Connect();
  for (int tab = 0; tab < 4; ++tab) {
    h.ClickTab("SSTabDiagnosis", tab);
    EXPECT_EQ(h.get<toolkit::CommandButton>("cmdWriteParameter").enabled(), tab == 3) << tab;
  }
}

TEST(ObserveTabs, TheMonitTabRestartsTheTreesObservationAt5000) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Observe");
  ASSERT_EQ(h.get<toolkit::Timer>("TimerObserve").interval(), 3000);
  h.ClickTab("SSTabObserve", 0);
  EXPECT_EQ(h.get<toolkit::Timer>("TimerObserve").interval(), 5000);
}

TEST(ObserveTabs, SlotsWithoutAMonitoringTextSendAnEmptyCode) {
  ControlHarness h;
  h.Connect();
  h.get<toolkit::ComboBox>("cmbVar3").setText("");
  // The display's percentage form, with its blank, is no monitoring text.
  h.get<toolkit::ComboBox>("cmbVar7").setText("Sensor 1 %");
  h.get<toolkit::ComboBox>("cmbVar8").setText("Local Temp");

  h.ClickTab("SSTabObserve", 1);

  EXPECT_EQ(Sent(h), std::vector<std::string>{"read 32 00,01,,03,04,05,,0C"});
  EXPECT_EQ(AttributesOf(h.state().sRequestDoc), Attrs({"00", "01", "", "03", "04", "05", "", "0C"}));
}

TEST(TabFailure, FailingReadLeavesTheTimerStartedAndNoStatusText) {
  ControlHarness h;
  h.Connect();
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");
  h.driver->failRequests = true;
  h.ClickTab("SSTabDiagnosis", 0);
  EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadStatus"});
  EXPECT_EQ(h.panel(4), "idle");
}

}  // namespace
}  // namespace zolin6::fakes
