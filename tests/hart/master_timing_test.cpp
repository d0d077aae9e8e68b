// The master's timers on a manual clock: when the reply timeout is met and
// when it runs out, the resend and busy back-off timing, the time a lost
// device takes to show, a link that takes no time, and links that deliver
// whole frames.

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
using testing::Sent;
using testing::ToHex;

// A HART 5 device's command 0 reply at polling address 0 (a capture quoted
// in the transport notes).
constexpr const char* kHart5Identifier = "FF FF FF FF 06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E";

struct FirstBytes {
  const char* what;
  Millis afterRequest;  // when they arrive, from the moment the request went out
  const char* bytes;
  bool begun;  // the reply timeout is met
};

void PrintTo(const FirstBytes& c, std::ostream* out) { *out << c.what; }

class MasterReplyTimeout : public ::testing::TestWithParam<FirstBytes> {};

// Command 0 on FSK: 25 bytes, 230 ms on the wire, then 305 ms for the reply to begin.
TEST_P(MasterReplyTimeout, IsMetByTheFirstByteOfAReply) {
  const FirstBytes& c = GetParam();
  Master master;
  master.identify();
  EXPECT_TRUE(master.step(0ms).transmit.empty());  // the line must be quiet first
  const Millis sentAt = kQuietTimeFsk;
  const Step request = master.step(sentAt);
  ASSERT_EQ(request.transmit.size(), 25U);
  const Millis deadline = sentAt + WireTime(kFskTiming, 25) + kReplyTimeoutFsk;
  EXPECT_EQ(request.wakeAt, deadline + 1ms);

  EXPECT_TRUE(master.step(sentAt + c.afterRequest, Hex(c.bytes)).transmit.empty());
  EXPECT_TRUE(master.step(deadline).transmit.empty());  // the deadline's own millisecond still counts
  EXPECT_EQ(master.step(deadline + 1ms).transmit.empty(), c.begun);
  if (!c.begun) return;
  // Begun: the longest frame's time to finish, then a resend.
  const Millis finish = sentAt + c.afterRequest + WireTime(kFskTiming, kMostReplyPreambles + kMaxFrameSize);
  // A byte later on does not give it the time again.
  EXPECT_TRUE(master.step(deadline + 1000ms, Hex("FF")).transmit.empty());
  EXPECT_TRUE(master.step(finish).transmit.empty());
  EXPECT_FALSE(master.step(finish + 1ms).transmit.empty());
}

INSTANTIATE_TEST_SUITE_P(Fsk, MasterReplyTimeout,
                         ::testing::Values(FirstBytes{"nothing", 0ms, "", false},
                                           FirstBytes{"a preamble in the last millisecond", 535ms, "FF", true},
                                           FirstBytes{"a preamble as our last byte leaves", 230ms, "FF", true},
                                           FirstBytes{"a device frame's delimiter in time", 400ms, "FF FF 06 80", true},
                                           FirstBytes{"our own echo while the request goes out", 1ms, "FF FF FF FF",
                                                      false},
                                           FirstBytes{"a noise byte is no reply", 400ms, "00", false}));

TEST(MasterReplyTimeoutReply, AGarbledEchoIsNoGarbledReply) {
  MasterSettings settings;
  settings.retries = 0;
  Master master(settings);
  master.identify();
  (void)master.step(0ms);
  const Step request = master.step(kQuietTimeFsk);
  const Millis deadline = kQuietTimeFsk + WireTime(kFskTiming, request.transmit.size()) + kReplyTimeoutFsk;
  (void)master.step(kQuietTimeFsk + 10ms, Hex("FF FF 02 80 00 00 99"));
  const Step ended = master.step(deadline + 1ms);
  ASSERT_EQ(ended.completed.size(), 1U);
  EXPECT_EQ(ended.completed[0].outcome, Outcome::NoReply);
}

TEST(MasterReplyTimeoutReply, ABegunReplyFinishedLateIsTakenWithoutAResend) {
  Master master;
  master.identify();
  (void)master.step(0ms);
  const Step request = master.step(kQuietTimeFsk);
  const Millis deadline = kQuietTimeFsk + WireTime(kFskTiming, request.transmit.size()) + kReplyTimeoutFsk;
  const Bytes reply = Hex(kHart5Identifier);
  const std::size_t head = 6;
  EXPECT_TRUE(master.step(deadline, ByteView(reply).first(head)).completed.empty());
  const Step done = master.step(deadline + 900ms, ByteView(reply).subspan(head));
  ASSERT_EQ(done.completed.size(), 1U);
  EXPECT_EQ(done.completed[0].outcome, Outcome::Replied);
  EXPECT_EQ(done.completed[0].attempts, 1);
}

// One transaction at a time: a resend after a communication error, like the
// next queued command, goes once the line was quiet after the reply.
TEST(MasterTiming, TheNextTransactionWaitsForAQuietLineAfterTheReply) {
  for (const bool commError : {true, false}) {
    SCOPED_TRACE(commError ? "resend" : "queued");
    ScriptedLink link;
    link.identify();
    const std::uint32_t first = link.master.submit(1);
    if (commError) link.script = {Act::CommError};
    const std::uint32_t second = commError ? 0 : link.master.submit(2);
    link.run();
    ASSERT_EQ(link.sent.size(), 2U);
    EXPECT_EQ(link.sent[1].at, link.answeredAt(link.sent[0]) + kQuietTimeFsk);
    ASSERT_EQ(link.done.size(), commError ? 1U : 2U);
    EXPECT_EQ(link.done[0].id, first);
    EXPECT_EQ(link.done.back().id, commError ? first : second);
  }
}

TEST(MasterTiming, LossOfTheDeviceShowsWithinTheRetryBudget) {
  ScriptedLink link;
  link.identify();
  const Millis start = link.now;
  link.master.submit(1);
  link.script.assign(1 + kDefaultRetries, Act::Drop);
  link.run();
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].outcome, Outcome::NoReply);
  const std::size_t request = link.sent[0].bytes.size();
  EXPECT_LE(link.now - start, NoReplyBudget(kFskTiming, request, kDefaultRetries));
  // Not before the last try's reply timeout ran out.
  EXPECT_GT(link.now - start, (1 + kDefaultRetries) * (WireTime(kFskTiming, request) + kReplyTimeoutFsk));
}

TEST(MasterTiming, AfterGivingUpTheLineIsQuietBeforeTheNextCommand) {
  ScriptedLink link;
  link.identify();
  link.master.submit(1);
  link.master.submit(2);
  link.script.assign(1 + kDefaultRetries, Act::Drop);
  link.run();
  ASSERT_EQ(link.sent.size(), 2U + kDefaultRetries);
  const Sent& lastTry = link.sent[kDefaultRetries];
  const Millis gaveUp = lastTry.at + WireTime(kFskTiming, lastTry.bytes.size()) + kReplyTimeoutFsk + 1ms;
  EXPECT_EQ(link.sent.back().at, gaveUp + kQuietTimeFsk);
}

TEST(MasterBusy, ResendsWithADoublingWaitAndGivesUpAfterItsResends) {
  ScriptedLink link;
  link.identify();
  link.master.submit(1);
  link.script.assign(kDefaultBusyResends + 1, Act::Busy);
  link.run();
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].outcome, Outcome::StillBusy);
  ASSERT_EQ(link.sent.size(), 1U + kDefaultBusyResends);
  std::vector<Millis> waits;
  Millis waited{0};
  for (std::size_t i = 1; i < link.sent.size(); ++i) {
    waits.push_back(link.sent[i].at - link.answeredAt(link.sent[i - 1]));
    waited += waits.back();
  }
  // The first wait is longer than the quiet time, so no other rule decides it.
  EXPECT_EQ(waits, (std::vector<Millis>{100ms, 200ms, 400ms, 800ms, 1600ms, 1600ms, 1600ms, 1600ms}));
  EXPECT_EQ(waited, BusyWaits(kDefaultBusyResends, kFirstBusyWait));
  EXPECT_LE(waited, kBusyWaitBudget);
  EXPECT_GT(kFirstBusyWait, kQuietTimeFsk);
}

TEST(MasterBusy, NoBusyResendsEndsAtTheFirstBusyReply) {
  MasterSettings settings;
  settings.busyResends = 0;
  ScriptedLink link(settings);
  link.identify();
  link.master.submit(1);
  link.script = {Act::Busy};
  link.run();
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].outcome, Outcome::StillBusy);
  EXPECT_EQ(link.done[0].status.responseCode(), response_code::kBusy);
  EXPECT_EQ(link.sent.size(), 1U);
}

// The simulated line of the headless runner: no wire time, no turnaround,
// no timeout; the reply is there before the next call at the same moment.
constexpr LinkTiming kInstant{Micros{0}, Millis{0}, Millis{0}, Millis{0}, 5, 5, false};

TEST(MasterInstantLink, AnswersAtTheSameMomentWinOverATimeoutOfZero) {
  MasterSettings settings;
  settings.link = kInstant;
  ScriptedLink link(settings);
  link.turnaround = 0ms;
  link.echo = true;
  link.master.submit(1);
  link.master.submit(2);
  link.run();
  ASSERT_EQ(link.done.size(), 3U);
  for (const Completion& done : link.done) EXPECT_EQ(done.outcome, Outcome::Replied) << done.command;
  EXPECT_EQ(link.sent.size(), 3U);
  EXPECT_EQ(link.now, 1ms);  // the echo, one millisecond on
  EXPECT_EQ(link.sent.back().at, 0ms);
}

TEST(MasterInstantLink, ACallWithoutTheReplyAtTheSameMomentDoesNotTimeOut) {
  MasterSettings settings;
  settings.link = kInstant;
  Master master(settings);
  master.identify();
  const Step request = master.step(0ms);
  ASSERT_FALSE(request.transmit.empty());
  EXPECT_EQ(request.wakeAt, 1ms);
  EXPECT_TRUE(master.step(0ms).transmit.empty());
  const Step replied = master.step(0ms, Hex(kHart5Identifier));
  ASSERT_EQ(replied.completed.size(), 1U);
  EXPECT_EQ(replied.completed[0].outcome, Outcome::Replied);
}

// HART-IP: whole frames without preambles, through step() and stepFrame().
TEST(MasterFramedLink, SendsNoPreamblesAndWaitsItsOwnTimeout) {
  MasterSettings settings;
  settings.link = kHartIpTiming;
  ScriptedLink link(settings);
  link.master.submit(1);
  link.script = {Act::Answer, Act::Drop};
  link.run();
  ASSERT_EQ(link.sent.size(), 3U);
  EXPECT_EQ(link.sent[0].at, 0ms);
  EXPECT_EQ(link.sent[0].bytes[0], 0x02);
  EXPECT_EQ(link.sent[1].bytes[0], 0x82);
  EXPECT_EQ(link.sent[2].at - link.sent[1].at, kReplyTimeoutHartIp + 1ms);
}

TEST(MasterFramedLink, TakesEachArrivalAsOneWholeFrame) {
  struct Case {
    const char* what;
    const char* frame;
    Outcome outcome;
  };
  const Case cases[] = {
      {"a frame from its delimiter", "06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E", Outcome::Replied},
      {"preambles in front are skipped", kHart5Identifier, Outcome::Replied},
      {"a broken frame is a garbled reply", "06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9F",
       Outcome::GarbledReply},
      {"a frame cut short", "06 80 00 0E 00 14 FE 1A", Outcome::GarbledReply},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MasterSettings settings;
    settings.link = kHartIpTiming;
    settings.retries = 0;
    Master master(settings);
    master.identify();
    ASSERT_EQ(ToHex(master.step(0ms).transmit), "02 80 00 00 82");
    const Step replied = master.stepFrame(1ms, Hex(c.frame));
    const Step ended = replied.completed.empty() ? master.step(kReplyTimeoutHartIp + 1ms) : replied;
    ASSERT_EQ(ended.completed.size(), 1U);
    EXPECT_EQ(ended.completed[0].outcome, c.outcome);
  }
}

}  // namespace
}  // namespace zolin6::hart
