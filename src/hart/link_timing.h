#pragma once
// The timing of the two links a master talks over: a Bell-202 FSK modem at
// 1200 bit/s, where every byte takes 11 bits on the wire and a device has a
// fixed time to start answering, and HART-IP, where frames arrive whole and
// a gateway may take as long as its own FSK transaction.

#include <chrono>
#include <cstddef>

namespace zolin6::hart {

using Millis = std::chrono::milliseconds;
using Micros = std::chrono::microseconds;

// FSK: start, 8 data, parity and stop bit at 1200 bit/s.
inline constexpr Micros kCharacterTimeFsk{9167};
// A primary master waits this long after its request for the reply to begin:
// the device's 256 ms plus five characters.
inline constexpr Millis kReplyTimeoutFsk{305};
// The line stays quiet this long after a transaction before the next request,
// so a secondary master or a bursting device gets its turn.
inline constexpr Millis kQuietTimeFsk{75};
// Preambles before the first command 0: more than most devices need, since
// we do not know yet what this one needs.
inline constexpr std::size_t kPollPreamblesFsk = 20;
// Never fewer than this, whatever the device says it needs.
inline constexpr std::size_t kMinimumPreamblesFsk = 5;

// HART-IP: a gateway answers after its own FSK transaction and retries.
inline constexpr Millis kReplyTimeoutHartIp{5000};

struct LinkTiming {
  Micros characterTime{0};           // one byte on the wire; 0 when frames arrive whole
  Millis replyTimeout{0};            // from the end of our request to the start of the reply
  Millis quietTime{0};               // between the end of a transaction and our next request
  std::size_t pollPreambles = 0;     // preambles before the device has told us its need
  std::size_t minimumPreambles = 0;  // the fewest preambles we send; 0 sends none at all
};

inline constexpr LinkTiming kFskTiming{kCharacterTimeFsk, kReplyTimeoutFsk, kQuietTimeFsk, kPollPreamblesFsk,
                                       kMinimumPreamblesFsk};
// HART-IP carries frames without preambles.
inline constexpr LinkTiming kHartIpTiming{Micros{0}, kReplyTimeoutHartIp, Millis{0}, 0, 0};

// How long `bytes` bytes take on the wire, rounded up to whole milliseconds.
constexpr Millis WireTime(const LinkTiming& link, std::size_t bytes) {
  return std::chrono::ceil<Millis>(link.characterTime * static_cast<long long>(bytes));
}

}  // namespace zolin6::hart
