#pragma once
// A bad line between the device and its master, on purpose: a share of the
// device's reply frames never arrives, a share arrives with one byte
// flipped, and every reply may come late. One seeded random stream decides
// frame by frame, so a run with the same seed meets the same faults. Pure:
// the serving side (HART-IP server, pseudo-terminal, in-process line) asks
// for a decision per reply frame and carries it out.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string_view>

#include "device/device_time.h"
#include "hart/bytes.h"
#include "platform/result.h"

namespace zolin6::device {

// A seed for runs that name none: the same faults every time.
inline constexpr std::uint64_t kDefaultFaultSeed = 1;
// Longer than any master waits for a reply; past it a delay is a drop.
inline constexpr Millis kLongestFaultDelay = 60000;

struct FaultRates {
  double drop = 0;     // share of reply frames that never leave, 0 to 1
  double corrupt = 0;  // share of reply frames with one byte flipped, 0 to 1 - drop
  Millis delay = 0;    // every reply leaves this much later, ms
  std::uint64_t seed = kDefaultFaultSeed;
};

// Reads "drop=P,corrupt=P[,delay=MS][,seed=N]": names in any order, each at
// most once, at least one given. The error names the part that is wrong.
Result<FaultRates> ParseFaultRates(std::string_view text);

// What happens to one reply frame.
struct FaultDecision {
  bool drop = false;          // the frame never leaves
  std::size_t corruptAt = 0;  // the byte flipped, counted from the frame's first byte
  std::uint8_t mask = 0;      // XORed into that byte; 0 leaves the frame whole
  Millis delay = 0;           // how much later than usual the frame leaves, ms
};

class LineFaults {
 public:
  explicit LineFaults(const FaultRates& rates);

  const FaultRates& rates() const { return rates_; }
  // The decision for the next reply frame of `frameSize` bytes.
  FaultDecision next(std::size_t frameSize);

 private:
  FaultRates rates_;
  std::mt19937_64 random_;
};

// Carries out `decision` on `frame` (from its delimiter): false when the
// frame is dropped, else the frame as it leaves, perhaps with a byte flipped.
bool ApplyFault(const FaultDecision& decision, hart::Bytes& frame);

// The next decision carried out on a reply as a serial line carries it,
// preambles first: the line damages the frame, never the preambles. Nullopt
// when the reply is dropped, else how much later than usual it leaves.
std::optional<Millis> ApplyToSerialReply(LineFaults& faults, hart::Bytes& reply);

}  // namespace zolin6::device
