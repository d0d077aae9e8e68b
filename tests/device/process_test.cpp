// The simulated transmitter's process and what the device derives from it:
// values that wander near their level, deterministic from a seed, and the
// backup, average and temperature limits acting on PV and the status.

#include <gtest/gtest.h>

#include <string_view>

#include "device/simulated_transmitter.h"

namespace zolin6::device {
namespace {

TEST(Process, SameSeedSameValuesThatStayNearTheirLevelOverHours) {
  auto readings = [](std::uint32_t seed) {
    SimulatedTransmitter device(seed);
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
  SimulatedTransmitter device(6);
  device.Measure(0);
  while (!values.empty()) {
    const std::string_view entry = values.substr(0, values.find('|'));
    const std::size_t equals = entry.find('=');
    const std::string tag(entry.substr(0, equals));
    EXPECT_EQ(device.SetValue(tag, std::string(entry.substr(equals + 1)), 0), "") << tag;
    values.remove_prefix(std::min(values.size(), entry.size() + 1));
  }
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

}  // namespace
}  // namespace zolin6::device
