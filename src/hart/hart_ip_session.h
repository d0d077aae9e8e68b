#pragma once
// The client side of one HART-IP session, without sockets: it opens the
// session with our inactivity timer, uses whatever timer the device grants,
// carries one HART frame at a time in a pass-through request and matches
// every response to its request by sequence number. It keeps asking
// whether the device is still there: a keep-alive after a few quiet
// seconds, and after a pass-through that goes unanswered, so a device that
// is gone shows within five seconds. Over UDP a session message whose
// datagram is lost is sent again. The transport hands it the messages that
// arrived and the time, and sends what it hands back.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "hart/bytes.h"
#include "hart/hart_ip.h"
#include "hart/link_timing.h"

namespace zolin6::hart::ip {

// A minute: a device whose client vanished frees its session (devices keep
// only a few) within a minute. Well under the ten minutes some clients ask.
inline constexpr std::uint32_t kAskedInactivityMs = 60000;
// How long one try of a session message (initiate, keep-alive, close)
// waits for its answer; a device answers these itself, at once.
inline constexpr Millis kControlTryTimeout{600};
// Tries of a session message over UDP, where a datagram may be lost. TCP
// sends it once and waits as long as all the tries would.
inline constexpr int kControlTries = 3;
// A pass-through unanswered this long is given up and a keep-alive asks
// whether the device is still there. Longer than a gateway's own FSK
// transaction with its retries; a late answer still reaches the master
// while the master has sent nothing newer.
inline constexpr Millis kPassThroughGiveUp{3000};
// With nothing under way, a keep-alive after this long without a word from
// the device (or half the granted timer, when that is shorter). With the
// give-up above, a device that is gone shows within
// 3 s + kControlTries x kControlTryTimeout = 4.8 s.
inline constexpr Millis kIdleProbe{3000};
// How long TLS may take to agree once a secure session is initiated.
inline constexpr Millis kSecuringTimeout{5000};
// Abandoned pass-through numbers remembered: their late answers are
// dropped, where an answer to a number never sent ends a TCP session.
inline constexpr std::size_t kAbandonedKept = 8;

enum class Framing : std::uint8_t {
  Datagram,  // UDP: a response with another sequence number is a late duplicate, dropped
  Stream,    // TCP: responses come in order, so an unknown sequence number is a protocol error
};

enum class SessionState : std::uint8_t {
  Closed,
  Initiating,
  Securing,  // a secure session is initiated; TLS is being agreed on the connection
  Open,
  Closing,  // UDP: the close is sent again until it is answered; ended as far as the user knows
};

// What one call asks of the transport.
struct SessionStep {
  Bytes transmit;              // one whole message to send now, or nothing
  std::optional<Bytes> reply;  // a HART reply or published burst frame (without preambles) for the master
  bool changed = false;        // the state changed; `reason` says how
  std::string reason;
  std::string notice;  // news for the user that changes no state ("status 6: ...")
  // A secure session was granted: TLS starts on the connection now, before
  // anything else is sent or read, and secured() follows when it is up.
  bool startSecurity = false;
  // The answer (its body) to a request asked with ask(), or that none will
  // come: refused, given up on, or lost with the session.
  std::optional<Bytes> answer;
  bool answerLost = false;
};

class ClientSession {
 public:
  // `version`: kSecureVersion asks for a secure session and takes nothing
  // less; the transport then runs TLS when told (SessionStep::startSecurity).
  explicit ClientSession(Framing framing, std::uint32_t askedInactivityMs = kAskedInactivityMs,
                         std::uint8_t version = kVersion);

  SessionState state() const { return state_; }
  std::uint8_t version() const { return version_; }
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
  // Whether a request of version 2's own (a direct PDU: several commands
  // in one message; a read of the audit log) can go now: the session is
  // open, secure and idle.
  bool canAsk() const;
  // Sends one; its answer comes as `answer`, or `answerLost`, within the
  // time a pass-through is given.
  SessionStep ask(MessageId id, Bytes body, Millis now);
  // TLS is up on the connection: the session opens.
  SessionStep secured(Millis now);
  // A message the device sent.
  SessionStep receive(const Message& message, Millis now);
  // Keep-alives, resends and timeouts; call at wakeAt().
  SessionStep poll(Millis now);
  // When poll() has work, or nullopt.
  std::optional<Millis> wakeAt() const;
  // Ends the session politely with the close message: over TCP without
  // waiting, over UDP Closing until it is answered or its tries run out.
  SessionStep close(Millis now);
  // The transport lost the connection, or could not make one.
  SessionStep lost(const std::string& reason);

 private:
  struct InFlight {
    MessageId id;
    std::uint16_t sequence;
    Millis sentAt;  // of the latest try
    int tries = 1;
    Bytes message;  // as sent, for another try
  };

  SessionStep send(MessageId id, Bytes body, Millis now);
  SessionStep sendWaiting(Millis now);
  SessionStep end(std::string reason);
  SessionStep onUnawaited(const Message& message);
  SessionStep onResponse(const Message& message, Millis now);
  SessionStep onInitiated(const Message& message, int tries, Millis now);
  SessionStep opened(Millis now);
  SessionStep onTimeout(Millis now);
  // Gives up on the request under way (a pass-through or a direct PDU):
  // its late answer is dropped.
  void abandonRequest();
  bool wasAbandoned(std::uint16_t sequence) const;
  Millis deadline(const InFlight& request) const;
  Millis idleProbe() const;

  Framing framing_;
  std::uint32_t asked_;
  std::uint8_t version_;
  std::uint32_t granted_ = 0;
  SessionState state_ = SessionState::Closed;
  std::uint16_t nextSequence_ = 1;
  std::optional<InFlight> inFlight_;
  std::deque<std::uint16_t> abandoned_;             // given up on; their late answers are dropped
  std::optional<std::uint16_t> latestPassThrough_;  // the master has sent nothing since; it waits for this answer
  bool lastUnanswered_ = false;                     // the last pass-through got no answer
  std::optional<Bytes> waiting_;
  Millis lastHeard_{0};      // the device's latest message
  Millis securingSince_{0};  // when TLS began to be agreed
};

}  // namespace zolin6::hart::ip
