// The maintenance procedures against the simulated transmitter: a current
// trim corrects the output stage's own error, and the device commands act.

#include <gtest/gtest.h>

#include <cmath>

#include "sim_harness.h"

namespace zolin6::driver::testing {
namespace {

using toolkit::Answer;

class MaintenanceTest : public ::testing::Test {
 protected:
  // Holds output 1 at a current trim point ("cmd4mA", "cmd20mA").
  void Hold(const char* point) {
    h.Tree("TRIM");
    for (const char* button : {"cmdCurrentTrim", "cmdTrimCurrentChannel1", point}) h.Click(button);
    h.Run(1000);
  }
  // Types the reading, writes it and answers the question after it.
  void Enter(const std::string& reading, Answer answer) {
    h.Type("59=" + reading);
    h.Answer(answer);
    h.Click("cmdWriteParameter");
    h.Settle();
  }
  const LoopOutput& output(int i) { return h.device().outputs[i]; }

  SimHarness h;
};

TEST_F(MaintenanceTest, CurrentTrimOfOutputOneBringsBothPointsOntoTheMeter) {
  const std::pair<const char*, float> points[] = {{"cmd4mA", 4.0F}, {"cmd20mA", 20.0F}};
  for (const auto& [button, point] : points) {
    Hold(button);
    EXPECT_TRUE(output(0).fixed && output(0).fixedCurrent == point);
    // No leaves the output held and reads the loop current back: what the
    // meter shows, off by the output stage's own error.
    Enter(std::to_string(static_cast<int>(point)), Answer::No);
    const double meter = h.Number("txtParameter(57)");
    EXPECT_NEAR(meter, h.Measure().actualCurrent[0], 0.0005);
    EXPECT_GT(std::abs(meter - point), 0.003);
    Enter(h.Text("txtParameter(57)"), Answer::Yes);
    EXPECT_FALSE(output(0).fixed);
  }
  for (const auto& [button, point] : points) {
    Hold(button);
    EXPECT_NEAR(h.Measure().actualCurrent[0], point, 0.002) << button;
  }
  // The readings typed after No matched the held points and changed nothing.
  EXPECT_EQ(h.device().changeCounters[device::kChangeCurrentTrim], 2);
}

TEST_F(MaintenanceTest, ResetStartsColdAndReleasesHeldCurrentsRestoreKeepsTheIdentification) {
  // "Cold Start" comes with the first status read after power-up only.
  h.Open({"Diagnosis"});
  EXPECT_TRUE(h.Lit(5));
  h.Run(5000);
  EXPECT_FALSE(h.Lit(5));
  h.Tree("Maintenance");
  h.Click("cmdLoopTest");
  h.Select("Op8mA(0)");
  h.Click("cmdWriteParameter");
  h.Run(500);
  EXPECT_EQ(h.Measure().deviceStatus & 0x08, 0x08);  // "PV Analog Channel Fixed"
  h.Answer(Answer::Yes);
  h.Click("cmdDeviceReset");
  h.Run(500);
  EXPECT_FALSE(output(0).fixed);
  h.Open({"Diagnosis"});
  EXPECT_TRUE(h.Lit(5));
  h.Run(5000);  // the device has restarted
  EXPECT_FALSE(h.Lit(5));
  h.DeviceSet("Display1=5|Tag=PT-1");
  h.Tree("Maintenance");
  h.Answer(Answer::Yes);
  h.Click("cmdFactoryRestore");
  h.Run(3000);
  h.Open({"LCD"});
  h.ExpectShown("cmbDisplay1=Sensor 1");
  EXPECT_EQ(h.device().identification.tag, "PT-1");
}

}  // namespace
}  // namespace zolin6::driver::testing
