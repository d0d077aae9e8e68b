#pragma once
// The timing of the links a master talks over: a Bell-202 FSK modem at
// 1200 bit/s, where every byte takes 11 bits on the wire, a device has a
// fixed time to start answering and the line is shared with a second master
// and a device in burst mode; and HART-IP, where frames arrive whole and a
// gateway may take as long as its own FSK transaction.

#include <chrono>
#include <cstddef>

namespace zolin6::hart {

using Millis = std::chrono::milliseconds;
using Micros = std::chrono::microseconds;

// FSK: start, 8 data, parity and stop bit at 1200 bit/s.
inline constexpr Micros kCharacterTimeFsk{9167};
// RT1 of a primary master: how long after its request the reply must begin,
// the device's 256 ms plus five characters.
inline constexpr Millis kReplyTimeoutFsk{305};
// RT2: how long the line must be quiet after someone else's transaction, or
// after our own, before we start a request, so that the other master or a
// bursting device gets its turn.
inline constexpr Millis kQuietTimeFsk{75};
// HOLD: a master handed the line (the other master's reply, a burst frame
// for the other master) may start at once and keeps that turn this long.
inline constexpr Millis kHoldTimeFsk{20};
// BT: a device in burst mode publishes this long after the end of its own
// reply, before the master's quiet time (RT2) has passed.
inline constexpr Millis kBurstTimeFsk{73};
// Preambles before the first command 0: more than most devices need, since
// we do not know yet what this one needs.
inline constexpr std::size_t kPollPreamblesFsk = 20;
// Never fewer than this, whatever the device says it needs.
inline constexpr std::size_t kMinimumPreamblesFsk = 5;
// A device sends 5 to 20 preambles before its reply (command 59).
inline constexpr std::size_t kMostReplyPreambles = 20;

// HART-IP: a gateway answers after its own FSK transaction and retries.
inline constexpr Millis kReplyTimeoutHartIp{5000};

struct LinkTiming {
  Micros characterTime{0};           // one byte on the wire; 0 when it takes no time
  Millis replyTimeout{0};            // RT1: from the end of our request to the first byte of the reply
  Millis quietTime{0};               // RT2: quiet line before our next request
  Millis holdTime{0};                // HOLD: how long a turn handed to us lasts
  std::size_t pollPreambles = 0;     // preambles before the device has told us its need
  std::size_t minimumPreambles = 0;  // the fewest preambles we send; 0 sends none at all
  // Each arrival is one whole frame without preambles (HART-IP); the other
  // end owns the line, so nothing else is heard and no turn is waited for.
  bool wholeFrames = false;
};

inline constexpr LinkTiming kFskTiming{kCharacterTimeFsk, kReplyTimeoutFsk,     kQuietTimeFsk, kHoldTimeFsk,
                                       kPollPreamblesFsk, kMinimumPreamblesFsk, false};
// HART-IP carries frames without preambles.
inline constexpr LinkTiming kHartIpTiming{Micros{0}, kReplyTimeoutHartIp, Millis{0}, Millis{0}, 0, 0, true};

// How long `bytes` bytes take on the wire, rounded up to whole milliseconds.
constexpr Millis WireTime(const LinkTiming& link, std::size_t bytes) {
  return std::chrono::ceil<Millis>(link.characterTime * static_cast<long long>(bytes));
}

}  // namespace zolin6::hart
