// The read side of the HART driver: one table row per read (a channel's
// six reads share one row), naming the transactions the read takes and,
// for every tag of its document, the reply bytes the value comes from and
// how they are written. One routine builds every read's requests and one
// every read's document from the table.

#include "driver/hart_operations.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <utility>

#include "driver/hart_read_table.h"
#include "driver/parameter_list.h"
#include "hart/command_numbers.h"
#include "hart/commands_device.h"
#include "hart/encoding.h"

namespace zolin6::driver {

namespace {

using hart::ByteView;

Error InRead(int code, const std::string& what) { return {"read " + std::to_string(code) + ": " + what}; }

// What a read that stayed busy is answered with, as a write is.
constexpr int kBusyCode = 32;

// An attribute as a code of one or two hexadecimal digits, unsigned.
std::optional<unsigned> ShortCode(const std::string& text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || text.size() > 2 || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

hart::Bytes MonitoredSlots(const RequestAttributes& attributes) {
  hart::Bytes slots;
  for (std::size_t k = 0; k < kMonitoredSlots; ++k) {
    const std::optional<unsigned> code = ShortCode(attributes[k]);
    slots.push_back(code && *code <= kLastMonitoredVariable ? static_cast<std::uint8_t>(*code) : kNoVariable);
  }
  return slots;
}

hart::Bytes RequestBytes(const Transaction& transaction, int channel, const RequestAttributes& attributes) {
  switch (transaction.data) {
    case RequestData::None: return {};
    case RequestData::Channel: return {static_cast<std::uint8_t>(channel)};
    case RequestData::Slots: return {transaction.variables.begin(), transaction.variables.end()};
    case RequestData::AttributeSlots: return MonitoredSlots(attributes);
  }
  return {};
}

// Read 28's output: the one Attribute1 names ("01"-"05"), else the first
// output 145 reports held, else output 1.
std::size_t ChosenOutput(const RequestAttributes& attributes, ByteView currents) {
  constexpr unsigned kLastOutput = 5;
  const std::optional<unsigned> named = ShortCode(attributes[0]);
  if (named && attributes[0].size() == 2 && *named >= 1 && *named <= kLastOutput) return *named;
  for (std::size_t output = 0; output <= kLastOutput; ++output) {
    const std::size_t flags = output * kOutputGroup;
    if (flags < currents.size() && (currents[flags] & 0x01U) != 0) return output;
  }
  return 0;
}

std::string HexText(ByteView bytes) {
  static constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4U];
    text += kDigits[byte & 0x0FU];
  }
  return text;
}

// The cold start bit as today's diagnosis lamps see it (kept until read 25),
// and "more status available" whenever a diagnosis byte is set.
std::uint8_t DeviceStatusText(const hart::Completion& reply, bool coldStartSeen) {
  std::uint8_t status = reply.status.deviceStatus;
  if (coldStartSeen) status |= hart::device_status::kColdStart;
  if (reply.data.size() >= 2 && (reply.data[0] != 0 || reply.data[1] != 0))
    status |= hart::device_status::kMoreStatusAvailable;
  return status;
}

std::string ChannelTag(std::string_view tag, int channel) {
  std::string name(tag);
  const std::size_t mark = name.find('#');
  if (mark != std::string::npos) name.replace(mark, 1, std::to_string(channel + 1));
  return name;
}

using Pairs = ParameterPairs;

// The bytes a tag's value comes from: a reply that answered without an
// error and fits its layout, or command 0's data as kept; none when there
// is no such reply, or it is too short for the tag.
std::optional<ByteView> SourceBytes(const TagSource& source, std::span<const hart::Completion> replies,
                                    const RequestAttributes& attributes, ByteView identity) {
  ByteView data = identity;
  std::size_t offset = source.offset;
  if (source.reply != kIdentity) {
    if (source.reply >= replies.size()) return std::nullopt;
    const hart::Completion& reply = replies[source.reply];
    if (reply.outcome != hart::Outcome::Replied || !hart::ParseDeviceReply(reply.command, reply.status, reply.data)) {
      return std::nullopt;
    }
    data = reply.data;
    if (source.perOutput != 0) offset += ChosenOutput(attributes, data) * source.perOutput;
  }
  if (offset + source.size > data.size()) return std::nullopt;
  return data.subspan(offset, source.size);
}

std::string TagText(const TagSource& source, ByteView bytes, const hart::Completion* reply, bool coldStartSeen) {
  switch (source.text) {
    case Text::Decimal: return std::to_string(hart::ReadUnsigned(bytes, source.size));
    case Text::Number: return DeviceNumber(hart::ReadFloat(bytes));
    case Text::Hex: return HexText(bytes);
    case Text::DeviceStatus: return reply != nullptr ? std::to_string(DeviceStatusText(*reply, coldStartSeen)) : "";
  }
  return {};
}

// The response code that stopped a read: the device refused a command or
// stayed busy.
std::optional<int> StoppingCode(std::span<const hart::Completion> replies) {
  for (const hart::Completion& reply : replies) {
    if (reply.outcome == hart::Outcome::StillBusy) return kBusyCode;
    if (reply.outcome == hart::Outcome::Replied && hart::IsErrorCode(reply.status.responseCode())) {
      return reply.status.responseCode();
    }
  }
  return std::nullopt;
}

}  // namespace

Result<std::vector<HartRequest>> ReadTransactions(int code, const RequestAttributes& attributes, CommandSet set) {
  const ReadRow* row = FindRead(code, set);
  if (row == nullptr) return InRead(code, "not answered by the device");
  std::vector<HartRequest> requests;
  for (const Transaction& transaction : row->transactions) {
    requests.push_back({transaction.command, RequestBytes(transaction, code - row->first, attributes),
                        hart::FindDeviceCommand(transaction.command)->effect});
  }
  return requests;
}

std::string ReadAnswer(int code, std::span<const hart::Completion> replies, const RequestAttributes& attributes,
                       ByteView identity, bool coldStartSeen, CommandSet set) {
  Pairs pairs;
  const ReadRow* row = FindRead(code, set);
  if (row == nullptr) return ParameterList(pairs);
  for (const TagSource& source : row->tags) {
    if (source.reply == kNoReply) {
      pairs.emplace_back(ChannelTag(source.tag, code - row->first), "");
      continue;
    }
    const std::optional<ByteView> bytes = SourceBytes(source, replies, attributes, identity);
    if (!bytes) continue;
    const hart::Completion* reply = source.reply < replies.size() ? &replies[source.reply] : nullptr;
    pairs.emplace_back(ChannelTag(source.tag, code - row->first), TagText(source, *bytes, reply, coldStartSeen));
  }
  if (const std::optional<int> stopped = StoppingCode(replies)) {
    pairs.emplace_back("Response Code 1", std::to_string(*stopped));
  }
  return ParameterList(pairs);
}

void UpdateIdentity(hart::Bytes& identity, const hart::Completion& reply, CommandSet set) {
  constexpr std::uint16_t kWriteResponsePreambles = 59;
  constexpr std::size_t kResponsePreamblesAt = 12;
  constexpr std::size_t kCounterAt = 14;       // in command 0's data
  constexpr std::size_t kStatusCounterAt = 2;  // in this transmitter's command 48 data
  if (identity.size() < kCounterAt + 2) return;
  if (reply.command == kWriteResponsePreambles && !reply.data.empty()) {
    identity[kResponsePreamblesAt] = reply.data[0];
  } else if (reply.command == hart::kReadAdditionalStatus && set == CommandSet::Transmitter &&
             reply.data.size() >= kStatusCounterAt + 2) {
    identity[kCounterAt] = reply.data[kStatusCounterAt];
    identity[kCounterAt + 1] = reply.data[kStatusCounterAt + 1];
  }
}

}  // namespace zolin6::driver
