// The input-side trims: sensor trim of channel 1 (lower and upper point), the
// temperature trim and the factory trim.

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;
using toolkit::Answer;
using InputTrims = ConnectedControl;

struct InputTrim {
  const char* button;
  const char* read;   // sent on opening, with the document the last request left
  const char* timer;  // re-reads the device's value every 3 s
  const char* write;  // Write with "°F" on the unit label and 25.5 typed
  const char* title;  // of the boxes; the sensor trims warn first
  const char* yesPage;
  bool yesBack;  // cmdBack enabled after Yes
};
const InputTrim kInputTrims[] = {
    {"cmdSensorLowerTrim", "read 31 012C", "TimerReadCalTempSensor", "write 20 21,41CC0000", "Sensor Lower Trim",
     "Sensor Trim Menu", true},
    {"cmdSensorUpperTrim", "read 31 012C", "TimerReadCalTempSensor", "write 21 21,41CC0000", "Sensor Upper Trim",
     "Sensor Trim Menu", true},
    // The question's title is the product's own.
    {"cmdTempTrim", "read 29 012C", "TimerReadCalTemperature", "write 15 21,41CC0000", "Cal Point Low", "Trim", false},
};

void PrintTo(const InputTrim& c, std::ostream* os) { *os << c.button; }

class InputTrimSteps : public ConnectedControl, public ::testing::WithParamInterface<std::tuple<InputTrim, bool>> {};

TEST_P(InputTrimSteps, ReadsSendsTheValueAndEndsOnYes) {
  const auto& [c, yes] = GetParam();
  const bool warns = c.button != std::string("cmdTempTrim");
  h.get<toolkit::TextBox>("txtParameter", 106).setText("300");  // leaves the document "012C"
  h.boxes.answers.push_back(Answer::Yes);
  h.Click("cmdResetChangeStatus");
  h.driver->requests.clear();
  h.boxes.shown.clear();

  h.Click(c.button);
  EXPECT_EQ(h.sent(), Lines{c.read});
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
  const std::string page = h.state().sPage;
  EXPECT_EQ(h.runningTimers(), Lines{c.timer});
  EXPECT_EQ(h.get<toolkit::Timer>(c.timer).interval(), 3000);
  EXPECT_TRUE(h.get<toolkit::TextBox>("txtParameter", 57).visible());  // the device's value above the typed one

  h.driver->requests.clear();
  h.get<toolkit::Label>("lbArray", 49).setCaption("°F");
  h.get<toolkit::TextBox>("txtParameter", 59).setText("25.5");
  if (warns) h.boxes.answers.push_back(Answer::Ok);
  h.boxes.answers.push_back(yes ? Answer::Yes : Answer::No);
  h.Click("cmdWriteParameter");

  EXPECT_EQ(h.sent(), Lines{c.write});
  ASSERT_EQ(h.boxes.shown.size(), warns ? 2u : 1u);
  EXPECT_EQ(h.boxes.shown[0].title, c.title);
  EXPECT_EQ(h.boxes.shown.back().title, c.title);
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  EXPECT_FALSE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
  EXPECT_EQ(h.state().sPage, yes ? c.yesPage : page);
  EXPECT_EQ(h.runningTimers(), yes ? Lines{} : Lines{c.timer});
  EXPECT_EQ(h.get<toolkit::CommandButton>("cmdBack").enabled(), !yes || c.yesBack);
}

INSTANTIATE_TEST_SUITE_P(Trims, InputTrimSteps,
                         ::testing::Combine(::testing::ValuesIn(kInputTrims), ::testing::Bool()));

// Off line the menu opens, without touching polling; the trim points do not.
TEST_F(InputTrims, OffLineOnlyTheMenuOpens) {
  h.Notify(0, kOffline);
  h.startPolling();
  h.Click("cmdSensorTrim");
  EXPECT_EQ(h.boxes.shown.at(0).text,
            "This function is available only for channel 1. Make sure Sensor 1 is connected!");
  EXPECT_EQ(h.visibleFrames(), Lines{"frmSensorTrimMenu"});
  for (const char* button : {"cmdSensorLowerTrim", "cmdSensorUpperTrim", "cmdTempTrim"}) {
    h.Click(button);
    EXPECT_EQ(h.visibleFrames(), Lines{}) << button;
  }
  EXPECT_EQ(h.sent(), Lines{});
  EXPECT_EQ(h.runningTimers().size(), 7u);
}

// lbArray(49) is not cleared when a sensor trim opens: after a current trim
// it still says "mA" until the first sensor reading arrives.
TEST_F(InputTrims, TheUnitLabelLeftByACurrentTrimIsSent) {
  h.Click("cmdTrimCurrentChannel1");
  h.Click("cmd4mA");
  h.Click("cmdSensorLowerTrim");
  h.get<toolkit::TextBox>("txtParameter", 59).setText("0");
  h.driver->requests.clear();
  h.Click("cmdWriteParameter");
  EXPECT_EQ(h.sent(), Lines{"write 20 27,00000000"});
}

// Write code 29 is no step the Write button leaves alone, so its common
// ending sends the factory trim a second time.
TEST_F(InputTrims, FactoryTrimSendsTheReferenceTwiceWithTheInputKind) {
  for (const auto& [selection, sent] : {std::pair{"OHM", "write 29 01,42C80000"}, {"ohm", "write 29 00,42C80000"}}) {
    h.Click("cmdFactoryTrim");
    h.get<toolkit::ComboBox>("cmbTrimSelection").setText(selection);
    h.get<toolkit::TextBox>("txtParameter", 152).setText("100");
    h.driver->requests.clear();
    h.Click("cmdWriteParameter");
    EXPECT_EQ(h.sent(), (Lines{sent, sent}));
  }
}

}  // namespace
}  // namespace zolin6::fakes
