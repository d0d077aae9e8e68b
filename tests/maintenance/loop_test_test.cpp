// The loop test: the current picked on a channel's tab is forced by Write
// and let go by Back.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "maintenance_support.h"

namespace zolin6::fakes {
namespace {

using toolkit::OptionButton;
using toolkit::TextBox;
using toolkit::Timer;

constexpr std::array<int, 6> kOtherBoxes{76, 151, 153, 154, 155, 156};

TEST(LoopTest, OpensOnChannel1AndStopsPolling) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Diagnosis");  // starts TimerReadStatus
  h.get<toolkit::TabControl>("SSTabLoopTest").setTab(3);

  h.Click("cmdLoopTest");

  EXPECT_EQ(h.state().sPage, "Loop Test");
  EXPECT_EQ(h.get<toolkit::TabControl>("SSTabLoopTest").tab(), 0);
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmLoopTest"});
  EXPECT_TRUE(RunningTimers(h).empty());
  EXPECT_TRUE(Enabled(h, "cmdBack"));
  EXPECT_TRUE(Enabled(h, "cmdWriteParameter"));
  EXPECT_FALSE(h.state().bFixedCurrent);
}

struct LoopCase {
  const char* label;
  int tab;
  const char* option;  // "" for no option selected
  const char* other;   // typed into the tab's "Other" box
  Expected request;
};

class LoopTestWrite : public ::testing::TestWithParam<LoopCase> {};

TEST_P(LoopTestWrite, ForcesTheChosenCurrent) {
  const LoopCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree("Maintenance");
  h.Click("cmdLoopTest");
  h.ClickTab("SSTabLoopTest", c.tab);
  const std::string page = h.state().sPage;
  // Only the tab's own box counts.
  for (int box : kOtherBoxes) h.get<TextBox>("txtParameter", box).setText("1");
  h.get<TextBox>("txtParameter", kOtherBoxes[static_cast<std::size_t>(c.tab)]).setText(c.other);
  if (*c.option != '\0') h.form().select(h.get<OptionButton>(c.option, c.tab));

  h.Click("cmdWriteParameter");

  // The branch only builds the request; the Write button's common ending
  // sends it, with its own text and re-read.
  ExpectRequests(h, {c.request});
  EXPECT_EQ(h.state().sWriteCode, c.request.code);
  EXPECT_TRUE(h.state().bFixedCurrent);
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
  EXPECT_TRUE(h.get<Timer>("TimerReadAfterWrite").enabled());
  EXPECT_EQ(h.get<Timer>("TimerReadAfterWrite").interval(), 2000);
  EXPECT_EQ(h.state().sPage, page);
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmLoopTest"});
  EXPECT_TRUE(h.boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryTabAndChoice, LoopTestWrite,
    ::testing::Values(LoopCase{"Ch1At4", 0, "Op4mA", "", {"write", "11", Attrs({"40800000"})}},
                      LoopCase{"Ch1At12", 0, "Op12mA", "", {"write", "11", Attrs({"41400000"})}},
                      LoopCase{"Ch1Other", 0, "OpOther", "3.5", {"write", "11", Attrs({"40600000"})}},
                      LoopCase{"Ch2At8", 1, "Op8mA", "", {"write", "22", Attrs({"01", "41000000"})}},
                      LoopCase{"Ch3At16", 2, "Op16mA", "", {"write", "22", Attrs({"02", "41800000"})}},
                      LoopCase{"Ch4Other", 3, "OpOther", "7.5", {"write", "22", Attrs({"03", "40F00000"})}},
                      LoopCase{"Ch5At20", 4, "Op20mA", "", {"write", "22", Attrs({"04", "41A00000"})}},
                      LoopCase{"Ch6Other", 5, "OpOther", "10", {"write", "22", Attrs({"05", "41200000"})}},
                      // No option chosen: the current travels as an empty text.
                      LoopCase{"Ch1Nothing", 0, "", "", {"write", "11", Attrs({""})}},
                      LoopCase{"Ch3Nothing", 2, "", "5", {"write", "22", Attrs({"02", ""})}}),
    [](const auto& p) { return std::string(p.param.label); });

TEST(LoopTest, AFixedChoiceWinsOverOther) {
  ControlHarness h;
  h.Connect();
  h.Click("cmdLoopTest");
  h.ClickTab("SSTabLoopTest", 1);
  h.get<TextBox>("txtParameter", 151).setText("7");
  h.get<OptionButton>("OpOther", 1).setValue(true);
  h.get<OptionButton>("Op16mA", 1).setValue(true);

  h.Click("cmdWriteParameter");

  ExpectRequests(h, {{"write", "22", Attrs({"01", "41800000"})}});
}

TEST(LoopTest, AnOtherValueBeyondThe32BitRangeSendsNothing) {
  ControlHarness h;
  h.Connect();
  h.Click("cmdLoopTest");
  h.get<TextBox>("txtParameter", 76).setText("99999999999");
  h.form().select(h.get<OptionButton>("OpOther", 0));

  h.Click("cmdWriteParameter");

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
}

TEST(LoopTest, OffLineThePageOpensButWriteForcesNothing) {
  ControlHarness h;
  h.Connect();
  Disconnect(h);
  h.Click("cmdLoopTest");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmLoopTest"});
  h.form().select(h.get<OptionButton>("Op4mA", 0));

  h.Click("cmdWriteParameter");

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_FALSE(h.state().bFixedCurrent);
}

}  // namespace
}  // namespace zolin6::fakes
