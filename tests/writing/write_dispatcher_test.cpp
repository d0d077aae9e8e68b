// The Write button: what each configuration page sends, the re-read of the
// page 2000 ms later, the information page's own rules, and the clicks that
// send nothing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/functions_hart.h"
#include "fakes/control_harness.h"
#include "writing_helpers.h"

namespace zolin6::fakes {
namespace {

using toolkit::Timer;

struct Typed {
  const char* name;
  int index;
  const char* text;
};

// A configuration page reached through the tree and, where given, a tab.
struct PageCase {
  const char* label;
  const char* node;
  const char* tabControl;  // "" for none
  int tab;
  const char* frame;  // the page frame that stays on show
  std::vector<Typed> typed;
  const char* writeCode;
  std::vector<std::string> attributes;  // the filled ones, from Attribute1
  const char* reReadCode;
};

std::string PrintLabel(const ::testing::TestParamInfo<PageCase>& info) { return info.param.label; }
void PrintTo(const PageCase& c, std::ostream* os) { *os << c.label; }

class ConfigurationWrite : public ::testing::TestWithParam<PageCase> {};

TEST_P(ConfigurationWrite, SendsThePageAndReReadsIt2000MsLater) {
  const PageCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree(c.node);
  if (*c.tabControl != '\0') h.ClickTab(c.tabControl, c.tab);
  for (const Typed& t : c.typed) Type(h, t.name, t.index, t.text);
  StartEveryPollingTimer(h);
  h.get<toolkit::TextBox>("txtParameter", 67).setBackColor(toolkit::kLampOn);
  h.driver->requests.clear();

  h.Click("cmdWriteParameter");

  ASSERT_EQ(h.driver->requests.size(), 1u);
  ExpectRequest(h.driver->requests[0], "write", c.writeCode, Filled(c.attributes));
  EXPECT_EQ(h.state().sWriteCode, c.writeCode);
  EXPECT_EQ(h.state().sRequestDoc, h.driver->requests[0].document);
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
  EXPECT_TRUE(RunningPolling(h).empty());
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 67).backColor(), toolkit::kSystemWindowBackground);
  EXPECT_TRUE(h.get<toolkit::Frame>(c.frame).visible());
  const Timer& reRead = h.get<Timer>("TimerReadAfterWrite");
  EXPECT_TRUE(reRead.enabled());
  EXPECT_EQ(reRead.interval(), 2000);

  h.clock.advance(1999);
  EXPECT_EQ(h.driver->requests.size(), 1u);
  h.clock.advance(1);
  ASSERT_EQ(h.driver->requests.size(), 2u);
  // The re-read carries the write's document.
  EXPECT_EQ(h.driver->requests[1].kind, "read");
  EXPECT_EQ(h.driver->requests[1].code, c.reReadCode);
  EXPECT_EQ(h.driver->requests[1].document, h.driver->requests[0].document);
  EXPECT_EQ(h.panel(4), "Reading Xmtr Data...");
  EXPECT_FALSE(reRead.enabled());
}

// Sensor 1 to 6 of the range page share one shape: channel code, unit,
// upper value, lower value, each channel from its own boxes.
std::vector<PageCase> RangeCases() {
  struct Channel {
    const char* label;
    int upper, lower;
    const char* reRead;
  };
  const Channel channels[] = {{"RangeSensor1", 40, 39, "18"},    {"RangeSensor2", 87, 82, "19"},
                              {"RangeSensor3", 92, 91, "20"},    {"RangeSensor4", 97, 96, "21"},
                              {"RangeSensor5", 130, 129, "22"},  {"RangeSensor6", 160, 159, "23"}};
  std::vector<PageCase> cases;
  for (int k = 0; k < 6; ++k) {
    const Channel& c = channels[k];
    // The tree itself shows the first tab.
    cases.push_back({c.label, "Configuration", k == 0 ? "" : "SSTabSensorRange", k, "frmConf_Range",
                     {{"cmbPVUnits", k, "°F"}, {"txtParameter", c.upper, "1000.75"}, {"txtParameter", c.lower, "-40"}},
                     "6", {"0" + std::to_string(k), "21", "447A3000", "C2200000"}, c.reRead});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(RangeTabs, ConfigurationWrite, ::testing::ValuesIn(RangeCases()), PrintLabel);

INSTANTIATE_TEST_SUITE_P(
    Pages, ConfigurationWrite,
    ::testing::Values(
        PageCase{"ConfHart", " HART", "", 0, "frmConfHART",
                 {{"cmbLoopCurrentMode", -1, "Enabled"},
                  {"txtParameter", 36, "10"},
                  {"cmbResponsePreambles", -1, "7"},
                  {"cmbWriteProtection", -1, "Disabled"},
                  {"cmbLoopAlarm", -1, "Low"}},
                 "2", {"01", "0A", "07", "00", "01"}, "9"},
        // Channel 1 also carries the limits and the unit label of the
        // "Others" tab.
        PageCase{"ChannelSensor1", " Sensor", "", 0, "frmChannelSensor",
                 {{"cmbSensorType", 0, "T/C Type K IEC"},
                  {"cmbSensorConnection", 0, "Three wires"},
                  {"cmbColdJunction", 0, "Internal"},
                  {"txtParameter", 136, "850"},
                  {"txtParameter", 137, "-200"},
                  {"lbArray", 246, "°F"}},
                 "3", {"00", "89", "03", "01", "44548000", "C3480000", "21"}, "10"},
        PageCase{"ChannelSensor3", " Sensor", "SSTabConfSensor", 2, "frmChannelSensor",
                 {{"cmbSensorType", 2, "Ni 120 DIN"},
                  {"cmbSensorConnection", 2, "Four wires"},
                  {"cmbColdJunction", 2, "Fixed"},
                  {"cmbSensorType", 0, "T/C Type K IEC"},
                  {"txtParameter", 136, "850"}},
                 "3", {"02", "3F", "04", "02"}, "12"},
        // Unlisted texts go out as each table's fallback.
        PageCase{"ChannelSensor6Fallbacks", " Sensor", "SSTabConfSensor", 5, "frmChannelSensor",
                 {{"cmbSensorType", 5, "Pt 100"},
                  {"cmbSensorConnection", 5, ""},
                  {"cmbColdJunction", 5, "internal"}},
                 "3", {"05", "0C", "02", "FA"}, "15"},
        PageCase{"SensorOthers", " Sensor", "SSTabConfSensor", 6, "frmChannelSensor",
                 {{"txtParameter", 136, "850"},
                  {"txtParameter", 137, "-200"},
                  {"lbArray", 246, "K"},
                  {"txtParameter", 143, "0.5"},
                  {"txtParameter", 144, "-1.5"},
                  {"txtParameter", 145, "4"},
                  {"txtParameter", 138, "100"},
                  {"txtParameter", 146, "20"}},
                 "26", {"44548000", "C3480000", "23", "3F000000", "BFC00000", "40800000", "42C80000", "41A00000"},
                 "33"},
        PageCase{"LocalTemp", "Local Temp", "", 0, "frmConfLocalTemp",
                 {{"cmbUnitLocalTemp", -1, "°F"}},
                 "4", {"0C", "21"}, "16"},
        PageCase{"ConfLcd", "LCD", "", 0, "frmConfLCD",
                 {{"cmbDisplay1", -1, "Sensor 1"},
                  {"cmbDisplay2", -1, "Sensor 2 %"},
                  {"cmbDisplay3", -1, "Local Temp"},
                  {"cmbDisplay4", -1, "Sensor 6"},
                  {"cmbDisplay5", -1, ""},
                  {"cmbDisplay6", -1, "Sensor 1%"}},
                 "5", {"00", "07", "0C", "05", "", ""}, "17"},
        PageCase{"SpecialFunction", "Special Function", "", 0, "frmSpecialFunction",
                 {{"cmbBackupMode", -1, "Enabled"},
                  {"cmbBackupSensor", -1, "Sensor 3"},
                  {"cmbAverageMode", -1, "Disabled"}},
                 "16", {"01", "02", "00"}, "30"},
        PageCase{"DiagTemperature", "Diagnosis", "SSTabDiagnosis", 3, "frmDiagnosis",
                 {{"cmbSensorMaxMin", -1, "Enabled"}, {"cmbTempMaxMin", -1, "Disabled"}},
                 "17", {"01", "00"}, "27"}),
    PrintLabel);

// --- The information page ----------------------------------------------------

class InformationWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Connect();
    h.ClickTree("Information");
    Type(h, "txtParameter", 0, "tt-101");
    Type(h, "txtParameter", 2, "boiler inlet");
    Type(h, "txtParameter", 3, "checked 2024");
    Type(h, "txtParameter", 1, "long tag é");
    Type(h, "txtParameter", 51, "25/12/2022");
    Type(h, "txtParameter", 6, "255");
    h.driver->requests.clear();
  }

  static std::string Pack(std::string text, int n) { return codecs::PackAscii(text, n); }

  ControlHarness h;
};

TEST_F(InformationWrite, SendsTheUpperCasedRecordAndReReadsIt) {
  h.Click("cmdWriteParameter");

  ASSERT_EQ(h.driver->requests.size(), 1u);
  std::string padding;
  for (int i = 0; i < 22; ++i) padding += "20";
  ExpectRequest(h.driver->requests[0], "write", "1",
                Filled({"514B71C31820", Pack("BOILER INLET", 16), "190C7A", Pack("CHECKED 2024", 32),
                        "4C4F4E472054414720C9" + padding, "0000FF"}));
  EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
  // The boxes keep what was typed.
  EXPECT_EQ(h.text("txtParameter", 0), "tt-101");
  h.clock.advance(2000);
  ASSERT_EQ(h.driver->requests.size(), 2u);
  EXPECT_EQ(h.driver->requests[1].code, "1");
}

TEST_F(InformationWrite, FinalAssemblyNumberIsSixHexDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"255", "0000FF"}, {"1048576", "100000"}, {"16777215", "FFFFFF"}, {"16777216", "FFFFFF"},
      {"0", "000000"},   {"-1", "FFFFFF"},
  };
  for (const auto& [typed, expected] : cases) {
    SCOPED_TRACE(typed);
    h.driver->requests.clear();
    Type(h, "txtParameter", 6, typed);
    h.Click("cmdWriteParameter");
    ASSERT_EQ(h.driver->requests.size(), 1u);
    EXPECT_EQ(AttributesOf(h.driver->requests[0].document).at(5), expected);
  }
}

TEST_F(InformationWrite, WritesOnlyWithADateOfEightCharacters) {
  Type(h, "txtParameter", 51, "1/1/2024");
  h.Click("cmdWriteParameter");
  ASSERT_EQ(h.driver->requests.size(), 1u);
  EXPECT_EQ(AttributesOf(h.driver->requests[0].document).at(2), "01017C");

  h.clock.advance(2000);  // the first write's re-read
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "before");
  h.driver->requests.clear();
  Type(h, "txtParameter", 51, "1/1/24");
  h.Click("cmdWriteParameter");
  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(h.panel(4), "before");
  EXPECT_EQ(h.state().sWriteCode, "0");
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
}

// --- Values that cannot be converted -------------------------------------------

struct FailureCase {
  const char* node;
  const char* tabControl;
  int tab;
  std::vector<Typed> typed;  // the last one cannot be converted
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  const Typed& bad = c.typed.back();
  *os << c.node << " " << toolkit::ControlId(bad.name, bad.index) << " \"" << bad.text << '"';
}

// The click stops before anything goes out: no request, no status text, no
// re-read, and nothing half-built kept.
class UnconvertibleValue : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UnconvertibleValue, StopsTheClickBeforeAnythingIsSent) {
  const FailureCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree(c.node);
  if (*c.tabControl != '\0') h.ClickTab(c.tabControl, c.tab);
  for (const Typed& t : c.typed) Type(h, t.name, t.index, t.text);
  StartEveryPollingTimer(h);
  h.get<toolkit::StatusBar>("StatusBar").setText(4, "before");
  h.driver->requests.clear();

  h.Click("cmdWriteParameter");

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(h.panel(4), "before");
  EXPECT_TRUE(RunningPolling(h).empty());
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
  EXPECT_EQ(h.state().sWriteCode, "0");
  EXPECT_EQ(AttributesOf(h.state().sRequestDoc), Filled({}));
}

const std::vector<Typed> kGoodRecord{{"txtParameter", 51, "25/12/2022"}, {"txtParameter", 6, "255"}};

std::vector<Typed> With(std::vector<Typed> typed, Typed bad) {
  typed.push_back(bad);
  return typed;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, UnconvertibleValue,
    ::testing::Values(FailureCase{"Information", "", 0, With(kGoodRecord, {"txtParameter", 6, "12A"})},
                      FailureCase{"Information", "", 0, With(kGoodRecord, {"txtParameter", 6, ""})},
                      FailureCase{"Information", "", 0, With(kGoodRecord, {"txtParameter", 6, "99999999999"})},
                      FailureCase{"Information", "", 0, With(kGoodRecord, {"txtParameter", 51, "aa/bb/cccc"})},
                      // no "/": month and year stay empty
                      FailureCase{"Information", "", 0, With(kGoodRecord, {"txtParameter", 51, "25-12-2022"})},
                      FailureCase{" HART", "", 0, {{"txtParameter", 36, "abc"}}},
                      FailureCase{" HART", "", 0, {{"txtParameter", 36, "40000"}}},
                      FailureCase{"Configuration", "SSTabSensorRange", 3, {{"txtParameter", 97, "99999999999"}}},
                      FailureCase{" Sensor", "", 0, {{"txtParameter", 137, "-99999999999"}}},
                      // the separator lies beyond the tenth character
                      FailureCase{" Sensor", "SSTabConfSensor", 6, {{"txtParameter", 146, "5000000000.5"}}}));

// --- Clicks that write nothing -------------------------------------------------

struct SilentCase {
  const char* node;
  const char* tabControl;
  int tab;
};

void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.node << " " << c.tabControl << " " << c.tab; }

class NothingToWrite : public ::testing::TestWithParam<SilentCase> {};

TEST_P(NothingToWrite, StillStopsPollingAndResetsTheDocument) {
  const SilentCase& c = GetParam();
  ControlHarness h;
  h.Connect();
  h.ClickTree(c.node);
  if (*c.tabControl != '\0') h.ClickTab(c.tabControl, c.tab);
  StartEveryPollingTimer(h);
  h.get<toolkit::TextBox>("txtParameter", 67).setBackColor(toolkit::kLampOn);
  const std::string panel = h.panel(4);
  h.driver->requests.clear();

  h.Click("cmdWriteParameter");

  EXPECT_TRUE(h.driver->requests.empty());
  EXPECT_EQ(h.state().sWriteCode, "0");
  EXPECT_EQ(AttributesOf(h.state().sRequestDoc), Filled({}));
  EXPECT_TRUE(RunningPolling(h).empty());
  EXPECT_EQ(h.panel(4), panel);
  EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 67).backColor(), toolkit::kSystemWindowBackground);
}

INSTANTIATE_TEST_SUITE_P(Pages, NothingToWrite,
                         ::testing::Values(SilentCase{"Observe", "", 0},
                                           // builds a document of variable codes first
                                           SilentCase{"Observe", "SSTabObserve", 1},
                                           SilentCase{"Diagnosis", "", 0},
                                           SilentCase{"Diagnosis", "SSTabDiagnosis", 2}, SilentCase{"HART", "", 0},
                                           SilentCase{"Sensor", "SSTabInfoSensor", 3}, SilentCase{"TRIM", "", 0},
                                           SilentCase{"Maintenance", "", 0}));

// A sensor or range page whose sub-page is not one of its tabs still sends
// the page's code, with nothing in it, and is not re-read.
TEST(WriteOutsideTheChannelTabs, SendsTheCodeWithAnEmptyDocument) {
  const std::pair<const char*, const char*> pages[] = {{"SSTabSensorRange", "6"}, {"SSTabConfSensor", "3"}};
  for (const auto& [tabControl, code] : pages) {
    SCOPED_TRACE(tabControl);
    ControlHarness h;
    h.Connect();
    h.ClickTree("Diagnosis");
    h.ClickTab("SSTabDiagnosis", 2);  // sub-page "Change Counter"
    h.ClickTab(tabControl, 7);        // a tab the control does not have: the page changes, the sub-page not
    h.driver->requests.clear();

    h.Click("cmdWriteParameter");

    ASSERT_EQ(h.driver->requests.size(), 1u);
    ExpectRequest(h.driver->requests[0], "write", code, Filled({}));
    EXPECT_EQ(h.panel(4), "Writing Xmtr Data...");
    h.clock.advance(2000);
    EXPECT_EQ(h.driver->requests.size(), 1u);
  }
}

TEST(WriteWithoutConnection, DoesNothingAtAll) {
  for (bool everConnected : {false, true}) {
    SCOPED_TRACE(everConnected);
    ControlHarness h;
    if (everConnected) {
      h.Connect();
      h.ClickTree("Configuration");
      h.Notify(0, kOffline);
    }
    StartEveryPollingTimer(h);
    h.get<toolkit::TextBox>("txtParameter", 67).setBackColor(toolkit::kLampOn);
    const UserCntrl::State before = h.state();
    h.driver->requests.clear();

    h.Click("cmdWriteParameter");

    EXPECT_TRUE(h.driver->requests.empty());
    EXPECT_EQ(RunningPolling(h).size(), 7u);
    EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 67).backColor(), toolkit::kLampOn);
    EXPECT_EQ(h.state().sWriteCode, before.sWriteCode);
    EXPECT_EQ(h.state().sRequestDoc, before.sRequestDoc);
    EXPECT_FALSE(h.get<Timer>("TimerReadAfterWrite").enabled());
  }
}

}  // namespace
}  // namespace zolin6::fakes
