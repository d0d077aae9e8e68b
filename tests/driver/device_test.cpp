// The simulated transmitter without the control: the process and what the
// device derives from it, how it carries out or refuses writes, its side of
// the framework link (timing, order, off line, letting go) and its state
// file through the driver.

#include <gtest/gtest.h>

#include "codecs/float_ieee.h"
#include "driver/device_state_file.h"
#include "driver/device_writes.h"
#include "driver/sim_driver.h"
#include "platform/fdt/dtm_activex_control.h"
#include "sim_harness.h"

namespace zolin6::driver {
namespace {

using testing::Entries;

TEST(Process, SameSeedSameValuesThatStayNearTheirLevelOverHours) {
  auto readings = [](std::uint32_t seed) {
    SimulatedTransmitter device(seed, 2000);
    std::vector<std::optional<float>> values;
    for (Millis t = 0; t <= 4 * 3600 * 1000; t += 60000) {
      const Measurements m = device.Measure(t);
      values.insert(values.end(), m.reading.begin(), m.reading.end());
      values.push_back(m.localTemp);
      EXPECT_NEAR(m.pv.value_or(0), 21.5, 5.0) << t;
      EXPECT_NEAR(m.localTemp.value_or(0), 28.0, 3.0) << t;
    }
    return values;
  };
  EXPECT_EQ(readings(6), readings(6));
  EXPECT_NE(readings(6), readings(7));
}

// A device at time 0 with values set from outside ("tag=value|...").
SimulatedTransmitter Device(std::string_view values) {
  SimulatedTransmitter device(6, 2000);
  device.Measure(0);
  for (const auto& [tag, value] : Entries(values, false)) EXPECT_EQ(device.SetValue(tag, value, 0), "") << tag;
  return device;
}

TEST(Process, BackupAverageAndTemperatureLimitsActOnPvAndStatus) {
  SimulatedTransmitter device = Device("Sns1Value=20|Sns3Value=40|BackupSensor=2|BackupMode=1");
  EXPECT_NEAR(*device.Measure(0).pv, 20.0, 1e-4);
  device.SetBroken(1, true);
  const Measurements m = device.Measure(0);
  EXPECT_NEAR(*m.pv, 40.0, 1e-4);
  EXPECT_TRUE((m.diagStatusByte1 & 0x10) && (m.diagStatus & 0x01));
  EXPECT_EQ(m.deviceStatus & 0x80, 0);  // the backup keeps the device measuring
  device.SetBroken(1, false);
  EXPECT_EQ(device.SetValue("BackupMode", "0", 0) + device.SetValue("AverageMode", "1", 0), "");
  EXPECT_NEAR(*device.Measure(0).pv, 30.0, 1e-4);
  // The sensor temperature limits count in their own unit: 20 °C is below 70 °F.
  EXPECT_EQ(Device("Sns1Value=20|SnsTempHighLimit=15").Measure(0).diagStatusByte1 & 0x0C, 0x04);
  device = Device("Sns1Value=20|SnsUnit=33|SnsTempHighLimit=100|SnsTempLowLimit=70");
  EXPECT_EQ(device.Measure(0).diagStatusByte1 & 0x0C, 0x08);
}

// A request's attributes, "|" between them; those not given are "None".
RequestAttributes Request(std::string_view attributes) {
  RequestAttributes a;
  a.fill("None");
  std::size_t i = 0;
  for (const auto& [attribute, unused] : Entries(attributes, false)) a[i++] = attribute;
  return a;
}

// Whether the device's answer to a write carries this response code.
bool Responds(const Answer& answer, int code) {
  return answer.details.find(R"(Code 1" value=")" + std::to_string(code) + '"') != std::string::npos;
}

TEST(Writes, MalformedAndRefusedRequestsChangeNothing) {
  struct Case {
    int code;
    const char* attributes;
    int response;
    const char* device = "";  // values set from outside first
  };
  const Case cases[] = {
      // Attributes the device cannot read.
      {6, "00", 5},                       // no unit
      {6, "00|20|42C8000|00000000", 5},   // a float of seven digits
      {6, "00|20|42C8000G|00000000", 5},  // a float with a letter beyond F
      {5, "|01|02|03|04|05", 2},          // an empty code
      {17, "xx|00", 2},                   // a code that is no number
      {5, "-1|01|02|03|04|05", 2},        // a code with a sign
      {3, "-1|0C|03|FA", 2},              // channel -1
      {1, "0420C4||0F036A|||001000", 5},  // a tag one byte short
      // Values the device refuses.
      {5, "05|05|05|05|05|05", 7, "WriteProtect=1"},  // write protection
      {3, "06|0C|03|FA", 2},                          // channel 7
      {3, "00|87|03|FA", 2},                          // an unknown sensor type
      {3, "02|89|03|01", 12},                         // a thermocouple on three wires
      {5, "0D|01|02|03|04|05", 2},                    // display code 13
      {2, "01|00|04|00|00", 4},                       // 4 preambles
      {2, "01|40|05|00|00", 3},                       // polling address 64
      {6, "00|20|41C80000|41A00000", 14},             // 20 to 25 °C: below the minimum span
      {6, "00|20|44610000|00000000", 9},              // up to 900 °C
      {6, "00|20|42C80000|C37A0000", 10},             // down to -250 °C
      {6, "00|20|41200000|42480000", 29},             // upper below lower
      {6, "00|24|42C80000|00000000", 11},             // a Pt 100 in mV
      {4, "0C|24", 11},                               // the device temperature in mV
      {4, "00|25", 11},                               // a Pt 100 in Ohm
      {4, "01|23", 11, "BackupMode=1"},               // any unit change while the backup mode is on
      {16, "01|01|01", 12},                           // backup and average together
      {11, "41C00000", 3},                            // a fixed current of 24 mA
      {12, "41400000|00", 11, "CurrentMode=0"},       // output 1 held while it only powers the device
      {22, "01|40400000", 4},                         // 3 mA on output 2
      {22, "00|41400000", 2},                         // output 1, which has writes of its own
      {23, "01|40800000", 11},                        // a trim of an output not held
      {15, "24|41F00000", 11},                        // a temperature trim in mV
      {21, "20|43FA0000", 3},                         // a sensor trim far above the reading
      {26, "44548000|C3480000|20|00000000|00000000|00000000|42C80000|42100000", 3},   // a damping of 36 s
      {26, "C3480000|44548000|20|00000000|00000000|00000000|42C80000|3F800000", 29},  // limits reversed
      {29, "01|BF800000", 4},                                                         // a factory trim below 0 Ohm
      {7, "0001", 9},                   // a counter the device does not have
      {28, "20|44FA0000|00000000", 9},  // a copied range beyond a thermocouple's reach
      {25, "", 64},                     // a write code the device does not know
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "write " << c.code << " " << c.attributes);
    SimulatedTransmitter device = Device(c.device);
    const std::string before = SaveDeviceState(device.state());
    EXPECT_TRUE(Responds(device.Write(std::to_string(c.code), Request(c.attributes), 0), c.response));
    EXPECT_EQ(SaveDeviceState(device.state()), before);
  }
}

TEST(Writes, CountOnlyTheChangesTheyMake) {
  DeviceState state = FactoryState();
  const ProcessSimulation process(1);
  auto write = [&](int code, std::string_view attributes) {
    EXPECT_EQ(ApplyWrite(code, Request(attributes), state, process).responseCode, 0) << code;
  };
  write(2, "01|00|05|00|01");  // the HART settings with only the loop alarm changed
  EXPECT_EQ(state.changeCounters[kChangeFailSafe], 1);
  EXPECT_EQ(state.changeCounters[kChangeMultidrop] + state.changeCounters[kChangeSoftWprotect], 0);
  EXPECT_TRUE(state.configChangeCounter == 1 && state.configChanged);
  write(3, "02|89|02|02");  // a sensor configuration with a new cold junction only
  EXPECT_EQ(state.changeCounters[kChangeSensorCjunct], 1);
  EXPECT_EQ(state.changeCounters[kChangeSensorConfig], 0);
  write(12, "41400000|00");  // a held current is no configuration change
  EXPECT_EQ(state.configChangeCounter, 2);
  // Channel 1's sensor write takes the limits it carries only as a pair:
  // empty limit fields give the same pattern twice.
  write(3, "00|0C|03|FA|00000000|00000000|20");
  EXPECT_EQ(state.sensorParameters.highLimit, 850.0F);
  write(3, "00|0C|03|FA|43960000|C2480000|21");
  EXPECT_EQ(state.sensorParameters.highLimit, 300.0F);
  EXPECT_EQ(state.sensorParameters.lowLimit, -50.0F);
  EXPECT_EQ(state.sensorParameters.unit, kUnitDegF);
}

// The edges of what the device accepts: a span of exactly the minimum, and a
// new sensor type on a channel shown in °F, which keeps °F and converts the
// new type's limits into it.
TEST(Writes, BoundariesTheDeviceAccepts) {
  DeviceState state = FactoryState();
  const ProcessSimulation process(1);
  SensorChannel& channel = state.channels[0];
  std::string upper = std::to_string(20 + channel.minSpan);
  ASSERT_EQ(
      ApplyWrite(6, Request("00|20|" + *codecs::ConvertFloatToHex(upper) + "|41A00000"), state, process).responseCode,
      0);
  EXPECT_EQ(channel.upperRangeValue - channel.lowerRangeValue, channel.minSpan);

  ASSERT_EQ(ApplyWrite(4, Request("00|21"), state, process).responseCode, 0);        // channel 1 in °F
  ASSERT_EQ(ApplyWrite(3, Request("00|0D|03|FA"), state, process).responseCode, 0);  // another RTD type
  EXPECT_EQ(channel.unit, kUnitDegF);
  const SensorTypeInfo* type = FindSensorType(channel.type);
  ASSERT_NE(type, nullptr);
  EXPECT_FLOAT_EQ(channel.upperRangeLimit, static_cast<float>(type->upperLimit * 1.8 + 32));
  EXPECT_FLOAT_EQ(channel.lowerRangeLimit, static_cast<float>(type->lowerLimit * 1.8 + 32));
}

TEST(Writes, WhileTheDeviceRestartsEveryWriteIsBusy) {
  SimulatedTransmitter device(6, 2000);
  const RequestAttributes display = Request("05|05|05|05|05|05");
  EXPECT_TRUE(Responds(device.Write("9", Request(""), 100), 0));  // a reset
  EXPECT_TRUE(Responds(device.Write("5", display, 2099), 32));
  EXPECT_TRUE(Responds(device.Write("5", display, 2100), 0));
  EXPECT_EQ(device.state().displays[0], 5);
}

// Notification codes, each with the clock time it came at.
using Timeline = std::vector<std::pair<toolkit::Millis, std::int32_t>>;

// A control that only registers and records the notifications it gets.
class RecordingControl : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  explicit RecordingControl(toolkit::Clock& clock) : clock_(clock) {}
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    got.emplace_back(clock_.now(), reason);
    texts.push_back(details.text().value_or(""));
  }
  Timeline got;
  std::vector<std::string> texts;

 private:
  toolkit::Clock& clock_;
};

class SimDriverTest : public ::testing::Test {
 protected:
  void Register() {
    bool result = false;
    ASSERT_TRUE(sim->RegisterControl("PrjZOLIN6DTM.UserCntrl", "invoke-1", &control, 0, result) && result);
  }
  void Read(const std::string& code) {
    std::string result = "x";
    ASSERT_TRUE(sim->ReadRequest(code, UserCntrl::DocXML(NoneAttributes()), result));
    EXPECT_EQ(result, "");
  }
  void Write(const std::string& code, Attributes attributes = NoneAttributes()) {
    std::string result;
    ASSERT_TRUE(sim->WriteRequest(code, UserCntrl::DocXML(attributes), result));
  }
  bool Answered(std::size_t i, const std::string& response) const {
    return control.texts.at(i).find(R"(Code 1" value=")" + response + '"') != std::string::npos;
  }

  toolkit::Clock clock;
  RecordingControl control{clock};
  std::shared_ptr<SimDriver> sim = std::make_shared<SimDriver>(clock);
};

TEST_F(SimDriverTest, ComesOnLineThenAnswersOneTransactionAtATimeInOrder) {
  bool ready = false;
  EXPECT_TRUE(sim->IsReady(ready) && ready);
  Register();
  clock.advance(99);
  EXPECT_TRUE(control.got.empty());
  clock.advance(901);
  Read("9");
  Write("5");  // a write with nothing in it
  Read("16");
  Read("34");  // codes the device does not know: no answer
  Read("abc");
  Write("25");  // not implemented
  EXPECT_EQ(sim->pendingTransactions(), 6);
  clock.advance(3000);
  EXPECT_EQ(control.got, (Timeline{{100, 0}, {1300, 900}, {1600, 4000}, {1900, 1600}, {2800, 4000}}));
  EXPECT_EQ(control.texts[0], "<DTMInfo state='Online' />");
  EXPECT_TRUE(Answered(2, "5") && Answered(4, "64"));
  EXPECT_EQ(sim->pendingTransactions(), 0);
  // A request on an idle line waits only for its own transaction.
  sim->SetLatency(50);
  Read("30");
  clock.advance(50);
  EXPECT_EQ(control.got.back(), (Timeline::value_type{4050, 3000}));
}

TEST_F(SimDriverTest, OffLineDeviceAnswersWithItsState) {
  Register();
  clock.advance(1000);
  sim->SetOnline(false);
  Read("1");
  clock.advance(300);
  sim->SetOnline(true);
  Read("1");
  clock.advance(300);
  EXPECT_EQ(control.got, (Timeline{{100, 0}, {1000, 0}, {1300, 0}, {1300, 0}, {1600, 100}}));
  EXPECT_EQ(std::vector(control.texts.begin() + 1, control.texts.begin() + 4),
            (std::vector<std::string>{kOfflineState, kOfflineState, kOnlineState}));
}

TEST_F(SimDriverTest, NothingReachesAControlThatLetGo) {
  bool result = false;
  Register();
  Read("1");
  EXPECT_TRUE(sim->UnregisterControl("invoke-1", true, result));
  clock.advance(1000);
  Register();
  Read("2");
  EXPECT_TRUE(sim->CloseSession("invoke-1"));
  clock.advance(1000);
  Register();
  Read("1");
  sim.reset();  // the answers of a released driver go nowhere
  clock.advance(1000);
  EXPECT_TRUE(control.got.empty());
}

TEST_F(SimDriverTest, DeviceStateSurvivesARestartThroughItsFile) {
  const std::string path = ::testing::TempDir() + "zolin6_sim_state.json";
  for (const auto& [tag, value] :
       Entries("Long Tag=Line 4, Ölkühler|Sns4Type=130|Sns2Unit=35|SnsMaxTemp=99.5", false)) {
    ASSERT_EQ(sim->transmitter().SetValue(tag, value, 0), "") << tag;
  }
  Write("11", {"41400000"});  // output 1 held at 12 mA
  Read("25");                 // the cold start reported
  clock.advance(1000);
  ASSERT_TRUE(sim->SaveState(path).ok());

  auto restarted = std::make_shared<SimDriver>(clock);
  ASSERT_TRUE(restarted->LoadState(path).ok());
  // The device starts cold, with no current held; all else is as saved.
  DeviceState loaded = restarted->transmitter().state();
  EXPECT_TRUE(loaded.coldStart && !loaded.outputs[0].fixed);
  EXPECT_EQ(loaded.identification.longTag, "Line 4, Ölkühler");
  EXPECT_EQ(loaded.channels[3].type, 130);
  loaded.coldStart = false;
  loaded.outputs[0].fixed = true;
  EXPECT_EQ(SaveDeviceState(loaded), SaveDeviceState(sim->transmitter().state()));

  EXPECT_FALSE(restarted->LoadState(path + ".missing").ok());
  EXPECT_FALSE(restarted->SaveState("/nonexistent-folder/state.json").ok());
}

}  // namespace
}  // namespace zolin6::driver
