#pragma once
// The primary master: one transaction at a time with one field device,
// written without I/O. The caller hands it the time and the bytes that
// arrived; it hands back the bytes to send and when it wants to be called
// again. A transport adapter drives it from a serial port or a HART-IP
// socket; tests drive it on a manual clock.
//
// It finds the device with command 0 in a short frame (polling address 0,
// or every address from 0 to 63), or in a long frame to a unique address
// known beforehand (a device behind an I/O system), then talks to it in long frames with its
// unique address and the preamble count it asked for. It resends on no
// reply or a communication error, waits and resends while the device is
// busy or working on a delayed response, and reads command 48 when the
// device's status says there is more to read. A command that is not
// repeatable is never sent again once it may have reached the device.
//
// On a serial line it hears everything (its own echo, the other master,
// bursting devices) and starts a request only when the line is its turn
// (line_arbiter.h). Burst frames heard are handed to the caller.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "hart/bytes.h"
#include "hart/frame.h"
#include "hart/layout.h"
#include "hart/line_arbiter.h"
#include "hart/link_timing.h"
#include "hart/receiver.h"
#include "hart/record.h"
#include "hart/status.h"

namespace zolin6::hart {

// Resends after no reply or a communication error; a polling scan tries
// each address as often.
inline constexpr int kDefaultRetries = 3;
// Busy and delayed responses: resent after a wait that starts here (or at
// the link's quiet time, if longer) and doubles up to the longest, at most
// kDefaultBusyResends times: 100 + 200 + 400 + 800 + 4 x 1600 ms = 7.9 s of
// waiting, within kBusyWaitBudget, besides the line time of nine requests.
inline constexpr Millis kFirstBusyWait{100};
inline constexpr Millis kLongestBusyWait{1600};
inline constexpr int kDefaultBusyResends = 8;
inline constexpr Millis kBusyWaitBudget{8000};
// While "more status available" stays set and the status byte stays the
// same, command 48 is read again at most this often.
inline constexpr Millis kMoreStatusRepeat{60000};

// The wait after a busy wait of `wait`: twice as long, up to the longest.
constexpr Millis NextBusyWait(Millis wait) { return std::min(wait * 2, kLongestBusyWait); }

// All the waits of `resends` busy resends, the first `first` long.
constexpr Millis BusyWaits(int resends, Millis first) {
  Millis total{0};
  for (Millis wait = first; resends > 0; --resends, wait = NextBusyWait(wait)) total += wait;
  return total;
}
static_assert(BusyWaits(kDefaultBusyResends, kFirstBusyWait) <= kBusyWaitBudget);

// The longest a request of `requestBytes` bytes to a silent device takes to
// end NoReply, from the end of the transaction before it: 1 + `retries`
// tries of the request's wire time, the reply timeout and the quiet time.
// Only the first try waits the quiet time; the others follow a timeout a
// millisecond on, so this holds for any quiet time of 1 ms or more.
constexpr Millis NoReplyBudget(const LinkTiming& link, std::size_t requestBytes, int retries) {
  return (1 + retries) * (WireTime(link, requestBytes) + link.replyTimeout + link.quietTime);
}

struct MasterSettings {
  LinkTiming link = kFskTiming;
  int retries = kDefaultRetries;          // resends after no reply or a communication error
  int busyResends = kDefaultBusyResends;  // resends while busy or on a delayed response; 0: none
  bool scanPollingAddresses = false;      // look for the device at 0..63 instead of `pollingAddress` alone
  std::uint8_t pollingAddress = 0;        // where to look when not scanning
  // Look for the device by command 0 in a long frame to this address
  // instead of short frames; the polling address settings are then unused.
  std::optional<Address> identifyAt = std::nullopt;
  bool readMoreStatus = true;  // send command 48 when the device has more status
};

enum class LinkState : std::uint8_t {
  Offline,      // no device known; a submitted command starts identification
  Identifying,  // command 0 in short frames, or long-framed to MasterSettings::identifyAt
  Online,       // the unique address is known; commands go in long frames
};

// What command 0 told us about the device.
struct Identity {
  std::uint8_t pollingAddress = 0;   // where it answered; 0 when found by its unique address
  Address address;                   // its unique address for long frames
  std::size_t requestPreambles = 0;  // the preambles it needs from us
  Record identifier;                 // every field of its command 0 reply
};

enum class Outcome : std::uint8_t {
  Replied,             // the device answered; see status for its response code
  NoReply,             // nothing valid heard after every try
  GarbledReply,        // only broken frames heard after every try
  CommunicationError,  // the device reported errors in our request after every try
  StillBusy,           // busy or delayed after every allowed resend
  NotResent,           // not repeatable and no reply: it may or may not have acted
  NoDevice,            // no device answered command 0, so this was never sent
  InvalidRequest,      // the data does not fit a frame, so this was never sent
};

const char* Describe(Outcome outcome);

struct Completion {
  std::uint32_t id = 0;  // from submit(); 0 for the master's own commands 0 and 48
  std::uint16_t command = 0;
  Outcome outcome = Outcome::NoReply;
  ReplyStatus status;  // of the reply, when there was one
  Bytes data;          // the reply's data after the status bytes
  int attempts = 0;    // requests sent for it
};

// A frame a device in burst mode published, as heard.
struct HeardBurst {
  Millis at;    // when its last byte arrived
  Frame frame;  // address, command and status; its data is in `data`, not frame.data
  Bytes data;   // after the status bytes
};

struct Step {
  Bytes transmit;                     // send these bytes now; empty: nothing to send
  std::optional<Millis> wakeAt;       // call step() at this moment at the latest; none: only when bytes arrive
  std::vector<Completion> completed;  // transactions that ended in this call
  std::vector<HeardBurst> bursts;     // burst frames heard in this call, in order
};

class Master {
 public:
  explicit Master(MasterSettings settings = {});

  // Queues a command with the data of its request and returns its id. The
  // second form takes the effect from the command tables; a device-specific
  // command that must not be sent twice needs the first.
  std::uint32_t submit(std::uint16_t command, Bytes data, Effect effect);
  std::uint32_t submit(std::uint16_t command, Bytes data = {});
  // Looks for the device now, even with nothing queued.
  void identify();
  // Forgets the device; the next command identifies it again. A transaction
  // under way ends as it would have.
  void forgetDevice();
  // The device answers at another polling address from now on (a command 6
  // moved it): the next identification looks for it there.
  void movePollingAddress(std::uint8_t address) { settings_.pollingAddress = address; }

  // Takes the time and what arrived since the last call, and says what to do.
  // Call it after submit() too: that is when the request goes out. On a link
  // of whole frames (LinkTiming::wholeFrames) `received` is one frame, as
  // stepFrame() takes it.
  Step step(Millis now, ByteView received = {});
  // Takes one whole frame from a link that delivers frames (HART-IP), from
  // its delimiter; preambles in front are skipped. Empty: only the time.
  Step stepFrame(Millis now, ByteView frame);

  LinkState linkState() const { return linkState_; }
  LineState lineState(Millis now) const { return line_.state(now); }
  const std::optional<Identity>& identity() const { return identity_; }

 private:
  enum class Phase : std::uint8_t { Idle, AwaitingReply, WaitingToResend };
  enum class Origin : std::uint8_t { Caller, Identification, MoreStatus };

  struct Transaction {
    std::uint32_t id = 0;
    std::uint16_t command = 0;
    Bytes data;
    Effect effect = Effect::Repeatable;
    Origin origin = Origin::Caller;
  };

  void hearBytes(Millis now, ByteView received, Step& step);
  void noteReplyBegun(Millis now);
  void hearFrame(Millis now, const Frame& frame, Step& step);
  Heard classify(const Frame& frame) const;
  bool expectsFrom(const Frame& frame) const;
  void advance(Millis now, Step& step);
  Millis earliestStart(Millis now) const;
  void onReply(Millis now, const Frame& frame, Step& step);
  void onCommunicationError(Millis now, const Frame& frame, Step& step);
  void onResendAsked(Millis now, const Frame& frame, Step& step);
  void waitToResend(Millis now, Millis notBefore);
  void onTimeout(Millis now, Step& step);
  void resendUnanswered(Millis now, Step& step);
  bool onIdentified(const Frame& frame);
  void queueMoreStatus(Millis now, const Frame& reply);
  void finish(Millis now, Outcome outcome, const Frame* reply, Step& step);
  void failQueue(Step& step);
  bool hasWork() const;
  bool takeNext();
  void send(Millis now, Step& step);
  std::size_t preambles() const;
  std::optional<Millis> wakeAt(Millis now) const;

  MasterSettings settings_;
  Receiver receiver_;  // hears every frame: the master sorts echo, replies, bursts and the other master
  LineArbiter line_;
  LinkState linkState_ = LinkState::Offline;
  std::optional<Identity> identity_;
  std::deque<Transaction> queue_;
  std::uint32_t nextId_ = 1;
  bool identifyRequested_ = false;

  Phase phase_ = Phase::Idle;
  Transaction current_;
  Address target_;                   // where the current request goes, fixed for its transaction
  std::uint8_t pollingAddress_ = 0;  // polled by the current identification
  int attempts_ = 0;                 // requests sent for the current transaction
  int retriesUsed_ = 0;              // resends after no reply or a communication error
  int busyResends_ = 0;
  Millis busyWait_{0};
  bool replyBegun_ = false;           // a reply began since the last request
  bool heardGarble_ = false;          // a broken reply since the last request
  Millis requestLeftAt_{0};           // when the last byte of our request has left
  Millis deadline_{0};                // the reply timeout: a reply must begin by then
  Millis notBefore_ = Millis::min();  // no request before this (a busy wait)

  // What the device's status byte said, for command 48.
  std::optional<std::uint8_t> lastDeviceStatus_;
  std::optional<Millis> moreStatusReadAt_;  // when command 48 was last queued
};

}  // namespace zolin6::hart
