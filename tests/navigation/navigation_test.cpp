// Navigation: what a node of the function tree shows and reads, the Back
// button's way out of the procedure pages, and the release of a loop current
// that a procedure left held. What each tab records and reads is pinned by
// the pages-tour example and the generated scenarios.

#include "pages/page_test_support.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;
using Navigation = ConnectedControl;

struct NodeCase {
  const char* text;
  const char* frame;
  const char* page;
  const char* subPage;  // "Change Counter" means unchanged
  const char* sent;     // "" when nothing is read
  bool write;           // cmdWriteParameter afterwards
  const char* timer;    // polling timer running afterwards, "" for none
  int interval;
};

void PrintTo(const NodeCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class TreeNode : public ConnectedControl, public ::testing::WithParamInterface<NodeCase> {};

// From every polling timer running, Back enabled, the Write button the
// opposite of the node's and every tab control on its second tab.
TEST_P(TreeNode, ShowsItsPageAndSendsItsRead) {
  const NodeCase& c = GetParam();
  const char* tabControls[] = {"SSTabInfoSensor", "SSTabConfSensor", "SSTabSensorRange", "SSTabObserve",
                               "SSTabDiagnosis"};
  h.ClickTab("SSTabDiagnosis", 2);
  h.startPolling();
  for (const char* name : tabControls) h.get<toolkit::TabControl>(name).setTab(1);
  h.get<toolkit::CommandButton>("cmdWriteParameter").setEnabled(!c.write);
  h.get<toolkit::CommandButton>("cmdBack").setEnabled(true);
  h.setPanel(4, "idle");
  h.driver->requests.clear();

  h.ClickTree(c.text);

  EXPECT_EQ(h.visibleFrames(), Lines{c.frame});
  EXPECT_EQ(h.state().sPage, c.page);
  EXPECT_EQ(h.state().sSubPage, c.subPage);
  // One read at most: turning a tab to its first tab does not run its click.
  EXPECT_EQ(h.sent(), *c.sent ? Lines{c.sent} : Lines{});
  EXPECT_EQ(h.panel(4), *c.sent ? "Reading Xmtr Data..." : "idle");
  EXPECT_EQ(h.get<toolkit::CommandButton>("cmdWriteParameter").enabled(), c.write);
  EXPECT_FALSE(h.get<toolkit::CommandButton>("cmdBack").enabled());
  EXPECT_EQ(h.runningTimers(), *c.timer ? Lines{c.timer} : Lines{});
  EXPECT_EQ(*c.timer ? h.get<toolkit::Timer>(c.timer).interval() : 0, c.interval);
  for (const char* name : tabControls) {  // only the page shown goes back to its first tab
    const auto& tabs = h.get<toolkit::TabControl>(name);
    EXPECT_EQ(tabs.tab(), h.get<toolkit::Frame>(tabs.design().parent).visible() ? 0 : 1) << name;
  }
}

// " HART" and " Sensor" are the configuration leaves; "HART" and "Sensor"
// without the blank open the information pages.
INSTANTIATE_TEST_SUITE_P(
    Nodes, TreeNode,
    ::testing::Values(
        NodeCase{"OnLine Parameterize", "frmInfo", "Information", "Change Counter", "read 1", true, "", 0},
        NodeCase{" HART", "frmConfHART", "Conf HART", "Change Counter", "read 9", true, "", 0},
        NodeCase{" Sensor", "frmChannelSensor", "Channel Sensor", "Sensor 1", "read 10", true, "", 0},
        NodeCase{"TRIM", "frmTrim", "Trim", "Change Counter", "", false, "", 0},
        NodeCase{"Observe", "frmObserve", "Observe", "Change Counter", "read 24", false, "TimerObserve", 3000},
        NodeCase{"Diagnosis", "frmDiagnosis", "Diagnosis", "Change Counter", "read 25", false, "TimerReadStatus",
                 5000}));

void HoldTrimCurrent(ControlHarness& h, int channel) {
  h.Click("cmdTrimCurrentChannel" + std::to_string(channel));
  h.Click("cmd4mA");
  h.driver->requests.clear();
}

// The release follows the new page's read and names the channel of the page
// left. After a failed read the current stays held, and the next click no
// longer knows the channel: it sends the tree's standing release for "01".
TEST_F(Navigation, LeavingAHeldCurrentByTheTreeReleasesItsChannel) {
  HoldTrimCurrent(h, 3);
  h.ClickTree("Information");
  EXPECT_EQ(h.sent(), (Lines{"read 1", "write 22 02,00000000"}));
  HoldTrimCurrent(h, 1);
  h.ClickTree("TRIM");
  EXPECT_EQ(h.sent(), Lines{"write 12 00000000,00"});
  HoldTrimCurrent(h, 5);
  h.driver->failRequests = true;
  h.ClickTree("Information");
  EXPECT_TRUE(h.state().bFixedCurrent);
  h.driver->failRequests = false;
  h.ClickTree("Maintenance");
  EXPECT_EQ(h.sent(), Lines{"write 22 01,00000000"});
  EXPECT_FALSE(h.state().bFixedCurrent);
}

// Off line a click only stops polling and hides the pages.
TEST_F(Navigation, OffLineAClickReadsAndReleasesNothing) {
  HoldTrimCurrent(h, 5);
  h.Notify(0, kOffline);
  h.startPolling();
  h.ClickTree("HART");
  EXPECT_EQ(h.visibleFrames(), Lines{});
  EXPECT_EQ(h.sent(), Lines{});
  EXPECT_EQ(h.runningTimers(), Lines{});
  EXPECT_EQ(h.state().sPage, "Trim 4mA Channel 5");
  EXPECT_TRUE(h.state().bFixedCurrent);
}

TEST_F(Navigation, OnlyTheDiagnosisTemperatureTabCanBeWritten) {
  for (int tab = 0; tab < 4; ++tab) {
    h.ClickTab("SSTabDiagnosis", tab);
    EXPECT_EQ(h.get<toolkit::CommandButton>("cmdWriteParameter").enabled(), tab == 3) << tab;
  }
}

TEST_F(Navigation, AFailingReadLeavesTheTimerStartedAndNoStatusText) {
  h.setPanel(4, "idle");
  h.driver->failRequests = true;
  h.ClickTab("SSTabDiagnosis", 0);
  EXPECT_EQ(h.runningTimers(), Lines{"TimerReadStatus"});
  EXPECT_EQ(h.panel(4), "idle");
}

struct BackCase {
  const char* path;  // "|"-separated: buttons, or "Op... tab" to choose, "SSTab... tab" to click
  const char* pageLeft;
  const char* newPage;
  const char* frame;  // "" when no page is shown
  bool back;          // cmdBack enabled afterwards
  const char* sent;   // the release, "" for none
};

void PrintTo(const BackCase& c, std::ostream* os) { *os << c.pageLeft; }

class BackButton : public ConnectedControl, public ::testing::WithParamInterface<BackCase> {};

// No status text and no read follow the release.
TEST_P(BackButton, StepsOutAndReleasesTheHeldCurrent) {
  const BackCase& c = GetParam();
  for (const auto& [step, unused] : pages_test::Entries(c.path)) {
    const auto blank = step.find(' ');
    const std::string name = step.substr(0, blank);
    if (name.starts_with("SSTab"))
      h.ClickTab(name, std::stoi(step.substr(blank)));
    else if (name.starts_with("Op"))
      h.form().select(h.get<toolkit::OptionButton>(name, std::stoi(step.substr(blank))));
    else
      h.Click(name);
  }
  ASSERT_EQ(h.state().sPage, c.pageLeft);
  h.startPolling();
  h.setPanel(4, "idle");
  h.driver->requests.clear();

  h.Click("cmdBack");

  EXPECT_EQ(h.state().sPage, c.newPage);
  EXPECT_EQ(h.visibleFrames(), *c.frame ? Lines{c.frame} : Lines{});
  EXPECT_EQ(h.get<toolkit::CommandButton>("cmdBack").enabled(), c.back);
  EXPECT_EQ(h.runningTimers(), Lines{});
  EXPECT_EQ(h.sent(), *c.sent ? Lines{c.sent} : Lines{});
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_EQ(h.panel(4), "idle");
}

INSTANTIATE_TEST_SUITE_P(
    Pages, BackButton,
    ::testing::Values(
        BackCase{"cmdLoopTest", "Loop Test", "Maintenance", "frmMaintenance", false, ""},
        BackCase{"cmdLoopTest|Op12mA 0|cmdWriteParameter", "Loop Test", "Maintenance", "frmMaintenance", false,
                 "write 12 00000000,00"},
        // One flag for the whole control: the tab on show decides what is released.
        BackCase{"cmdLoopTest|SSTabLoopTest 2|Op8mA 2|cmdWriteParameter|SSTabLoopTest 4", "Fixed Current - Channel 5",
                 "Maintenance", "frmMaintenance", false, "write 22 04,00000000"},
        BackCase{"cmdTrimCurrentChannel1|cmd4mA", "Trim 4mA Channel 1", "Trim Current Channel 1", "frmTrimCurrent",
                 true, "write 12 00000000,00"},
        BackCase{"cmdTrimCurrentChannel6|cmd20mA", "Trim 20mA Channel 6", "Trim Current Channel 6", "frmTrimCurrent",
                 true, "write 22 05,00000000"},
        BackCase{"cmdTrimCurrentChannel3", "Trim Current Channel 3", "Trim Current", "frmTrimCurrentChannel", true, ""},
        BackCase{"cmdCurrentTrim", "Trim Current", "Trim", "frmTrim", false, ""},
        BackCase{"cmdSensorUpperTrim", "Sensor Upper Trim", "Sensor Trim Menu", "frmSensorTrimMenu", false, ""},
        BackCase{"cmdSensorLowerTrim", "Sensor Lower Trim", "Sensor Trim Menu", "frmSensorTrimMenu", false, ""},
        BackCase{"cmdFactoryTrim", "Factory Trim", "Trim", "frmTrim", false, ""},
        BackCase{"cmdTempTrim", "Cal Temp", "Trim", "frmTrim", false, ""},
        BackCase{"cmdSensorTrim", "Sensor Trim Menu", "Trim", "frmTrim", false, ""},
        // Any other page stays named with nothing shown.
        BackCase{"cmdWriteParameter", "Information", "Information", "", false, ""}));

}  // namespace
}  // namespace zolin6::fakes
