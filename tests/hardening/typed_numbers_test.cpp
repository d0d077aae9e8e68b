// A text that is not a number, typed into any numeric field of any page that
// writes, ends the handler without sending anything, and leaves every state
// field as a handler that sends nothing must: no request named, no held
// current or unit change recorded, no re-read armed.

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Step = std::function<void(ControlHarness&)>;

// One numeric field: how its page comes on show, the text box, and what the
// user presses to send it.
struct NumericField {
  const char* name;
  Step open;
  int box;  // txtParameter index
  Step press;
  bool typedNumber = true;  // a number sent as IEEE hex (the stricter reading)
};

void PrintTo(const NumericField& field, std::ostream* os) { *os << field.name; }

Step Tree(const char* node, const char* tabControl = nullptr, int tab = 0) {
  return [=](ControlHarness& h) {
    h.ClickTree(node);
    if (tabControl != nullptr) h.ClickTab(tabControl, tab);
  };
}

Step Clicks(std::vector<const char*> buttons) {
  return [=](ControlHarness& h) {
    for (const char* button : buttons) h.Click(button);
  };
}

void Write(ControlHarness& h) { h.Click("cmdWriteParameter"); }

// The copies and the device commands ask first; the user says Yes.
Step Confirmed(const char* button) {
  return [=](ControlHarness& h) {
    h.boxes.answers.push_back(toolkit::Answer::Yes);
    h.Click(button);
  };
}

std::vector<NumericField> Fields() {
  std::vector<NumericField> fields{
      {"polling address", Tree(" HART"), 36, Write, false},
      {"final assembly number", Tree("Information"), 6, Write, false},
      {"date", Tree("Information"), 51, Write, false},
      {"change counter of the status reset", Tree("Diagnosis"), 106, Confirmed("cmdResetChangeStatus"), false},
      {"sensor 1 high limit", Tree(" Sensor"), 136, Write},
      {"sensor 1 low limit", Tree(" Sensor"), 137, Write},
      {"copied high limit", Tree(" Sensor"), 136, Confirmed("cmdChannelSensorCopyToAll")},
      {"copied low limit", Tree(" Sensor"), 137, Confirmed("cmdChannelSensorCopyToAll")},
      {"copied upper range value", Tree("Configuration"), 40, Confirmed("cmdConfSRangeCopyAll")},
      {"copied lower range value", Tree("Configuration"), 39, Confirmed("cmdConfSRangeCopyAll")},
      {"current trim reading, channel 1", Clicks({"cmdCurrentTrim", "cmdTrimCurrentChannel1", "cmd4mA"}), 59, Write},
      {"current trim reading, channel 4", Clicks({"cmdCurrentTrim", "cmdTrimCurrentChannel4", "cmd20mA"}), 59, Write},
      {"sensor lower trim value", Clicks({"cmdSensorTrim", "cmdSensorLowerTrim"}), 59, Write},
      {"sensor upper trim value", Clicks({"cmdSensorTrim", "cmdSensorUpperTrim"}), 59, Write},
      {"temperature trim value", Clicks({"cmdTempTrim"}), 59, Write},
      {"factory trim value", Clicks({"cmdFactoryTrim"}), 152, Write},
  };
  // The "Sensor Others" tab: limits, Callendar-Van Dusen coefficients, R0
  // and damping.
  for (int box : {136, 137, 143, 144, 145, 138, 146}) {
    fields.push_back({"sensor parameter", Tree(" Sensor", "SSTabConfSensor", 6), box, Write});
  }
  // Upper and lower range value of each channel.
  const int ranges[6][2] = {{40, 39}, {87, 82}, {92, 91}, {97, 96}, {130, 129}, {160, 159}};
  for (int tab = 0; tab < 6; ++tab) {
    for (int box : ranges[tab]) {
      fields.push_back({"range value", Tree("Configuration", "SSTabSensorRange", tab), box, Write});
    }
  }
  // The "Other" current of each loop test tab.
  const int others[6] = {76, 151, 153, 154, 155, 156};
  for (int tab = 0; tab < 6; ++tab) {
    fields.push_back({"loop test current",
                      [tab](ControlHarness& h) {
                        h.Click("cmdLoopTest");
                        h.ClickTab("SSTabLoopTest", tab);
                        h.form().select(h.get<toolkit::OptionButton>("OpOther", tab));
                      },
                      others[tab], Write});
  }
  return fields;
}

// Texts that no reading takes for a number, and one beyond every range.
const std::vector<std::string> kNoNumbers{"abc",  "12abc", "--5",      "1.2.3",    "inf",        "nan",
                                          "0x10", "1 000", "\xC2\xBD", "\xFF\xFE", "99999999999"};
// What the locale's reading accepts but a typed value sent as IEEE hex may
// not be: exponents and digit grouping, which the conversion would read
// as some other number.
const std::vector<std::string> kNotPlain{"1e3", "1,000.5", "1.5E-7", "+-1"};

class TypedNumbers : public ::testing::TestWithParam<NumericField> {};

TEST_P(TypedNumbers, AreRefusedBeforeAnythingIsSent) {
  const NumericField& field = GetParam();
  std::vector<std::string> texts = kNoNumbers;
  if (field.typedNumber) texts.insert(texts.end(), kNotPlain.begin(), kNotPlain.end());
  for (const std::string& text : texts) {
    SCOPED_TRACE("[" + text + "] in txtParameter(" + std::to_string(field.box) + ")");
    ControlHarness h;
    h.Connect();
    field.open(h);
    // A complete date, so that the information page gets as far as the
    // final assembly number.
    h.get<toolkit::TextBox>("txtParameter", 51).setText("15/3/2006");
    h.get<toolkit::TextBox>("txtParameter", field.box).setText(text);
    h.driver->requests.clear();
    const UserCntrl::State before = h.state();
    const std::string activity = h.panel(4);

    field.press(h);

    EXPECT_EQ(h.sent(), std::vector<std::string>{});
    const UserCntrl::State& after = h.state();
    // Either the pair of the request before, or the Write button's own
    // "nothing to write".
    const bool unchanged = after.sWriteCode == before.sWriteCode && after.sRequestDoc == before.sRequestDoc;
    const bool nothing =
        after.sWriteCode == "0" && AttributesOf(after.sRequestDoc) == std::vector<std::string>(22, "None");
    EXPECT_TRUE(unchanged || nothing) << after.sWriteCode << " " << after.sRequestDoc;
    EXPECT_EQ(after.bFixedCurrent, before.bFixedCurrent);
    EXPECT_EQ(after.bUnitChanged, before.bUnitChanged);
    EXPECT_EQ(after.sPage, before.sPage);
    EXPECT_EQ(after.sSubPage, before.sSubPage);
    EXPECT_EQ(h.panel(4), activity);
    EXPECT_FALSE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
    EXPECT_EQ(h.text("txtParameter", field.box), text);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWritePage, TypedNumbers, ::testing::ValuesIn(Fields()),
                         [](const ::testing::TestParamInfo<NumericField>& param) {
                           std::string name = std::to_string(param.index) + "_";
                           for (const char c : std::string(param.param.name)) {
                             name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
                           }
                           return name + "_" + std::to_string(param.param.box);
                         });

// An empty box on a configuration page is a value never read (the limits
// that channel 1's sensor write carries live on another tab): it goes as
// "None", so the rest of the page can still be written and no made-up
// number reaches the device. A typed step value has no such excuse.
TEST(EmptyNumericBoxes, SendNoneOnConfigurationPagesAndNothingFromAStep) {
  ControlHarness h;
  h.Connect();
  h.ClickTree(" Sensor");
  h.get<toolkit::ComboBox>("cmbSensorType", 0).setText("Pt 100 IEC");
  h.driver->requests.clear();
  Write(h);
  ASSERT_EQ(h.sent().size(), 1u);
  EXPECT_EQ(AttributesOf(h.driver->requests[0].document)[4], "None");
  EXPECT_EQ(AttributesOf(h.driver->requests[0].document)[5], "None");

  h.Click("cmdFactoryTrim");
  h.get<toolkit::TextBox>("txtParameter", 152).setText(" ");
  h.driver->requests.clear();
  Write(h);
  EXPECT_EQ(h.sent(), std::vector<std::string>{});
}

// A request the driver refuses forces no current and changes no unit: a
// later response code 11 is not taken for the answer to either, and leaving
// the page releases nothing.
TEST(RefusedRequests, LeaveNoHeldCurrentOrUnitChangeBehind) {
  ControlHarness h;
  h.Connect();
  h.Click("cmdLoopTest");
  h.form().select(h.get<toolkit::OptionButton>("Op12mA", 0));
  h.driver->failRequests = true;
  Write(h);
  EXPECT_FALSE(h.state().bFixedCurrent);

  h.ClickTree("Configuration");
  h.Click("cmdChangeSensorUnit", 2);
  EXPECT_FALSE(h.state().bUnitChanged);

  h.driver->failRequests = false;
  h.Notify(4000, "<P><x tag='Response Code 1' value='11'/></P>");
  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].text, "Invalid Unit!");
  h.driver->requests.clear();
  h.ClickTree("Observe");
  EXPECT_EQ(h.sent(), std::vector<std::string>{"read 24"});
}

}  // namespace
}  // namespace zolin6::fakes
