// Writes from every configuration page reach the simulated transmitter and
// come back: the control encodes, the device decodes and keeps the values,
// and a fresh read of the page shows them. Refused writes show their
// message boxes and change nothing.

#include <gtest/gtest.h>

#include <functional>

#include "sim_harness.h"

namespace zolin6::driver::testing {
namespace {

struct WriteCase {
  const char* name;
  std::function<void(SimHarness&)> open;  // the page, read from the device
  std::vector<Shown> typed;               // what the user types or chooses
  const char* button;                     // the button that writes
  std::vector<Shown> shown;               // what a fresh read of the page shows afterwards
};

const std::vector<WriteCase>& WriteCases() {
  static const std::vector<WriteCase> cases = {
      {"information",
       [](SimHarness& h) { h.Tree("Information"); },
       {{"txtParameter(0)", "pt-205"},
        {"txtParameter(2)", "Boiler outlet"},
        {"txtParameter(3)", "Checked 2024"},
        {"txtParameter(1)", "Boiler 2 outlet, line B"},
        {"txtParameter(51)", "24/12/2023"},
        {"txtParameter(6)", "1048576"}},
       "cmdWriteParameter",
       {{"txtParameter(0)", "PT-205  "},
        {"txtParameter(2)", "BOILER OUTLET   "},
        {"txtParameter(3)", "CHECKED 2024                    "},
        {"txtParameter(1)", "BOILER 2 OUTLET, LINE B         "},
        {"txtParameter(51)", "24/12/2023"},
        {"txtParameter(6)", "1048576"}}},
      {"HART configuration",
       [](SimHarness& h) { h.Tree(" HART"); },
       {{"cmbLoopCurrentMode", "Disabled"},
        {"txtParameter(36)", "12"},
        {"cmbResponsePreambles", "7"},
        {"cmbLoopAlarm", "Low"}},
       "cmdWriteParameter",
       {{"cmbLoopCurrentMode", "Disabled"},
        {"txtParameter(36)", "12"},
        {"cmbResponsePreambles", "7"},
        {"cmbRequestPreambles", "5"},
        {"cmbWriteProtection", "Disabled"},
        {"cmbLoopAlarm", "Low"}}},
      {"sensor configuration, channel 2",
       [](SimHarness& h) {
         h.Tree(" Sensor");
         h.Tab("SSTabConfSensor", 1);
       },
       {{"cmbSensorType(1)", "Pt 1000 IEC"},
        {"cmbSensorConnection(1)", "Three wires"},
        {"cmbColdJunction(1)", "Not Used"}},
       "cmdWriteParameter",
       {{"cmbSensorType(1)", "Pt 1000 IEC"},
        {"cmbSensorConnection(1)", "Three wires"},
        {"cmbColdJunction(1)", "Not Used"}}},
      {"sensor configuration, channel 1 to a thermocouple",
       [](SimHarness& h) { h.Tree(" Sensor"); },
       {{"cmbSensorType(0)", "T/C Type K IEC"},
        {"cmbSensorConnection(0)", "Two wires"},
        {"cmbColdJunction(0)", "Internal"}},
       "cmdWriteParameter",
       {{"cmbSensorType(0)", "T/C Type K IEC"},
        {"cmbSensorConnection(0)", "Two wires"},
        {"cmbColdJunction(0)", "Internal"}}},
      {"sensor parameters",
       [](SimHarness& h) {
         h.Tree(" Sensor");
         h.Tab("SSTabConfSensor", 6);
       },
       {{"txtParameter(136)", "300"},
        {"txtParameter(137)", "-50.5"},
        {"txtParameter(143)", "0.0039"},
        {"txtParameter(144)", "-0.25"},
        {"txtParameter(145)", "0"},
        {"txtParameter(138)", "1000"},
        {"txtParameter(146)", "2.5"}},
       "cmdWriteParameter",
       {{"txtParameter(136)", "300.000"},
        {"txtParameter(137)", "-50.500"},
        // The control's encoder keeps only the fraction bits it finds by
        // doubling, so 0.0039 arrives as the nearest value below it.
        {"txtParameter(143)", "0.003899932000000"},
        {"txtParameter(144)", "-0.250000000000000"},
        {"txtParameter(145)", "0.000000000000000"},
        {"txtParameter(138)", "1000.000000000000000"},
        {"txtParameter(146)", "2.50"},
        {"lbArray(246)", "°C"}}},
      {"local temperature unit",
       [](SimHarness& h) { h.Tree("Local Temp"); },
       {{"cmbUnitLocalTemp", "°F"}},
       "cmdWriteParameter",
       {{"cmbUnitLocalTemp", "°F"}}},
      {"local display",
       [](SimHarness& h) { h.Tree("LCD"); },
       {{"cmbDisplay1", "Local Temp"}, {"cmbDisplay2", "Sensor 3 %"}, {"cmbDisplay6", "Sensor 6"}},
       "cmdWriteParameter",
       {{"cmbDisplay1", "Local Temp"},
        {"cmbDisplay2", "Sensor 3 %"},
        {"cmbDisplay3", "Sensor 3"},
        {"cmbDisplay6", "Sensor 6"}}},
      {"sensor range, channel 4, in kelvin",
       [](SimHarness& h) {
         h.Tree("Configuration");
         h.Tab("SSTabSensorRange", 3);
       },
       {{"cmbPVUnits(3)", "K"}, {"txtParameter(97)", "600.5"}, {"txtParameter(96)", "300.25"}},
       "cmdWriteParameter",
       {{"cmbPVUnits(3)", "K"},
        {"txtParameter(97)", "600.500"},
        {"txtParameter(96)", "300.250"},
        {"txtParameter(94)", "1473.150"},
        {"txtParameter(93)", "63.150"},
        {"txtParameter(95)", "25.000"}}},
      {"special functions",
       [](SimHarness& h) { h.Tree("Special Function"); },
       {{"cmbBackupMode", "Enabled"}, {"cmbBackupSensor", "Sensor 4"}},
       "cmdWriteParameter",
       {{"cmbBackupMode", "Enabled"}, {"cmbBackupSensor", "Sensor 4"}, {"cmbAverageMode", "Disabled"}}},
      {"extreme tracking",
       [](SimHarness& h) {
         h.Tree("Diagnosis");
         h.Tab("SSTabDiagnosis", 3);
       },
       {{"cmbSensorMaxMin", "Disabled"}},
       "cmdWriteParameter",
       {{"cmbSensorMaxMin", "Disabled"}, {"cmbTempMaxMin", "Enabled"}}},
      {"sensor unit of channel 3",
       [](SimHarness& h) {
         h.Tree("Configuration");
         h.Tab("SSTabSensorRange", 2);
       },
       {{"cmbPVUnits(2)", "°F"}},
       "cmdChangeSensorUnit(2)",
       {{"cmbPVUnits(2)", "°F"},
        {"txtParameter(92)", "1112.000"},
        {"txtParameter(91)", "32.000"},
        {"txtParameter(89)", "2501.600"},
        {"txtParameter(90)", "45.000"}}},
  };
  return cases;
}

class WritePagesTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WritePagesTest, FreshReadShowsTheWrittenValues) {
  const WriteCase& c = GetParam();
  SimHarness h;
  h.Start();
  c.open(h);
  h.Run(1000);
  for (const Shown& field : c.typed) h.Set(field.id, field.text);
  h.Click(c.button);
  h.Settle();
  EXPECT_TRUE(h.TakeMessages().empty());
  // Blank the page and read it anew, so what shows comes from the device.
  for (const Shown& field : c.shown) h.Set(field.id, "");
  h.Tree("Maintenance");
  c.open(h);
  h.Run(1000);
  for (const Shown& field : c.shown) EXPECT_EQ(h.Text(field.id), field.text) << field.id;
}

INSTANTIATE_TEST_SUITE_P(EveryConfigurationPage, WritePagesTest, ::testing::ValuesIn(WriteCases()),
                         [](const auto& writeCase) {
                           std::string name;
                           for (char ch : std::string(writeCase.param.name)) {
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           }
                           return name;
                         });

TEST(WriteCopies, CopyToAllTakesChannelOnesSettingsToEveryChannel) {
  SimHarness h;
  h.Start();
  h.Tree(" Sensor");
  h.Run(1000);
  h.Set("cmbSensorType(0)", "Pt 500 IEC");
  h.Answer(toolkit::Answer::Yes);
  h.Click("cmdChannelSensorCopyToAll");
  h.Tree("Configuration");
  h.Run(1000);
  h.Set("txtParameter(40)", "250");
  h.Set("txtParameter(39)", "-50");
  h.Answer(toolkit::Answer::Yes);
  h.Click("cmdConfSRangeCopyAll");
  h.Settle();
  EXPECT_EQ(h.TakeMessages(),
            (std::vector<std::string>{
                "The parameter values of sensor 1 will be copied to all sensors. Do you wish to continue?",
                "The parameter values of sensor 1 will be copied to all sensors. Do you wish to continue?"}));
  for (int tab = 0; tab < 6; ++tab) {
    h.Tree("Sensor");
    h.Tab("SSTabInfoSensor", tab);
    h.Run(1000);
    const std::vector<const char*> type{"txtParameter(24)", "txtParameter(28)", "txtParameter(42)",
                                        "txtParameter(50)", "txtParameter(63)", "txtParameter(72)"};
    const std::vector<const char*> upper{"txtParameter(23)", "txtParameter(27)", "txtParameter(41)",
                                         "txtParameter(49)", "txtParameter(62)", "txtParameter(71)"};
    const std::vector<const char*> lower{"txtParameter(34)", "txtParameter(31)", "txtParameter(45)",
                                         "txtParameter(56)", "txtParameter(66)", "txtParameter(78)"};
    EXPECT_EQ(h.Text(type[tab]), "Pt 500 IEC") << tab;
    EXPECT_EQ(h.Text(upper[tab]), "250.000") << tab;
    EXPECT_EQ(h.Text(lower[tab]), "-50.000") << tab;
  }
}

// --- Refusals -------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  std::function<void(SimHarness&)> prepare;  // device set-up and the page
  std::vector<Shown> typed;
  const char* button;
  std::vector<std::string> messages;  // the message boxes, in order
  std::vector<Shown> unchanged;       // device values the refusal left alone (tag, value)
};

const std::vector<RefusalCase>& RefusalCases() {
  static const std::vector<RefusalCase> cases = {
      {"write protection",
       [](SimHarness& h) {
         h.DeviceSet("WriteProtect", "1");
         h.Tree("LCD");
       },
       {{"cmbDisplay1", "Sensor 6"}},
       "cmdWriteParameter",
       {"In Write Protect Mode!"},
       {{"Display1", "0"}}},
      {"span below the minimum",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"txtParameter(40)", "25"}, {"txtParameter(39)", "20"}},
       "cmdWriteParameter",
       {"Minimum Span Too Low!"},
       {{"Sns1UpperRangeValue", "100"}, {"Sns1LowerRangeValue", "0"}}},
      {"upper range value beyond the limit",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"txtParameter(40)", "900"}},
       "cmdWriteParameter",
       {"Parameter Too High!"},
       {{"Sns1UpperRangeValue", "100"}}},
      {"lower range value beyond the limit",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"txtParameter(39)", "-250"}},
       "cmdWriteParameter",
       {"Parameter Too Low!"},
       {{"Sns1LowerRangeValue", "0"}}},
      {"upper range value below the lower",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"txtParameter(40)", "10"}, {"txtParameter(39)", "50"}},
       "cmdWriteParameter",
       {"Invalid Span!"},
       {{"Sns1UpperRangeValue", "100"}}},
      {"range unit that does not fit the sensor",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"cmbPVUnits(0)", "mV"}},
       "cmdWriteParameter",
       {"Invalid Unit!"},
       {{"Sns1Unit", "32"}}},
      {"local temperature in millivolts",
       [](SimHarness& h) { h.Tree("Local Temp"); },
       {{"cmbUnitLocalTemp", "mV"}},
       "cmdWriteParameter",
       {"Invalid Unit!"},
       {{"TempUnit", "32"}}},
      // The control names the unit change it asked for.
      {"sensor unit that does not fit",
       [](SimHarness& h) { h.Tree("Configuration"); },
       {{"cmbPVUnits(0)", "Ohm"}},
       "cmdChangeSensorUnit(0)",
       {"Backup mode is enabled!"},
       {{"Sns1Unit", "32"}}},
      {"sensor unit while the backup mode is on",
       [](SimHarness& h) {
         h.DeviceSet("BackupMode", "1");
         h.Tree("Configuration");
         h.Tab("SSTabSensorRange", 1);
       },
       {{"cmbPVUnits(1)", "K"}},
       "cmdChangeSensorUnit(1)",
       {"Backup mode is enabled!"},
       {{"Sns2Unit", "32"}}},
      {"backup and average together",
       [](SimHarness& h) { h.Tree("Special Function"); },
       {{"cmbBackupMode", "Enabled"}, {"cmbAverageMode", "Enabled"}},
       "cmdWriteParameter",
       {"Invalid Mode Selection!"},
       {{"BackupMode", "0"}, {"AverageMode", "0"}}},
      {"a thermocouple on three wires",
       [](SimHarness& h) {
         h.Tree(" Sensor");
         h.Tab("SSTabConfSensor", 2);
       },
       {{"cmbSensorConnection(2)", "Three wires"}},
       "cmdWriteParameter",
       {"Invalid Mode Selection!"},
       {{"Sns3Connection", "2"}}},
      {"polling address beyond 63",
       [](SimHarness& h) { h.Tree(" HART"); },
       {{"txtParameter(36)", "64"}},
       "cmdWriteParameter",
       {"Passed parameter too large!"},
       {{"Polling_Address", "0"}}},
      {"a device that restarts",
       [](SimHarness& h) {
         h.Tree("Maintenance");
         h.Answer(toolkit::Answer::Yes);
         h.Click("cmdDeviceReset");
         h.Tree("LCD");
       },
       {{"cmbDisplay1", "Sensor 6"}},
       "cmdWriteParameter",
       {"Device is busy!"},
       {{"Display1", "0"}}},
  };
  return cases;
}

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, RefusedWriteShowsItsMessageAndChangesNothing) {
  const RefusalCase& c = GetParam();
  SimHarness h;
  h.Start();
  c.prepare(h);
  h.Run(1000);
  h.TakeMessages();
  const std::string counter = h.Device("ChangeCounters");
  for (const Shown& field : c.typed) h.Set(field.id, field.text);
  h.Click(c.button);
  h.Settle();
  EXPECT_EQ(h.TakeMessages(), c.messages);
  for (const Shown& value : c.unchanged) EXPECT_EQ(h.Device(value.id), value.text) << value.id;
  EXPECT_EQ(h.Device("ChangeCounters"), counter);
}

INSTANTIATE_TEST_SUITE_P(WhatTheDeviceRefuses, RefusalTest, ::testing::ValuesIn(RefusalCases()),
                         [](const auto& refusal) {
                           std::string name;
                           for (char ch : std::string(refusal.param.name)) {
                             name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           }
                           return name;
                         });

TEST(WriteProtection, CanAlwaysBeSwitchedOffAgain) {
  SimHarness h;
  h.Start();
  h.Tree(" HART");
  h.Run(1000);
  h.Set("cmbWriteProtection", "Enabled");
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.Device("WriteProtect"), "1");
  h.Set("txtParameter(36)", "9");
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.TakeMessages(), std::vector<std::string>{"In Write Protect Mode!"});
  // The re-read after the refusal shows the device's address again.
  EXPECT_EQ(h.Text("txtParameter(36)"), "0");
  h.Set("txtParameter(36)", "9");
  h.Set("cmbWriteProtection", "Disabled");
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_TRUE(h.TakeMessages().empty());
  EXPECT_EQ(h.Device("WriteProtect"), "0");
  EXPECT_EQ(h.Text("txtParameter(36)"), "9");
}

}  // namespace
}  // namespace zolin6::driver::testing
