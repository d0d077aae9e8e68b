// The Write button (what each configuration page sends, the information
// page's own rules, the clicks that send nothing) and the sensor pages'
// buttons that write one thing of their own: copy to all, change of unit.

#include "codecs/functions_hart.h"
#include "pages/page_test_support.h"

namespace zolin6::fakes {
namespace {

using Lines = std::vector<std::string>;
using WriteButton = ConnectedControl;

// Types "id=text|..." into boxes, combo boxes and labels; a bare number is a txtParameter.
void TypeAll(ControlHarness& h, std::string_view fields) {
  for (const auto& [key, text] : pages_test::Entries(fields)) {
    const std::string id = pages_test::Id(key);
    const std::size_t open = id.find('(');
    h.type(id.substr(0, open), open == std::string::npos ? -1 : std::stoi(id.substr(open + 1)), text);
  }
}

// A page reached through the tree and, where given, a tab, with what the user typed.
struct PageCase {
  const char* node;
  const char* tabControl;  // "" for none
  int tab;
  const char* typed;
  const char* sent;  // "" when nothing is sent
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.node << " " << c.tabControl << " " << c.tab; }

void Open(ControlHarness& h, const PageCase& c) {
  h.ClickTree(c.node);
  if (*c.tabControl) h.ClickTab(c.tabControl, c.tab);
  TypeAll(h, c.typed);
  h.startPolling();
  h.get<toolkit::TextBox>("txtParameter", 67).setBackColor(toolkit::kLampOn);
  h.setPanel(4, "idle");
  h.driver->requests.clear();
  h.Click("cmdWriteParameter");
  // Every press stops polling and returns this box to the window colour.
  EXPECT_EQ(h.runningTimers(), Lines{});
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 67).backColor(), toolkit::kSystemWindowBackground);
}

class ConfigurationWrite : public ConnectedControl, public ::testing::WithParamInterface<PageCase> {};

TEST_P(ConfigurationWrite, SendsThePageAndArmsTheReRead) {
  Open(h, GetParam());
  EXPECT_EQ(h.sent(), Lines{GetParam().sent});
  EXPECT_EQ(h.state().sRequestDoc, h.driver->requests.at(0).document);
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
  EXPECT_TRUE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
  EXPECT_EQ(h.get<toolkit::Timer>("TimerReadAfterWrite").interval(), 2000);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ConfigurationWrite,
    ::testing::Values(
        PageCase{" HART", "", 0,
                 "cmbLoopCurrentMode=Enabled|36=10|cmbResponsePreambles=7|cmbWriteProtection=Disabled|cmbLoopAlarm=Low",
                 "write 2 01,0A,07,00,01"},
        // Channel 1 also carries the limits, with the unit of their label.
        PageCase{" Sensor", "", 0,
                 "cmbSensorType(0)=T/C Type K IEC|cmbSensorConnection(0)=Three wires|cmbColdJunction(0)=Internal"
                 "|136=850|137=-200|lbArray(246)=°F",
                 "write 3 00,89,03,01,44548000,C3480000,21"},
        PageCase{" Sensor", "SSTabConfSensor", 2,
                 "cmbSensorType(2)=Ni 120 DIN|cmbSensorConnection(2)=Four wires|cmbColdJunction(2)=Fixed"
                 "|cmbSensorType(0)=T/C Type K IEC",
                 "write 3 02,3F,04,02"},
        PageCase{" Sensor", "SSTabConfSensor", 6,
                 "136=850|137=-200|lbArray(246)=K|143=0.5|144=-1.5|145=4|138=100|146=20",
                 "write 26 44548000,C3480000,23,3F000000,BFC00000,40800000,42C80000,41A00000"},
        PageCase{"Local Temp", "", 0, "cmbUnitLocalTemp=°F", "write 4 0C,21"},
        // The display's percentage is "Sensor 2 %"; "Sensor 1%" has no code.
        PageCase{"LCD", "", 0, "cmbDisplay1=Sensor 2 %|cmbDisplay2=Sensor 1%|cmbDisplay6=Local Temp",
                 "write 5 07,,,,,0C"},
        // Each range tab has boxes of its own; the second's write is in the
        // writing-range example.
        PageCase{"Configuration", "SSTabSensorRange", 5, "cmbPVUnits(5)=°F|160=20|159=4",
                 "write 6 05,21,41A00000,40800000"}));

// State carried from one action into the next: a range tab's read after a
// write carries a fresh document, not the write's attributes.
TEST_F(WriteButton, ARangeTabAfterAWriteReadsWithAFreshDocument) {
  Open(h, PageCase{"Configuration", "SSTabSensorRange", 1, "87=20|82=4", ""});
  h.Click("cmdWriteParameter");
  h.driver->requests.clear();
  h.ClickTab("SSTabSensorRange", 2);
  EXPECT_EQ(h.sent(), Lines{"read 20"});
  EXPECT_EQ(h.state().sRequestDoc, h.driver->requests.at(0).document);
}

// A value that cannot be converted stops the click before anything goes out
// and keeps nothing half-built; pages with nothing to write end the same way.
class NothingWritten : public ConnectedControl, public ::testing::WithParamInterface<PageCase> {};

TEST_P(NothingWritten, LeavesCodeZeroAndAnEmptyDocument) {
  Open(h, GetParam());
  EXPECT_EQ(h.sent(), Lines{});
  EXPECT_EQ(h.state().sWriteCode, "0");
  EXPECT_EQ(h.state().sRequestDoc, UserCntrl::DocXML(NoneAttributes()));
  EXPECT_EQ(h.panel(4), "idle");
  EXPECT_FALSE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
}

INSTANTIATE_TEST_SUITE_P(Pages, NothingWritten,
                         ::testing::Values(PageCase{"Information", "", 0, "51=25/12/2022|6=99999999999", ""},
                                           PageCase{"Information", "", 0, "51=25-12-2022|6=1", ""},
                                           // Only a date of eight characters or more is written.
                                           PageCase{"Information", "", 0, "51=1/1/24|6=1", ""},
                                           PageCase{" HART", "", 0, "36=40000", ""},
                                           PageCase{"Configuration", "SSTabSensorRange", 3, "97=99999999999", ""},
                                           PageCase{" Sensor", "SSTabConfSensor", 6, "146=5000000000.5", ""},
                                           PageCase{"Observe", "SSTabObserve", 1, "", ""},
                                           PageCase{"Diagnosis", "SSTabDiagnosis", 2, "", ""},
                                           PageCase{"TRIM", "", 0, "", ""}));

std::string Packed(std::string text, int length) { return codecs::PackAscii(text, length); }

// The texts go upper-cased; the final assembly number as six hex digits,
// longer numbers (negative ones included) as "FFFFFF".
TEST_F(WriteButton, InformationSendsTheRecord) {
  h.ClickTree("Information");
  TypeAll(h, "0=tt-101|2=boiler inlet|3=checked 2024|1=long tag é|51=1/1/2024|6=255");
  h.driver->requests.clear();
  h.Click("cmdWriteParameter");
  std::string padding;
  for (int i = 0; i < 22; ++i) padding += "20";
  EXPECT_EQ(h.sent(), Lines{"write 1 514B71C31820," + Packed("BOILER INLET", 16) + ",01017C," +
                            Packed("CHECKED 2024", 32) + ",4C4F4E472054414720C9" + padding + ",0000FF"});
  EXPECT_EQ(h.text("txtParameter", 0), "tt-101");  // the box keeps what was typed
  for (const auto& [typed, expected] : {std::pair{"1048576", "100000"}, {"16777216", "FFFFFF"}, {"-1", "FFFFFF"}}) {
    h.type("txtParameter", 6, typed);
    h.Click("cmdWriteParameter");
    EXPECT_EQ(AttributesOf(h.driver->requests.back().document).at(5), expected) << typed;
  }
}

// A sensor or range page whose sub-page is not one of its tabs still sends
// the page's code, with nothing in it.
TEST_F(WriteButton, OutsideTheChannelTabsThePageCodeGoesAlone) {
  h.ClickTree("Diagnosis");
  h.ClickTab("SSTabDiagnosis", 2);  // sub-page "Change Counter"
  h.driver->requests.clear();
  for (const char* tabControl : {"SSTabSensorRange", "SSTabConfSensor"}) {
    h.ClickTab(tabControl, 7);  // no such tab: the page changes, the sub-page not
    h.Click("cmdWriteParameter");
  }
  EXPECT_EQ(h.sent(), (Lines{"write 6", "write 3"}));
}

TEST_F(WriteButton, OffLineNeitherWriteNorUnitChangeDoAnything) {
  h.Notify(0, kOffline);
  h.startPolling();
  h.get<toolkit::TextBox>("txtParameter", 67).setBackColor(toolkit::kLampOn);
  h.Click("cmdWriteParameter");
  h.Click("cmdChangeSensorUnit", 3);
  EXPECT_EQ(h.sent(), Lines{});
  EXPECT_EQ(h.runningTimers().size(), 7u);
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 67).backColor(), toolkit::kLampOn);
  EXPECT_FALSE(h.state().bUnitChanged);
}

// The copies ask first but check no connection, leave polling alone and arm
// no re-read: the device copies inside itself. The sensor copy takes its unit
// from the limits' label, and no channel code leads the values.
TEST_F(WriteButton, CopyToAllAsksThenSendsChannelOneEvenOffLine) {
  // Channel 1's values on both pages; the other channels' stay home.
  TypeAll(h,
          "cmbSensorType(0)=Pt 1000 IEC|cmbSensorConnection(0)=Four wires|cmbColdJunction(0)=Fixed|136=850|137=-200"
          "|lbArray(246)=K|cmbPVUnits(0)=°F|40=20|39=4|cmbSensorType(1)=Ohm 100|cmbPVUnits(1)=mV");
  h.Notify(0, kOffline);
  h.startPolling();
  for (const auto& [button, sent] : {std::pair{"cmdChannelSensorCopyToAll", "write 27 0F,04,02,44548000,C3480000,23"},
                                     {"cmdConfSRangeCopyAll", "write 28 21,41A00000,40800000"}}) {
    h.driver->requests.clear();
    h.Click(button);  // nothing queued: the box answers No
    EXPECT_EQ(h.sent(), Lines{});
    h.boxes.answers.push_back(toolkit::Answer::Yes);
    h.Click(button);
    EXPECT_EQ(h.sent(), Lines{sent});
  }
  EXPECT_EQ(h.boxes.shown.at(3).text,
            "The parameter values of sensor 1 will be copied to all sensors. Do you wish to continue?");
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  EXPECT_EQ(h.runningTimers().size(), 7u);
  EXPECT_FALSE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
}

class ChangeUnit : public ConnectedControl, public ::testing::WithParamInterface<int> {};

TEST_P(ChangeUnit, WritesTheChannelsUnitAndArmsTheReRead) {
  const int k = GetParam();
  h.type("cmbPVUnits", k, "°F");
  h.type("cmbPVUnits", (k + 1) % 6, "K");
  h.startPolling();
  h.Click("cmdChangeSensorUnit", k);
  EXPECT_EQ(h.sent(), Lines{"write 4 0" + std::to_string(k) + ",21"});
  EXPECT_TRUE(h.state().bUnitChanged);  // the response to it may concern the backup mode
  EXPECT_EQ(h.panel(4), "Writting Xmtr Data...");
  EXPECT_EQ(h.runningTimers(), Lines{});
  EXPECT_TRUE(h.get<toolkit::Timer>("TimerReadAfterWrite").enabled());
  EXPECT_EQ(h.get<toolkit::Timer>("TimerReadAfterWrite").interval(), 2000);
}

INSTANTIATE_TEST_SUITE_P(RangeTabs, ChangeUnit, ::testing::Range(0, 6));

}  // namespace
}  // namespace zolin6::fakes
