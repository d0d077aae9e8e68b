#pragma once
// What one command handler works on: the request's data bytes, a copy of
// the device state it may change (kept only when the command answers 0),
// what the device measures now, and the reply it writes. Handlers return
// the response code; the device adds the status bytes and the framing.

#include <cmath>
#include <cstdint>

#include "device/device_model.h"
#include "device/process_simulation.h"
#include "hart/bytes.h"
#include "hart/encoding.h"

namespace zolin6::device {

// Response codes with the meaning this device gives them.
namespace code {
inline constexpr std::uint8_t kOk = 0;
inline constexpr std::uint8_t kInvalidSelection = 2;
inline constexpr std::uint8_t kTooLarge = 3;
inline constexpr std::uint8_t kTooSmall = 4;
inline constexpr std::uint8_t kTooFewBytes = 5;
inline constexpr std::uint8_t kWriteProtected = 7;
inline constexpr std::uint8_t kAdjusted = 8;  // a warning: carried out with values the device adjusted
inline constexpr std::uint8_t kTooHigh = 9;   // also 38's "counter differs"
inline constexpr std::uint8_t kTooLow = 10;
inline constexpr std::uint8_t kNotPossible = 11;
inline constexpr std::uint8_t kInvalidMode = 12;
inline constexpr std::uint8_t kInvalidBurstMessage = 9;  // burst commands: no such message
inline constexpr std::uint8_t kBadTriggerClass = 11;     // 104
inline constexpr std::uint8_t kBadTriggerUnits = 12;     // 104
inline constexpr std::uint8_t kTriggerNotAllowed = 13;   // 104: not with the message's command
inline constexpr std::uint8_t kFirstSlotUnused = 19;     // 107: the first slot must name a variable
inline constexpr std::uint8_t kSpanTooSmall = 14;        // a warning: the reply carries data
inline constexpr std::uint8_t kInvalidSpan = 29;
inline constexpr std::uint8_t kBusy = 32;
inline constexpr std::uint8_t kNotImplemented = 64;
}  // namespace code

struct Exchange {
  Exchange(hart::ByteView data, DeviceState& changed, const Measurements& now_measured, const ProcessSimulation& inputs,
           Millis at)
      : request(data), state(changed), measured(now_measured), process(inputs), now(at) {}

  hart::ByteView request;            // the request's data field, at least the row's size
  DeviceState& state;                // the state the command changes
  const Measurements& measured;      // the process at this moment
  const ProcessSimulation& process;  // raw inputs, for the trims
  Millis now;                        // ms, for time stamps
  hart::Bytes reply;                 // the reply's data field after the status bytes
  bool restart = false;              // the device restarts after replying (42, 151)
  bool silent = false;               // the request is not for this device (11, 21 by tag)

  std::uint32_t u8(std::size_t at) const { return request[at]; }
  std::uint32_t unsignedAt(std::size_t at, std::size_t size) const {
    return hart::ReadUnsigned(request.subspan(at), size);
  }
  float f32(std::size_t at) const { return hart::ReadFloat(request.subspan(at)); }
  // Echoes the first `size` request bytes, as most writes reply.
  void echo(std::size_t size) { reply.assign(request.begin(), request.begin() + static_cast<long>(size)); }
  void put8(std::uint32_t value) { hart::AppendUnsigned(reply, value, 1); }
  void put16(std::uint32_t value) { hart::AppendUnsigned(reply, value, 2); }
  void put24(std::uint32_t value) { hart::AppendUnsigned(reply, value, 3); }
  void put32(std::uint32_t value) { hart::AppendUnsigned(reply, value, 4); }
  void putF(float value) { hart::AppendFloat(reply, value); }
  // A value the device has or the HART "no value".
  void putF(const std::optional<float>& value) { putF(value ? *value : hart::NotANumber()); }
};

// A request number the device can take: NaN and infinities are refused with 2.
inline bool Finite(float value) { return std::isfinite(value); }

using Handler = std::uint8_t (*)(Exchange&);

}  // namespace zolin6::device
