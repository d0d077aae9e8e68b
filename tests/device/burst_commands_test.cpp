// Burst settings beyond one request each: what a write leaves for 105 to
// read back, the older hosts' short forms, and the warnings that still
// change the message.

#include <gtest/gtest.h>

#include "device_bench.h"
#include "hart/command_codec.h"
#include "hart/encoding.h"

namespace zolin6::device::testing {
namespace {

hart::Record ReadBack(DeviceBench& bench, std::uint8_t message) {
  const hart::Bytes request{message};
  const Answered got = bench.Send(105, request);
  EXPECT_EQ(got.status.responseCode(), 0);
  return hart::ParseReply(105, got.status, got.data).value();
}

TEST(BurstCommands, WritesAreReadBackPerMessage) {
  DeviceBench bench;
  EXPECT_EQ(bench.Send(108, hart::Bytes{0, 48, 2}).status.responseCode(), 0);
  EXPECT_EQ(bench.Send(109, hart::Bytes{1, 2}).status.responseCode(), 0);
  // Periods out of bounds are kept as adjusted: 100 ms becomes 250 ms, a
  // maximum below the update period becomes the update period.
  const Answered adjusted = bench.Send(103, hart::Bytes{2, 0, 0, 0x0C, 0x80, 0, 0, 0, 1});
  EXPECT_EQ(adjusted.status.responseCode(), 8);
  const hart::Record two = ReadBack(bench, 2);
  EXPECT_EQ(two.number("burst command").value(), 48U);
  EXPECT_EQ(two.number("legacy command").value(), 48U);
  EXPECT_EQ(two.number("burst mode control").value(), 1U);
  EXPECT_EQ(two.number("update period").value(), 8000U);
  EXPECT_EQ(two.number("maximum update period").value(), 8000U);
  EXPECT_EQ(two.number("burst message").value(), 2U);
  const hart::Record zero = ReadBack(bench, 0);  // untouched
  EXPECT_EQ(zero.number("burst mode control").value(), 0U);
  EXPECT_EQ(zero.number("burst command").value(), 9U);
  EXPECT_EQ(zero.number("update period").value(), 32000U);
}

// A command that cannot carry the trigger's value resets it to continuous.
TEST(BurstCommands, CommandWithoutTheTriggersValueResetsTheTrigger) {
  DeviceBench bench;
  hart::Bytes trigger{1, 1, 64, 32};  // message 1, window of 2.5 °C
  hart::AppendFloat(trigger, 2.5F);
  EXPECT_EQ(bench.Send(104, trigger).status.responseCode(), 0);
  EXPECT_EQ(bench.Send(108, hart::Bytes{0, 3, 1}).status.responseCode(), 0);
  const hart::Record window = ReadBack(bench, 1);
  EXPECT_EQ(window.number("trigger mode").value(), 1U);
  EXPECT_EQ(window.number("trigger classification").value(), 64U);
  EXPECT_EQ(window.number("trigger units").value(), 32U);
  EXPECT_EQ(window.real("trigger level").value(), 2.5F);
  EXPECT_EQ(bench.Send(108, hart::Bytes{0, 48, 1}).status.responseCode(), 8);
  EXPECT_EQ(ReadBack(bench, 1).number("trigger mode").value(), 0U);
  EXPECT_EQ(bench.Send(104, trigger).status.responseCode(), 13);  // not with 48
}

// Older hosts: 105 without a number, 107 with up to four codes and 108 with
// a one-byte command, all for message 0; in between is too short.
TEST(BurstCommands, OlderHostsShortFormsMeanMessageZero) {
  DeviceBench bench;
  const Answered slots = bench.Send(107, hart::Bytes{12, 0});
  EXPECT_EQ(slots.status.responseCode(), 0);
  EXPECT_EQ(slots.data, (hart::Bytes{12, 0}));
  EXPECT_EQ(bench.Send(107, hart::Bytes{0, 1, 2, 3, 4}).status.responseCode(), 5);
  EXPECT_EQ(bench.Send(108, hart::Bytes{2}).data, (hart::Bytes{2}));  // echoed as asked
  EXPECT_EQ(bench.Send(108, hart::Bytes{0, 2}).status.responseCode(), 5);
  const Answered legacy = bench.Send(105);
  ASSERT_EQ(legacy.data.size(), 29U);
  EXPECT_EQ(legacy.data[1], 2);                                             // the command
  EXPECT_EQ(hart::Bytes(legacy.data.begin() + 2, legacy.data.begin() + 5),  // the slots
            (hart::Bytes{12, 0, 250}));
}

TEST(BurstCommands, WritesAreRefusedUnderWriteProtection) {
  DeviceBench bench;
  bench.transmitter.mutableState().writeProtect = 1;
  EXPECT_EQ(bench.Send(109, hart::Bytes{1, 0}).status.responseCode(), 7);
  EXPECT_EQ(bench.Send(105).status.responseCode(), 0);
}

}  // namespace
}  // namespace zolin6::device::testing
