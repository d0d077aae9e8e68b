// The maintenance procedures run against the simulated transmitter: held
// currents, trims, the loop test and the device commands act on the device.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/locale.h"
#include "sim_harness.h"

namespace zolin6::driver::testing {
namespace {

using toolkit::Answer;

class MaintenanceTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  const DeviceState& device() { return h.sim->transmitter().state(); }
  Measurements measure() { return h.sim->transmitter().Measure(h.clock.now()); }
  double shown(const std::string& id) {
    Result<double> value = platform::ToDouble(h.Text(id));
    EXPECT_TRUE(value.ok()) << id << " shows " << h.Text(id);
    return value.ok() ? *value : 0.0;
  }
  bool lamp(int index) { return h.control->form().get<toolkit::Shape>("ShapeDiagnosis", index).fillColor() == 255u; }

  // The current trim of one output at one point, the user reading `meter`.
  void TrimCurrent(int channel, const char* point, const std::string& meter, Answer correct) {
    h.Tree("TRIM");
    h.Click("cmdCurrentTrim");
    h.Click("cmdTrimCurrentChannel" + std::to_string(channel));
    h.Click(point);
    h.Run(1000);
    h.Set("txtParameter(59)", meter);
    h.Answer(correct);
    h.Click("cmdWriteParameter");
    h.Settle();
  }

  SimHarness h;
};

TEST_F(MaintenanceTest, CurrentTrimOfOutputOneBringsBothPointsOntoTheMeter) {
  h.Tree("TRIM");
  h.Click("cmdCurrentTrim");
  h.Click("cmdTrimCurrentChannel1");
  h.Click("cmd4mA");
  h.Run(1000);
  ASSERT_TRUE(device().outputs[0].fixed);
  EXPECT_EQ(device().outputs[0].fixedCurrent, 4.0F);
  // Answering No leaves the output held and has the loop current read back:
  // the meter's value, off by the output stage's own error.
  h.Set("txtParameter(59)", "4");
  h.Answer(Answer::No);
  h.Click("cmdWriteParameter");
  h.Run(1500);
  const double meter = shown("txtParameter(57)");
  EXPECT_NEAR(meter, measure().actualCurrent[0], 0.0005);
  EXPECT_GT(std::abs(meter - 4.0), 0.003);

  h.Set("txtParameter(59)", h.Text("txtParameter(57)"));
  h.Answer(Answer::Yes);
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_FALSE(device().outputs[0].fixed);

  TrimCurrent(1, "cmd20mA", "20", Answer::No);
  h.Run(1500);
  h.Set("txtParameter(59)", h.Text("txtParameter(57)"));
  h.Answer(Answer::Yes);
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.TakeMessages().size(), 4u);  // the question after each trim

  // Held again, both points now read what they should.
  for (const auto& [button, point] : {std::pair{"cmd4mA", 4.0}, std::pair{"cmd20mA", 20.0}}) {
    h.Tree("TRIM");
    h.Click("cmdCurrentTrim");
    h.Click("cmdTrimCurrentChannel1");
    h.Click(button);
    h.Run(1000);
    EXPECT_NEAR(measure().actualCurrent[0], point, 0.002) << button;
  }
  // The readings typed after No matched the held points and changed nothing.
  EXPECT_EQ(h.Device("ChangeCurrentTrim"), "2");
}

TEST_F(MaintenanceTest, CurrentTrimOfOutputThreeUsesItsChannelCode) {
  TrimCurrent(3, "cmd20mA", "20.05", Answer::Yes);
  const LoopOutput& output = device().outputs[2];
  EXPECT_FALSE(output.fixed);
  EXPECT_NE(output.trimGain, 1.0F);
  EXPECT_EQ(device().outputs[0].trimGain, 1.0F);
  EXPECT_EQ(device().outputs[0].trimOffset, 0.0F);
}

TEST_F(MaintenanceTest, TrimIsRefusedWhileNoCurrentIsHeld) {
  // With the loop current mode off, output 1 cannot be held, so neither the
  // hold nor the trim after it is carried out.
  h.DeviceSet("CurrentMode", "0");
  TrimCurrent(1, "cmd4mA", "4.1", Answer::No);
  EXPECT_EQ(h.TakeMessages(), (std::vector<std::string>{"Loop current no active!", "Look at Current, is it correct?",
                                                        "Loop current no active!"}));
  EXPECT_EQ(device().outputs[0].trimOffset, 0.0F);
}

TEST_F(MaintenanceTest, LoopTestHoldsTheChosenCurrentUntilLeft) {
  h.Tree("Maintenance");
  h.Click("cmdLoopTest");
  h.Select("Op16mA(0)");
  h.Click("cmdWriteParameter");
  h.Run(1000);
  EXPECT_EQ(measure().loopCurrent[0], 16.0F);
  EXPECT_EQ(measure().deviceStatus & 0x08, 0x08);  // "PV Analog Channel Fixed"

  h.Tab("SSTabLoopTest", 4);
  h.Select("OpOther(4)");
  h.Set("txtParameter(155)", "7.5");
  h.Click("cmdWriteParameter");
  h.Run(1000);
  EXPECT_EQ(measure().loopCurrent[4], 7.5F);

  // Back leaves the tab on show: channel 5.
  h.Click("cmdBack");
  h.Run(1000);
  EXPECT_FALSE(device().outputs[4].fixed);
  EXPECT_TRUE(device().outputs[0].fixed);

  h.Click("cmdLoopTest");
  h.Select("OpOther(0)");
  h.Set("txtParameter(76)", "25");
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.TakeMessages(), std::vector<std::string>{"Passed parameter too large!"});
  EXPECT_EQ(device().outputs[0].fixedCurrent, 16.0F);
}

TEST_F(MaintenanceTest, SensorLowerTrimShiftsSensorOne) {
  h.DeviceSet("Sns1Value", "20");
  h.Tree("TRIM");
  h.Click("cmdSensorTrim");
  h.Click("cmdSensorLowerTrim");
  h.Run(1000);
  EXPECT_EQ(h.Text("lbArray(49)"), "°C");
  const double before = shown("txtParameter(57)");
  EXPECT_NEAR(before, 20.0, 0.5);
  h.Set("txtParameter(59)", "21");
  h.Answer(Answer::Ok);
  h.Answer(Answer::Yes);
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.TakeMessages(), (std::vector<std::string>{
                                  "This function is available only for channel 1. Make sure Sensor 1 is connected!",
                                  "Sensor value will be set as 0%!", "Please look at sensor value, is it correct?"}));
  EXPECT_TRUE(device().channels[0].lowerTrimDone);
  EXPECT_NEAR(device().channels[0].trimOffset, 21.0 - before, 0.5);
  EXPECT_EQ(h.Device("ChangeSensorTrim"), "1");
  // A value far from the reading is refused.
  h.Click("cmdSensorUpperTrim");
  h.Run(1000);
  h.Set("txtParameter(59)", "500");
  h.Answer(Answer::Ok);
  h.Answer(Answer::Yes);
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(h.TakeMessages().back(), "Passed parameter too large!");
}

TEST_F(MaintenanceTest, TemperatureTrimSetsTheDeviceTemperature) {
  h.Tree("TRIM");
  h.Click("cmdTempTrim");
  h.Run(1000);
  EXPECT_NEAR(shown("txtParameter(57)"), 28.0, 3.0);
  h.Set("txtParameter(59)", "30");
  h.Answer(Answer::Yes);
  h.Click("cmdWriteParameter");
  h.Run(300);
  EXPECT_NEAR(std::stod(h.Device("LocalTemp")), 30.0, 0.1);
  EXPECT_EQ(h.Device("ChangeTempTrim"), "1");
}

TEST_F(MaintenanceTest, FactoryTrimKeepsTheReferenceOfItsInput) {
  h.Tree("TRIM");
  h.Click("cmdFactoryTrim");
  h.Set("cmbTrimSelection", "MV");
  h.Set("txtParameter(152)", "50");
  h.Click("cmdWriteParameter");
  h.Settle();
  EXPECT_EQ(device().factoryTrimMv, 50.0F);
  EXPECT_EQ(device().factoryTrimOhm, 0.0F);
  h.Set("cmbTrimSelection", "OHM");
  h.Set("txtParameter(152)", "5000");
  h.Click("cmdWriteParameter");
  h.Settle();
  // The control sends a factory trim twice.
  EXPECT_EQ(h.TakeMessages(), (std::vector<std::string>{"Passed parameter too large!", "Passed parameter too large!"}));
}

TEST_F(MaintenanceTest, DeviceResetStartsColdAndReleasesHeldCurrents) {
  h.Tree("Diagnosis");
  h.Run(6000);
  EXPECT_FALSE(lamp(5));
  h.Tree("Maintenance");
  h.Click("cmdLoopTest");
  h.Select("Op8mA(0)");
  h.Click("cmdWriteParameter");
  h.Run(500);
  ASSERT_TRUE(device().outputs[0].fixed);
  h.Answer(Answer::Yes);
  h.Click("cmdDeviceReset");
  h.Run(500);
  EXPECT_FALSE(device().outputs[0].fixed);
  h.Tree("Diagnosis");
  h.Run(1000);
  EXPECT_TRUE(lamp(5));  // "Cold Start", reported once
  h.Run(5000);
  EXPECT_FALSE(lamp(5));
}

TEST_F(MaintenanceTest, FactoryRestorePutsTheConfigurationBack) {
  h.Tree("LCD");
  h.Run(1000);
  h.Set("cmbDisplay1", "Sensor 6");
  h.Click("cmdWriteParameter");
  h.Settle();
  ASSERT_EQ(h.Device("Display1"), "5");
  h.Tree("Maintenance");
  h.Answer(Answer::Yes);
  h.Click("cmdFactoryRestore");
  h.Run(3000);
  h.Tree("LCD");
  h.Run(1000);
  EXPECT_EQ(h.Text("cmbDisplay1"), "Sensor 1");
  EXPECT_EQ(device().identification.tag, "TT-601  ");  // the identification stays
}

TEST_F(MaintenanceTest, ConfigurationChangedIsResetWithTheCounterShown) {
  h.Tree("LCD");
  h.Run(1000);
  h.Set("cmbDisplay2", "Sensor 5");
  h.Click("cmdWriteParameter");
  h.Settle();
  h.Tree("Diagnosis");
  h.Run(1000);
  EXPECT_TRUE(lamp(6));
  EXPECT_EQ(h.Text("txtParameter(106)"), "1");

  // A counter other than the device's is refused.
  h.Set("txtParameter(106)", "7");
  h.Answer(Answer::Yes);
  h.Click("cmdResetChangeStatus");
  h.Run(5000);
  EXPECT_EQ(h.TakeMessages().back(), "Parameter Too High!");
  EXPECT_TRUE(lamp(6));

  h.Answer(Answer::Yes);
  h.Click("cmdResetChangeStatus");
  h.Run(5000);
  EXPECT_FALSE(lamp(6));
  EXPECT_EQ(h.Text("txtParameter(106)"), "1");
}

TEST_F(MaintenanceTest, CountersAndExtremesAreReset) {
  h.Tree("Local Temp");
  h.Run(1000);
  h.Set("cmbUnitLocalTemp", "K");
  h.Click("cmdWriteParameter");
  h.Settle();
  h.Tree("Diagnosis");
  h.Tab("SSTabDiagnosis", 2);
  h.Run(1000);
  EXPECT_EQ(h.Text("txtParameter(111)"), "1");
  h.Answer(Answer::Yes);
  h.Click("CmdResetChangeCounters");
  h.Run(2000);
  EXPECT_EQ(h.Text("txtParameter(111)"), "0");

  // With tracking off, a reset leaves nothing recorded: the page shows "-".
  h.DeviceSet("SensorMaxMin", "0");
  h.Tab("SSTabDiagnosis", 3);
  h.Run(1000);
  EXPECT_NE(h.Text("txtParameter(123)"), "-");
  h.Answer(Answer::Yes);
  h.Click("cmdSensorMaxMinReset");
  h.Run(2000);
  EXPECT_EQ(h.Text("txtParameter(123)"), "-");
  EXPECT_EQ(h.Text("txtParameter(124)"), "-");
  EXPECT_NE(h.Text("txtParameter(54)"), "-");
  EXPECT_EQ(h.Text("lbArray(182)"), "K");
}

}  // namespace
}  // namespace zolin6::driver::testing
