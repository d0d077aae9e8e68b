// The procedures that force an output's loop current: the current trim (held
// point, meter reading, Yes/No) and the loop test.

#include "codecs/float_ieee.h"
#include "fakes/control_harness.h"
#include "forms/form_design.h"
#include "platform/channels.h"

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
  std::string hold;   // the request that holds the point
  std::string trim;   // the request Write sends with the reading 4.02 or 20.05
  std::string leave;  // the request that ends fixed-current mode
};

// Every channel at both points. Channel 1 has codes of its own and names the
// point by a mode; channels 2 to 6 go by their channel code "01" to "05".
std::vector<TrimCase> AllTrims() {
  std::vector<TrimCase> cases;
  for (int channel = 1; channel <= kChannels; ++channel) {
    for (const int milliamps : {4, 20}) {
      const std::string point = milliamps == 4 ? "40800000" : "41A00000";
      const std::string reading = milliamps == 4 ? "4080A3D7" : "41A06666";
      if (channel == 1) {
        cases.push_back({channel, milliamps, "write 12 " + point + (milliamps == 4 ? ",01" : ",02"),
                         (milliamps == 4 ? "write 13 " : "write 14 ") + reading, "write 12 00000000,00"});
        continue;
      }
      const std::string code = "0" + std::to_string(channel - 1) + ",";
      cases.push_back({channel, milliamps, "write 22 " + code + point,
                       (milliamps == 4 ? "write 23 " : "write 24 ") + code + reading, "write 22 " + code + "00000000"});
    }
  }
  return cases;
}

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

INSTANTIATE_TEST_SUITE_P(EveryChannel, CurrentTrim,
                         ::testing::Combine(::testing::ValuesIn(AllTrims()), ::testing::Bool()));

constexpr int kOtherBoxes[] = {76, 151, 153, 154, 155, 156};  // "Other" text box of each tab

// The option buttons the form puts on a loop test tab, with their captions.
std::vector<forms::ControlDesign> OptionsOfTab(int tab) {
  std::vector<forms::ControlDesign> options;
  for (const forms::ControlDesign& entry : forms::AllControls()) {
    if (entry.kind == forms::Kind::OptionButton && entry.name.starts_with("Op") && entry.index == tab &&
        entry.parent.starts_with("SSTabLoopTest")) {
      options.push_back(entry);
    }
  }
  return options;
}

class LoopTest : public ConnectedControl, public ::testing::WithParamInterface<int> {};

// Every option of every tab: "N mA" forces N mA, "Other" the tab's own box
// (every other tab's box holds another number), no option an empty current.
// The step only builds the request: the Write button's common ending sends it.
TEST_P(LoopTest, WriteForcesTheChosenCurrentOfItsOwnTab) {
  const int tab = GetParam();
  const std::vector<forms::ControlDesign> options = OptionsOfTab(tab);
  ASSERT_EQ(options.size(), 6u);
  const std::string prefix = tab == 0 ? "write 11 " : "write 22 0" + std::to_string(tab) + ",";
  const std::string typed = std::to_string(tab + 2) + ".5";
  for (const forms::ControlDesign& option : options) {
    SCOPED_TRACE(std::string(option.name));
    ControlHarness fresh;
    fresh.Connect();
    fresh.Click("cmdLoopTest");
    fresh.ClickTab("SSTabLoopTest", tab);
    for (int box : kOtherBoxes) fresh.get<toolkit::TextBox>("txtParameter", box).setText("1");
    fresh.get<toolkit::TextBox>("txtParameter", kOtherBoxes[tab]).setText(typed);
    fresh.form().select(fresh.get<toolkit::OptionButton>(option.name, tab));
    fresh.Click("cmdWriteParameter");
    std::string current = option.caption == "Other" ? typed : std::string(option.caption.substr(0, 2));
    EXPECT_EQ(fresh.sent(), Lines{prefix + *codecs::ConvertFloatToHex(current)});
    EXPECT_TRUE(fresh.state().bFixedCurrent);
    EXPECT_EQ(fresh.panel(4), "Writing Xmtr Data...");
  }
  // With no option chosen the current travels as an empty text.
  h.Click("cmdLoopTest");
  h.ClickTab("SSTabLoopTest", tab);
  h.Click("cmdWriteParameter");
  EXPECT_EQ(h.sent(), Lines{prefix});
}

INSTANTIATE_TEST_SUITE_P(EveryTab, LoopTest, ::testing::Range(0, kChannels));

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
