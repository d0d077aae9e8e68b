// The master on a shared FSK line: it waits for its turn after what it
// hears (the other master, bursting devices, noise), hands burst frames
// over, reads command 48 only when the status says there is news, and
// takes its device's identity from real replies.

#include <gtest/gtest.h>

#include "hart/master.h"
#include "hex.h"
#include "scripted_link.h"

namespace zolin6::hart {
namespace {

using std::chrono_literals::operator""ms;
using testing::Act;
using testing::Hex;
using testing::ScriptedLink;
using testing::ToHex;

// A frame someone else puts on the line, from the scripted device's address.
Bytes OnLine(FrameType type, bool primaryMaster, std::uint16_t command = 1) {
  Frame frame;
  frame.type = type;
  frame.address = Address::Unique({0x12, 0x34, 0x0A, 0x0B, 0x0C});
  frame.address.primaryMaster = primaryMaster;
  frame.address.burstMode = type == FrameType::Burst;
  frame.command = command;
  const Bytes data{0x20, 0x41, 0xA0, 0x00, 0x00};
  if (type != FrameType::Request) frame.data = data;
  Bytes bytes;
  EXPECT_TRUE(EncodeFrame(frame, 5, bytes));
  return bytes;
}

constexpr bool kOurs = true;
constexpr bool kOthers = false;

struct Turn {
  const char* what;
  Bytes heard;        // arrives whole at T
  Millis queuedAt;    // our request is submitted, after T
  Millis expectedAt;  // and goes out, after T
};

void PrintTo(const Turn& turn, std::ostream* out) { *out << turn.what; }

class MasterTurn : public ::testing::TestWithParam<Turn> {};

TEST_P(MasterTurn, StartsWhenTheLineIsItsTurn) {
  const Turn& turn = GetParam();
  ScriptedLink link;
  link.identify();
  const Millis heardAt = link.now + 1000ms;  // the line long quiet before
  link.inject(heardAt, turn.heard);
  link.now = heardAt;
  link.run();
  link.now = heardAt + turn.queuedAt;
  link.master.submit(1);
  link.run();
  ASSERT_FALSE(link.sent.empty());
  EXPECT_EQ(link.sent[0].at - heardAt, turn.expectedAt);
  if (turn.expectedAt > turn.queuedAt) {
    EXPECT_EQ(link.master.lineState(heardAt + turn.expectedAt - 1ms), LineState::Watching);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arbitration, MasterTurn,
    ::testing::Values(
        Turn{"the other master's request: its device answers first", OnLine(FrameType::Request, kOthers), 0ms,
             kReplyTimeoutFsk},
        Turn{"the other master's reply: ours at once", OnLine(FrameType::Reply, kOthers), 0ms, 0ms},
        Turn{"the other master's reply: ours until HOLD", OnLine(FrameType::Reply, kOthers), kHoldTimeFsk,
             kHoldTimeFsk},
        Turn{"the other master's reply: a turn not taken passes", OnLine(FrameType::Reply, kOthers), kHoldTimeFsk + 1ms,
             kQuietTimeFsk},
        Turn{"a burst for the other master: ours at once", OnLine(FrameType::Burst, kOthers), 0ms, 0ms},
        Turn{"a burst for the other master: a turn not taken passes", OnLine(FrameType::Burst, kOthers),
             kHoldTimeFsk + 1ms, 2 * kReplyTimeoutFsk},
        Turn{"a burst for us: the other master's turn", OnLine(FrameType::Burst, kOurs), 0ms, kReplyTimeoutFsk},
        Turn{"a burst for us: then ours until HOLD", OnLine(FrameType::Burst, kOurs),
             kReplyTimeoutFsk + kHoldTimeFsk - 1ms, kReplyTimeoutFsk + kHoldTimeFsk - 1ms},
        Turn{"a burst for us: the device's again after HOLD", OnLine(FrameType::Burst, kOurs),
             kReplyTimeoutFsk + kHoldTimeFsk, 2 * kReplyTimeoutFsk},
        Turn{"a late reply to us ends a transaction", OnLine(FrameType::Reply, kOurs), 0ms, kQuietTimeFsk},
        Turn{"a broken frame", Hex("FF FF FF 86 00 00 00 00 00 01 00 99"), 0ms, kQuietTimeFsk},
        Turn{"noise", Hex("00 13 7E"), 10ms, kQuietTimeFsk}));

TEST(MasterLine, WaitsForAQuietLineBeforeItsFirstRequest) {
  Master master;
  master.identify();
  const Step first = master.step(0ms);
  EXPECT_TRUE(first.transmit.empty());
  EXPECT_EQ(first.wakeAt, kQuietTimeFsk);
  EXPECT_EQ(master.lineState(kQuietTimeFsk - 1ms), LineState::Watching);
  // A byte heard restarts the count.
  EXPECT_EQ(master.step(50ms, Hex("00")).wakeAt, 50ms + kQuietTimeFsk);
  EXPECT_TRUE(master.step(50ms + kQuietTimeFsk - 1ms).transmit.empty());
  EXPECT_EQ(master.lineState(50ms + kQuietTimeFsk), LineState::Enabled);
  EXPECT_FALSE(master.step(50ms + kQuietTimeFsk).transmit.empty());
  EXPECT_EQ(master.lineState(50ms + kQuietTimeFsk), LineState::Using);
}

TEST(MasterLine, ASecondMastersTransactionDelaysOursUntilItsReply) {
  ScriptedLink link;
  link.identify();
  const Millis heardAt = link.now + 1000ms;
  link.inject(heardAt, OnLine(FrameType::Request, kOthers));
  link.inject(heardAt + 200ms, OnLine(FrameType::Reply, kOthers));
  link.now = heardAt;
  link.run();
  link.now = heardAt + 10ms;
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 1U);
  EXPECT_EQ(link.sent[0].at, heardAt + 200ms);
}

// The header of a published command 9 from a capture (the master bit
// clear, the burst bit set), with 29 bytes of made-up data.
Bytes PublishedCommandNine() {
  Bytes frame = Hex("81 40 FD 95 26 6F 09 1F 00 00");
  for (std::uint8_t i = 0; i < 29; ++i) frame.push_back(i);
  std::uint8_t check = 0;
  for (const std::uint8_t byte : frame) check ^= byte;
  frame.push_back(check);
  return frame;
}

TEST(MasterBursts, AreHandedOverWithTheirTimeAndData) {
  const Bytes burst = PublishedCommandNine();
  const auto check = [](const std::vector<HeardBurst>& bursts, Millis at) {
    ASSERT_EQ(bursts.size(), 1U);
    EXPECT_EQ(bursts[0].at, at);
    EXPECT_EQ(bursts[0].frame.command, 9);
    EXPECT_TRUE(bursts[0].frame.address.burstMode);
    EXPECT_FALSE(bursts[0].frame.address.primaryMaster);
    EXPECT_EQ(bursts[0].frame.address.unique[1], 0xFD);
    EXPECT_TRUE(bursts[0].frame.data.empty());
    ASSERT_EQ(bursts[0].data.size(), 29U);
    EXPECT_EQ(bursts[0].data[28], 28);
  };
  Master serial;
  Bytes line = burst;
  line.insert(line.begin(), 3, kPreamble);
  check(serial.step(7ms, line).bursts, 7ms);

  MasterSettings framed;
  framed.link = kHartIpTiming;
  Master gateway(framed);
  check(gateway.stepFrame(9ms, burst).bursts, 9ms);
}

TEST(MasterBursts, BurstingEndsWhenOurDeviceRepliesWithoutItsBurstBit) {
  ScriptedLink link;
  link.identify();
  const Millis heardAt = link.now + 1000ms;
  link.inject(heardAt, OnLine(FrameType::Burst, kOthers));
  link.now = heardAt;
  link.run();
  link.master.submit(1);  // at once, its turn
  link.run();
  const Millis noiseAt = link.now + 1000ms;
  link.inject(noiseAt, Hex("00"));
  link.now = noiseAt;
  link.run();
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 2U);
  EXPECT_EQ(link.sent[0].at, heardAt);
  EXPECT_EQ(link.sent[1].at, noiseAt + kQuietTimeFsk);  // not 2 x RT1
}

TEST(MasterBursts, HoldNothingBackOnAFramedLink) {
  MasterSettings settings;
  settings.link = kHartIpTiming;
  Master master(settings);
  master.identify();
  EXPECT_FALSE(master.stepFrame(5ms, OnLine(FrameType::Burst, kOurs)).transmit.empty());
}

TEST(MasterLine, AFrameCutOffBeforeOurRequestDoesNotSwallowTheReply) {
  ScriptedLink link;
  link.identify();
  const Millis heardAt = link.now + 1000ms;
  const Bytes burst = OnLine(FrameType::Burst, kOthers);
  link.inject(heardAt, Bytes(burst.begin(), burst.begin() + 10));
  link.now = heardAt;
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].outcome, Outcome::Replied);
  EXPECT_EQ(link.done[0].attempts, 1);
  EXPECT_EQ(link.sent[0].at, heardAt + kQuietTimeFsk);
}

TEST(MasterBursts, ABurstDuringOurTransactionLeavesItAlone) {
  ScriptedLink link;
  link.identify();
  link.turnaround = 250ms;
  const Millis sentAt = link.now + kQuietTimeFsk;
  link.inject(sentAt + 200ms, OnLine(FrameType::Burst, kOthers, 3));
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 1U);
  EXPECT_EQ(link.sent[0].at, sentAt);
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].outcome, Outcome::Replied);
  ASSERT_EQ(link.bursts.size(), 1U);
  EXPECT_EQ(link.bursts[0].frame.command, 3);
}

// Our request lost beside a bursting device; the device's next burst
// begins `after` our request's end. The resend takes the turn that burst
// gives: RT1 after one for us, at once after one for the other master.
struct LostRequest {
  const char* what;
  Millis after;
  bool forUs;
  Millis resendAfterBurst;
};

TEST(MasterBursts, AResendWaitsForTheTurnTheNextBurstGives) {
  const LostRequest cases[] = {
      {"the device's turn after our request", kReplyTimeoutFsk + kHoldTimeFsk, kOurs, kReplyTimeoutFsk},
      // Begun within the reply timeout, ended after it: not our reply beginning.
      {"a burst begun while we wait", 200ms, kOthers, 0ms},
  };
  for (const LostRequest& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedLink link;
    link.identify();
    const Millis burstAt = link.now + 1000ms;
    link.inject(burstAt, OnLine(FrameType::Burst, kOthers, 3));  // our turn, and the device bursts
    link.now = burstAt;
    link.master.submit(1);
    link.script = {Act::Drop};
    const Millis nextBurstAt = burstAt + WireTime(kFskTiming, 16) + c.after;  // command 1 is 16 bytes
    const Bytes nextBurst = OnLine(FrameType::Burst, c.forUs, 3);
    const Millis nextBurstEnd = nextBurstAt + WireTime(kFskTiming, nextBurst.size());
    link.inject(nextBurstAt + 9ms, Bytes(nextBurst.begin(), nextBurst.begin() + 1));
    link.inject(nextBurstEnd, Bytes(nextBurst.begin() + 1, nextBurst.end()));
    link.run();
    ASSERT_EQ(link.sent.size(), 2U);
    EXPECT_EQ(link.sent[0].at, burstAt);
    EXPECT_EQ(link.sent[1].at, nextBurstEnd + c.resendAfterBurst);
    ASSERT_EQ(link.done.size(), 1U);
    EXPECT_EQ(link.done[0].outcome, Outcome::Replied);
  }
}

// Command 48 when "more status available" appears or the status byte
// changes; while both stay, at most once a minute.
class MoreStatusLink : public ::testing::Test {
 protected:
  void SetUp() override { link.identify(); }

  // Command 1 answered at `answeredAt`; how many commands 48 followed it.
  std::size_t readOne(Millis answeredAt) {
    link.sent.clear();
    link.now = answeredAt - WireTime(kFskTiming, 16) - testing::kTurnaround;  // command 1 is 16 bytes
    link.master.submit(1);
    link.run();
    EXPECT_EQ(link.answeredAt(link.sent[0]), answeredAt);
    return link.sentOf(48);
  }

  ScriptedLink link;
};

TEST_F(MoreStatusLink, FollowsTheBitAppearingAndTheStatusChanging) {
  link.deviceStatus = device_status::kMoreStatusAvailable;
  const Millis appeared = link.now + 1000ms;
  EXPECT_EQ(readOne(appeared), 1U) << "appeared";
  EXPECT_EQ(readOne(appeared + 10000ms), 0U) << "steady";
  link.deviceStatus |= device_status::kPrimaryOutOfLimits;
  EXPECT_EQ(readOne(appeared + 11000ms), 1U) << "changed";
  link.deviceStatus = 0;
  EXPECT_EQ(readOne(appeared + 12000ms), 0U) << "cleared";
  link.deviceStatus = device_status::kMoreStatusAvailable;
  EXPECT_EQ(readOne(appeared + 13000ms), 1U) << "appeared again";
}

TEST_F(MoreStatusLink, WhileSteadyNotAgainWithinAMinute) {
  link.deviceStatus = device_status::kMoreStatusAvailable;
  const Millis appeared = link.now + 1000ms;
  EXPECT_EQ(readOne(appeared), 1U);
  EXPECT_EQ(readOne(appeared + kMoreStatusRepeat - 1ms), 0U);
}

TEST_F(MoreStatusLink, WhileSteadyAgainAMinuteOn) {
  link.deviceStatus = device_status::kMoreStatusAvailable;
  const Millis appeared = link.now + 1000ms;
  EXPECT_EQ(readOne(appeared), 1U);
  EXPECT_EQ(readOne(appeared + kMoreStatusRepeat), 1U);
}

TEST_F(MoreStatusLink, ReadAgainOnceTheDeviceIsFoundAgain) {
  link.deviceStatus = device_status::kMoreStatusAvailable;
  EXPECT_EQ(readOne(link.now + 1000ms), 1U);
  link.master.forgetDevice();
  link.sent.clear();
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 3U);
  EXPECT_EQ(link.sent[1].frame.command, 48);  // after command 0's reply
}

TEST(MasterMoreStatus, NotReadWhenTurnedOff) {
  MasterSettings settings;
  settings.readMoreStatus = false;
  ScriptedLink link(settings);
  link.deviceStatus = device_status::kMoreStatusAvailable;
  link.master.submit(1);
  link.run();
  EXPECT_EQ(link.sentOf(48), 0U);
}

// Command 0 replies of real devices (captures quoted in the transport
// notes): the next request goes to the unique address built from them,
// with the preambles they ask for, and is command 48 as their status has
// "more status available" set.
TEST(MasterIdentity, TakesTheAddressFromRealReplies) {
  struct Case {
    const char* what;
    LinkTiming link;
    const char* reply;
    const char* next;
  };
  const Case cases[] = {
      {"HART 5 on FSK, 7 preambles asked", kFskTiming,
       "FF FF FF FF 06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E",
       "FF FF FF FF FF FF FF 82 9A 89 21 63 3F 30 00 DC"},
      {"HART 7 in burst mode over HART-IP, no preambles", kHartIpTiming,
       "06 C0 00 18 00 10 FE F9 FD 00 07 02 32 4E 00 95 26 6F 00 03 00 01 01 00 F9 00 F9 41 D3",
       "82 B9 FD 95 26 6F 30 00 2A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MasterSettings settings;
    settings.link = c.link;
    Master master(settings);
    master.submit(1);
    (void)master.step(0ms);
    const Step request = master.step(kQuietTimeFsk);
    const Millis repliedAt = kQuietTimeFsk + 400ms;
    const Step replied = master.step(repliedAt, Hex(c.reply));
    ASSERT_EQ(replied.completed.size(), 1U);
    EXPECT_EQ(replied.completed[0].outcome, Outcome::Replied);
    const Bytes next = request.transmit.empty() ? replied.transmit : master.step(repliedAt + kQuietTimeFsk).transmit;
    EXPECT_EQ(ToHex(next), c.next);
  }
}

}  // namespace
}  // namespace zolin6::hart
