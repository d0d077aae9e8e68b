// The master on a manual clock against a scripted device and line: how it
// finds the device, what it resends and when, when it gives up, and that a
// command that is not repeatable never goes out twice once it may have
// reached the device.

#include "hart/master.h"

#include <gtest/gtest.h>

#include "hex.h"
#include "scripted_link.h"

namespace zolin6::hart {
namespace {

using testing::Act;
using testing::Hex;
using testing::ScriptedLink;
using testing::ToHex;

TEST(MasterIdentification, ShortCommandZeroThenLongFramesWithTheDevicesPreambles) {
  ScriptedLink link;
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 2U);
  EXPECT_EQ(ToHex(link.sent[0].bytes), ToHex(Hex(std::string(40, 'F') + "02 80 00 00 82")));
  // Device type 0x1234 and ID 0A 0B 0C; seven preambles as it asked.
  EXPECT_EQ(ToHex(link.sent[1].bytes), "FF FF FF FF FF FF FF 82 92 34 0A 0B 0C 01 00 28");
  ASSERT_EQ(link.done.size(), 2U);
  EXPECT_EQ(link.done[0].command, 0);
  EXPECT_EQ(link.done[1].outcome, Outcome::Replied);
  EXPECT_EQ(link.master.identity()->identifier.number("device id").value(), testing::kDeviceId);
}

// A device behind an I/O system is known by its unique address before it
// is asked: command 0 goes long-framed there, also when scanning is set.
TEST(MasterIdentification, LongFramedCommandZeroToAKnownAddress) {
  MasterSettings settings;
  settings.identifyAt = Address::Unique({0x12, 0x34, 0x0A, 0x0B, 0x0C});
  settings.scanPollingAddresses = true;
  ScriptedLink link(settings);
  link.pollingAddress = 9;  // answers no short frame
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 2U);
  EXPECT_EQ(ToHex(link.sent[0].bytes), ToHex(Hex(std::string(40, 'F') + "82 92 34 0A 0B 0C 00 00 29")));
  EXPECT_EQ(ToHex(link.sent[1].bytes), "FF FF FF FF FF FF FF 82 92 34 0A 0B 0C 01 00 28");
  EXPECT_EQ(link.master.identity()->pollingAddress, 0);

  link.sent.clear();
  link.master.forgetDevice();
  link.script = {Act::Drop, Act::Drop, Act::Drop, Act::Drop};
  link.master.identify();
  link.run();
  ASSERT_EQ(link.sent.size(), 1U + kDefaultRetries);  // no polling address tried
  EXPECT_TRUE(link.sent.back().frame.address.isLong);
  EXPECT_EQ(link.master.linkState(), LinkState::Offline);
}

TEST(MasterIdentification, ScansPollingAddressesWithEveryRetry) {
  MasterSettings settings;
  settings.scanPollingAddresses = true;
  ScriptedLink link(settings);
  link.pollingAddress = 3;
  link.master.identify();
  link.run();
  constexpr std::size_t kTries = 1 + kDefaultRetries;
  ASSERT_EQ(link.sent.size(), 3 * kTries + 1);
  for (std::size_t i = 0; i < link.sent.size(); ++i) EXPECT_EQ(link.sent[i].frame.address.polling, i / kTries) << i;
  EXPECT_EQ(link.master.identity()->pollingAddress, 3);
  // After the first quiet time each silent try costs its request's wire
  // time and the reply timeout, and the millisecond that ends it.
  const Millis perTry = WireTime(kFskTiming, link.sent[0].bytes.size()) + kReplyTimeoutFsk + Millis{1};
  EXPECT_EQ(link.sent[0].at, kQuietTimeFsk);
  EXPECT_EQ(link.sent.back().at, kQuietTimeFsk + static_cast<long long>(3 * kTries) * perTry);
}

TEST(MasterIdentification, ScanOfASilentLineEndsAfterAddress63) {
  MasterSettings settings;
  settings.scanPollingAddresses = true;
  ScriptedLink link(settings);
  link.pollingAddress = 64;  // nowhere
  link.master.identify();
  link.run();
  ASSERT_EQ(link.sent.size(), 64U * (1 + kDefaultRetries));
  EXPECT_EQ(link.sent.back().frame.address.polling, 63);
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].outcome, Outcome::NoReply);
  EXPECT_EQ(link.master.linkState(), LinkState::Offline);
}

TEST(MasterIdentification, AForgottenDeviceIsLookedForAgain) {
  ScriptedLink link;
  link.identify();
  link.master.forgetDevice();
  EXPECT_EQ(link.master.linkState(), LinkState::Offline);
  EXPECT_FALSE(link.master.identity());
  link.master.submit(1);
  link.run();
  ASSERT_EQ(link.sent.size(), 2U);
  EXPECT_EQ(link.sent[0].frame.command, 0);
  EXPECT_EQ(link.sent[1].frame.command, 1);
  EXPECT_EQ(link.master.linkState(), LinkState::Online);
}

// A scanned address that failed once, silent or with a communication error,
// is tried again before the scan moves on.
TEST(MasterIdentification, ScanRetriesAnAddressThatFailedOnce) {
  for (const Act first : {Act::Drop, Act::CommError}) {
    MasterSettings settings;
    settings.scanPollingAddresses = true;
    ScriptedLink link(settings);
    link.script = {first};
    link.master.identify();
    link.run();
    ASSERT_EQ(link.sent.size(), 2U);
    EXPECT_EQ(link.sent[1].frame.address.polling, 0);
    EXPECT_EQ(link.master.identity()->pollingAddress, 0);
    EXPECT_EQ(link.master.linkState(), LinkState::Online);
  }
}

// No device, or one that keeps refusing: identification ends after its tries
// and the waiting command fails unsent.
TEST(MasterIdentification, NoDeviceFailsTheQueueWithoutSendingIt) {
  struct Case {
    std::uint8_t pollingAddress;
    std::vector<Act> script;
    Outcome identification;
  };
  const Case cases[] = {{9, {}, Outcome::NoReply},
                        {0, std::vector<Act>(1 + kDefaultRetries, Act::CommError), Outcome::CommunicationError}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.identification));
    ScriptedLink link;
    link.pollingAddress = c.pollingAddress;
    link.script.assign(c.script.begin(), c.script.end());
    const std::uint32_t id = link.master.submit(42);
    link.run();
    EXPECT_EQ(link.sent.size(), 1U + kDefaultRetries);
    EXPECT_EQ(link.sentOf(42), 0U);
    ASSERT_EQ(link.done.size(), 2U);
    EXPECT_EQ(link.done[0].outcome, c.identification);
    EXPECT_EQ(link.done[1].id, id);
    EXPECT_EQ(link.done[1].outcome, Outcome::NoDevice);
    EXPECT_EQ(link.master.linkState(), LinkState::Offline);
  }
}

TEST(MasterIdentification, ACommandZeroReplyWithoutAnIdentityFindsNoDevice) {
  struct Case {
    const char* what;
    const char* reply;
  };
  const Case cases[] = {{"not implemented, no data", "FF FF FF 06 80 00 02 40 00 C4"},
                        {"two bytes of identity", "FF FF FF 06 80 00 04 00 00 FE 12 6E"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Master master;
    const std::uint32_t waiting = master.submit(1);
    (void)master.step(Millis{0});
    ASSERT_FALSE(master.step(kQuietTimeFsk).transmit.empty());
    const Step replied = master.step(kQuietTimeFsk + Millis{400}, Hex(c.reply));
    ASSERT_EQ(replied.completed.size(), 2U);
    EXPECT_EQ(replied.completed[0].outcome, Outcome::GarbledReply);
    EXPECT_EQ(replied.completed[1].id, waiting);
    EXPECT_EQ(replied.completed[1].outcome, Outcome::NoDevice);
    EXPECT_EQ(master.linkState(), LinkState::Offline);
    EXPECT_FALSE(master.identity());
  }
}

struct Fault {
  const char* what;
  std::vector<Act> script;
  Effect effect;
  Outcome outcome;
  std::size_t sends;  // of the command under test
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.what; }

constexpr auto kOnce = Effect::NotRepeatable;
constexpr auto kAgain = Effect::Repeatable;

const Fault kFaults[] = {
    // Repeatable commands: resent on silence, garble and communication errors.
    {"answered", {}, kAgain, Outcome::Replied, 1},
    {"one drop", {Act::Drop}, kAgain, Outcome::Replied, 2},
    {"dropped every time", {Act::Drop, Act::Drop, Act::Drop, Act::Drop}, kAgain, Outcome::NoReply, 4},
    {"one garbled reply", {Act::Corrupt}, kAgain, Outcome::Replied, 2},
    {"garbled every time", {Act::Corrupt, Act::Corrupt, Act::Corrupt, Act::Corrupt}, kAgain, Outcome::GarbledReply, 4},
    {"one communication error", {Act::CommError}, kAgain, Outcome::Replied, 2},
    {"communication errors every time",
     {Act::CommError, Act::CommError, Act::CommError, Act::CommError},
     kAgain,
     Outcome::CommunicationError,
     4},
    {"busy twice", {Act::Busy, Act::Busy}, kAgain, Outcome::Replied, 3},
    {"delayed response", {Act::DelayStarted, Act::DelayRunning}, kAgain, Outcome::Replied, 3},
    {"busy for ever", std::vector<Act>(kDefaultBusyResends + 1, Act::Busy), kAgain, Outcome::StillBusy,
     kDefaultBusyResends + 1},
    {"another device answers", {Act::OtherAddress}, kAgain, Outcome::Replied, 2},
    {"the other master's reply", {Act::OtherMaster}, kAgain, Outcome::Replied, 2},
    {"late reply taken during the resend", {Act::Late}, kAgain, Outcome::Replied, 2},
    {"reply begun in time finishes late", {Act::Slow}, kAgain, Outcome::Replied, 1},
    {"a slow garbled reply, then a slow one", {Act::SlowGarbled, Act::Slow}, kAgain, Outcome::Replied, 2},
    // Not repeatable: never again once the request may have reached the device.
    {"once: answered", {}, kOnce, Outcome::Replied, 1},
    {"once: dropped", {Act::Drop}, kOnce, Outcome::NotResent, 1},
    {"once: garbled reply", {Act::Corrupt}, kOnce, Outcome::NotResent, 1},
    {"once: late reply", {Act::Late}, kOnce, Outcome::NotResent, 1},
    {"once: another device answers", {Act::OtherAddress}, kOnce, Outcome::NotResent, 1},
    {"once: communication error, not acted on", {Act::CommError}, kOnce, Outcome::Replied, 2},
    {"once: busy, not acted on", {Act::Busy}, kOnce, Outcome::Replied, 2},
    {"once: delayed response collected", {Act::DelayStarted, Act::DelayRunning}, kOnce, Outcome::Replied, 3},
    {"once: communication error then silence", {Act::CommError, Act::Drop}, kOnce, Outcome::NotResent, 2},
};

class MasterFaults : public ::testing::TestWithParam<std::tuple<Fault, bool>> {};

TEST_P(MasterFaults, ResendsWhatIsSafeAndGivesUpInBounds) {
  const auto& [fault, echo] = GetParam();
  ScriptedLink link;
  link.echo = echo;
  link.identify();
  constexpr std::uint16_t kCommand = 130;  // device-specific: the caller's effect counts
  const std::uint32_t id = link.master.submit(kCommand, {0x01}, fault.effect);
  link.script.assign(fault.script.begin(), fault.script.end());
  link.run();
  ASSERT_EQ(link.done.size(), 1U);
  EXPECT_EQ(link.done[0].id, id);
  EXPECT_EQ(link.done[0].outcome, fault.outcome) << Describe(link.done[0].outcome);
  EXPECT_EQ(link.sentOf(kCommand), fault.sends);
  EXPECT_EQ(link.done[0].attempts, static_cast<int>(fault.sends));
  if (fault.outcome == Outcome::Replied) {
    EXPECT_EQ(ToHex(link.done[0].data), "20 41 A0 00 00");
  }
}

INSTANTIATE_TEST_SUITE_P(Link, MasterFaults, ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::Bool()));

TEST(MasterFaults, ASilentTransactionAfterAGarbledOneIsNoReply) {
  ScriptedLink link;
  link.identify();
  link.master.submit(1);
  link.master.submit(1);
  link.script.assign(1 + kDefaultRetries, Act::Corrupt);
  link.script.insert(link.script.end(), 1 + kDefaultRetries, Act::Drop);
  link.run();
  ASSERT_EQ(link.done.size(), 2U);
  EXPECT_EQ(link.done[0].outcome, Outcome::GarbledReply);
  EXPECT_EQ(link.done[1].outcome, Outcome::NoReply);
  EXPECT_EQ(link.done[1].attempts, 1 + kDefaultRetries);
}

TEST(MasterFaults, ARequestThatDoesNotFitIsRefusedWithoutUsingTheLine) {
  ScriptedLink link;
  link.identify();
  link.now += Millis{1000};
  const std::uint32_t tooLong = link.master.submit(130, Bytes(256, 0x00), Effect::NotRepeatable);
  link.master.submit(1);
  const Millis queuedAt = link.now;
  link.run();
  ASSERT_EQ(link.done.size(), 2U);
  EXPECT_EQ(link.done[0].id, tooLong);
  EXPECT_EQ(link.done[0].outcome, Outcome::InvalidRequest);
  EXPECT_EQ(link.done[0].attempts, 0);
  ASSERT_EQ(link.sent.size(), 1U);
  EXPECT_EQ(link.sent[0].at, queuedAt);  // the line was free, and still is
}

// A bare command 31 refusal answers an expanded command sent through 31, and
// is no answer to command 253 itself, which is sent again.
TEST(MasterExpanded, TheBareCommand31RefusalAnswersOnlyExpandedCommands) {
  struct Case {
    std::uint16_t command;
    Bytes data;
    std::size_t sends;
    int responseCode;
  };
  for (const Case& c : {Case{533, {0, 0, 0, 0, 0, 0, 1}, 1, 64}, Case{253, {}, 2, 0}}) {
    SCOPED_TRACE(c.command);
    ScriptedLink link;
    link.identify();
    link.master.submit(c.command, c.data);
    link.script = {Act::BareExpanded};
    link.run();
    ASSERT_EQ(link.sent.size(), c.sends);
    EXPECT_EQ(link.sent[0].frame.command, c.command);
    ASSERT_EQ(link.done.size(), 1U);
    EXPECT_EQ(link.done[0].outcome, Outcome::Replied);
    EXPECT_EQ(link.done[0].status.responseCode(), c.responseCode);
  }
}

}  // namespace
}  // namespace zolin6::hart
