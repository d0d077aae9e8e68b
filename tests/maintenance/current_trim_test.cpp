// The loop current trim: channel and point choice, the held current, the
// reading sent with Write, and the Yes/No that ends or repeats the step.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "maintenance_support.h"

namespace zolin6::fakes {
namespace {

using toolkit::Answer;
using toolkit::Label;
using toolkit::TextBox;
using toolkit::Timer;

std::string Channel(int n) { return "cmdTrimCurrentChannel" + std::to_string(n); }
std::string PointButton(int milliamps) { return milliamps == 4 ? "cmd4mA" : "cmd20mA"; }

// From the trim menu to the held point of one channel.
void HoldPoint(ControlHarness& h, int channel, int milliamps) {
  h.ClickTree("TRIM");
  h.Click("cmdCurrentTrim");
  h.Click(Channel(channel));
  h.Click(PointButton(milliamps));
}

TEST(CurrentTrimMenus, ChannelAndPointChoiceStopPollingAndWorkOffLine) {
  ControlHarness h;
  h.Connect();
  Disconnect(h);
  h.get<Timer>("TimerReadCurrent").setInterval(3000);
  h.get<Timer>("TimerReadCurrent").setEnabled(true);

  h.Click("cmdCurrentTrim");
  EXPECT_EQ(h.state().sPage, "Trim Current");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmTrimCurrentChannel"});
  EXPECT_TRUE(RunningTimers(h).empty());
  EXPECT_TRUE(Enabled(h, "cmdBack"));

  h.Click("cmdTrimCurrentChannel4");
  EXPECT_EQ(h.state().sPage, "Trim Current Channel 4");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmTrimCurrent"});

  // The point itself needs the device: the page area stays empty.
  h.Click("cmd20mA");
  EXPECT_EQ(h.state().sPage, "Trim Current Channel 4");
  EXPECT_TRUE(VisibleFrames(h).empty());
  EXPECT_TRUE(Enabled(h, "cmdBack"));
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_TRUE(h.driver->requests.empty());
}

// Holding a point: channel 1 names the point by a mode of its own; channels
// 2 to 6 go by their channel code.
class HoldPointTest : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(HoldPointTest, HoldsTheCurrentAndShowsTheStep) {
  const auto [channel, milliamps] = GetParam();
  const std::string current = milliamps == 4 ? "40800000" : "41A00000";
  const std::string digit = std::to_string(channel);
  const std::string mA = std::to_string(milliamps) + "mA";
  ControlHarness h;
  h.Connect();
  h.get<TextBox>("txtParameter", 59).setText("old reading");
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");

  HoldPoint(h, channel, milliamps);

  if (channel == 1) {
    ExpectRequests(h, {{"write", "12", Attrs({current, milliamps == 4 ? "01" : "02"})}});
  } else {
    ExpectRequests(h, {{"write", "22", Attrs({"0" + std::to_string(channel - 1), current})}});
  }
  EXPECT_EQ(h.state().sPage, "Trim " + mA + " Channel " + digit);
  EXPECT_EQ(h.caption("lbArray", 13), "Trim Current " + mA + " - Channel " + digit);
  EXPECT_EQ(h.caption("lbArray", 15), "Current");
  EXPECT_EQ(h.caption("lbArray", 49), "mA");
  EXPECT_EQ(h.caption("lbArray", 54), "mA");
  EXPECT_EQ(h.text("txtParameter", 59), "");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmSensorTrim"});
  EXPECT_TRUE(h.state().bFixedCurrent);
  EXPECT_TRUE(Enabled(h, "cmdWriteParameter"));
  EXPECT_TRUE(Enabled(h, "cmdBack"));
  EXPECT_EQ(h.panel(4), "idle");  // the hold goes without a status text
  ExpectTrimLayout(h, true);
}

INSTANTIATE_TEST_SUITE_P(EveryChannelAndPoint, HoldPointTest,
                         ::testing::Combine(::testing::Range(1, 7), ::testing::Values(4, 20)));

// Sending the reading, then answering the question.
struct TrimCase {
  const char* label;
  int channel;
  int milliamps;
  const char* reading;
  Expected trim;   // the trim request
  Expected leave;  // the request that ends fixed-current mode
};

class SendReadingTest : public ::testing::TestWithParam<std::tuple<TrimCase, bool>> {};

TEST_P(SendReadingTest, SendsTheTrimAndEndsOrRepeatsOnTheAnswer) {
  const auto& [c, yes] = GetParam();
  ControlHarness h;
  h.Connect();
  HoldPoint(h, c.channel, c.milliamps);
  const std::string stepPage = h.state().sPage;
  h.driver->requests.clear();
  h.get<TextBox>("txtParameter", 59).setText(c.reading);
  Reply(h, yes ? Answer::Yes : Answer::No);

  h.Click("cmdWriteParameter");

  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].text, "Look at Current, is it correct?");
  EXPECT_EQ(h.boxes.shown[0].title, "Trim Current");
  EXPECT_EQ(h.boxes.shown[0].buttons, toolkit::Buttons::YesNo);
  Timer& reRead = h.get<Timer>("TimerReadAfterWrite");
  if (!yes) {
    // The step stays for another reading; the current is read back.
    ExpectRequests(h, {c.trim});
    EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
    EXPECT_EQ(h.state().sPage, stepPage);
    EXPECT_EQ(h.state().sWriteCode, c.trim.code);
    EXPECT_TRUE(h.state().bFixedCurrent);
    EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadCurrent"});
    EXPECT_EQ(h.get<Timer>("TimerReadCurrent").interval(), 1000);
    EXPECT_FALSE(reRead.enabled());
    EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmSensorTrim"});
    return;
  }
  // The leave goes twice: once by the step, once by the Write button's
  // common ending, which also shows its own text and arms the re-read.
  ExpectRequests(h, {c.trim, c.leave, c.leave});
  EXPECT_EQ(h.driver->requests[2].document, h.driver->requests[1].document);
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
  EXPECT_EQ(h.state().sPage, "Trim Current Channel " + std::to_string(c.channel));
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmTrimCurrent"});
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_TRUE(Enabled(h, "cmdBack"));
  EXPECT_FALSE(Enabled(h, "cmdWriteParameter"));
  EXPECT_TRUE(RunningTimers(h).empty());
  EXPECT_TRUE(reRead.enabled());
  EXPECT_EQ(reRead.interval(), 2000);
  // The point choice has nothing to re-read.
  h.driver->requests.clear();
  h.clock.advance(2000);
  EXPECT_TRUE(h.driver->requests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Channels, SendReadingTest,
    ::testing::Combine(
        ::testing::Values(
            TrimCase{"Channel1At4mA", 1, 4, "4.02", {"write", "13", Attrs({"4080A3D7"})},
                     {"write", "12", Attrs({"00000000", "00"})}},
            TrimCase{"Channel1At20mA", 1, 20, "20.05", {"write", "14", Attrs({"41A06666"})},
                     {"write", "12", Attrs({"00000000", "00"})}},
            TrimCase{"Channel3At20mA", 3, 20, "20", {"write", "24", Attrs({"02", "41A00000"})},
                     {"write", "22", Attrs({"02", "00000000"})}},
            TrimCase{"Channel6At4mA", 6, 4, "4.02", {"write", "23", Attrs({"05", "4080A3D7"})},
                     {"write", "22", Attrs({"05", "00000000"})}}),
        ::testing::Bool()),
    [](const auto& p) {
      return std::string(std::get<0>(p.param).label) + (std::get<1>(p.param) ? "Yes" : "No");
    });

TEST(CurrentTrim, BackFromAHeldStepReleasesTheChannel) {
  for (const auto& [channel, release] :
       {std::pair{1, Expected{"write", "12", Attrs({"00000000", "00"})}},
        std::pair{4, Expected{"write", "22", Attrs({"03", "00000000"})}}}) {
    SCOPED_TRACE(channel);
    ControlHarness h;
    h.Connect();
    HoldPoint(h, channel, 20);
    h.get<TextBox>("txtParameter", 59).setText("20");
    Reply(h, Answer::No);  // the current stays held
    h.Click("cmdWriteParameter");
    h.driver->requests.clear();

    h.Click("cmdBack");

    ExpectRequests(h, {release});
    EXPECT_EQ(h.state().sPage, "Trim Current Channel " + std::to_string(channel));
    EXPECT_FALSE(h.state().bFixedCurrent);
    EXPECT_TRUE(RunningTimers(h).empty());
  }
}

TEST(CurrentTrim, AReadingBeyondThe32BitRangeEndsTheWriteSilently) {
  ControlHarness h;
  h.Connect();
  HoldPoint(h, 2, 4);
  h.driver->requests.clear();
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "idle");
  h.get<TextBox>("txtParameter", 59).setText("99999999999");

  h.Click("cmdWriteParameter");

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_TRUE(h.boxes.shown.empty());
  EXPECT_EQ(h.panel(4), "idle");
  EXPECT_EQ(h.state().sPage, "Trim 4mA Channel 2");
  EXPECT_TRUE(h.state().bFixedCurrent);
}

}  // namespace
}  // namespace zolin6::fakes
