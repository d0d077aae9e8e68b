// The copy buttons of the first sensor and range tabs, and the unit buttons
// of the six range tabs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/control_harness.h"
#include "writing_helpers.h"

namespace zolin6::fakes {
namespace {

using toolkit::Answer;
using toolkit::Timer;

constexpr const char* kCopyQuestion =
    "The parameter values of sensor 1 will be copied to all sensors. Do you wish to continue?";

// Channel 1's values on both pages, with the other channels holding
// different ones that must not travel.
void TypeChannelOne(ControlHarness& h) {
  Type(h, "cmbSensorType", 0, "Pt 1000 IEC");
  Type(h, "cmbSensorConnection", 0, "Four wires");
  Type(h, "cmbColdJunction", 0, "Fixed");
  Type(h, "txtParameter", 136, "850");
  Type(h, "txtParameter", 137, "-200");
  Type(h, "lbArray", 246, "K");
  Type(h, "cmbPVUnits", 0, "°F");
  Type(h, "txtParameter", 40, "20");
  Type(h, "txtParameter", 39, "4");
  Type(h, "cmbSensorType", 1, "Ohm 100");
  Type(h, "cmbPVUnits", 1, "mV");
  Type(h, "txtParameter", 87, "0.5");
}

struct CopyCase {
  const char* button;
  const char* node;  // the page the button is on
  const char* writeCode;
  std::vector<std::string> attributes;
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.button; }

class CopyToAll : public ::testing::TestWithParam<CopyCase> {};

// The copies do not look at the connection: the driver gets them anyway.
TEST_P(CopyToAll, AsksThenSendsChannelOneWithoutReReadEvenOffLine) {
  const CopyCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree(c.node);
  TypeChannelOne(h);
  h.Notify(0, kOffline);
  StartEveryPollingTimer(h);
  h.driver->requests.clear();
  h.boxes.answers.push_back(Answer::Yes);

  h.Click(c.button);

  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].text, kCopyQuestion);
  EXPECT_EQ(h.boxes.shown[0].title, "Copy To All");
  EXPECT_EQ(h.boxes.shown[0].buttons, toolkit::Buttons::YesNo);
  EXPECT_EQ(h.boxes.shown[0].icon, toolkit::Icon::None);
  ASSERT_EQ(h.driver->requests.size(), 1u);
  ExpectRequest(h.driver->requests[0], "write", c.writeCode, Filled(c.attributes));
  EXPECT_EQ(h.state().sWriteCode, c.writeCode);
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  // Polling goes on and no re-read is armed.
  EXPECT_EQ(RunningPolling(h).size(), 7u);
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
}

TEST_P(CopyToAll, AnswerNoSendsNothing) {
  const CopyCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree(c.node);
  TypeChannelOne(h);
  const UserCntrl::State before = h.state();
  const std::string panel = h.panel(4);
  h.driver->requests.clear();

  h.Click(c.button);  // nothing queued: the box answers No

  EXPECT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(h.state().sWriteCode, before.sWriteCode);
  EXPECT_EQ(h.state().sRequestDoc, before.sRequestDoc);
  EXPECT_EQ(h.panel(4), panel);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, CopyToAll,
    ::testing::Values(
        // The unit comes from the limits' unit label, not from a combo box,
        // and no channel code leads the values.
        CopyCase{"cmdChannelSensorCopyToAll", " Sensor", "27", {"0F", "04", "02", "44548000", "C3480000", "23"}},
        CopyCase{"cmdConfSRangeCopyAll", "Configuration", "28", {"21", "41A00000", "40800000"}}));

class ChangeUnit : public ::testing::TestWithParam<int> {};

TEST_P(ChangeUnit, WritesTheChannelsUnitAndReReadsItsTab) {
  const int k = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree("Configuration");
  h.ClickTab("SSTabSensorRange", k);
  Type(h, "cmbPVUnits", k, "°F");
  Type(h, "cmbPVUnits", (k + 1) % 6, "K");
  StartEveryPollingTimer(h);
  h.driver->requests.clear();

  h.Click("cmdChangeSensorUnit", k);

  ASSERT_EQ(h.driver->requests.size(), 1u);
  ExpectRequest(h.driver->requests[0], "write", "4", Filled({"0" + std::to_string(k), "21"}));
  EXPECT_TRUE(h.state().bUnitChanged);
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  EXPECT_TRUE(RunningPolling(h).empty());
  const Timer& reRead = h.get<Timer>("TimerReadAfterWrite");
  EXPECT_TRUE(reRead.enabled());
  EXPECT_EQ(reRead.interval(), 2000);

  h.clock.advance(1999);
  EXPECT_EQ(h.driver->requests.size(), 1u);
  h.clock.advance(1);
  ASSERT_EQ(h.driver->requests.size(), 2u);
  EXPECT_EQ(h.driver->requests[1].kind, "read");
  EXPECT_EQ(h.driver->requests[1].code, std::to_string(18 + k));
  EXPECT_EQ(h.driver->requests[1].document, h.driver->requests[0].document);
}

INSTANTIATE_TEST_SUITE_P(RangeTabs, ChangeUnit, ::testing::Range(0, 6));

TEST(ChangeUnitWithoutConnection, DoesNothingNotEvenStopPolling) {
  ControlHarness h;
  h.Connect();
  h.ClickTree("Configuration");
  h.Notify(0, kOffline);
  StartEveryPollingTimer(h);
  const UserCntrl::State before = h.state();
  h.driver->requests.clear();

  h.Click("cmdChangeSensorUnit", 3);

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(RunningPolling(h).size(), 7u);
  EXPECT_FALSE(h.state().bUnitChanged);
  EXPECT_EQ(h.state().sWriteCode, before.sWriteCode);
  EXPECT_EQ(h.state().sRequestDoc, before.sRequestDoc);
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
}

}  // namespace
}  // namespace zolin6::fakes
