#pragma once
// The HART driver's read table: for each read operation code, the HART
// transactions it takes and, for every tag of its document, the reply
// bytes the value comes from and how they are written. One table for this
// transmitter, and one for any other HART device, which gets only the
// universal and common-practice commands: a device-specific command number
// means something else on another maker's device and is never sent to it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codecs/device_names.h"
#include "hart/command_numbers.h"

namespace zolin6::driver {

using hart::kFirstDeviceSpecificCommand;

// Which table serves the device on the link.
enum class CommandSet : std::uint8_t {
  Transmitter,  // this transmitter: every page
  Universal,    // another HART device: what universal and common-practice commands carry
};

// How a tag's value is written: decimal integer, the device's number text,
// upper-case hexadecimal bytes, or read 25's device status.
enum class Text : std::uint8_t { Decimal, Number, Hex, DeviceStatus };

struct TagSource {
  std::string_view tag;  // '#' stands for the channel number, 1-6
  std::uint8_t reply;    // which of the read's transactions, kIdentity or kNoReply
  std::uint8_t offset;   // first byte in the reply's data
  std::uint8_t size;     // bytes
  Text text;
  std::uint8_t perOutput = 0;  // read 28: bytes between two outputs' groups
};

// What goes into a request's data field.
enum class RequestData : std::uint8_t {
  None,
  Channel,        // the channel of the read, 0-5
  Slots,          // command 9 with the row's device variables
  AttributeSlots  // command 9 with the device variables of Attribute1-8
};

struct Transaction {
  std::uint16_t command;
  RequestData data = RequestData::None;
  std::span<const std::uint8_t> variables = {};  // for Slots: command 9's device variables
};

struct ReadRow {
  int first;  // operation codes first..last; the channel is code - first
  int last;
  std::span<const Transaction> transactions;
  std::span<const TagSource> tags;  // in the order today's documents list them
};

// A tag the device has no command for: it is sent empty, so the page shows
// it empty and goes on with the next.
inline constexpr std::uint8_t kNoReply = 0xFF;
// A tag taken from the device's command 0 data, as the driver keeps it:
// command 0 goes out once per connection, not once per page.
inline constexpr std::uint8_t kIdentity = 0xFE;

// This transmitter's maker and model, as its command 0 names them.
inline constexpr std::uint32_t kTransmitterManufacturer = codecs::kMakerId;
inline constexpr std::uint32_t kTransmitterDeviceType = codecs::kModelId;

// Read 32's slot for an attribute that names no variable: the device answers
// it with units 250 and NaN, as today's document does.
inline constexpr std::uint8_t kNoVariable = 250;
inline constexpr std::uint8_t kLastMonitoredVariable = 12;
inline constexpr std::size_t kMonitoredSlots = 8;
inline constexpr std::uint8_t kOutputGroup = 9;  // bytes per output in command 145

// The row serving read `code` for `set`; nullptr when that device does not
// answer the read.
const ReadRow* FindRead(int code, CommandSet set);

// The table for the device whose command 0 reply data is `identity`: this
// transmitter's when its expanded device type (bytes 1-2) and manufacturer
// (bytes 17-18) are ours.
CommandSet CommandSetFor(std::span<const std::uint8_t> identity);

}  // namespace zolin6::driver
