// The sensor trims of channel 1, the temperature trim and the factory trim.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "maintenance_support.h"

namespace zolin6::fakes {
namespace {

using toolkit::Answer;
using toolkit::Buttons;
using toolkit::Icon;
using toolkit::Label;
using toolkit::TextBox;
using toolkit::Timer;

TEST(SensorTrimMenu, WarnsAndOpensEvenOffLineWithoutTouchingPolling) {
  ControlHarness h;
  h.Connect();
  Disconnect(h);
  h.get<Timer>("TimerReadStatus").setInterval(5000);
  h.get<Timer>("TimerReadStatus").setEnabled(true);

  h.Click("cmdSensorTrim");

  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].text, "This function is available only for channel 1. Make sure Sensor 1 is connected!");
  EXPECT_EQ(h.boxes.shown[0].title, "Sensor Trim");
  EXPECT_EQ(h.boxes.shown[0].buttons, Buttons::Ok);
  EXPECT_EQ(h.boxes.shown[0].icon, Icon::Information);
  EXPECT_EQ(h.state().sPage, "Sensor Trim Menu");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmSensorTrimMenu"});
  EXPECT_TRUE(Enabled(h, "cmdBack"));
  EXPECT_FALSE(Enabled(h, "cmdWriteParameter"));
  EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadStatus"});
}

struct SensorPoint {
  const char* button;
  const char* title;
  const char* warning;
  const char* code;
};
constexpr SensorPoint kLower{"cmdSensorLowerTrim", "Sensor Lower Trim", "Sensor value will be set as 0%!", "20"};
constexpr SensorPoint kUpper{"cmdSensorUpperTrim", "Sensor Upper Trim", "Sensor value will be set as 100%!", "21"};

class SensorTrimTest : public ::testing::TestWithParam<std::tuple<SensorPoint, bool>> {};

TEST_P(SensorTrimTest, ReadsWarnsSendsAndAsks) {
  const auto& [point, yes] = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree("TRIM");
  h.Click("cmdSensorTrim");
  h.boxes.shown.clear();
  const std::string documentBefore = h.state().sRequestDoc;

  h.Click(point.button);

  // The read passes on whatever document the last request built.
  ExpectRequests(h, {{"read", "31", Attrs()}});
  EXPECT_EQ(h.driver->requests[0].document, documentBefore);
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
  EXPECT_EQ(h.state().sPage, point.title);
  EXPECT_EQ(h.caption("lbArray", 13), point.title);
  EXPECT_EQ(h.caption("lbArray", 15), "Temp");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmSensorTrim"});
  EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadCalTempSensor"});
  EXPECT_EQ(h.get<Timer>("TimerReadCalTempSensor").interval(), 3000);
  EXPECT_TRUE(Enabled(h, "cmdWriteParameter"));
  ExpectTrimLayout(h, false);

  // The reading's unit came with the last reading.
  h.get<Label>("lbArray", 49).setCaption("°F");
  h.get<TextBox>("txtParameter", 59).setText("25.5");
  h.driver->requests.clear();
  Reply(h, Answer::Ok);
  Reply(h, yes ? Answer::Yes : Answer::No);
  h.Click("cmdWriteParameter");

  ExpectRequests(h, {{"write", point.code, Attrs({"21", "41CC0000"})}});
  ASSERT_EQ(h.boxes.shown.size(), 2u);
  EXPECT_EQ(h.boxes.shown[0].text, point.warning);
  EXPECT_EQ(h.boxes.shown[0].title, point.title);
  EXPECT_EQ(h.boxes.shown[0].buttons, Buttons::Ok);
  EXPECT_EQ(h.boxes.shown[0].icon, Icon::Information);
  EXPECT_EQ(h.boxes.shown[1].text, "Please look at sensor value, is it correct?");
  EXPECT_EQ(h.boxes.shown[1].title, point.title);
  EXPECT_EQ(h.boxes.shown[1].buttons, Buttons::YesNo);
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
  if (yes) {
    EXPECT_EQ(h.state().sWriteCode, "0");
    EXPECT_EQ(h.state().sPage, "Sensor Trim Menu");
    EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmSensorTrimMenu"});
    EXPECT_TRUE(Enabled(h, "cmdBack"));
    EXPECT_FALSE(Enabled(h, "cmdWriteParameter"));
    EXPECT_TRUE(RunningTimers(h).empty());
  } else {
    EXPECT_EQ(h.state().sWriteCode, point.code);
    EXPECT_EQ(h.state().sPage, point.title);
    EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadCalTempSensor"});
    EXPECT_EQ(h.get<Timer>("TimerReadCalTempSensor").interval(), 3000);
  }
}

INSTANTIATE_TEST_SUITE_P(BothPoints, SensorTrimTest, ::testing::Combine(::testing::Values(kLower, kUpper),
                                                                        ::testing::Bool()),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).code == std::string("20") ? "Lower" : "Upper") +
                                  (std::get<1>(p.param) ? "Yes" : "No");
                         });

TEST(SensorTrim, TheUnitLabelLeftByACurrentTrimIsSentUntilAReadingArrives) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("TRIM");
  h.Click("cmdCurrentTrim");
  h.Click("cmdTrimCurrentChannel1");
  h.Click("cmd4mA");
  h.ClickTree("TRIM");
  h.Click("cmdSensorTrim");
  h.Click("cmdSensorLowerTrim");
  h.get<TextBox>("txtParameter", 59).setText("0");
  h.driver->requests.clear();

  h.Click("cmdWriteParameter");

  ExpectRequests(h, {{"write", "20", Attrs({"27", "00000000"})}});
}

TEST(TemperatureTrim, ReadsSendsAndReturnsToTheTrimMenuOnYes) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    ControlHarness h;
    h.Connect();
    h.ClickTree("TRIM");
    h.Click("cmdTempTrim");

    ExpectRequests(h, {{"read", "29", Attrs()}});
    EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
    EXPECT_EQ(h.state().sPage, "Cal Temp");
    EXPECT_EQ(h.caption("lbArray", 13), "Trim Temperature");
    EXPECT_EQ(h.caption("lbArray", 15), "Temperature");
    EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadCalTemperature"});
    EXPECT_EQ(h.get<Timer>("TimerReadCalTemperature").interval(), 3000);
    EXPECT_TRUE(Enabled(h, "cmdWriteParameter"));
    ExpectTrimLayout(h, false);

    h.get<Label>("lbArray", 49).setCaption("°C");
    h.get<TextBox>("txtParameter", 59).setText("100");
    h.driver->requests.clear();
    Reply(h, yes ? Answer::Yes : Answer::No);
    h.Click("cmdWriteParameter");

    // No warning comes first: the question is the only box.
    ExpectRequests(h, {{"write", "15", Attrs({"20", "42C80000"})}});
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].text, "Please Look at Temperature, is it correct?");
    EXPECT_EQ(h.boxes.shown[0].title, "Cal Point Low");
    EXPECT_EQ(h.boxes.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
    EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
    if (yes) {
      EXPECT_EQ(h.state().sPage, "Trim");
      EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmTrim"});
      EXPECT_FALSE(Enabled(h, "cmdBack"));
      EXPECT_FALSE(Enabled(h, "cmdWriteParameter"));
      EXPECT_TRUE(RunningTimers(h).empty());
    } else {
      EXPECT_EQ(h.state().sPage, "Cal Temp");
      EXPECT_EQ(RunningTimers(h), std::vector<std::string>{"TimerReadCalTemperature"});
    }
  }
}

TEST(InputTrims, OffLineTheyOnlyOfferBack) {
  for (const char* button : {"cmdSensorLowerTrim", "cmdSensorUpperTrim", "cmdTempTrim"}) {
    SCOPED_TRACE(button);
    ControlHarness h;
    h.Connect();
    h.Click("cmdSensorTrim");
    Disconnect(h);

    h.Click(button);

    EXPECT_TRUE(h.driver->requests.empty());
    EXPECT_TRUE(VisibleFrames(h).empty());
    EXPECT_TRUE(Enabled(h, "cmdBack"));
    EXPECT_EQ(h.state().sPage, "Sensor Trim Menu");
    EXPECT_TRUE(RunningTimers(h).empty());
  }
}

TEST(FactoryTrim, SendsTheReferenceTwiceWithTheInputKind) {
  for (const auto& [selection, kind] : {std::pair{"OHM", "01"}, std::pair{"MV", "00"}, std::pair{"ohm", "00"}}) {
    SCOPED_TRACE(selection);
    ControlHarness h;
    h.Connect();
    h.ClickTree("TRIM");
    h.Click("cmdFactoryTrim");
    EXPECT_EQ(h.state().sPage, "Factory Trim");
    EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmFactoryTrim"});
    EXPECT_TRUE(Enabled(h, "cmdWriteParameter"));
    EXPECT_TRUE(Enabled(h, "cmdBack"));
    h.get<toolkit::ComboBox>("cmbTrimSelection").setText(selection);
    h.get<TextBox>("txtParameter", 152).setText("100");

    h.Click("cmdWriteParameter");

    const Expected trim{"write", "29", Attrs({kind, "42C80000"})};
    ExpectRequests(h, {trim, trim});
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
    EXPECT_TRUE(h.get<Timer>("TimerReadAfterWrite").enabled());
    EXPECT_EQ(h.state().sPage, "Factory Trim");
  }
}

TEST(FactoryTrim, OpensOffLineButWritesNothing) {
  ControlHarness h;
  h.Connect();
  Disconnect(h);
  h.Click("cmdFactoryTrim");
  EXPECT_EQ(VisibleFrames(h), std::vector<std::string>{"frmFactoryTrim"});
  h.get<TextBox>("txtParameter", 152).setText("100");

  h.Click("cmdWriteParameter");

  EXPECT_TRUE(h.driver->requests.empty());
}

}  // namespace
}  // namespace zolin6::fakes
