#pragma once
// One HART data-link frame: delimiter, address, expansion bytes, command,
// byte count, data and check byte. The encoder writes preambles and the
// frame; the decoder reads a whole frame that starts at its delimiter, as a
// HART-IP pass-through message carries it. The stream receiver
// (receiver.h) finds frames between preambles on a serial line.

#include <array>
#include <cstddef>
#include <cstdint>

#include "hart/bytes.h"
#include "hart/status.h"
#include "platform/result.h"

namespace zolin6::hart {

// The frame type in the low three bits of the delimiter.
enum class FrameType : std::uint8_t {
  Burst = 1,    // BACK: a device in burst mode publishing on its own
  Request = 2,  // STX: master to device
  Reply = 6,    // ACK: device to master
};

// Command numbers above this one travel inside command 31.
inline constexpr std::uint16_t kLargestOneByteCommand = 253;
inline constexpr std::uint8_t kExpandedCommand = 31;
inline constexpr std::uint8_t kPreamble = 0xFF;
inline constexpr std::size_t kMaxExpansionBytes = 3;
inline constexpr std::size_t kUniqueAddressSize = 5;
inline constexpr std::uint8_t kLargestPollingAddress = 63;
// Delimiter, long address, three expansion bytes, command, byte count,
// 255 data bytes and the check byte: no frame is longer.
inline constexpr std::size_t kMaxFrameSize = 1 + kUniqueAddressSize + kMaxExpansionBytes + 2 + 255 + 1;

struct Address {
  bool isLong = false;                                    // five-byte unique address rather than a polling address
  bool primaryMaster = true;                              // the master bit: primary (1) or secondary (0) master
  bool burstMode = false;                                 // set by a device that is in burst mode
  std::uint8_t polling = 0;                               // short frames: polling address 0..63
  std::array<std::uint8_t, kUniqueAddressSize> unique{};  // long frames; byte 0 keeps only its low 6 bits

  static Address Polling(std::uint8_t pollingAddress);
  static Address Unique(const std::array<std::uint8_t, kUniqueAddressSize>& bytes);
  // The same field device, whatever the master and burst bits say.
  bool sameDevice(const Address& other) const;
};

struct Frame {
  FrameType type = FrameType::Request;
  Address address;
  std::uint8_t expansionCount = 0;  // 0..3 expansion bytes after the address
  std::array<std::uint8_t, kMaxExpansionBytes> expansion{};
  std::uint16_t command = 0;  // the full number, also above 253
  ReplyStatus status;         // replies and bursts only
  // After the status bytes and an expanded command number. Views the bytes
  // the frame was decoded from, or the caller's bytes to encode.
  ByteView data;
};

// Appends `preambles` preambles and the frame to `out`; returns the frame's
// size without preambles. Fails on a polling address above 63, more than
// three expansion bytes or a data field longer than a byte count can say.
Result<std::size_t> EncodeFrame(const Frame& frame, std::size_t preambles, Bytes& out);

enum class FrameStatus : std::uint8_t {
  Ok,
  Truncated,               // the input ends before the byte count
  ByteCountPastEnd,        // the byte count reaches past the end of the input
  TrailingBytes,           // bytes follow the check byte
  BadCheckByte,            // the XOR of the frame does not match its check byte
  UnknownDelimiter,        // not STX, ACK or BACK with an asynchronous physical layer
  MissingStatusBytes,      // a reply or burst with a byte count below 2
  MissingExpandedCommand,  // command 31 without its two-byte number
  SinglePreamble,          // a delimiter after only one preamble (stream receiver)
};

const char* Describe(FrameStatus status);

// What the decoder found, and where: `offset` is the byte it stopped at,
// counted from the delimiter. A default result counts as failed.
struct DecodeResult {
  FrameStatus status = FrameStatus::Truncated;
  std::size_t offset = 0;
  Frame frame;  // complete only when status is Ok

  explicit operator bool() const { return status == FrameStatus::Ok; }
  const char* description() const { return Describe(status); }
};

// Decodes one whole frame starting at its delimiter, without preambles.
DecodeResult DecodeFrame(ByteView bytes);

// The check byte of a frame's bytes from its delimiter: their XOR.
std::uint8_t CheckByte(ByteView bytes);

// Bytes from the delimiter up to and including the byte count, for a
// delimiter the decoder knows; 0 for any other byte.
std::size_t HeaderSize(std::uint8_t delimiter);

}  // namespace zolin6::hart
