// Every page the control reads fills from the simulated transmitter: the
// document of each read carries every tag its loader reads, in the form the
// loader takes.

#include <gtest/gtest.h>

#include <functional>

#include "driver/device_documents.h"
#include "platform/locale.h"
#include "sim_harness.h"

namespace zolin6::driver::testing {
namespace {

struct PageCase {
  const char* name;
  std::function<void(SimHarness&)> open;  // the user's way to the page
  std::vector<Shown> fields;              // what the factory-new device shows there
};

// Configuration values are the device's as it leaves the factory.
const std::vector<PageCase>& ConfigurationPages() {
  static const std::vector<PageCase> cases = {
      {"HART information",
       [](SimHarness&) {},
       {{"txtParameter(0)", "TT-601  "},
        {"txtParameter(1)", "ZOLIN-6 TEMPERATURE TRANSMITTER "},
        {"txtParameter(2)", "SIX CHANNEL TEMP"},
        {"txtParameter(3)", "SIMULATED TRANSMITTER           "},
        {"txtParameter(51)", "15/3/2006"},
        {"txtParameter(5)", "0"},
        {"txtParameter(6)", "4096"},
        {"txtParameter(9)", "123456"},
        {"txtParameter(10)", "ZOLIN-6-H-T6-000        "}}},
      {"device identification",
       [](SimHarness& h) { h.Tree("HART"); },
       {{"txtParameter(11)", "NORVEL S.A."},
        {"txtParameter(12)", "ZOLIN-6"},
        {"txtParameter(13)", "1"},
        {"txtParameter(14)", "NORVEL S.A."},
        {"txtParameter(15)", "Bell 202 Current"},
        {"txtParameter(16)", "7"},
        {"txtParameter(17)", "1"},
        {"txtParameter(19)", "1"},
        {"txtParameter(21)", "1.2"}}},
      {"sensor information, channel 1",
       [](SimHarness& h) { h.Tree("Sensor"); },
       {{"txtParameter(24)", "Pt 100 IEC"},
        {"txtParameter(8)", "Three wires"},
        {"txtParameter(25)", "Not Used"},
        {"txtParameter(22)", "°C"},
        {"txtParameter(26)", "850.000"},
        {"txtParameter(7)", "-200.000"},
        {"txtParameter(23)", "100.000"},
        {"txtParameter(34)", "0.000"}}},
      {"sensor information, channel 4",
       [](SimHarness& h) {
         h.Tree("Sensor");
         h.Tab("SSTabInfoSensor", 3);
       },
       {{"txtParameter(50)", "T/C Type J IEC"},
        {"txtParameter(47)", "Two wires"},
        {"txtParameter(52)", "Internal"},
        {"txtParameter(48)", "°C"},
        {"txtParameter(53)", "1200.000"},
        {"txtParameter(46)", "-210.000"},
        {"txtParameter(49)", "400.000"},
        {"txtParameter(56)", "0.000"}}},
      {"sensor information, channel 6",
       [](SimHarness& h) {
         h.Tree("Sensor");
         h.Tab("SSTabInfoSensor", 5);
       },
       {{"txtParameter(72)", "T/C Type N IEC"}, {"txtParameter(74)", "1300.000"}, {"txtParameter(71)", "800.000"}}},
      {"HART configuration",
       [](SimHarness& h) { h.Tree(" HART"); },
       {{"cmbLoopCurrentMode", "Enabled"},
        {"cmbRequestPreambles", "5"},
        {"cmbResponsePreambles", "5"},
        {"cmbWriteProtection", "Disabled"},
        {"txtParameter(36)", "0"},
        {"cmbLoopAlarm", "High"}}},
      {"sensor configuration, channel 1",
       [](SimHarness& h) { h.Tree(" Sensor"); },
       {{"cmbSensorType(0)", "Pt 100 IEC"},
        {"cmbSensorConnection(0)", "Three wires"},
        {"cmbColdJunction(0)", "Not Used"}}},
      {"sensor configuration, channel 3",
       [](SimHarness& h) {
         h.Tree(" Sensor");
         h.Tab("SSTabConfSensor", 2);
       },
       {{"cmbSensorType(2)", "T/C Type K IEC"},
        {"cmbSensorConnection(2)", "Two wires"},
        {"cmbColdJunction(2)", "Internal"}}},
      {"sensor parameters",
       [](SimHarness& h) {
         h.Tree(" Sensor");
         h.Tab("SSTabConfSensor", 6);
       },
       {{"lbArray(246)", "°C"},
        {"lbArray(247)", "°C"},
        {"txtParameter(136)", "850.000"},
        {"txtParameter(137)", "-200.000"},
        {"txtParameter(143)", "0.003908300000000"},
        {"txtParameter(144)", "-0.000000577500000"},
        {"txtParameter(145)", "-0.000000000004183"},
        {"txtParameter(138)", "100.000000000000000"},
        {"txtParameter(146)", "1.00"}}},
      {"local temperature unit", [](SimHarness& h) { h.Tree("Local Temp"); }, {{"cmbUnitLocalTemp", "°C"}}},
      {"local display",
       [](SimHarness& h) { h.Tree("LCD"); },
       {{"cmbDisplay1", "Sensor 1"}, {"cmbDisplay4", "Sensor 4"}, {"cmbDisplay6", "Local Temp"}}},
      {"sensor range, channel 1",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"txtParameter(37)", "850.000"},
        {"txtParameter(70)", "-200.000"},
        {"txtParameter(38)", "10.000"},
        {"txtParameter(40)", "100.000"},
        {"txtParameter(39)", "0.000"},
        {"cmbPVUnits(0)", "°C"}}},
      {"sensor range, channel 3",
       [](SimHarness& h) {
         h.Tree("Configuration");
         h.Tab("SSTabSensorRange", 2);
       },
       {{"txtParameter(89)", "1372.000"},
        {"txtParameter(88)", "-200.000"},
        {"txtParameter(90)", "25.000"},
        {"txtParameter(92)", "600.000"},
        {"txtParameter(91)", "0.000"},
        {"cmbPVUnits(2)", "°C"}}},
      {"special functions",
       [](SimHarness& h) { h.Tree("Special Function"); },
       {{"cmbBackupMode", "Disabled"}, {"cmbBackupSensor", "Sensor 2"}, {"cmbAverageMode", "Disabled"}}},
      {"change counters",
       [](SimHarness& h) {
         h.Tree("Diagnosis");
         h.Tab("SSTabDiagnosis", 2);
       },
       {{"txtParameter(120)", "0"}, {"txtParameter(114)", "0"}, {"txtParameter(125)", "0"}}},
  };
  return cases;
}

class ReadPagesTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(ReadPagesTest, PageShowsTheDevicesValues) {
  SimHarness h;
  h.Start();
  GetParam().open(h);
  h.Run(1000);
  for (const Shown& field : GetParam().fields) EXPECT_EQ(h.Text(field.id), field.text) << field.id;
  EXPECT_TRUE(h.TakeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryPage, ReadPagesTest, ::testing::ValuesIn(ConfigurationPages()), [](const auto& pageCase) {
  std::string name;
  for (char c : std::string(pageCase.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

// A shown number, read back; fails the test for a text that is no number.
double Number(const std::string& text) {
  Result<double> value = platform::ToDouble(text);
  EXPECT_TRUE(value.ok()) << "not a number: " << text;
  return value.ok() ? *value : -1e9;
}

TEST(ReadMeasuredValues, ObservationShowsPlausibleProcessValues) {
  SimHarness h;
  h.Start();
  h.Tree("Observe");
  h.Run(1000);
  const double current = Number(h.Text("txtParameter(105)"));
  const double percent = Number(h.Text("txtParameter(104)"));
  const double pv = Number(h.Text("txtParameter(86)"));
  // Sensor 1 sits near room temperature on a 0 to 100 °C range.
  EXPECT_NEAR(pv, 21.5, 3.0);
  EXPECT_NEAR(percent, pv, 0.02);
  EXPECT_NEAR(current, 4.0 + 0.16 * percent, 0.02);
  EXPECT_GT(Number(h.Text("txtParameter(102)")), 30.0);
  EXPECT_NEAR(Number(h.Text("txtParameter(103)")), 28.0, 3.0);
  for (const char* unit : {"lbArray(110)", "lbArray(77)", "lbArray(114)"}) EXPECT_EQ(h.Text(unit), "°C") << unit;

  // The observation timer keeps the values coming, and they move.
  const std::string first = h.Text("txtParameter(86)");
  const std::size_t before = h.notifications.size();
  h.Run(60000);
  EXPECT_GE(h.notifications.size() - before, 19u);
  EXPECT_NE(h.Text("txtParameter(86)"), first);
}

TEST(ReadMeasuredValues, SpecificVariablesFollowTheChosenCodes) {
  SimHarness h;
  h.Start();
  h.Tree("Observe");
  h.Set("cmbVar3", "Local Temp");
  h.Set("cmbVar4", "");  // no variable: no value, no unit
  h.Tab("SSTabObserve", 1);
  h.Run(1000);
  EXPECT_NEAR(Number(h.Text("txtParameter(142)")), 21.5, 3.0);
  EXPECT_EQ(h.Text("lbArray(251)"), "°C");
  EXPECT_NEAR(Number(h.Text("txtParameter(140)")), 28.0, 3.0);
  EXPECT_EQ(h.Text("txtParameter(139)"), "1.#QNAN");
  EXPECT_EQ(h.Text("lbArray(254)"), "");
  // "Sensor 1%" is sensor 1 in percent of its 0 to 100 °C range.
  EXPECT_NEAR(Number(h.Text("txtParameter(149)")), Number(h.Text("txtParameter(142)")), 0.1);
  EXPECT_EQ(h.Text("lbArray(276)"), "%");
}

TEST(ReadMeasuredValues, DiagnosisShowsStatusAndRecordedExtremes) {
  SimHarness h;
  h.Start();
  h.Tree("Diagnosis");
  h.Run(1000);
  // A device just powered up reports its cold start once.
  const auto lamp = [&](int index) {
    return h.control->form().get<toolkit::Shape>("ShapeDiagnosis", index).fillColor();
  };
  EXPECT_EQ(lamp(5), 255u);
  EXPECT_EQ(h.Text("txtParameter(106)"), "0");
  h.Run(5000);
  EXPECT_EQ(lamp(5), 0x400000u);

  h.Tab("SSTabDiagnosis", 3);
  h.Run(1000);
  const double max = Number(h.Text("txtParameter(123)"));
  const double min = Number(h.Text("txtParameter(124)"));
  EXPECT_LE(min, max);
  EXPECT_NEAR(max, 21.5, 3.0);
  EXPECT_NEAR(Number(h.Text("txtParameter(54)")), 28.0, 3.0);
  EXPECT_EQ(h.Text("cmbSensorMaxMin"), "Enabled");
  EXPECT_EQ(h.Text("lbArray(180)"), "°C");
  EXPECT_EQ(h.Text("lbArray(183)"), "°C");
}

TEST(ReadMeasuredValues, ABrokenSensorShowsNotANumberAndLightsItsAlert) {
  SimHarness h;
  h.Start();
  h.sim->transmitter().SetBroken(1, true);
  h.Tree("Observe");
  h.Run(1000);
  EXPECT_EQ(h.Text("txtParameter(86)"), "1.#QNAN");
  EXPECT_EQ(h.Text("txtParameter(104)"), "1.#QNAN");
  // The loop goes to the high alarm current.
  EXPECT_EQ(h.Text("txtParameter(105)"), "21.75");
  h.Tree("Diagnosis");
  h.Tab("SSTabDiagnosis", 1);
  h.Run(1000);
  EXPECT_EQ(h.control->form().get<toolkit::Shape>("ShapeDiagnosis", 19).fillColor(), 255u);  // "Sensor 1 Alert"
  EXPECT_EQ(h.control->form().get<toolkit::Shape>("ShapeDiagnosis", 18).fillColor(), 0x400000u);
}

TEST(ReadDocuments, EveryReadCodeHasADocumentAndNoOtherCodeHasOne) {
  const DeviceState state = FactoryState();
  ProcessSimulation process(1);
  DeviceState running = state;
  process.AdvanceTo(0, running);
  const Measurements m = process.Measure(running);
  RequestAttributes none;
  none.fill("None");
  for (int code = 1; code <= kLastReadCode; ++code) {
    std::optional<std::string> document = ReadDocument(code, none, running, m);
    ASSERT_TRUE(document.has_value()) << code;
    EXPECT_EQ(document->rfind("<ParameterList>", 0), 0u) << code;
  }
  for (int code : {0, 34, 100, -1}) EXPECT_FALSE(ReadDocument(code, none, running, m).has_value()) << code;
}

}  // namespace
}  // namespace zolin6::driver::testing
