// The six device commands, each behind a Yes/No question.

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;
using toolkit::Answer;
using DeviceCommands = ConnectedControl;

struct CommandCase {
  const char* button;
  const char* title;
  const char* sent;  // with the change counter 300 on the diagnosis page
  int reReadMs;      // 0: no re-read
};
const CommandCase kCommands[] = {
    {"cmdDeviceReset", "Device Reset", "write 9", 0},
    {"cmdFactoryRestore", "Restore Default", "write 10", 0},
    {"cmdResetChangeStatus", "Reset change counters", "write 7 012C", 0},
    {"CmdResetChangeCounters", "Reset counters", "write 8", 1000},
    {"cmdSensorMaxMinReset", "Reset sensor temperature diagnostic", "write 18", 1000},
    {"cmdTempMaxMinReset", "Reset local temperature diagnostic", "write 19", 1000},
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.button; }

class DeviceCommand : public ConnectedControl, public ::testing::WithParamInterface<std::tuple<CommandCase, bool>> {};

// The page and its polling stay as they are.
TEST_P(DeviceCommand, AsksAndSendsOnlyOnYes) {
  const auto& [c, yes] = GetParam();
  h.ClickTree("Diagnosis");
  h.get<toolkit::TextBox>("txtParameter", 106).setText("300");
  h.setPanel(4, "idle");
  h.driver->requests.clear();
  h.boxes.answers.push_back(yes ? Answer::Yes : Answer::No);

  h.Click(c.button);

  EXPECT_EQ(h.boxes.shown.at(0).title, c.title);
  EXPECT_EQ(h.state().sPage, "Diagnosis");
  EXPECT_EQ(h.runningTimers(), Lines{"TimerReadStatus"});
  EXPECT_EQ(h.sent(), yes ? Lines{c.sent} : Lines{});
  EXPECT_EQ(h.panel(4), yes ? "Writting Xmtr Data..." : "idle");
  const toolkit::Timer& reRead = h.get<toolkit::Timer>("TimerReadAfterWrite");
  EXPECT_EQ(reRead.enabled() ? reRead.interval() : 0, yes ? c.reReadMs : 0);
}

INSTANTIATE_TEST_SUITE_P(Commands, DeviceCommand,
                         ::testing::Combine(::testing::ValuesIn(kCommands), ::testing::Bool()));

TEST_F(DeviceCommands, OffLineNothingIsAskedOrSent) {
  h.Notify(0, kOffline);
  for (const CommandCase& c : kCommands) {
    h.boxes.answers.push_back(Answer::Yes);
    h.Click(c.button);
  }
  EXPECT_TRUE(h.boxes.shown.empty());
  EXPECT_EQ(h.sent(), Lines{});
}

// The counter goes back as at least four upper-case hex digits; a negative
// one as its 32-bit pattern. One that is no number drops the command.
TEST_F(DeviceCommands, ResetChangeStatusSendsTheCounterBack) {
  for (const auto& [counter, sent] : {std::pair{"5", "write 7 0005"},
                                      {"1048576", "write 7 100000"},
                                      {"-1", "write 7 FFFFFFFF"},
                                      {"abc", ""},
                                      {"99999999999", ""}}) {
    h.driver->requests.clear();
    h.get<toolkit::TextBox>("txtParameter", 106).setText(counter);
    h.boxes.answers.push_back(Answer::Yes);
    h.Click("cmdResetChangeStatus");
    EXPECT_EQ(h.sent(), *sent ? Lines{sent} : Lines{}) << counter;
  }
}

}  // namespace
}  // namespace zolin6::fakes
