// A text that is not a number, typed into any numeric field of any page that
// writes, ends the handler without sending anything, and leaves every state
// field as a handler that sends nothing must: no request named, no held
// current or unit change recorded, no re-read armed.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fakes/control_harness.h"

namespace zolin6::fakes {
namespace {

using Step = std::function<void(ControlHarness&)>;
constexpr const char* kWrite = "cmdWriteParameter";

// The clicks that bring a field's page on show: buttons ("cmd...") or tree nodes, then a tab.
Step Open(std::vector<const char*> clicks, const char* tabs = nullptr, int tab = 0) {
  return [=](ControlHarness& h) {
    for (const char* c : clicks) std::string_view(c).starts_with("cmd") ? h.Click(c) : h.ClickTree(c);
    if (tabs != nullptr) h.ClickTab(tabs, tab);
  };
}

// One numeric field: how its page comes on show, its text box and the button
// that sends it (every one but Write asks first, and the user says Yes).
struct NumericField {
  Step open;
  int box;  // txtParameter index
  const char* button = kWrite;
  bool typedNumber = true;  // a number sent as IEEE hex (the stricter reading)
};

std::vector<NumericField> Fields() {
  std::vector<NumericField> fields{
      {Open({" HART"}), 36, kWrite, false},                       // polling address
      {Open({"Information"}), 6, kWrite, false},                  // final assembly number
      {Open({"Information"}), 51, kWrite, false},                 // date
      {Open({"Diagnosis"}), 106, "cmdResetChangeStatus", false},  // change counter
      {Open({"cmdCurrentTrim", "cmdTrimCurrentChannel1", "cmd4mA"}), 59},
      {Open({"cmdCurrentTrim", "cmdTrimCurrentChannel4", "cmd20mA"}), 59},
      {Open({"cmdSensorTrim", "cmdSensorLowerTrim"}), 59},
      {Open({"cmdSensorTrim", "cmdSensorUpperTrim"}), 59},
      {Open({"cmdTempTrim"}), 59},
      {Open({"cmdFactoryTrim"}), 152},
  };
  // Sensor 1's limits written and copied, and channel 1's range values copied.
  for (int box : {136, 137}) {
    fields.push_back({Open({" Sensor"}), box});
    fields.push_back({Open({" Sensor"}), box, "cmdChannelSensorCopyToAll"});
  }
  for (int box : {40, 39}) fields.push_back({Open({"Configuration"}), box, "cmdConfSRangeCopyAll"});
  // The "Sensor Others" tab: limits, Callendar-Van Dusen coefficients, R0 and damping.
  for (int box : {136, 137, 143, 144, 145, 138, 146}) fields.push_back({Open({" Sensor"}, "SSTabConfSensor", 6), box});
  // Upper and lower range value of each channel, and the "Other" current of each loop test tab.
  const int ranges[6][2] = {{40, 39}, {87, 82}, {92, 91}, {97, 96}, {130, 129}, {160, 159}};
  const int others[6] = {76, 151, 153, 154, 155, 156};
  for (int tab = 0; tab < 6; ++tab) {
    for (int box : ranges[tab]) fields.push_back({Open({"Configuration"}, "SSTabSensorRange", tab), box});
    const Step open = Open({"cmdLoopTest"}, "SSTabLoopTest", tab);
    fields.push_back({[=](ControlHarness& h) {
                        open(h);
                        h.form().select(h.get<toolkit::OptionButton>("OpOther", tab));
                      },
                      others[tab]});
  }
  return fields;
}

TEST(TypedNumbers, AreRefusedBeforeAnythingIsSent) {
  // Texts that no reading takes for a number, and one beyond every range; then
  // what the locale's reading accepts but a typed value sent as IEEE hex may
  // not be: exponents and digit grouping would be read as some other number.
  const std::vector<std::string> noNumbers{"abc",  "12abc", "--5",      "1.2.3",    "inf",        "nan",
                                           "0x10", "1 000", "\xC2\xBD", "\xFF\xFE", "99999999999"};
  const std::vector<std::string> notPlain{"1e3", "1,000.5", "1.5E-7", "+-1"};
  for (const NumericField& field : Fields()) {
    std::vector<std::string> texts = noNumbers;
    if (field.typedNumber) texts.insert(texts.end(), notPlain.begin(), notPlain.end());
    for (const std::string& text : texts) {
      SCOPED_TRACE("[" + text + "] in txtParameter(" + std::to_string(field.box) + ") sent by " + field.button);
      ControlHarness h;
      h.Connect();
      field.open(h);
      // A complete date, so that the information page gets as far as the final assembly number.
      h.get<toolkit::TextBox>("txtParameter", 51).setText("15/3/2006");
      h.get<toolkit::TextBox>("txtParameter", field.box).setText(text);
      h.driver->requests.clear();
      const UserCntrl::State before = h.state();
      const std::string activity = h.panel(4);
      if (std::string_view(field.button) != kWrite) h.boxes.answers.push_back(toolkit::Answer::Yes);
      h.Click(field.button);

      EXPECT_EQ(h.sent(), std::vector<std::string>{});
      const UserCntrl::State& after = h.state();
      // Either the pair of the request before, or the Write button's own "nothing to write".
      const bool unchanged = after.sWriteCode == before.sWriteCode && after.sRequestDoc == before.sRequestDoc;
      const bool nothing =
          after.sWriteCode == "0" && AttributesOf(after.sRequestDoc) == std::vector<std::string>(22, "None");
      EXPECT_TRUE(unchanged || nothing) << after.sWriteCode << " " << after.sRequestDoc;
      EXPECT_EQ(std::tie(after.bFixedCurrent, after.bUnitChanged, after.sPage, after.sSubPage),
                std::tie(before.bFixedCurrent, before.bUnitChanged, before.sPage, before.sSubPage));
      EXPECT_EQ(h.panel(4), activity);
      EXPECT_FALSE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
      EXPECT_EQ(h.text("txtParameter", field.box), text);
    }
  }
}

// An empty box on a configuration page is a value never read (the limits that
// channel 1's sensor write carries live on another tab): it goes as "None", so
// the rest of the page can still be written and no made-up number reaches the
// device. A typed step value has no such excuse.
TEST(EmptyNumericBoxes, SendNoneOnConfigurationPagesAndNothingFromAStep) {
  ControlHarness h;
  h.Connect();
  h.ClickTree(" Sensor");
  h.get<toolkit::ComboBox>("cmbSensorType", 0).setText("Pt 100 IEC");
  h.driver->requests.clear();
  h.Click(kWrite);
  ASSERT_EQ(h.sent().size(), 1u);
  const std::vector<std::string> attributes = AttributesOf(h.driver->requests[0].document);
  EXPECT_EQ(attributes[4], "None");
  EXPECT_EQ(attributes[5], "None");

  h.Click("cmdFactoryTrim");
  h.get<toolkit::TextBox>("txtParameter", 152).setText(" ");
  h.driver->requests.clear();
  h.Click(kWrite);
  EXPECT_EQ(h.sent(), std::vector<std::string>{});
}

// A request the driver refuses forces no current and changes no unit: a later
// response code 11 is not taken for the answer to either, and leaving the page
// releases nothing.
TEST(RefusedRequests, LeaveNoHeldCurrentOrUnitChangeBehind) {
  ControlHarness h;
  h.Connect();
  h.Click("cmdLoopTest");
  h.form().select(h.get<toolkit::OptionButton>("Op12mA", 0));
  h.driver->failRequests = true;
  h.Click(kWrite);
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
