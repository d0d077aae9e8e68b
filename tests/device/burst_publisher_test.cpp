// What the device publishes and when, on a manual clock: periods kept per
// message, the most overdue first, the master bit alternating, triggers
// holding messages back to their maximum period, and the device's turns
// on a line shared with two masters.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "device/burst_publisher.h"
#include "device/burst_turns.h"
#include "device_bench.h"
#include "hart/command_codec.h"

namespace zolin6::device::testing {
namespace {

constexpr std::uint32_t kTicks = 32;  // per ms

struct PublisherBench : DeviceBench {
  BurstPublisher publisher{device};

  void On(int message, int command, Millis period, Millis most = 60'000) {
    BurstMessage& m = transmitter.mutableState().bursts.at(static_cast<std::size_t>(message));
    m.control = 1;
    m.command = command;
    m.updatePeriod = static_cast<std::uint32_t>(period) * kTicks;
    m.maxPeriod = static_cast<std::uint32_t>(most) * kTicks;
  }
  // The commands published from `from` to `to`, stepping 10 ms, with their times.
  std::vector<std::pair<Millis, std::uint16_t>> Run(Millis from, Millis to) {
    std::vector<std::pair<Millis, std::uint16_t>> out;
    for (Millis t = from; t <= to; t += 10) {
      if (const std::optional<Reply> r = publisher.publish(t)) out.emplace_back(t, r->command);
    }
    return out;
  }
};

TEST(BurstPublisher, KeepsEachMessagesPeriod) {
  PublisherBench bench;
  EXPECT_FALSE(bench.publisher.nextDue(0).has_value());  // nothing on
  bench.On(0, 9, 1000);
  bench.On(2, 1, 500);
  EXPECT_EQ(bench.publisher.nextDue(100), 100);  // switched on: due at once
  const auto sent = bench.Run(100, 2110);
  // Both at once at first, the lower number first; then every 500 and 1000 ms.
  const std::vector<std::pair<Millis, std::uint16_t>> expected{
      {100, 9}, {110, 1}, {610, 1}, {1100, 9}, {1110, 1}, {1610, 1}, {2100, 9}, {2110, 1},
  };
  EXPECT_EQ(sent, expected);
  EXPECT_EQ(bench.publisher.nextDue(2120), 2610);
  bench.transmitter.mutableState().bursts[2].control = 0;
  EXPECT_EQ(bench.publisher.nextDue(2120), 3100);
}

TEST(BurstPublisher, FramesCarryTheBurstBitAndAlternateTheMasterBit) {
  PublisherBench bench;
  bench.On(0, 9, 1000);
  bench.transmitter.mutableState().bursts[0].variables = {12, 0, 250, 250, 250, 250, 250, 250};
  std::vector<bool> masters;
  for (Millis t = 0; t < 3000; t += 1000) {
    const std::optional<Reply> r = bench.publisher.publish(t);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(r->address.burstMode);
    EXPECT_TRUE(r->address.sameDevice(bench.device.uniqueAddress()));
    masters.push_back(r->address.primaryMaster);
    const hart::Record values = hart::ParseReply(9, r->status, r->data).value();
    EXPECT_EQ(values.entries("device variable"), 2);  // the unused slots are left out
    EXPECT_EQ(values.number("device variable", 0).value(), 12U);
  }
  EXPECT_EQ(masters, (std::vector<bool>{true, false, true}));
  // A reply tells the masters the device is bursting.
  EXPECT_TRUE(bench.Send(1).address.burstMode);
  bench.transmitter.mutableState().bursts[0].control = 0;
  EXPECT_FALSE(bench.Send(1).address.burstMode);
}

// Sensor 1 near 20 °C, a trigger level of 50 °C, update 1 s, at most 10 s.
TEST(BurstPublisher, ATriggerThatDoesNotHoldWaitsForTheMaximumPeriod) {
  struct Case {
    int mode;
    float level;
    bool holds;
  };
  for (const Case& c :
       {Case{kTriggerRising, 50, false}, Case{kTriggerRising, 0, true}, Case{kTriggerFalling, 50, true},
        Case{kTriggerFalling, 0, false}, Case{kTriggerWindow, 40, false}, Case{kTriggerContinuous, 50, true}}) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " level " + std::to_string(c.level));
    PublisherBench bench;
    ASSERT_EQ(bench.transmitter.SetValue("Sns1Value", "20", 0), "");
    bench.On(0, 9, 1000, 10'000);
    BurstMessage& m = bench.transmitter.mutableState().bursts[0];
    m.triggerMode = c.mode;
    m.triggerClass = kTemperatureClass;
    m.triggerUnits = kUnitDegC;
    m.triggerLevel = c.level;
    const auto sent = bench.Run(0, 10'500);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.size(), c.holds ? 11U : 2U);
    if (!c.holds) {
      EXPECT_EQ(sent[1].first, 10000);
      // Found not due, it is looked at again as the process steps, not at once.
      EXPECT_EQ(bench.publisher.nextDue(10'000 + 1000), 10'000 + 1000);
      EXPECT_FALSE(bench.publisher.publish(11'000).has_value());
      EXPECT_EQ(bench.publisher.nextDue(11'000), 11'000 + kTriggerCheck);
    }
  }
}

// The published values in °F against a level in °F: 20 °C is 68 °F.
TEST(BurstPublisher, TriggerValueIsInTheTriggersUnits) {
  PublisherBench bench;
  ASSERT_EQ(bench.transmitter.SetValue("Sns1Value", "20", 0), "");
  bench.On(0, 9, 1000);
  BurstMessage& m = bench.transmitter.mutableState().bursts[0];
  m.triggerUnits = kUnitDegF;
  EXPECT_NEAR(bench.device.BurstTriggerValue(0, 0).value(), 68.0F, 3.0F);
  m.command = 1;  // PV, sensor 1 too
  EXPECT_NEAR(bench.device.BurstTriggerValue(0, 0).value(), 68.0F, 3.0F);
}

// A burst for the primary master (BACK) leaves it RT1 and the secondary
// at once; the device comes after both, and BT after its own reply, before
// a master's quiet time ends.
TEST(BurstTurns, TheDeviceWaitsForBothMastersAfterItsBurst) {
  BurstTurns turns;
  turns.published(1000);
  EXPECT_TRUE(turns.lineBusy(999));
  EXPECT_FALSE(turns.lineBusy(1000));
  EXPECT_EQ(turns.nextStart(1000), 1000 + 305 + 20);
  EXPECT_GT(turns.nextStart(1000), 1000 + hart::kReplyTimeoutFsk.count());  // the primary master's turn
  turns.replied(2000);
  EXPECT_EQ(turns.nextStart(2000), 2063);  // its first byte is in at 2073
  EXPECT_LT(turns.nextStart(2000), 2000 + hart::kQuietTimeFsk.count());
  turns.heardOthers(3000);
  EXPECT_EQ(turns.nextStart(3100), 3325);
  EXPECT_EQ(turns.nextStart(4000), 4000);
  // A request that began inside a burst frame and ended before it.
  turns.published(5000);
  turns.heardOthers(4800);
  EXPECT_TRUE(turns.lineBusy(4900));
  EXPECT_EQ(turns.nextStart(5000), 5325);
}

}  // namespace
}  // namespace zolin6::device::testing
