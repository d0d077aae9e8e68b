#pragma once
// The client side of one HART-IP session, without sockets: it opens the
// session with our inactivity timer, uses whatever timer the device grants,
// keeps the session alive when idle, carries one HART frame at a time in a
// pass-through request and matches every response to its request by
// sequence number. The transport hands it the messages that arrived and the
// time, and sends what it hands back.

#include <cstdint>
#include <optional>
#include <string>

#include "hart/bytes.h"
#include "hart/hart_ip.h"
#include "hart/link_timing.h"

namespace zolin6::hart::ip {

// A minute: a device whose client vanished frees its session (devices keep
// only a few) within a minute, and a keep-alive every half minute costs
// nothing. Well under the ten minutes some clients ask.
inline constexpr std::uint32_t kAskedInactivityMs = 60000;
// How long a session initiate, keep-alive or close may take to be answered.
inline constexpr Millis kControlReplyTimeout{3000};
// A pass-through is given up after this long at most, and no later than a
// keep-alive falls due, so a silent device never starves the keep-alive.
inline constexpr Millis kPassThroughGiveUp{10000};

enum class Framing : std::uint8_t {
  Datagram,  // UDP: a response with another sequence number is a late duplicate, dropped
  Stream,    // TCP: responses come in order, so another sequence number is a protocol error
};

enum class SessionState : std::uint8_t { Closed, Initiating, Open };

// What one call asks of the transport.
struct SessionStep {
  Bytes transmit;              // one whole message to send now, or nothing
  std::optional<Bytes> reply;  // a HART reply frame (without preambles) for the master
  bool changed = false;        // the state changed; `reason` says how
  std::string reason;
};

class ClientSession {
 public:
  explicit ClientSession(Framing framing, std::uint32_t askedInactivityMs = kAskedInactivityMs);

  SessionState state() const { return state_; }
  // The timer the device granted; 0 before the session is open.
  std::uint32_t grantedInactivityMs() const { return granted_; }
  // Whether a frame waits for the session to open.
  bool hasWaitingFrame() const { return waiting_.has_value(); }

  // Starts a session; the transport has just connected (TCP) or bound (UDP).
  SessionStep open(Millis now);
  // One request frame from the master, without preambles. It goes out now
  // when the session is open and idle, else it waits (replacing a frame
  // that waited, which the master has given up on).
  SessionStep submit(ByteView frame, Millis now);
  // A message the device sent.
  SessionStep receive(const Message& message, Millis now);
  // Keep-alives and timeouts; call at wakeAt().
  SessionStep poll(Millis now);
  // When poll() has work, or nullopt.
  std::optional<Millis> wakeAt() const;
  // Ends the session politely: the close message, sent without waiting.
  SessionStep close(Millis now);
  // The transport lost the connection, or could not make one.
  SessionStep lost(const std::string& reason);

 private:
  struct InFlight {
    MessageId id;
    std::uint16_t sequence;
    Millis sentAt;
  };

  SessionStep send(MessageId id, Bytes body, Millis now);
  SessionStep sendWaiting(Millis now);
  SessionStep end(std::string reason);
  SessionStep onResponse(const Message& message, Millis now);
  SessionStep onInitiated(const Message& message, Millis now);
  Millis giveUpAt(const InFlight& request) const;

  Framing framing_;
  std::uint32_t asked_;
  std::uint32_t granted_ = 0;
  SessionState state_ = SessionState::Closed;
  std::uint16_t nextSequence_ = 1;
  std::optional<InFlight> inFlight_;
  std::optional<std::uint16_t> abandoned_;  // a pass-through given up on; its late answer is dropped
  bool lastUnanswered_ = false;             // the last pass-through got no answer
  std::optional<Bytes> waiting_;
  Millis lastSent_{0};
};

}  // namespace zolin6::hart::ip
