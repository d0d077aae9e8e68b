// The six confirmed device commands.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "maintenance_support.h"

namespace zolin6::fakes {
namespace {

using toolkit::Answer;
using toolkit::TextBox;
using toolkit::Timer;

struct CommandCase {
  const char* button;
  const char* question;
  const char* title;
  const char* code;
  const char* attribute1;
  int reReadMs;  // 0: no re-read
};

// The configuration change counter shown on the diagnosis page.
constexpr const char* kCounter = "300";

class DeviceCommandTest : public ::testing::TestWithParam<std::tuple<CommandCase, bool>> {};

TEST_P(DeviceCommandTest, AsksAndSendsOnlyOnYes) {
  const auto& [c, yes] = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree("Diagnosis");  // TimerReadStatus runs
  h.get<TextBox>("txtParameter", 106).setText(kCounter);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");
  h.driver->requests.clear();
  const auto page = h.state().sPage;
  const auto writeCode = h.state().sWriteCode;
  Reply(h, yes ? Answer::Yes : Answer::No);

  h.Click(c.button);

  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].text, c.question);
  EXPECT_EQ(h.boxes.shown[0].title, c.title);
  EXPECT_EQ(h.boxes.shown[0].buttons, toolkit::Buttons::YesNo);
  EXPECT_EQ(h.boxes.shown[0].icon, toolkit::Icon::None);
  // The page and its polling stay as they were.
  EXPECT_EQ(h.state().sPage, page);
  EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadStatus"});
  Timer& reRead = h.get<Timer>("TimerReadAfterWrite");
  if (!yes) {
    EXPECT_TRUE(h.driver->requests.empty());
    EXPECT_EQ(h.panel(4), "idle");
    EXPECT_EQ(h.state().sWriteCode, writeCode);
    EXPECT_FALSE(reRead.enabled());
    return;
  }
  ExpectRequests(h, {{"write", c.code, Attrs({c.attribute1})}});
  EXPECT_EQ(h.state().sWriteCode, c.code);
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  EXPECT_EQ(reRead.enabled(), c.reReadMs > 0);
  if (c.reReadMs > 0) {
    EXPECT_EQ(reRead.interval(), c.reReadMs);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, DeviceCommandTest,
    ::testing::Combine(
        ::testing::Values(
            CommandCase{"cmdDeviceReset", "Do you want to reset device?", "Device Reset", "9", "None", 0},
            CommandCase{"cmdFactoryRestore", "This command will restore all parameters to factory values. Proceed?",
                        "Restore Default", "10", "None", 0},
            CommandCase{"cmdResetChangeStatus", "Would you like to reset change counters?", "Reset change counters",
                        "7", "012C", 0},
            CommandCase{"CmdResetChangeCounters", "Would you like to reset counters?", "Reset counters", "8", "None",
                        1000},
            CommandCase{"cmdSensorMaxMinReset", "Would you like to reset sensor temperature diagnostic?",
                        "Reset sensor temperature diagnostic", "18", "None", 1000},
            CommandCase{"cmdTempMaxMinReset", "Would you like to reset local temperature diagnostic?",
                        "Reset local temperature diagnostic", "19", "None", 1000}),
        ::testing::Bool()),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).button) + (std::get<1>(p.param) ? "Yes" : "No");
    });

TEST(DeviceCommands, OffLineNothingIsAskedOrSent) {
  for (const char* button : {"cmdDeviceReset", "cmdFactoryRestore", "cmdResetChangeStatus", "CmdResetChangeCounters",
                             "cmdSensorMaxMinReset", "cmdTempMaxMinReset"}) {
    SCOPED_TRACE(button);
    ControlHarness h;
    h.Connect();
    Disconnect(h);
    h.get<TextBox>("txtParameter", 106).setText(kCounter);
    Reply(h, Answer::Yes);

    h.Click(button);

    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_TRUE(h.driver->requests.empty());
  }
}

// The change counter goes back as at least four upper-case hex digits.
TEST(ResetChangeStatus, CounterIsSentAsAtLeastFourHexDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "0000"},     {"5", "0005"},         {"300", "012C"},      {"4096", "1000"},
      {"65535", "FFFF"}, {"1048576", "100000"}, {"-1", "FFFFFFFF"},
  };
  for (const auto& [counter, sent] : cases) {
    SCOPED_TRACE(counter);
    ControlHarness h;
    h.Connect();
    h.get<TextBox>("txtParameter", 106).setText(counter);
    Reply(h, Answer::Yes);

    h.Click("cmdResetChangeStatus");

    ExpectRequests(h, {{"write", "7", Attrs({sent})}});
  }
}

TEST(ResetChangeStatus, ACounterThatIsNoNumberIsNotSent) {
  for (const char* counter : {"", "abc", "99999999999"}) {
    SCOPED_TRACE(counter);
    ControlHarness h;
    h.Connect();
    h.get<TextBox>("txtParameter", 106).setText(counter);
    h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");
    Reply(h, Answer::Yes);

    h.Click("cmdResetChangeStatus");

    EXPECT_TRUE(h.driver->requests.empty());
    EXPECT_EQ(h.panel(4), "idle");
    ASSERT_EQ(h.boxes.shown.size(), 1u);  // the question only; no error box
  }
}

TEST(ResetCounters, TheChangeCounterTabIsReReadASecondLaterWithTheCommandsDocument) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Diagnosis");
  h.ClickTab("SSTabDiagnosis", 2);
  h.driver->requests.clear();
  Reply(h, Answer::Yes);

  h.Click("CmdResetChangeCounters");
  h.clock.advance(1000);

  ExpectRequests(h, {{"write", "8", Attrs()}, {"read", "26", Attrs()}});
  EXPECT_EQ(h.driver->requests[1].document, h.driver->requests[0].document);
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
}

}  // namespace
}  // namespace zolin6::fakes
