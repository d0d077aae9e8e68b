#pragma once
// The two status bytes at the head of every reply. The first is either a
// response code (bit 7 clear) or, with bit 7 set, the communication errors
// the device saw in our request; the second is the field device status.

#include <cstdint>
#include <string>

namespace zolin6::hart {

// Bits of the first status byte when bit 7 is set: what the device found
// wrong with the request it received. It did not act on that request.
namespace comm_error {
inline constexpr std::uint8_t kFlag = 0x80;                // the byte is a communication error
inline constexpr std::uint8_t kVerticalParity = 0x40;      // a character's parity bit was wrong
inline constexpr std::uint8_t kOverrun = 0x20;             // a character was lost in the UART
inline constexpr std::uint8_t kFraming = 0x10;             // a stop bit was missing
inline constexpr std::uint8_t kLongitudinalParity = 0x08;  // the check byte did not match
inline constexpr std::uint8_t kBufferOverflow = 0x02;      // the request did not fit the device's buffer
}  // namespace comm_error

// Bits of the field device status byte.
namespace device_status {
inline constexpr std::uint8_t kMalfunction = 0x80;            // the device found a fault in itself
inline constexpr std::uint8_t kConfigurationChanged = 0x40;   // reset with command 38
inline constexpr std::uint8_t kColdStart = 0x20;              // power-up or reset since last asked
inline constexpr std::uint8_t kMoreStatusAvailable = 0x10;    // read it with command 48
inline constexpr std::uint8_t kLoopCurrentFixed = 0x08;       // the output does not follow the process
inline constexpr std::uint8_t kLoopCurrentSaturated = 0x04;   // the output is at its limit
inline constexpr std::uint8_t kNonPrimaryOutOfLimits = 0x02;  // a variable other than PV is out of limits
inline constexpr std::uint8_t kPrimaryOutOfLimits = 0x01;     // PV beyond the sensor's limits
}  // namespace device_status

// Response codes with a meaning shared by every command (8 to 15 vary per command).
namespace response_code {
inline constexpr std::uint8_t kSuccess = 0;
inline constexpr std::uint8_t kInvalidSelection = 2;
inline constexpr std::uint8_t kTooFewDataBytes = 5;
inline constexpr std::uint8_t kResponseTruncated = 30;  // a warning: the data is shorter than asked
inline constexpr std::uint8_t kBusy = 32;
inline constexpr std::uint8_t kDelayedResponseInitiated = 33;
inline constexpr std::uint8_t kDelayedResponseRunning = 34;
inline constexpr std::uint8_t kDelayedResponseDead = 35;
inline constexpr std::uint8_t kDelayedResponseConflict = 36;
inline constexpr std::uint8_t kCommandNotImplemented = 64;
}  // namespace response_code

struct ReplyStatus {
  std::uint8_t first = 0;         // response code, or communication errors with bit 7 set
  std::uint8_t deviceStatus = 0;  // device_status bits

  bool communicationError() const { return (first & comm_error::kFlag) != 0; }
  // Meaningful only without a communication error.
  std::uint8_t responseCode() const { return first; }
  bool has(std::uint8_t deviceStatusBit) const { return (deviceStatus & deviceStatusBit) != 0; }
  // An error reply carries no data; success and warnings do.
  bool isError() const;
  // Busy or a delayed response: the device wants the same request again later.
  bool asksToResend() const;
  friend bool operator==(const ReplyStatus&, const ReplyStatus&) = default;
};

// Errors and warnings by the list shared by all commands: warnings are 8,
// 14, 24 to 27, 30, 31 and 96 and above; every other non-zero code is an error.
bool IsErrorCode(std::uint8_t responseCode);

// "response code 32", "communication error: check byte, overrun", for logs.
std::string Describe(const ReplyStatus& status);

}  // namespace zolin6::hart
