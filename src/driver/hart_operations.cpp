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
#include "hart/commands_device.h"
#include "hart/encoding.h"

namespace zolin6::driver {

namespace {

using hart::ByteView;

Error InRead(int code, const std::string& what) { return {"read " + std::to_string(code) + ": " + what}; }

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

// Every completion replied, answers its transaction and fits its layout.
Result<bool> CheckReplies(const ReadRow& row, std::span<const hart::Completion> replies) {
  if (replies.size() != row.transactions.size()) {
    return Error{std::to_string(row.transactions.size()) + " replies needed, " + std::to_string(replies.size()) +
                 " given"};
  }
  for (std::size_t i = 0; i < replies.size(); ++i) {
    const hart::Completion& reply = replies[i];
    const std::uint16_t command = row.transactions[i].command;
    if (reply.command != command || reply.outcome != hart::Outcome::Replied) {
      return Error{"command " + std::to_string(command) + ": " + hart::Describe(reply.outcome)};
    }
    Result<hart::Record> parsed = hart::ParseDeviceReply(command, reply.status, reply.data);
    if (!parsed) return parsed.error();
  }
  return true;
}

Result<std::string> TagText(const TagSource& source, std::span<const hart::Completion> replies,
                            const RequestAttributes& attributes, bool coldStartSeen) {
  if (source.reply == kNoReply) return std::string();
  const hart::Completion& reply = replies[source.reply];
  const std::size_t output = source.perOutput != 0 ? ChosenOutput(attributes, reply.data) : 0;
  const std::size_t offset = source.offset + output * source.perOutput;
  if (offset + source.size > reply.data.size()) {
    return Error{"command " + std::to_string(reply.command) + ": reply has " + std::to_string(reply.data.size()) +
                 " bytes, " + std::to_string(offset + source.size) + " needed"};
  }
  const ByteView bytes = ByteView(reply.data).subspan(offset, source.size);
  switch (source.text) {
    case Text::Decimal: return std::to_string(hart::ReadUnsigned(bytes, source.size));
    case Text::Number: return DeviceNumber(hart::ReadFloat(bytes));
    case Text::Hex: return HexText(bytes);
    case Text::DeviceStatus: return std::to_string(DeviceStatusText(reply, coldStartSeen));
  }
  return std::string();
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

Result<std::string> ReadDocumentFromReplies(int code, std::span<const hart::Completion> replies,
                                            const RequestAttributes& attributes, bool coldStartSeen, CommandSet set) {
  const ReadRow* row = FindRead(code, set);
  if (row == nullptr) return InRead(code, "not answered by the device");
  if (Result<bool> checked = CheckReplies(*row, replies); !checked) return InRead(code, checked.error().message);
  Pairs pairs;
  for (const TagSource& source : row->tags) {
    Result<std::string> text = TagText(source, replies, attributes, coldStartSeen);
    if (!text) return InRead(code, text.error().message);
    pairs.emplace_back(ChannelTag(source.tag, code - row->first), std::move(text).value());
  }
  return ParameterList(pairs);
}

}  // namespace zolin6::driver
