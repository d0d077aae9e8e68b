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

#include "driver/parameter_list.h"
#include "hart/commands_device.h"
#include "hart/encoding.h"

namespace zolin6::driver {

namespace {

using hart::ByteView;

// How a tag's value is written: decimal integer, the device's number text,
// upper-case hexadecimal bytes, or read 25's device status.
enum class Text : std::uint8_t { Decimal, Number, Hex, DeviceStatus };

struct TagSource {
  std::string_view tag;  // '#' stands for the channel number, 1-6
  std::uint8_t reply;    // which of the read's transactions
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
  std::span<const std::uint8_t> slots = {};
};

struct ReadRow {
  int first;  // operation codes first..last; the channel is code - first
  int last;
  std::span<const Transaction> transactions;
  std::span<const TagSource> tags;  // in the order today's documents list them
};

constexpr auto D = Text::Decimal;
constexpr auto N = Text::Number;
constexpr auto H = Text::Hex;

// Device variable codes in command 9's slots.
constexpr std::array<std::uint8_t, 1> kDeviceTemperature{12};
constexpr std::array<std::uint8_t, 1> kSensor1{0};
constexpr std::array<std::uint8_t, 5> kProcessValues{246, 247, 248, 244, 245};  // PV, SV, TV, %, loop current
// Read 32's slot for an attribute that names no variable: the device answers
// it with units 250 and NaN, as today's document does.
constexpr std::uint8_t kNoVariable = 250;
constexpr std::uint8_t kLastMonitoredVariable = 12;
constexpr std::size_t kMonitoredSlots = 8;

constexpr std::array kHartInfoCommands{Transaction{13}, Transaction{20}, Transaction{12},
                                       Transaction{7},  Transaction{16}, Transaction{128}};
constexpr std::array kHartInfoTags{
    TagSource{"Tag", 0, 0, 21, H},
    TagSource{"Long Tag", 1, 0, 32, H},
    TagSource{"Descriptor", 0, 0, 21, H},
    TagSource{"Message", 2, 0, 24, H},
    TagSource{"Polling Address", 3, 0, 1, D},
    TagSource{"Final Assembly", 4, 0, 3, D},
    TagSource{"DeviceSerialNumber", 5, 24, 3, D},
    TagSource{"Date", 0, 0, 21, H},
    TagSource{"Ordering_Code", 5, 0, 24, H},
};
constexpr std::array kIdentifyCommand{Transaction{0}};
constexpr std::array kDeviceInfoTags{
    TagSource{"Manufacturer Id", 0, 17, 2, D},   TagSource{"Device Type", 0, 1, 2, D},
    TagSource{"Device Profile", 0, 21, 1, D},    TagSource{"Private Label Distributor", 0, 19, 2, D},
    TagSource{"Universal Revision", 0, 4, 1, D}, TagSource{"Transmitter Revision", 0, 5, 1, D},
    TagSource{"Hardware Revision", 0, 7, 1, D},  TagSource{"Software Version", 0, 6, 1, D},
};
constexpr std::array kChannelCommand{Transaction{129, RequestData::Channel}};
constexpr std::array kSensorInfoTags{
    TagSource{"Sns#Type", 0, 1, 1, D},
    TagSource{"Sns#Connection", 0, 2, 1, D},
    TagSource{"Sns#ColdJunction", 0, 3, 1, D},
    TagSource{"Sns#Unit", 0, 4, 1, D},
    TagSource{"Sns#UpperRangeLimit", 0, 5, 4, N},
    TagSource{"Sns#LowerRangeLimit", 0, 9, 4, N},
    TagSource{"Sns#UpperRangeValue", 0, 13, 4, N},
    TagSource{"Sns#LowerRangeValue", 0, 17, 4, N},
};
constexpr std::array kHartConfigCommands{Transaction{0}, Transaction{7}, Transaction{15}};
constexpr std::array kHartConfigTags{
    TagSource{"ReqPreambles", 0, 3, 1, D},  TagSource{"RespPreambles", 0, 12, 1, D},
    TagSource{"WriteProtect", 2, 15, 1, D}, TagSource{"Polling_Address", 1, 0, 1, D},
    TagSource{"CurrentMode", 1, 1, 1, D},   TagSource{"Loop_Alarm", 2, 0, 1, D},
};
constexpr std::array kSensorConfigTags{
    TagSource{"Sns#Type", 0, 1, 1, D},
    TagSource{"Sns#Connection", 0, 2, 1, D},
    TagSource{"Sns#ColdJunction", 0, 3, 1, D},
};
constexpr std::array kDeviceTemperatureCommand{Transaction{9, RequestData::Slots, kDeviceTemperature}};
constexpr std::array kTempUnitTags{TagSource{"TempUnit", 0, 3, 1, D}};
constexpr std::array kDisplayCommand{Transaction{135}};
constexpr std::array kDisplayTags{
    TagSource{"Display1", 0, 0, 1, D}, TagSource{"Display2", 0, 1, 1, D}, TagSource{"Display3", 0, 2, 1, D},
    TagSource{"Display4", 0, 3, 1, D}, TagSource{"Display5", 0, 4, 1, D}, TagSource{"Display6", 0, 5, 1, D},
};
constexpr std::array kSensorRangeTags{
    TagSource{"Sns#UpperRangeLimit", 0, 5, 4, N},  TagSource{"Sns#LowerRangeLimit", 0, 9, 4, N},
    TagSource{"Sns#UpperRangeValue", 0, 13, 4, N}, TagSource{"Sns#LowerRangeValue", 0, 17, 4, N},
    TagSource{"Sns#MinSpan", 0, 21, 4, N},         TagSource{"Sns#Unit", 0, 4, 1, D},
};
constexpr std::array kProcessCommand{Transaction{9, RequestData::Slots, kProcessValues}};
constexpr std::array kProcessTags{
    TagSource{"LoopCurrent", 0, 36, 4, N}, TagSource{"PercentRange", 0, 28, 4, N}, TagSource{"PV", 0, 4, 4, N},
    TagSource{"SV", 0, 12, 4, N},          TagSource{"TV", 0, 20, 4, N},           TagSource{"PVUnit", 0, 3, 1, D},
    TagSource{"SVUnit", 0, 11, 1, D},      TagSource{"TVUnit", 0, 19, 1, D},
};
constexpr std::array kStatusCommands{Transaction{0}, Transaction{48}};
constexpr std::array kStatusTags{
    TagSource{"Device Status", 1, 0, 2, Text::DeviceStatus},
    TagSource{"DiagStatus", 1, 0, 1, D},
    TagSource{"DiagStatusByte1", 1, 1, 1, D},
    TagSource{"ChangeCounters", 0, 14, 2, D},
};
constexpr std::array kCountersCommand{Transaction{140}};
constexpr std::array kCounterTags{
    TagSource{"ChangeSensorRange", 0, 0, 2, D},   TagSource{"ChangeSensorTrim", 0, 2, 2, D},
    TagSource{"ChangeSensorConfig", 0, 4, 2, D},  TagSource{"ChangeSensorUnit", 0, 6, 2, D},
    TagSource{"ChangeSensorDamping", 0, 8, 2, D}, TagSource{"ChangeSensorCjunct", 0, 10, 2, D},
    TagSource{"ChangeCurrentTrim", 0, 12, 2, D},  TagSource{"ChangeTempTrim", 0, 14, 2, D},
    TagSource{"ChangeTempUnit", 0, 16, 2, D},     TagSource{"ChangeSoftWprotect", 0, 18, 2, D},
    TagSource{"ChangeDspVar", 0, 20, 2, D},       TagSource{"ChangeFailSafe", 0, 22, 2, D},
    TagSource{"ChangeMultidrop", 0, 24, 2, D},    TagSource{"ChangeVanDusen", 0, 26, 2, D},
};
constexpr std::array kExtremesCommand{Transaction{142}};
constexpr std::array kExtremeTags{
    TagSource{"SnsMinTemp", 0, 0, 4, N},      TagSource{"SnsMaxTemp", 0, 4, 4, N},
    TagSource{"VarLocalMinTemp", 0, 8, 4, N}, TagSource{"VarLocalMaxTemp", 0, 12, 4, N},
    TagSource{"SensorMaxMin", 0, 16, 1, D},   TagSource{"TempMaxMin", 0, 17, 1, D},
    TagSource{"SensorUnit", 0, 18, 1, D},     TagSource{"TempUnit", 0, 19, 1, D},
};
constexpr std::uint8_t kOutputGroup = 9;  // bytes per output in command 145
constexpr std::array kCurrentsCommand{Transaction{145}};
constexpr std::array kCurrentTags{TagSource{"Current", 0, 5, 4, N, kOutputGroup}};
constexpr std::array kTrimTemperatureTags{TagSource{"Unit Temp", 0, 3, 1, D}, TagSource{"Temp", 0, 4, 4, N}};
constexpr std::array kSensor1Command{Transaction{9, RequestData::Slots, kSensor1}};
constexpr std::array kSpecialCommand{Transaction{137}};
constexpr std::array kSpecialTags{
    TagSource{"BackupMode", 0, 0, 1, D},
    TagSource{"BackupSensor", 0, 1, 1, D},
    TagSource{"AverageMode", 0, 2, 1, D},
};
constexpr std::array kMonitoredCommand{Transaction{9, RequestData::AttributeSlots}};
// Slot k's value at 4 + 8k, its units at 3 + 8k.
constexpr std::array kMonitoredTags{
    TagSource{"Var1", 0, 4, 4, N},      TagSource{"Var2", 0, 12, 4, N},     TagSource{"Var3", 0, 20, 4, N},
    TagSource{"Var4", 0, 28, 4, N},     TagSource{"Var5", 0, 36, 4, N},     TagSource{"Var6", 0, 44, 4, N},
    TagSource{"Var7", 0, 52, 4, N},     TagSource{"Var8", 0, 60, 4, N},     TagSource{"Var1Unit", 0, 3, 1, D},
    TagSource{"Var2Unit", 0, 11, 1, D}, TagSource{"Var3Unit", 0, 19, 1, D}, TagSource{"Var4Unit", 0, 27, 1, D},
    TagSource{"Var5Unit", 0, 35, 1, D}, TagSource{"Var6Unit", 0, 43, 1, D}, TagSource{"Var7Unit", 0, 51, 1, D},
    TagSource{"Var8Unit", 0, 59, 1, D},
};
constexpr std::array kSensorParametersCommand{Transaction{133}};
constexpr std::array kSensorParameterTags{
    TagSource{"SnsUnit", 0, 0, 1, D},         TagSource{"SnsTempHighLimit", 0, 1, 4, N},
    TagSource{"SnsTempLowLimit", 0, 5, 4, N}, TagSource{"CoeffA", 0, 9, 4, N},
    TagSource{"CoeffB", 0, 13, 4, N},         TagSource{"CoeffC", 0, 17, 4, N},
    TagSource{"CoeffRA", 0, 21, 4, N},        TagSource{"Damping", 0, 25, 4, N},
};

constexpr std::array kReads{
    ReadRow{1, 1, kHartInfoCommands, kHartInfoTags},
    ReadRow{2, 2, kIdentifyCommand, kDeviceInfoTags},
    ReadRow{3, 8, kChannelCommand, kSensorInfoTags},
    ReadRow{9, 9, kHartConfigCommands, kHartConfigTags},
    ReadRow{10, 15, kChannelCommand, kSensorConfigTags},
    ReadRow{16, 16, kDeviceTemperatureCommand, kTempUnitTags},
    ReadRow{17, 17, kDisplayCommand, kDisplayTags},
    ReadRow{18, 23, kChannelCommand, kSensorRangeTags},
    ReadRow{24, 24, kProcessCommand, kProcessTags},
    ReadRow{25, 25, kStatusCommands, kStatusTags},
    ReadRow{26, 26, kCountersCommand, kCounterTags},
    ReadRow{27, 27, kExtremesCommand, kExtremeTags},
    ReadRow{28, 28, kCurrentsCommand, kCurrentTags},
    ReadRow{29, 29, kDeviceTemperatureCommand, kTrimTemperatureTags},
    ReadRow{30, 30, kSpecialCommand, kSpecialTags},
    ReadRow{31, 31, kSensor1Command, kTrimTemperatureTags},
    ReadRow{32, 32, kMonitoredCommand, kMonitoredTags},
    ReadRow{33, 33, kSensorParametersCommand, kSensorParameterTags},
};

const ReadRow* FindRead(int code) {
  const auto* found =
      std::ranges::find_if(kReads, [code](const ReadRow& row) { return code >= row.first && code <= row.last; });
  return found != kReads.end() ? found : nullptr;
}

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
    case RequestData::Slots: return {transaction.slots.begin(), transaction.slots.end()};
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

Result<std::string> TagText(const TagSource& source, const hart::Completion& reply, std::size_t output,
                            bool coldStartSeen) {
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

Result<std::vector<HartRequest>> ReadTransactions(int code, const RequestAttributes& attributes) {
  const ReadRow* row = FindRead(code);
  if (row == nullptr) return InRead(code, "not answered by the device");
  std::vector<HartRequest> requests;
  for (const Transaction& transaction : row->transactions) {
    requests.push_back({transaction.command, RequestBytes(transaction, code - row->first, attributes),
                        hart::FindDeviceCommand(transaction.command)->effect});
  }
  return requests;
}

Result<std::string> ReadDocumentFromReplies(int code, std::span<const hart::Completion> replies,
                                            const RequestAttributes& attributes, bool coldStartSeen) {
  const ReadRow* row = FindRead(code);
  if (row == nullptr) return InRead(code, "not answered by the device");
  if (Result<bool> checked = CheckReplies(*row, replies); !checked) return InRead(code, checked.error().message);
  Pairs pairs;
  for (const TagSource& source : row->tags) {
    const hart::Completion& reply = replies[source.reply];
    const std::size_t output = source.perOutput != 0 ? ChosenOutput(attributes, reply.data) : 0;
    Result<std::string> text = TagText(source, reply, output, coldStartSeen);
    if (!text) return InRead(code, text.error().message);
    pairs.emplace_back(ChannelTag(source.tag, code - row->first), std::move(text).value());
  }
  return ParameterList(pairs);
}

}  // namespace zolin6::driver
