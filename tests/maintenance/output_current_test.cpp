// The procedures that force an output's loop current: the current trim (held
// point, meter reading, Yes/No) and the loop test.

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;
using OutputCurrent = ConnectedControl;

void HoldPoint(ControlHarness& h, int channel, int milliamps) {
  h.Click("cmdCurrentTrim");
  h.Click("cmdTrimCurrentChannel" + std::to_string(channel));
  h.Click(milliamps == 4 ? "cmd4mA" : "cmd20mA");
}

TEST_F(OutputCurrent, ProcedurePagesStopPollingAndThePointNeedsTheDevice) {
  h.get<toolkit::TabControl>("SSTabLoopTest").setTab(3);
  for (const char* button : {"cmdCurrentTrim", "cmdTrimCurrentChannel4", "cmdFactoryTrim", "cmdLoopTest"}) {
    h.startPolling();
    h.Click(button);
    EXPECT_EQ(h.runningTimers(), Lines{}) << button;
  }
  EXPECT_EQ(h.get<toolkit::TabControl>("SSTabLoopTest").tab(), 0);  // the loop test opens on channel 1
  h.Click("cmdTrimCurrentChannel4");
  h.Notify(0, kOffline);
  h.Click("cmd20mA");
  EXPECT_EQ(h.visibleFrames(), Lines{});
  EXPECT_EQ(h.sent(), Lines{});
}

struct TrimCase {
  int channel, milliamps;
  const char* hold;   // the request that holds the point
  const char* trim;   // the request Write sends with the reading 4.02 or 20.05
  const char* leave;  // the request that ends fixed-current mode
};
// Channel 1 has codes of its own and names the point by a mode; channels 2
// to 6 go by their channel code "01" to "05".
const TrimCase kTrims[] = {
    {1, 4, "write 12 40800000,01", "write 13 4080A3D7", "write 12 00000000,00"},
    {1, 20, "write 12 41A00000,02", "write 14 41A06666", "write 12 00000000,00"},
    {3, 20, "write 22 02,41A00000", "write 24 02,41A06666", "write 22 02,00000000"},
    {6, 4, "write 22 05,40800000", "write 23 05,4080A3D7", "write 22 05,00000000"},
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.channel << " at " << c.milliamps << " mA"; }

class CurrentTrim : public ConnectedControl, public ::testing::WithParamInterface<std::tuple<TrimCase, bool>> {};

TEST_P(CurrentTrim, HoldsThePointThenSendsTheReadingAndEndsOnYes) {
  const auto& [c, yes] = GetParam();
  h.setPanel(4, "idle");
  HoldPoint(h, c.channel, c.milliamps);
  EXPECT_EQ(h.sent(), Lines{c.hold});
  EXPECT_EQ(h.panel(4), "idle");  // the hold goes without a status text
  const std::string point = std::to_string(c.milliamps) + "mA";
  EXPECT_EQ(h.caption("lbArray", 13), "Trim Current " + point + " - Channel " + std::to_string(c.channel));
  EXPECT_FALSE(h.get<toolkit::TextBox>("txtParameter", 57).visible());  // the meter is the reference

  h.driver->requests.clear();
  h.get<toolkit::TextBox>("txtParameter", 59).setText(c.milliamps == 4 ? "4.02" : "20.05");
  h.boxes.answers.push_back(yes ? toolkit::Answer::Yes : toolkit::Answer::No);
  h.Click("cmdWriteParameter");

  EXPECT_EQ(h.boxes.shown.at(0).text, "Look at Current, is it correct?");
  if (!yes) {
    // Another reading: the loop current is read back after one second.
    EXPECT_EQ(h.sent(), Lines{c.trim});
    EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
    EXPECT_EQ(h.runningTimers(), Lines{"TimerReadCurrent"});
    EXPECT_EQ(h.get<toolkit::Timer>("TimerReadCurrent").interval(), 1000);
    return;
  }
  // The leave goes twice: by the step, and again by the Write button's
  // common ending with its own text.
  EXPECT_EQ(h.sent(), (Lines{c.trim, c.leave, c.leave}));
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
  EXPECT_EQ(h.state().sPage, "Trim Current Channel " + std::to_string(c.channel));
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_TRUE(h.get<toolkit::CommandButton>("cmdBack").enabled());
}

INSTANTIATE_TEST_SUITE_P(Points, CurrentTrim, ::testing::Combine(::testing::ValuesIn(kTrims), ::testing::Bool()));

constexpr int kOtherBoxes[] = {76, 151, 153, 154, 155, 156};  // "Other" text box of each tab

struct LoopCase {
  int tab;
  const char* option;  // "" for none selected
  const char* other;   // typed into the tab's "Other" box; every other tab's box holds "1"
  const char* sent;
};
const LoopCase kLoopCases[] = {
    {0, "Op4mA", "", "write 11 40800000"},
    {0, "OpOther", "3.5", "write 11 40600000"},
    {1, "Op8mA", "", "write 22 01,41000000"},
    {1, "OpOther", "2.5", "write 22 01,40200000"},
    {3, "OpOther", "7.5", "write 22 03,40F00000"},
    {4, "Op20mA", "", "write 22 04,41A00000"},
    {5, "OpOther", "10", "write 22 05,41200000"},
    // With no option chosen the current travels as an empty text.
    {0, "", "5", "write 11 "},
    {2, "", "5", "write 22 02,"},
};

void PrintTo(const LoopCase& c, std::ostream* os) { *os << "tab " << c.tab << " " << c.option; }

class LoopTest : public ConnectedControl, public ::testing::WithParamInterface<LoopCase> {};

// The step only builds the request: the Write button's common ending sends it.
TEST_P(LoopTest, WriteForcesTheChosenCurrent) {
  const LoopCase& c = GetParam();
  h.Click("cmdLoopTest");
  h.ClickTab("SSTabLoopTest", c.tab);
  for (int box : kOtherBoxes) h.get<toolkit::TextBox>("txtParameter", box).setText("1");
  h.get<toolkit::TextBox>("txtParameter", kOtherBoxes[c.tab]).setText(c.other);
  if (*c.option) h.form().select(h.get<toolkit::OptionButton>(c.option, c.tab));
  h.Click("cmdWriteParameter");
  EXPECT_EQ(h.sent(), Lines{c.sent});
  EXPECT_TRUE(h.state().bFixedCurrent);
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
}

INSTANTIATE_TEST_SUITE_P(Tabs, LoopTest, ::testing::ValuesIn(kLoopCases));

TEST_F(OutputCurrent, ACurrentBeyondThe32BitRangeSendsNothing) {
  HoldPoint(h, 2, 4);
  h.driver->requests.clear();
  h.get<toolkit::TextBox>("txtParameter", 59).setText("99999999999");
  h.Click("cmdWriteParameter");
  h.Click("cmdLoopTest");
  h.get<toolkit::TextBox>("txtParameter", 76).setText("99999999999");
  h.form().select(h.get<toolkit::OptionButton>("OpOther", 0));
  h.Click("cmdWriteParameter");
  EXPECT_EQ(h.sent(), Lines{});
  EXPECT_TRUE(h.boxes.shown.empty());
}

}  // namespace
}  // namespace zolin6::fakes
