// The device model on its own: units, the process and what the device
// derives from it, the decoding of writes, and the state file.

#include <gtest/gtest.h>

#include "driver/device_writes.h"
#include "driver/transmitter.h"

namespace zolin6::driver {
namespace {

// --- Units ----------------------------------------------------------------------

TEST(Units, ConvertWithinTheirKind) {
  struct Case {
    double value;
    int from;
    int to;
    double expected;
  };
  const Case cases[] = {
      {100, kUnitDegC, kUnitDegF, 212},
      {-40, kUnitDegF, kUnitDegC, -40},
      {0, kUnitDegC, kUnitKelvin, 273.15},
      {491.67, kUnitDegR, kUnitDegC, 0},
      {25, kUnitMillivolt, kUnitMillivolt, 25},
      // Units of different kinds do not convert.
      {25, kUnitDegC, kUnitMillivolt, 25},
  };
  for (const Case& c : cases) EXPECT_NEAR(ConvertValue(c.value, c.from, c.to), c.expected, 1e-9) << c.value;
  EXPECT_NEAR(ConvertSpan(10, kUnitDegC, kUnitDegF), 18, 1e-9);
  EXPECT_NEAR(ConvertSpan(18, kUnitDegR, kUnitKelvin), 10, 1e-9);
}

TEST(Units, FitTheSensorsKind) {
  EXPECT_TRUE(UnitFitsSensor(kUnitDegF, 12));  // Pt 100 IEC
  EXPECT_FALSE(UnitFitsSensor(kUnitOhm, 12));
  EXPECT_TRUE(UnitFitsSensor(kUnitMillivolt, 129));  // mV 100
  EXPECT_TRUE(UnitFitsSensor(kUnitOhm, 1));          // Ohm 400
  EXPECT_TRUE(UnitFitsSensor(kUnitMilliamp, 249));   // 4-20mA Input
  EXPECT_FALSE(UnitFitsSensor(kUnitDegC, 135));      // no such type
}

TEST(SensorType, ChangeKeepsAFittingUnitAndTakesTheTypesRange) {
  SensorChannel channel;
  ChangeChannelUnit(channel, kUnitDegF);
  ChangeSensorType(channel, 137);  // T/C Type K IEC
  EXPECT_EQ(channel.unit, kUnitDegF);
  EXPECT_NEAR(channel.upperRangeLimit, 2501.6, 1e-3);
  EXPECT_NEAR(channel.upperRangeValue, 1112, 1e-3);
  EXPECT_NEAR(channel.minSpan, 45, 1e-3);
  ChangeSensorType(channel, 130);  // mV 500
  EXPECT_EQ(channel.unit, kUnitMillivolt);
  EXPECT_EQ(channel.upperRangeLimit, 500.0F);
}

// --- Process ---------------------------------------------------------------------

TEST(Process, SameSeedSameValues) {
  auto readings = [](std::uint32_t seed) {
    SimulatedTransmitter device(seed, 2000);
    std::vector<std::optional<float>> values;
    for (int t = 0; t <= 60000; t += 5000) {
      Measurements m = device.Measure(t);
      values.insert(values.end(), m.reading.begin(), m.reading.end());
      values.push_back(m.localTemp);
    }
    return values;
  };
  EXPECT_EQ(readings(6), readings(6));
  EXPECT_NE(readings(6), readings(7));
}

TEST(Process, ValuesStayNearTheirLevelOverHours) {
  SimulatedTransmitter device(6, 2000);
  for (Millis t = 0; t <= 4 * 3600 * 1000; t += 60000) {
    Measurements m = device.Measure(t);
    ASSERT_TRUE(m.pv.has_value());
    EXPECT_NEAR(*m.pv, 21.5, 5.0) << t;
    EXPECT_NEAR(*m.localTemp, 28.0, 3.0) << t;
  }
}

struct LoopCase {
  const char* name;
  const char* level;  // sensor 1's process value, °C; "broken" for a broken sensor
  int loopAlarm;      // 0 high, 1 low
  int loopMode;       // 1: the loop carries PV
  float current;      // output 1, mA
  int statusBits;     // device status bits expected among 0x01, 0x04, 0x08, 0x80
};

TEST(Process, LoopCurrentFollowsTheRangeSaturatesAndAlarms) {
  const LoopCase cases[] = {
      {"mid range", "50", 0, 1, 12.0F, 0},
      {"lower range value", "0", 0, 1, 4.0F, 0},
      {"above the range", "110", 0, 1, 20.5F, 0x04},
      {"below the range", "-10", 0, 1, 3.8F, 0x04},
      {"beyond the sensor limit", "900", 0, 1, 20.5F, 0x01 | 0x04},
      {"broken, alarm high", "broken", 0, 1, 21.75F, 0x01 | 0x80},
      {"broken, alarm low", "broken", 1, 1, 3.6F, 0x01 | 0x80},
      {"loop current mode off", "50", 0, 0, 4.0F, 0x08},
  };
  for (const LoopCase& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedTransmitter device(6, 2000);
    device.Measure(0);
    ASSERT_EQ(device.SetValue("Loop_Alarm", std::to_string(c.loopAlarm), 0), "");
    ASSERT_EQ(device.SetValue("CurrentMode", std::to_string(c.loopMode), 0), "");
    if (std::string(c.level) == "broken") {
      device.SetBroken(1, true);
    } else {
      ASSERT_EQ(device.SetValue("Sns1Value", c.level, 0), "");
    }
    const Measurements m = device.Measure(0);
    EXPECT_NEAR(m.loopCurrent[0], c.current, 1e-4);
    EXPECT_EQ(m.deviceStatus & (0x01 | 0x04 | 0x08 | 0x80), c.statusBits);
  }
}

TEST(Process, BackupSensorTakesOverAndAverageCombines) {
  SimulatedTransmitter device(6, 2000);
  device.Measure(0);
  ASSERT_EQ(device.SetValue("Sns1Value", "20", 0), "");
  ASSERT_EQ(device.SetValue("Sns3Value", "40", 0), "");
  ASSERT_EQ(device.SetValue("BackupSensor", "2", 0), "");  // sensor 3
  ASSERT_EQ(device.SetValue("BackupMode", "1", 0), "");
  EXPECT_NEAR(*device.Measure(0).pv, 20.0, 1e-4);
  device.SetBroken(1, true);
  Measurements m = device.Measure(0);
  EXPECT_NEAR(*m.pv, 40.0, 1e-4);
  EXPECT_EQ(m.diagStatusByte1 & 0x10, 0x10);
  EXPECT_EQ(m.diagStatus & 0x01, 0x01);
  EXPECT_EQ(m.deviceStatus & 0x80, 0);  // the backup keeps the device measuring

  device.SetBroken(1, false);
  ASSERT_EQ(device.SetValue("BackupMode", "0", 0), "");
  ASSERT_EQ(device.SetValue("AverageMode", "1", 0), "");
  EXPECT_NEAR(*device.Measure(0).pv, 30.0, 1e-4);
}

TEST(Process, SensorTemperatureLimitsRaiseTheirAlarms) {
  SimulatedTransmitter device(6, 2000);
  device.Measure(0);
  ASSERT_EQ(device.SetValue("Sns1Value", "20", 0), "");
  ASSERT_EQ(device.SetValue("SnsTempHighLimit", "15", 0), "");
  EXPECT_EQ(device.Measure(0).diagStatusByte1 & 0x0C, 0x04);
  // The limits are in their own unit: 15 °F is below 20 °C.
  ASSERT_EQ(device.SetValue("SnsUnit", "33", 0), "");
  ASSERT_EQ(device.SetValue("SnsTempHighLimit", "100", 0), "");
  ASSERT_EQ(device.SetValue("SnsTempLowLimit", "70", 0), "");
  EXPECT_EQ(device.Measure(0).diagStatusByte1 & 0x0C, 0x08);
}

// --- Writes ----------------------------------------------------------------------

RequestAttributes Attributes(std::initializer_list<std::string> first) {
  RequestAttributes a;
  a.fill("None");
  std::copy(first.begin(), first.end(), a.begin());
  return a;
}

struct WriteCase {
  const char* name;
  int code;
  RequestAttributes attributes;
  int response;
};

TEST(Writes, MalformedAndRefusedRequestsChangeNothing) {
  const WriteCase cases[] = {
      // Attributes the device cannot read.
      {"missing unit", 6, Attributes({"00"}), 5},
      {"float of seven digits", 6, Attributes({"00", "20", "42C8000", "00000000"}), 5},
      {"float with a letter beyond F", 6, Attributes({"00", "20", "42C8000G", "00000000"}), 5},
      {"empty code", 5, Attributes({"", "01", "02", "03", "04", "05"}), 2},
      {"code that is no number", 17, Attributes({"xx", "00"}), 2},
      {"tag one byte short", 1, Attributes({"0420C4", "", "0F036A", "", "", "001000"}), 5},
      // Values the device refuses.
      {"channel 7", 3, Attributes({"06", "0C", "03", "FA"}), 2},
      {"unknown sensor type", 3, Attributes({"00", "87", "03", "FA"}), 2},
      {"display code 13", 5, Attributes({"0D", "01", "02", "03", "04", "05"}), 2},
      {"preambles 4", 2, Attributes({"01", "00", "04", "00", "00"}), 4},
      {"fixed current above 23 mA", 11, Attributes({"41C00000"}), 3},         // 24
      {"fixed current below 3.5 mA", 22, Attributes({"01", "40400000"}), 4},  // 3
      {"trim of a free output", 23, Attributes({"01", "40800000"}), 11},
      {"temperature trim in mV", 15, Attributes({"24", "41F00000"}), 11},
      {"damping above 32 s", 26,
       Attributes({"44548000", "C3480000", "20", "00000000", "00000000", "00000000", "42C80000", "42100000"}), 3},
      {"temperature limits reversed", 26,
       Attributes({"C3480000", "44548000", "20", "00000000", "00000000", "00000000", "42C80000", "3F800000"}), 29},
      {"factory trim below 0 Ohm", 29, Attributes({"01", "BF800000"}), 4},
      {"counter the device does not have", 7, Attributes({"0001"}), 9},
      {"copy of a range beyond a thermocouple's reach", 28, Attributes({"20", "44FA0000", "00000000"}), 9},
      {"write code 25", 25, Attributes({}), 64},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceState state = FactoryState();
    const std::string before = SaveDeviceState(state);
    const ProcessSimulation process(1);
    const WriteResult result = ApplyWrite(c.code, c.attributes, state, process);
    EXPECT_EQ(result.responseCode, c.response);
    EXPECT_EQ(SaveDeviceState(state), before);
  }
}

TEST(Writes, CountOnlyTheChangesTheyMake) {
  DeviceState state = FactoryState();
  const ProcessSimulation process(1);
  // The HART settings with only the loop alarm changed.
  ASSERT_EQ(ApplyWrite(2, Attributes({"01", "00", "05", "00", "01"}), state, process).responseCode, 0);
  EXPECT_EQ(state.changeCounters[kChangeFailSafe], 1);
  EXPECT_EQ(state.changeCounters[kChangeMultidrop], 0);
  EXPECT_EQ(state.changeCounters[kChangeSoftWprotect], 0);
  EXPECT_EQ(state.configChangeCounter, 1);
  EXPECT_TRUE(state.configChanged);
  // A sensor configuration with a new cold junction only.
  ASSERT_EQ(ApplyWrite(3, Attributes({"02", "89", "02", "02"}), state, process).responseCode, 0);
  EXPECT_EQ(state.changeCounters[kChangeSensorCjunct], 1);
  EXPECT_EQ(state.changeCounters[kChangeSensorConfig], 0);
  EXPECT_EQ(state.configChangeCounter, 2);
  // A held current is no configuration change.
  ASSERT_EQ(ApplyWrite(12, Attributes({"41400000", "00"}), state, process).responseCode, 0);
  EXPECT_EQ(state.configChangeCounter, 2);
  EXPECT_TRUE(state.outputs[0].fixed);
  EXPECT_EQ(state.outputs[0].fixedCurrent, 12.0F);
}

TEST(Writes, ChannelOnesSensorWriteTakesTheLimitsOnlyAsAPair) {
  DeviceState state = FactoryState();
  const ProcessSimulation process(1);
  // Empty limit fields give the same pattern twice: not a pair of limits.
  ASSERT_EQ(
      ApplyWrite(3, Attributes({"00", "0C", "03", "FA", "00000000", "00000000", "20"}), state, process).responseCode,
      0);
  EXPECT_EQ(state.sensorParameters.highLimit, 850.0F);
  ASSERT_EQ(
      ApplyWrite(3, Attributes({"00", "0C", "03", "FA", "43960000", "C2480000", "21"}), state, process).responseCode,
      0);
  EXPECT_EQ(state.sensorParameters.highLimit, 300.0F);
  EXPECT_EQ(state.sensorParameters.lowLimit, -50.0F);
  EXPECT_EQ(state.sensorParameters.unit, kUnitDegF);
}

// --- State file -------------------------------------------------------------------

TEST(StateFile, RoundTripKeepsEveryValue) {
  SimulatedTransmitter device(6, 2000);
  device.Measure(0);
  for (auto [tag, value] : std::initializer_list<std::pair<const char*, const char*>>{{"Tag", "PT-9"},
                                                                                      {"Long Tag", "Line 4, Ölkühler"},
                                                                                      {"Date", "1/2/2000"},
                                                                                      {"Sns4Type", "130"},
                                                                                      {"Sns2Unit", "35"},
                                                                                      {"Display3", "12"},
                                                                                      {"ChangeDspVar", "17"},
                                                                                      {"SnsMaxTemp", "99.5"}}) {
    ASSERT_EQ(device.SetValue(tag, value, 0), "") << tag;
  }
  const std::string saved = SaveDeviceState(device.state());
  Result<DeviceState> loaded = LoadDeviceState(saved);
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  EXPECT_EQ(SaveDeviceState(*loaded), saved);
  EXPECT_EQ(loaded->identification.longTag, "Line 4, Ölkühler");
}

TEST(StateFile, RefusesWhatIsNoDeviceState) {
  const char* malformed[] = {
      "",
      "not json",
      "[1, 2]",
      R"({"writeProtect": "yes"})",
      R"({"channels": [{"type": 12, "unit": 36}]})",  // a Pt 100 in millivolts
  };
  for (const char* text : malformed) EXPECT_FALSE(LoadDeviceState(text).ok()) << text;
  // Keys left out take the values of a new device.
  Result<DeviceState> partial = LoadDeviceState(R"({"writeProtect": 1})");
  ASSERT_TRUE(partial.ok());
  EXPECT_EQ(partial->writeProtect, 1);
  EXPECT_EQ(partial->identification.deviceType, 58113);
}

}  // namespace
}  // namespace zolin6::driver
