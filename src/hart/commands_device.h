#pragma once
// The ZOLIN-6 transmitter's own commands, 128 to 151 (docs/hart-commands.md,
// section 3), as tables for the one codec: BuildRequest and ParseReply work
// on them as on the universal ones, and a short reply fails naming the
// command, the field and how many bytes it lacked.

#include <cstdint>
#include <span>

#include "hart/bytes.h"
#include "hart/command_codec.h"
#include "hart/layout.h"

namespace zolin6::hart {

// Commands 128 to 151, sorted by number.
std::span<const CommandLayout> DeviceSpecificCommands();

// The table of any command the transmitter answers: its own commands first,
// then the universal and common-practice ones; nullptr for any other number.
const CommandLayout* FindDeviceCommand(std::uint16_t number);

// BuildRequest and ParseReply by number over FindDeviceCommand.
Result<Bytes> BuildDeviceRequest(std::uint16_t command, const Record& fields = {});
Result<Record> ParseDeviceReply(std::uint16_t command, const ReplyStatus& status, ByteView data);

// Bytes of the fixed part of a layout (before any repeated group).
std::size_t FixedSize(const Layout& layout);

}  // namespace zolin6::hart
