#pragma once
// A test double for the line and the field device behind it: the device
// answers each request as its script says (answer, stay silent, garble the
// reply, answer late, busy, delayed, communication error, from another
// address, to the other master), the line can echo every request back, and
// a test can put anyone else's bytes on it. It keeps the time on a manual
// clock and runs the master until nothing is left to do. It fakes no bit
// timing: a reply arrives whole, or in two pieces when slow.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "hart/frame.h"
#include "hart/master.h"

namespace zolin6::hart::testing {

enum class Act {
  Answer,
  Drop,          // no reply at all
  Corrupt,       // a reply whose check byte fails
  Late,          // a good reply, after the master gave up waiting
  Busy,          // response code 32
  DelayStarted,  // response code 33
  DelayRunning,  // response code 34
  CommError,     // the device saw a check byte error in the request
  OtherAddress,  // a reply from another device
  OtherMaster,   // a reply carrying the secondary master's bit
  MoreStatus,    // an answer with "more status available"
  Slow,          // a reply that begins in time and ends after the reply timeout
  SlowGarbled,   // the same, with a check byte that fails
  BareExpanded,  // "not implemented" to command 31, without the number asked for
};

inline constexpr std::uint16_t kDeviceType = 0x1234;
inline constexpr std::uint32_t kDeviceId = 0x0A0B0C;
inline constexpr Millis kTurnaround{20};  // the device's time to answer
inline constexpr Millis kLateBy{400};     // past the reply timeout

struct Sent {
  Millis at;
  Bytes bytes;
  Frame frame;  // views `bytes` of the copy kept in the link
};

class ScriptedLink {
 public:
  explicit ScriptedLink(MasterSettings settings = {}) : master(settings), timing(settings.link) {}

  Master master;
  LinkTiming timing;  // the line's, as the master's
  Millis turnaround = kTurnaround;
  Millis now{0};
  std::uint8_t pollingAddress = 0;    // where the device answers command 0
  std::uint8_t requestPreambles = 7;  // what it asks of us in command 0
  std::uint8_t deviceStatus = 0;      // the field device status of every reply
  bool echo = false;                  // the modem returns our own request
  std::deque<Act> script;             // one act per request; Answer when empty
  std::deque<Sent> sent;              // every request the master sent, decoded
  std::vector<Completion> done;
  std::vector<HeardBurst> bursts;  // handed over by the master

  // Someone else's bytes, arriving in one piece at `at`.
  void inject(Millis at, Bytes bytes) { arrivals_.emplace(at, std::move(bytes)); }

  // Steps the master until it has nothing to send and nothing to wait for.
  void run() {
    for (int guard = 0; guard < 10000; ++guard) {
      Bytes inbox;
      const auto due = arrivals_.begin();
      if (due != arrivals_.end() && due->first <= now) {
        inbox = due->second;
        arrivals_.erase(due);
      }
      Step step = master.step(now, inbox);
      done.insert(done.end(), step.completed.begin(), step.completed.end());
      bursts.insert(bursts.end(), step.bursts.begin(), step.bursts.end());
      if (!step.transmit.empty()) hear(step.transmit);
      std::optional<Millis> next = step.wakeAt;
      if (!arrivals_.empty()) next = next ? std::min(*next, arrivals_.begin()->first) : arrivals_.begin()->first;
      if (!next) return;
      now = std::max(now, *next);
    }
  }

  // Has the master find the device, then forgets what that sent and did.
  void identify() {
    master.identify();
    run();
    ASSERT_EQ(master.linkState(), LinkState::Online);
    sent.clear();
    done.clear();
  }

  // When the device's answer to `request` has arrived, when it answers.
  Millis answeredAt(const Sent& request) const {
    return request.at + WireTime(timing, request.bytes.size()) + turnaround;
  }

  std::size_t sentOf(std::uint16_t command) const {
    return static_cast<std::size_t>(
        std::count_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.frame.command == command; }));
  }

 private:
  void hear(const Bytes& bytes) {
    sent.push_back({now, bytes, {}});
    Sent& request = sent.back();
    const auto delimiter =
        std::find_if(request.bytes.begin(), request.bytes.end(), [](std::uint8_t b) { return b != 0xFF; });
    request.frame = DecodeFrame(ByteView(&*delimiter, static_cast<std::size_t>(request.bytes.end() - delimiter))).frame;
    const Millis heardAt = now + WireTime(timing, bytes.size());
    if (echo) deliver(now + Millis{1}, bytes);
    const Act act = script.empty() ? Act::Answer : script.front();
    if (!script.empty()) script.pop_front();
    if (!request.frame.address.isLong && request.frame.address.polling != pollingAddress) return;
    if (act == Act::Drop) return;
    if (act == Act::Slow || act == Act::SlowGarbled) {
      const Bytes whole = reply(request.frame, act);
      deliver(heardAt + timing.replyTimeout - Millis{5}, Bytes(whole.begin(), whole.begin() + 6));
      deliver(heardAt + timing.replyTimeout + Millis{200}, Bytes(whole.begin() + 6, whole.end()));
      return;
    }
    deliver(heardAt + (act == Act::Late ? timing.replyTimeout + kLateBy : turnaround), reply(request.frame, act));
  }

  void deliver(Millis at, const Bytes& bytes) { arrivals_.emplace(at, bytes); }

  Bytes reply(const Frame& request, Act act) const {
    Frame answer;
    answer.type = FrameType::Reply;
    answer.address = request.address;
    answer.command = request.command;
    answer.status = {0, deviceStatus};
    Bytes data = request.command == 0 ? identifier() : Bytes{0x20, 0x41, 0xA0, 0x00, 0x00};
    if (act == Act::Busy) answer.status.first = 32;
    if (act == Act::DelayStarted) answer.status.first = 33;
    if (act == Act::DelayRunning) answer.status.first = 34;
    if (act == Act::CommError) answer.status.first = 0x88;
    if (act == Act::MoreStatus) answer.status.deviceStatus = 0x10;
    if (act == Act::OtherAddress) answer.address = Address::Unique({0x12, 0x34, 0x0A, 0x0B, 0x0D});
    if (act == Act::OtherMaster) answer.address.primaryMaster = false;
    if (act == Act::BareExpanded) {
      answer.command = 31;
      answer.status.first = 64;
    }
    if (answer.status.first != 0) data.clear();  // error replies carry no data
    answer.data = data;
    Bytes bytes;
    (void)EncodeFrame(answer, timing.wholeFrames ? 0 : 3, bytes);
    if (act == Act::Corrupt || act == Act::SlowGarbled) bytes[bytes.size() / 2] ^= 0x10;
    return bytes;
  }

  Bytes identifier() const {
    return {254, kDeviceType >> 8, kDeviceType & 0xFF,      requestPreambles, 7, 1, 1, 8,
            0,   kDeviceId >> 16,  (kDeviceId >> 8) & 0xFF, kDeviceId & 0xFF};
  }

  std::multimap<Millis, Bytes> arrivals_;  // what the master will receive, by time, one piece a step
};

}  // namespace zolin6::hart::testing
