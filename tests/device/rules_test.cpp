// The rules every command shares: who the device answers, the order of the
// shared response codes (busy, write protection, too few bytes), the field
// device status bits and the change counters, and the serial framing.

#include <gtest/gtest.h>

#include "device_bench.h"
#include "hart/encoding.h"
#include "hart/status.h"

namespace zolin6::device::testing {
namespace {

namespace bits = hart::device_status;

hart::Bytes Float(float value) {
  hart::Bytes bytes;
  hart::AppendFloat(bytes, value);
  return bytes;
}

TEST(DeviceAddressing, AnswersOnlyWhatIsMeantForIt) {
  DeviceBench bench;
  const hart::Address own = bench.device.uniqueAddress();
  EXPECT_EQ(own.unique, (std::array<std::uint8_t, 5>{0x23, 0x01, 0x01, 0xE2, 0x40}));  // 0xE301, 123456
  hart::Address other = own;
  other.unique[4] ^= 1;
  const hart::Address broadcast = hart::Address::Unique({});
  const hart::Bytes tag = *hart::PackAscii("TT-601", 6);
  const hart::Bytes wrongTag = *hart::PackAscii("TT-602", 6);
  struct Row {
    const char* what;
    hart::Address address;
    std::uint16_t command;
    hart::ByteView data;
    bool answered;
  };
  const std::vector<Row> rows{
      {"command 0 to polling address 0", hart::Address::Polling(0), 0, {}, true},
      {"command 0 to another polling address", hart::Address::Polling(5), 0, {}, false},
      {"command 1 in a short frame", hart::Address::Polling(0), 1, {}, false},
      {"command 1 to the unique address", own, 1, {}, true},
      {"command 1 to another device", other, 1, {}, false},
      {"command 1 to the broadcast address", broadcast, 1, {}, false},
      {"command 11 by broadcast, own tag", broadcast, 11, tag, true},
      {"command 11 by broadcast, other tag", broadcast, 11, wrongTag, false},
      {"command 11 by broadcast, no tag", broadcast, 11, {}, false},
  };
  for (const Row& row : rows) {
    const Answered got = bench.SendFrame({hart::FrameType::Request, row.address, 0, {}, row.command, {}, row.data});
    EXPECT_EQ(got.replied, row.answered) << row.what;
    if (got.replied && row.address.isLong) {
      EXPECT_TRUE(got.address.sameDevice(own)) << row.what;
    }
  }
}

TEST(DeviceAddressing, PollingAddressFollowsCommand6) {
  DeviceBench bench;
  const hart::Bytes five{5, 1};
  ASSERT_EQ(bench.Send(6, five).status.responseCode(), 0);
  EXPECT_FALSE(bench.SendFrame({hart::FrameType::Request, hart::Address::Polling(0), 0, {}, 0, {}, {}}).replied);
  EXPECT_TRUE(bench.SendFrame({hart::FrameType::Request, hart::Address::Polling(5), 0, {}, 0, {}, {}}).replied);
}

TEST(DeviceAddressing, RepliesCarryTheMasterBitOfTheRequest) {
  DeviceBench bench;
  EXPECT_TRUE(bench.Send(1, {}, true).address.primaryMaster);
  EXPECT_FALSE(bench.Send(1, {}, false).address.primaryMaster);
}

TEST(DeviceAddressing, BytesThatAreNoRequestGetNoReply) {
  DeviceBench bench;
  const std::vector<hart::Bytes> inputs{
      {},
      {0x02, 0x80, 0x00, 0x00, 0x83},              // bad check byte
      {0x06, 0x80, 0x00, 0x02, 0x00, 0x00, 0x84},  // a reply, not a request
      {0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82},  // preambles on HART-IP
  };
  for (const hart::Bytes& input : inputs) EXPECT_TRUE(bench.device.Receive(input, bench.now).empty());
}

TEST(DeviceAddressing, SerialLineCarriesPreamblesBothWays) {
  DeviceBench bench;
  const hart::Bytes line{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
  const hart::Bytes reply = bench.device.ReceiveSerial(line, bench.now);
  ASSERT_GE(reply.size(), 5U);
  EXPECT_EQ(hart::Bytes(reply.begin(), reply.begin() + 5), hart::Bytes(5, 0xFF));  // five response preambles
  const Answered got = DeviceBench::Decode(hart::Bytes(reply.begin() + 5, reply.end()));
  EXPECT_EQ(got.data.size(), 22U);
}

TEST(DeviceRules, TooFewDataBytesAnswer5) {
  const std::vector<std::pair<std::uint16_t, std::size_t>> sizes{
      {6, 1},   {9, 1},   {17, 24}, {18, 21}, {19, 3},   {22, 32}, {33, 1},   {40, 4},  {45, 4},
      {54, 1},  {59, 1},  {129, 1}, {130, 4}, {131, 10}, {132, 2}, {134, 29}, {136, 6}, {138, 3},
      {139, 2}, {143, 2}, {144, 1}, {146, 5}, {147, 6},  {148, 7}, {149, 5},  {150, 5}, {38, 2},
  };
  for (const auto& [command, size] : sizes) {
    DeviceBench bench;
    const hart::Bytes shortRequest(size - 1, 0);
    EXPECT_EQ(bench.Send(command, shortRequest).status.responseCode(), 5) << "command " << command;
  }
  DeviceBench bench;
  EXPECT_EQ(bench.Send(31).status.responseCode(), 5) << "command 31 without the number it expands";
}

TEST(DeviceRules, WriteProtectionRefusesWritesWith7) {
  DeviceBench bench;
  const hart::Bytes protect{1, 0};
  ASSERT_EQ(bench.Send(139, protect).status.responseCode(), 0);
  struct Row {
    std::uint16_t command;
    hart::Bytes data;
    std::uint8_t code;
  };
  hart::Bytes fixOutput2{1};
  const hart::Bytes twelve = Float(12);
  fixOutput2.insert(fixOutput2.end(), twelve.begin(), twelve.end());
  const std::vector<Row> rows{
      {19, {0, 0, 1}, 7},   {59, {6}, 7},     {141, {}, 7},
      {151, {}, 7},         {136, {}, 7},  // 7 before 5
      {139, {1, 1}, 7},     {129, {0}, 0},    {40, twelve, 0},
      {146, fixOutput2, 0}, {139, {0, 0}, 0},  // switching protection off is always taken
      {59, {6}, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(bench.Send(row.command, row.data).status.responseCode(), row.code) << "command " << row.command;
  }
}

TEST(DeviceRules, BusyForTwoSecondsAfterResetOrFactoryRestore) {
  for (const std::uint16_t restart : {42, 151}) {
    DeviceBench bench;
    ASSERT_EQ(bench.Send(restart).status.responseCode(), 0);
    bench.now += SimulatedTransmitter::kRestartTime - 1;
    EXPECT_EQ(bench.Send(19, hart::Bytes{0, 0, 1}).status.responseCode(), 32) << restart;
    EXPECT_EQ(bench.Send(19, hart::Bytes{}).status.responseCode(), 32) << "busy before too few bytes";
    EXPECT_EQ(bench.Send(16).status.responseCode(), 0) << "reads are answered";
    bench.now += 1;
    EXPECT_EQ(bench.Send(19, hart::Bytes{0, 0, 1}).status.responseCode(), 0) << restart;
  }
}

TEST(DeviceStatus, ColdStartIsReportedOnceToThePrimaryMaster) {
  DeviceBench bench;
  EXPECT_TRUE(bench.Send(1, {}, false).status.has(bits::kColdStart));
  EXPECT_TRUE(bench.Send(1).status.has(bits::kColdStart));
  EXPECT_FALSE(bench.Send(1).status.has(bits::kColdStart));
  ASSERT_EQ(bench.Send(42).status.responseCode(), 0);
  EXPECT_TRUE(bench.Send(1).status.has(bits::kColdStart));
}

TEST(DeviceStatus, ConfigurationChangedUntilCommand38WithTheCounter) {
  DeviceBench bench;
  EXPECT_FALSE(bench.Send(1).status.has(bits::kConfigurationChanged));
  const Answered written = bench.Send(19, hart::Bytes{0, 0, 1});
  EXPECT_TRUE(written.status.has(bits::kConfigurationChanged));
  EXPECT_EQ(bench.Send(0).data[15], 1) << "configuration change counter";
  EXPECT_EQ(bench.Send(38, hart::Bytes{0, 0}).status.responseCode(), 9);
  EXPECT_TRUE(bench.Send(1).status.has(bits::kConfigurationChanged));
  EXPECT_EQ(bench.Send(38, hart::Bytes{0, 1}).status.responseCode(), 0);
  EXPECT_FALSE(bench.Send(1).status.has(bits::kConfigurationChanged));
  // Reads and refused writes change nothing.
  EXPECT_EQ(bench.Send(59, hart::Bytes{40}).status.responseCode(), 3);
  EXPECT_FALSE(bench.Send(1).status.has(bits::kConfigurationChanged));
  EXPECT_EQ(bench.Send(0).data[15], 1);
}

TEST(DeviceStatus, MoreStatusAvailableUntilThePrimaryMasterReads48) {
  DeviceBench bench;
  EXPECT_FALSE(bench.Send(1).status.has(bits::kMoreStatusAvailable));
  bench.transmitter.SetBroken(3, true);
  const Answered broken = bench.Send(1);
  EXPECT_TRUE(broken.status.has(bits::kMoreStatusAvailable));
  EXPECT_TRUE(broken.status.has(bits::kNonPrimaryOutOfLimits));
  EXPECT_EQ(bench.Send(48, {}, false).data[0], 0x04) << "sensor 3 alert";
  EXPECT_TRUE(bench.Send(1).status.has(bits::kMoreStatusAvailable)) << "the secondary master's read leaves it";
  EXPECT_FALSE(bench.Send(48).status.has(bits::kMoreStatusAvailable));
  EXPECT_FALSE(bench.Send(1).status.has(bits::kMoreStatusAvailable));
}

TEST(DeviceStatus, HeldOutputIsLoopCurrentFixed) {
  DeviceBench bench;
  EXPECT_FALSE(bench.Send(1).status.has(bits::kLoopCurrentFixed));
  ASSERT_EQ(bench.Send(40, Float(12)).status.responseCode(), 0);
  EXPECT_TRUE(bench.Send(1).status.has(bits::kLoopCurrentFixed));
  const Answered currents = bench.Send(145);
  EXPECT_EQ(currents.data[0], 1) << "output 1 held";
  EXPECT_EQ(hart::ReadFloat(hart::ByteView(currents.data).subspan(1)), 12.0F);
}

TEST(DeviceCounters, CarriedOutWritesCountWhatTheyChanged) {
  DeviceBench bench;
  hart::Bytes range{255, 32};
  for (const float v : {150.0F, 10.0F}) {
    const hart::Bytes f = Float(v);
    range.insert(range.end(), f.begin(), f.end());
  }
  ASSERT_EQ(bench.Send(131, range).status.responseCode(), 0);
  const hart::Bytes counters = bench.Send(140).data;
  EXPECT_EQ(hart::ReadUnsigned(counters, 2), 1U) << "sensor range";
  EXPECT_EQ(hart::ReadUnsigned(hart::ByteView(counters).subspan(6), 2), 0U) << "sensor unit unchanged";
  for (int channel = 0; channel < 6; ++channel) {
    EXPECT_EQ(bench.transmitter.state().channels[channel].upperRangeValue, 150.0F);
  }
  ASSERT_EQ(bench.Send(141).status.responseCode(), 0);
  EXPECT_EQ(hart::ReadUnsigned(bench.Send(140).data, 2), 0U);
}

TEST(DeviceTrims, OutputTrimFollowsTheMeasuredCurrent) {
  DeviceBench bench;
  ASSERT_EQ(bench.Send(40, Float(4)).status.responseCode(), 0);
  ASSERT_EQ(bench.Send(45, Float(4.2F)).status.responseCode(), 0);
  const device::LoopOutput& output = bench.transmitter.state().outputs[0];
  EXPECT_NEAR(output.trimOffset, -0.2F, 1e-6);
  EXPECT_EQ(bench.Send(45, Float(5.5F)).status.responseCode(), 3);
  EXPECT_EQ(bench.Send(45, Float(2.5F)).status.responseCode(), 4);
}

}  // namespace
}  // namespace zolin6::device::testing
