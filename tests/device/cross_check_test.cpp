// The HART device and the operation-code driver were written separately
// from the command reference; the same change through each must give the
// same response code and leave the same device state behind, change
// counters included. A mistake in either shows here.

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <string>
#include <vector>

#include "device_bench.h"
#include "driver/device_documents.h"
#include "driver/device_state_file.h"
#include "hart/encoding.h"

namespace zolin6::device::testing {
namespace {

// A number as the operation-code driver takes it: the 8 hex digits of its bits.
std::string HexFloat(float value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", std::bit_cast<std::uint32_t>(value));
  return text;
}

struct Byte {
  std::uint8_t value;
};
// The request bytes of a HART command from codes and numbers.
hart::Bytes Data(std::initializer_list<std::variant<Byte, float>> fields) {
  hart::Bytes bytes;
  for (const auto& field : fields) {
    if (const auto* b = std::get_if<Byte>(&field)) bytes.push_back(b->value);
    if (const auto* f = std::get_if<float>(&field)) hart::AppendFloat(bytes, *f);
  }
  return bytes;
}

struct Same {
  const char* what;
  std::string write;                    // the operation code
  std::vector<std::string> attributes;  // Attribute1 onwards
  std::uint16_t command;
  hart::Bytes data;
};

std::vector<Same> Cases() {
  const auto b = [](int v) { return Byte{static_cast<std::uint8_t>(v)}; };
  return {
      {"range of channel 1", "6", {"00", "20", HexFloat(150), HexFloat(10)}, 131, Data({b(0), b(32), 150.0F, 10.0F})},
      {"span too small", "6", {"00", "20", HexFloat(5), HexFloat(0)}, 131, Data({b(0), b(32), 5.0F, 0.0F})},
      {"range to all channels", "28", {"21", HexFloat(300), HexFloat(50)}, 131, Data({b(255), b(33), 300.0F, 50.0F})},
      {"thermocouple on channel 3", "3", {"02", "89", "02", "01"}, 130, Data({b(2), b(137), b(2), b(1)})},
      {"thermocouple with 3 wires", "3", {"02", "89", "03", "01"}, 130, Data({b(2), b(137), b(3), b(1)})},
      {"sensor to all channels", "27", {"0F", "02", "FA"}, 130, Data({b(255), b(15), b(2), b(250)})},
      {"sensor parameters",
       "26",
       {HexFloat(400), HexFloat(-50), "20", HexFloat(3.9e-3F), HexFloat(-5.8e-7F), HexFloat(0), HexFloat(100),
        HexFloat(4)},
       134,
       Data({b(32), 400.0F, -50.0F, 3.9e-3F, -5.8e-7F, 0.0F, 100.0F, 4.0F})},
      {"device temperature unit", "4", {"0C", "21"}, 132, Data({b(12), b(33)})},
      {"channel unit in backup mode off", "4", {"01", "23"}, 132, Data({b(1), b(35)})},
      {"display lines", "5", {"0C", "00", "01", "02", "03", "0D"}, 136, Data({b(12), b(0), b(1), b(2), b(3), b(13)})},
      {"special functions", "16", {"00", "02", "01"}, 138, Data({b(0), b(2), b(1)})},
      {"extreme recording", "17", {"00", "01"}, 143, Data({b(0), b(1)})},
      {"temperature trim", "15", {"20", HexFloat(29)}, 149, Data({b(32), 29.0F})},
      {"sensor 1 lower trim", "20", {"20", HexFloat(20)}, 148, Data({b(0), b(1), b(32), 20.0F})},
      {"sensor 1 upper trim too far", "21", {"20", HexFloat(300)}, 148, Data({b(0), b(2), b(32), 300.0F})},
      {"factory trim", "29", {"01", HexFloat(120)}, 150, Data({b(1), 120.0F})},
  };
}

TEST(DeviceCrossCheck, SameChangeThroughEitherDriverGivesTheSameDevice) {
  for (const Same& c : Cases()) {
    SCOPED_TRACE(c.what);
    DeviceBench bench;
    driver::SimulatedTransmitter byCodes(6, HartDevice::kRestartTime);
    driver::RequestAttributes attributes;
    attributes.fill("None");
    std::copy(c.attributes.begin(), c.attributes.end(), attributes.begin());
    const driver::Answer old = byCodes.Write(c.write, attributes, bench.now);
    const Answered got = bench.Send(c.command, c.data);
    ASSERT_TRUE(got.replied);
    EXPECT_EQ(old.details, driver::ResponseDocument(got.status.responseCode()));
    // The HART device reports a cold start once; the old driver keeps it until read 25.
    driver::DeviceState viaHart = bench.transmitter.state();
    viaHart.coldStart = byCodes.state().coldStart;
    EXPECT_EQ(driver::SaveDeviceState(viaHart), driver::SaveDeviceState(byCodes.state()));
  }
}

}  // namespace
}  // namespace zolin6::device::testing
