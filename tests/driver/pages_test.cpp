// Every page the control reads fills from the simulated transmitter, for
// the channel the page names; writes from the configuration pages reach the
// device, which decodes and keeps them, and a fresh read shows them.

#include <gtest/gtest.h>

#include <map>

#include "driver/hart_read_table.h"
#include "sim_harness.h"

namespace zolin6::driver::testing {
namespace {

TEST(ReadPages, EachPageShowsTheDevicesValues) {
  const std::pair<Page, const char*> reads[] = {
      {{"Information"},
       "0=TT-601  |1=ZOLIN-6 TEMPERATURE TRANSMITTER |3=SIMULATED TRANSMITTER           |51=15/3/2006|6=4096"
       "|10=ZOLIN-6-H-T6-000        "},
      {{"HART"}, "11=NORVEL S.A.|12=ZOLIN-6|15=Bell 202 Current|21=1.2"},
      {{"Sensor"}, "24=Pt 100 IEC|8=Three wires|22=°C"},
      {{"Sensor", "SSTabInfoSensor", 3}, "50=T/C Type J IEC|52=Internal|53=1200.000|46=-210.000|49=400.000"},
      {{"Sensor", "SSTabInfoSensor", 5}, "72=T/C Type N IEC|71=800.000"},
      {{" HART"}, "cmbLoopCurrentMode=Enabled|cmbLoopAlarm=High|cmbResponsePreambles=5"},
      {{" Sensor", "SSTabConfSensor", 2}, "cmbSensorType(2)=T/C Type K IEC|cmbColdJunction(2)=Internal"},
      {{" Sensor", "SSTabConfSensor", 6}, "lbArray(246)=°C|136=850.000|144=-0.000000577500000|145=-0.000000000004183"},
      {{"Local Temp"}, "cmbUnitLocalTemp=°C"},
      {{"LCD"}, "cmbDisplay4=Sensor 4|cmbDisplay6=Local Temp"},
      {{"Configuration", "SSTabSensorRange", 2}, "89=1372.000|90=25.000|92=600.000|cmbPVUnits(2)=°C"},
      {{"Special Function"}, "cmbBackupSensor=Sensor 2|cmbAverageMode=Disabled"},
  };
  SimHarness h;
  for (const auto& [page, fields] : reads) {
    SCOPED_TRACE(std::string(page.node) + " " + std::to_string(page.tab));
    h.Open(page);
    h.ExpectShown(fields);
  }
  EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(ReadPages, ObservationFollowsTheProcess) {
  SimHarness h;
  h.Open({"Observe"});
  // Sensor 1 sits near room temperature on a 0 to 100 °C range.
  const double pv = h.Number("txtParameter(86)");
  EXPECT_NEAR(pv, 21.5, 3.0);
  EXPECT_NEAR(h.Number("txtParameter(104)"), pv, 0.02);
  EXPECT_NEAR(h.Number("txtParameter(105)"), 4.0 + 0.16 * pv, 0.02);
  EXPECT_GT(h.Number("txtParameter(102)"), 30.0);
  EXPECT_NEAR(h.Number("txtParameter(103)"), 28.0, 3.0);
  // The observation timer keeps the values coming, and they move.
  const std::string first = h.Text("txtParameter(86)");
  const std::size_t before = h.notifications;
  h.Run(60000);
  EXPECT_GE(h.notifications - before, 19u);
  EXPECT_NE(h.Text("txtParameter(86)"), first);
  // The specific variables answer the codes chosen; none gives no value and no unit.
  h.Type("cmbVar3=Local Temp|cmbVar4=");
  h.Tab("SSTabObserve", 1);
  h.Run(1000);
  EXPECT_NEAR(h.Number("txtParameter(140)"), 28.0, 3.0);
  h.ExpectShown("139=1.#QNAN|lbArray(254)=|lbArray(276)=%");
  EXPECT_NEAR(h.Number("txtParameter(149)"), h.Number("txtParameter(142)"), 0.1);  // "Sensor 1%"
}

TEST(ReadPages, ABrokenSensorReadsNotANumberAndLightsItsAlert) {
  SimHarness h;
  h.sim->transmitter().SetBroken(1, true);
  h.Open({"Observe"});
  h.ExpectShown("86=1.#QNAN|104=1.#QNAN|105=21.75");  // the loop at the high alarm current
  h.Open({"Diagnosis", "SSTabDiagnosis", 1});
  EXPECT_TRUE(h.Lit(19));  // "Sensor 1 Alert"
  EXPECT_FALSE(h.Lit(18));
}

TEST(ReadPages, EveryReadCodeIsInTheReadTableAndNoOtherCode) {
  for (int code = -1; code <= kLastReadCode + 1; ++code) {
    EXPECT_EQ(FindRead(code, CommandSet::Transmitter) != nullptr, code >= 1 && code <= kLastReadCode) << code;
  }
}

struct RoundTrip {
  Page page;
  const char* typed;  // what the user types or chooses, then writes
  const char* shown;  // what a fresh read shows besides the typed texts (or instead, for the same field)
  const char* button = "cmdWriteParameter";
};

TEST(WritePages, FreshReadShowsTheWrittenValues) {
  const RoundTrip trips[] = {
      {{"Information"},
       "0=pt-205|2=Boiler outlet|51=24/12/2023|3=Checked 2024|1=Boiler 2 outlet, line B|6=1048576",
       "0=PT-205  |2=BOILER OUTLET   |3=CHECKED 2024                    |1=BOILER 2 OUTLET, LINE B         "},
      {{" HART"},
       "cmbLoopCurrentMode=Disabled|36=12|cmbResponsePreambles=7|cmbLoopAlarm=Low",
       "cmbRequestPreambles=5|cmbWriteProtection=Disabled"},
      {{" Sensor", "SSTabConfSensor", 1},
       "cmbSensorType(1)=Pt 1000 IEC|cmbSensorConnection(1)=Three wires|cmbColdJunction(1)=Not Used",
       ""},
      // The control's encoder keeps only the fraction bits it finds by
      // doubling, so 0.0039 arrives as the nearest value below it.
      {{" Sensor", "SSTabConfSensor", 6},
       "136=300|137=-50.5|143=0.0039|144=-0.25|145=0|138=1000|146=2.5",
       "136=300.000|137=-50.500|143=0.003899932000000|144=-0.250000000000000|145=0.000000000000000"
       "|138=1000.000000000000000|146=2.50"},
      {{"Local Temp"}, "cmbUnitLocalTemp=°F", ""},
      {{"LCD"}, "cmbDisplay1=Local Temp|cmbDisplay2=Sensor 3 %|cmbDisplay6=Sensor 6", "cmbDisplay3=Sensor 3"},
      {{"Configuration", "SSTabSensorRange", 3},
       "cmbPVUnits(3)=K|97=600.5|96=300.25",
       "97=600.500|96=300.250|94=1473.150|93=63.150|95=25.000"},
      {{"Configuration", "SSTabSensorRange", 2},
       "cmbPVUnits(2)=°F",
       "92=1112.000|91=32.000|89=2501.600|90=45.000",
       "cmdChangeSensorUnit(2)"},
      {{"Special Function"}, "cmbBackupMode=Enabled|cmbBackupSensor=Sensor 4", "cmbAverageMode=Disabled"},
      {{"Diagnosis", "SSTabDiagnosis", 3}, "cmbSensorMaxMin=Disabled", "cmbTempMaxMin=Enabled"},
  };
  for (const RoundTrip& trip : trips) {
    SCOPED_TRACE(trip.typed);
    SimHarness h;
    h.Open(trip.page);
    h.Type(trip.typed);
    h.Click(trip.button);
    h.Settle();
    EXPECT_TRUE(h.boxes.shown.empty());
    std::map<std::string, std::string> expected;
    for (const char* fields : {trip.typed, trip.shown}) {
      for (const auto& [id, text] : Entries(fields)) expected[id] = text;
    }
    // Blank the page and read it anew, so what shows comes from the device.
    for (const auto& [id, text] : expected) h.Type(id + "=");
    h.Tree("Maintenance");
    h.Open(trip.page);
    for (const auto& [id, text] : expected) EXPECT_EQ(h.Text(id), text) << id;
  }
}

TEST(WritePages, CopyToAllTakesChannelOnesSettingsToEveryChannel) {
  SimHarness h;
  h.Open({" Sensor"});
  h.Type("cmbSensorType(0)=Pt 500 IEC");
  h.Answer(toolkit::Answer::Yes);
  h.Click("cmdChannelSensorCopyToAll");
  h.Open({"Configuration"});
  h.Type("40=250|39=-50");
  h.Answer(toolkit::Answer::Yes);
  h.Click("cmdConfSRangeCopyAll");
  h.Settle();
  EXPECT_EQ(h.boxes.shown.size(), 2u);  // the two questions, no refusal
  // Type, upper and lower range value of each channel on the information page.
  const char* const shown[] = {"24=Pt 500 IEC|23=250.000|34=-50.000", "28=Pt 500 IEC|27=250.000|31=-50.000",
                               "42=Pt 500 IEC|41=250.000|45=-50.000", "50=Pt 500 IEC|49=250.000|56=-50.000",
                               "63=Pt 500 IEC|62=250.000|66=-50.000", "72=Pt 500 IEC|71=250.000|78=-50.000"};
  for (int tab = 0; tab < 6; ++tab) {
    h.Open({"Sensor", "SSTabInfoSensor", tab});
    h.ExpectShown(shown[tab]);
  }
}

TEST(WritePages, RefusalShowsItsMessageAndWriteProtectionCanAlwaysBeSwitchedOff) {
  SimHarness h;
  h.Open({" HART"});
  h.Type("cmbWriteProtection=Enabled");
  h.Click("cmdWriteParameter");
  h.Settle();
  h.Type("36=9");
  h.Click("cmdWriteParameter");
  h.Settle();
  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].text, "In Write Protect Mode!");
  h.ExpectShown("36=0");  // the re-read after the refusal
  h.Type("36=9|cmbWriteProtection=Disabled");
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.boxes.shown.size(), 1u);
  h.ExpectShown("36=9|cmbWriteProtection=Disabled");
}

}  // namespace
}  // namespace zolin6::driver::testing
