// The Back button: one step out of a procedure page, releasing the loop
// current that the page left held.

#include <gtest/gtest.h>

#include "navigation_helpers.h"

namespace zolin6::fakes {
namespace {

// The user's way to a page: "cmdX" clicks a button, "SSTabX 3" picks a tab,
// "OpX 3" chooses an option button, "tree TEXT" clicks a node.
void Perform(ControlHarness& h, const std::vector<std::string>& steps) {
  for (const std::string& step : steps) {
    const auto blank = step.find(' ');
    const std::string name = step.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : step.substr(blank + 1);
    if (name == "tree") {
      h.ClickTree(rest);
    } else if (name.starts_with("SSTab")) {
      h.ClickTab(name, std::stoi(rest));
    } else if (name.starts_with("Op")) {
      h.form().select(h.get<toolkit::OptionButton>(name, std::stoi(rest)));
    } else {
      h.Click(name);
    }
  }
}

struct BackCase {
  const char* label;
  std::vector<std::string> path;
  const char* pageLeft;  // sPage the path ends on
  const char* newPage;
  const char* frame;     // "" when no page is shown
  bool back;             // cmdBack enabled afterwards
  const char* sent;      // the release, "" for none
};

class BackButton : public ::testing::TestWithParam<BackCase> {};

TEST_P(BackButton, StepsOutAndReleasesTheHeldCurrent) {
  const BackCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  Perform(h, c.path);
  ASSERT_EQ(h.state().sPage, c.pageLeft);
  ASSERT_EQ(h.state().bFixedCurrent, *c.sent != '\0');
  h.get<toolkit::Timer>("TimerReadCurrent").setEnabled(true);
  h.get<toolkit::CommandButton>("cmdBack").setEnabled(true);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");
  h.driver->requests.clear();

  h.Click("cmdBack");

  EXPECT_EQ(h.state().sPage, c.newPage);
  EXPECT_EQ(VisibleFrames(h), *c.frame ? std::vector<std::string>{c.frame} : std::vector<std::string>{});
  EXPECT_EQ(h.get<toolkit::CommandButton>("cmdBack").enabled(), c.back);
  EXPECT_TRUE(RunningTimers(h).empty());
  EXPECT_EQ(Sent(h), *c.sent ? std::vector<std::string>{c.sent} : std::vector<std::string>{});
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_EQ(h.panel(4), "idle");  // no status text for the release, and no read
}

INSTANTIATE_TEST_SUITE_P(
    EveryPage, BackButton,
    ::testing::Values(
        BackCase{"LoopTestIdle", {"cmdLoopTest"}, "Loop Test", "Maintenance", "frmMaintenance", false, ""},
        BackCase{"LoopTestHeld", {"cmdLoopTest", "Op12mA 0", "cmdWriteParameter"}, "Loop Test", "Maintenance",
                 "frmMaintenance", false, "write 12 00000000,00"},
        BackCase{"FixedCurrent4Held", {"cmdLoopTest", "SSTabLoopTest 3", "Op4mA 3", "cmdWriteParameter"},
                 "Fixed Current - Channel 4", "Maintenance", "frmMaintenance", false, "write 22 03,00000000"},
        // One flag for the whole control: the tab on show decides what is released.
        BackCase{"HeldOn3LeftFrom5",
                 {"cmdLoopTest", "SSTabLoopTest 2", "Op8mA 2", "cmdWriteParameter", "SSTabLoopTest 4"},
                 "Fixed Current - Channel 5", "Maintenance", "frmMaintenance", false, "write 22 04,00000000"},
        BackCase{"Trim4mAChannel1", {"cmdCurrentTrim", "cmdTrimCurrentChannel1", "cmd4mA"}, "Trim 4mA Channel 1",
                 "Trim Current Channel 1", "frmTrimCurrent", true, "write 12 00000000,00"},
        BackCase{"Trim20mAChannel5", {"cmdCurrentTrim", "cmdTrimCurrentChannel5", "cmd20mA"}, "Trim 20mA Channel 5",
                 "Trim Current Channel 5", "frmTrimCurrent", true, "write 22 04,00000000"},
        BackCase{"PointChoice3", {"cmdCurrentTrim", "cmdTrimCurrentChannel3"}, "Trim Current Channel 3",
                 "Trim Current", "frmTrimCurrentChannel", true, ""},
        BackCase{"TrimCurrent", {"cmdCurrentTrim"}, "Trim Current", "Trim", "frmTrim", false, ""},
        BackCase{"CalTemp", {"cmdTempTrim"}, "Cal Temp", "Trim", "frmTrim", false, ""},
        BackCase{"FactoryTrim", {"cmdFactoryTrim"}, "Factory Trim", "Trim", "frmTrim", false, ""},
        BackCase{"SensorUpperTrim", {"cmdSensorTrim", "cmdSensorUpperTrim"}, "Sensor Upper Trim", "Sensor Trim Menu",
                 "frmSensorTrimMenu", false, ""},
        BackCase{"OrdinaryPage", {"tree HART"}, "Information HART", "Information HART", "", false, ""}),
    [](const ::testing::TestParamInfo<BackCase>& p) { return std::string(p.param.label); });

}  // namespace
}  // namespace zolin6::fakes
