// The function tree: what each node shows and reads, and the release of a
// loop current that a procedure left held when the tree is used to leave it.

#include <gtest/gtest.h>

#include <cctype>

#include "navigation_helpers.h"

namespace zolin6::fakes {
namespace {

using toolkit::CommandButton;

constexpr const char* kTabControls[] = {"SSTabInfoSensor", "SSTabConfSensor", "SSTabSensorRange", "SSTabObserve",
                                         "SSTabDiagnosis"};

struct NodeCase {
  const char* text;
  const char* frame;
  const char* page;
  const char* subPage;  // afterwards; "Change Counter" means unchanged
  const char* sent;     // "" when nothing is read
  bool write;           // cmdWriteParameter afterwards
  const char* timer;    // polling timer running afterwards, "" for none
  int interval;
};

class TreeNodeClick : public ::testing::TestWithParam<NodeCase> {};

// From a state with every polling timer running, the side buttons enabled,
// the Write button the opposite of the node's and the tabs on their second tab.
TEST_P(TreeNodeClick, ShowsItsPageAndSendsItsRead) {
  const NodeCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTab("SSTabDiagnosis", 2);
  for (const char* name : kPollingTimers) h.get<toolkit::Timer>(name).setEnabled(true);
  for (const char* name : kTabControls) {
    h.get<toolkit::TabControl>(name).setTab(1);
  }
  h.get<CommandButton>("cmdWriteParameter").setEnabled(!c.write);
  h.get<CommandButton>("cmdSave").setEnabled(true);
  h.get<CommandButton>("cmdBack").setEnabled(true);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");
  h.driver->requests.clear();

  h.ClickTree(c.text);

  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{c.frame});
  EXPECT_EQ(h.state().sPage, c.page);
  EXPECT_EQ(h.state().sSubPage, c.subPage);
  // One read at most: turning a tab to its first tab does not run its click.
  EXPECT_EQ(Sent(h), *c.sent ? std::vector<std::string>{c.sent} : std::vector<std::string>{});
  EXPECT_EQ(h.panel(4), *c.sent ? "Reading Xmtr Data..." : "idle");
  EXPECT_EQ(h.get<CommandButton>("cmdWriteParameter").enabled(), c.write);
  EXPECT_FALSE(h.get<CommandButton>("cmdSave").enabled());
  EXPECT_FALSE(h.get<CommandButton>("cmdBack").enabled());
  EXPECT_EQ(RunningTimers(h), *c.timer ? std::vector<std::string>{c.timer} : std::vector<std::string>{});
  if (*c.timer) {
    EXPECT_EQ(h.get<toolkit::Timer>(c.timer).interval(), c.interval);
  }
  for (const char* name : kTabControls) {
    // Only the tab control of the page shown goes back to its first tab.
    const auto& tabs = h.get<toolkit::TabControl>(name);
    EXPECT_EQ(tabs.tab(), h.get<toolkit::Frame>(tabs.spec().parent).visible() ? 0 : 1) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryNode, TreeNodeClick,
    ::testing::Values(
        NodeCase{"OnLine Parameterize", "frmInfo", "Information", "Change Counter", "read 1", true, "", 0},
        NodeCase{"Information", "frmInfo", "Information", "Change Counter", "read 1", true, "", 0},
        NodeCase{"HART", "frmInfoHart", "Information HART", "Change Counter", "read 2", false, "", 0},
        NodeCase{"Sensor", "frmInfoSensor", "Information Sensor", "Change Counter", "read 3", false, "", 0},
        NodeCase{" Sensor", "frmChannelSensor", "Channel Sensor", "Sensor 1", "read 10", true, "", 0},
        NodeCase{"Special Function", "frmSpecialFunction", "Special Function", "Change Counter", "read 30", true, "",
                 0},
        NodeCase{"Configuration", "frmConf_Range", "Range Sensor", "Sensor 1", "read 18", true, "", 0},
        NodeCase{"Local Temp", "frmConfLocalTemp", "Local Temp", "Change Counter", "read 16", true, "", 0},
        NodeCase{" HART", "frmConfHART", "Conf HART", "Change Counter", "read 9", true, "", 0},
        NodeCase{"LCD", "frmConfLCD", "Conf LCD", "Change Counter", "read 17", true, "", 0},
        NodeCase{"TRIM", "frmTrim", "Trim", "Change Counter", "", false, "", 0},
        NodeCase{"Maintenance", "frmMaintenance", "Maintenance", "Change Counter", "", false, "", 0},
        NodeCase{"Observe", "frmObserve", "Observe", "Change Counter", "read 24", false, "TimerObserve", 3000},
        NodeCase{"Diagnosis", "frmDiagnosis", "Diagnosis", "Change Counter", "read 25", false, "TimerReadStatus",
                 5000}),
    [](const ::testing::TestParamInfo<NodeCase>& p) {
      // " Sensor" and " HART" are the configuration leaves.
      std::string name = p.param.text[0] == ' ' ? "Conf" : "";
      for (const char* ch = p.param.text; *ch; ++ch) {
        if (std::isalpha(static_cast<unsigned char>(*ch))) name += *ch;
      }
      return name;
    });

TEST(FunctionTree, OffLineClickOnlyStopsAndSendsNothing) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Observe");
  h.Notify(0, kOffline);
  h.get<CommandButton>("cmdSave").setEnabled(true);
  h.driver->requests.clear();

  h.ClickTree("HART");

  EXPECT_TRUE(VisibleFrames(h).empty());
  EXPECT_TRUE(Sent(h).empty());
  EXPECT_TRUE(RunningTimers(h).empty());
  EXPECT_EQ(h.state().sPage, "Observe");
  EXPECT_FALSE(h.get<CommandButton>("cmdSave").enabled());
}

// Holds a current through the trim procedure: point choice, then 4 or 20 mA.
void HoldTrimCurrent(ControlHarness& h, int channel, const char* point) {
  h.Click("cmdCurrentTrim");
  h.Click("cmdTrimCurrentChannel" + std::to_string(channel));
  h.Click(point);
  ASSERT_TRUE(h.state().bFixedCurrent);
  h.driver->requests.clear();
}

TEST(FunctionTreeRelease, ReadsTheNewPageFirstThenReleasesTheChannelLeft) {
  ControlHarness h;
  h.Connect();
  ASSERT_NO_FATAL_FAILURE(HoldTrimCurrent(h, 3, "cmd4mA"));

  h.ClickTree("Information");

  EXPECT_EQ(Sent(h), (std::vector<std::string>{"read 1", "write 22 02,00000000"}));
  EXPECT_EQ(h.state().sWriteCode, "22");
  EXPECT_EQ(h.state().sRequestDoc, h.driver->requests.back().document);
  EXPECT_FALSE(h.state().bFixedCurrent);
}

TEST(FunctionTreeRelease, ChannelOneHasItsOwnCodeAndNeedsNoRead) {
  ControlHarness h;
  h.Connect();
  ASSERT_NO_FATAL_FAILURE(HoldTrimCurrent(h, 1, "cmd20mA"));
  h.ClickTree("TRIM");
  EXPECT_EQ(Sent(h), std::vector<std::string>{"write 12 00000000,00"});
}

TEST(FunctionTreeRelease, FailedReadKeepsTheCurrentUntilTheNextClick) {
  ControlHarness h;
  h.Connect();
  ASSERT_NO_FATAL_FAILURE(HoldTrimCurrent(h, 2, "cmd4mA"));
  h.driver->failRequests = true;
  h.ClickTree("Information");
  EXPECT_TRUE(h.state().bFixedCurrent);

  // The trim page is gone, so this click does not know the channel and
  // sends the tree's standing release for channel code "01".
  h.driver->failRequests = false;
  h.ClickTree("Maintenance");
  EXPECT_EQ(Sent(h), std::vector<std::string>{"write 22 01,00000000"});
  EXPECT_FALSE(h.state().bFixedCurrent);
}

TEST(FunctionTreeRelease, OffLineClickKeepsTheCurrent) {
  ControlHarness h;
  h.Connect();
  ASSERT_NO_FATAL_FAILURE(HoldTrimCurrent(h, 5, "cmd20mA"));
  h.Notify(0, kOffline);
  h.ClickTree("Information");
  EXPECT_TRUE(Sent(h).empty());
  EXPECT_TRUE(h.state().bFixedCurrent);
}

}  // namespace
}  // namespace zolin6::fakes
