#include "configuration/catalogue.h"

#include <algorithm>
#include <unordered_map>

#include "codecs/enumerated.h"
#include "platform/channels.h"

namespace zolin6::configuration {

namespace {

constexpr double kLargestFinalAssembly = 0xFFFFFF;  // three bytes
constexpr double kLongestDamping = 32;              // s, the device refuses more
constexpr double kAnyNumber = 0;                    // low == high: no fixed limits

CatalogueValue Row(std::string group, std::string name, int readCode, std::string tag, Decoding decoding,
                   ValueType type) {
  CatalogueValue row;
  row.key = group + "." + name;
  row.group = std::move(group);
  row.name = std::move(name);
  row.readCode = readCode;
  row.tag = std::move(tag);
  row.decoding = decoding;
  row.type = type;
  return row;
}

CatalogueValue Integer(std::string group, std::string name, int readCode, std::string tag, double low, double high,
                       Decoding decoding = Decoding::Decimal) {
  CatalogueValue row = Row(std::move(group), std::move(name), readCode, std::move(tag), decoding, ValueType::Integer);
  row.low = low;
  row.high = high;
  return row;
}

CatalogueValue Code(std::string group, std::string name, int readCode, std::string tag, Enumeration enumeration) {
  CatalogueValue row =
      Row(std::move(group), std::move(name), readCode, std::move(tag), Decoding::Decimal, ValueType::Integer);
  row.low = 0;
  row.high = 255;
  row.enumeration = enumeration;
  return row;
}

CatalogueValue Number(std::string group, std::string name, int readCode, std::string tag, std::string unitKey,
                      double low = kAnyNumber, double high = kAnyNumber) {
  CatalogueValue row =
      Row(std::move(group), std::move(name), readCode, std::move(tag), Decoding::Decimal, ValueType::Number);
  row.unitKey = std::move(unitKey);
  row.low = low;
  row.high = high;
  return row;
}

CatalogueValue Text(std::string group, std::string name, int readCode, std::string tag, Decoding decoding, int length,
                    bool packed) {
  CatalogueValue row = Row(std::move(group), std::move(name), readCode, std::move(tag), decoding, ValueType::Text);
  row.length = length;
  row.packed = packed;
  return row;
}

CatalogueValue Named(CatalogueValue row, Enumeration enumeration) {
  row.enumeration = enumeration;
  return row;
}

CatalogueValue ReadOnly(CatalogueValue row) {
  row.writable = false;
  return row;
}

std::string ChannelGroup(int channel) { return "channel " + std::to_string(channel); }
std::string Sensor(int channel, const char* name) { return "Sns" + std::to_string(channel) + name; }

// One channel's values: the sensor configuration (read 3..8) and its range,
// the range values kept within the limits of the channel's sensor.
void AddChannel(std::vector<CatalogueValue>& rows, int channel) {
  const std::string group = ChannelGroup(channel);
  const int read = 2 + channel;
  rows.push_back(Code(group, "sensor type", read, Sensor(channel, "Type"), Enumeration::SensorType));
  rows.push_back(Code(group, "connection", read, Sensor(channel, "Connection"), Enumeration::Connection));
  rows.push_back(Code(group, "cold junction", read, Sensor(channel, "ColdJunction"), Enumeration::ColdJunction));
  rows.push_back(Code(group, "unit", read, Sensor(channel, "Unit"), Enumeration::Unit));
  const std::string unit = group + ".unit";
  rows.push_back(ReadOnly(Number(group, "upper range limit", read, Sensor(channel, "UpperRangeLimit"), unit)));
  rows.push_back(ReadOnly(Number(group, "lower range limit", read, Sensor(channel, "LowerRangeLimit"), unit)));
  for (const char* name : {"upper range value", "lower range value"}) {
    const std::string tag = name[0] == 'u' ? "UpperRangeValue" : "LowerRangeValue";
    CatalogueValue value = Number(group, name, read, Sensor(channel, tag.c_str()), unit);
    value.lowKey = group + ".lower range limit";
    value.highKey = group + ".upper range limit";
    rows.push_back(std::move(value));
  }
}

std::vector<CatalogueValue> BuildValues() {
  std::vector<CatalogueValue> rows;
  // The identity of the device the configuration was read from.
  rows.push_back(ReadOnly(Integer("device", "manufacturer id", 2, "Manufacturer Id", 0, 65535)));
  rows.push_back(ReadOnly(Integer("device", "device type", 2, "Device Type", 0, 65535)));
  rows.push_back(ReadOnly(Integer("device", "device id", 1, "DeviceSerialNumber", 0, kLargestFinalAssembly)));
  rows.push_back(ReadOnly(Integer("device", "universal revision", 2, "Universal Revision", 0, 255)));
  rows.push_back(ReadOnly(Integer("device", "transmitter revision", 2, "Transmitter Revision", 0, 255)));
  rows.push_back(ReadOnly(Integer("device", "hardware revision", 2, "Hardware Revision", 0, 255)));
  rows.push_back(ReadOnly(Integer("device", "software version", 2, "Software Version", 0, 255)));

  rows.push_back(Text("identification", "tag", 1, "Tag", Decoding::RecordTag, 8, true));
  rows.push_back(Text("identification", "long tag", 1, "Long Tag", Decoding::Latin32, 32, false));
  rows.push_back(Text("identification", "descriptor", 1, "Descriptor", Decoding::RecordDescriptor, 16, true));
  rows.push_back(Text("identification", "message", 1, "Message", Decoding::PackedMessage, 32, true));
  rows.push_back(Text("identification", "date", 1, "Date", Decoding::RecordDate, 10, false));
  rows.push_back(Integer("identification", "final assembly", 1, "Final Assembly", 0, kLargestFinalAssembly));

  rows.push_back(Integer("hart", "polling address", 9, "Polling_Address", 0, 63));
  rows.push_back(Named(Integer("hart", "loop current mode", 9, "CurrentMode", 0, 1), Enumeration::Switch));
  rows.push_back(ReadOnly(Integer("hart", "request preambles", 9, "ReqPreambles", 5, 20)));
  rows.push_back(Integer("hart", "response preambles", 9, "RespPreambles", 5, 20));
  rows.push_back(
      Named(Integer("hart", "write protection", 9, "WriteProtect", 0, 1, Decoding::Flag), Enumeration::Switch));
  rows.push_back(Named(Integer("hart", "loop alarm", 9, "Loop_Alarm", 0, 1), Enumeration::LoopAlarm));

  for (int channel = 1; channel <= kChannels; ++channel) AddChannel(rows, channel);

  const std::string limitsUnit = "sensor parameters.temperature unit";
  rows.push_back(Code("sensor parameters", "temperature unit", 33, "SnsUnit", Enumeration::TemperatureUnit));
  rows.push_back(Number("sensor parameters", "high limit", 33, "SnsTempHighLimit", limitsUnit));
  rows.push_back(Number("sensor parameters", "low limit", 33, "SnsTempLowLimit", limitsUnit));
  rows.push_back(Number("sensor parameters", "coefficient A", 33, "CoeffA", ""));
  rows.push_back(Number("sensor parameters", "coefficient B", 33, "CoeffB", ""));
  rows.push_back(Number("sensor parameters", "coefficient C", 33, "CoeffC", ""));
  rows.push_back(Number("sensor parameters", "R0", 33, "CoeffRA", ""));
  rows.push_back(Number("sensor parameters", "damping", 33, "Damping", "", 0, kLongestDamping));

  rows.push_back(Code("local temperature", "unit", 16, "TempUnit", Enumeration::TemperatureUnit));
  for (int line = 1; line <= 6; ++line) {
    rows.push_back(Code("local display", "line " + std::to_string(line), 17, "Display" + std::to_string(line),
                        Enumeration::DisplayVariable));
  }
  rows.push_back(Named(Integer("special functions", "backup mode", 30, "BackupMode", 0, 1), Enumeration::Switch));
  rows.push_back(
      Named(Integer("special functions", "backup sensor", 30, "BackupSensor", 1, 5), Enumeration::BackupSensor));
  rows.push_back(Named(Integer("special functions", "average mode", 30, "AverageMode", 0, 1), Enumeration::Switch));
  rows.push_back(Named(Integer("diagnosis", "sensor extremes", 27, "SensorMaxMin", 0, 1), Enumeration::Switch));
  rows.push_back(
      Named(Integer("diagnosis", "device temperature extremes", 27, "TempMaxMin", 0, 1), Enumeration::Switch));
  return rows;
}

std::string ChannelCode(int channel) { return "0" + std::to_string(channel - 1); }

// A sensor change makes the device reset the channel's unit and range, so
// they are written after it; channel 1's sensor write also carries the
// sensor temperature limits, whose home is the sensor parameters write.
void AddChannelWrites(std::vector<CatalogueWrite>& writes) {
  for (int channel = 1; channel <= kChannels; ++channel) {
    const std::string group = ChannelGroup(channel);
    CatalogueWrite sensor{3,
                          group,
                          "sensor of " + group,
                          {{1, Encoding::Literal, ChannelCode(channel)},
                           {2, Encoding::Code, group + ".sensor type"},
                           {3, Encoding::Code, group + ".connection"},
                           {4, Encoding::Code, group + ".cold junction"}},
                          true};
    if (channel == 1) {
      sensor.attributes.push_back({5, Encoding::Float, "sensor parameters.high limit", false});
      sensor.attributes.push_back({6, Encoding::Float, "sensor parameters.low limit", false});
      sensor.attributes.push_back({7, Encoding::Code, "sensor parameters.temperature unit", false});
    }
    writes.push_back(std::move(sensor));
  }
  for (int channel = 1; channel <= kChannels; ++channel) {
    const std::string group = ChannelGroup(channel);
    writes.push_back({6,
                      group,
                      "range of " + group,
                      {{1, Encoding::Literal, ChannelCode(channel)},
                       {2, Encoding::Code, group + ".unit"},
                       {3, Encoding::Float, group + ".upper range value"},
                       {4, Encoding::Float, group + ".lower range value"}}});
  }
}

std::vector<CatalogueWrite> BuildWrites() {
  std::vector<CatalogueWrite> writes;
  writes.push_back({1,
                    "identification",
                    "identification",
                    {{1, Encoding::Packed8, "identification.tag"},
                     {2, Encoding::Packed16, "identification.descriptor"},
                     {3, Encoding::Date, "identification.date"},
                     {4, Encoding::Packed32, "identification.message"},
                     {5, Encoding::Latin32, "identification.long tag"},
                     {6, Encoding::Hex6, "identification.final assembly"}}});
  AddChannelWrites(writes);
  writes.push_back({26,
                    "sensor parameters",
                    "sensor parameters",
                    {{1, Encoding::Float, "sensor parameters.high limit"},
                     {2, Encoding::Float, "sensor parameters.low limit"},
                     {3, Encoding::Code, "sensor parameters.temperature unit"},
                     {4, Encoding::Float, "sensor parameters.coefficient A"},
                     {5, Encoding::Float, "sensor parameters.coefficient B"},
                     {6, Encoding::Float, "sensor parameters.coefficient C"},
                     {7, Encoding::Float, "sensor parameters.R0"},
                     {8, Encoding::Float, "sensor parameters.damping"}}});
  writes.push_back({4,
                    "local temperature",
                    "local temperature unit",
                    {{1, Encoding::Literal, "0C"}, {2, Encoding::Code, "local temperature.unit"}}});
  CatalogueWrite display{5, "local display", "local display", {}};
  for (int line = 1; line <= 6; ++line) {
    display.attributes.push_back({line, Encoding::Code, "local display.line " + std::to_string(line)});
  }
  writes.push_back(std::move(display));
  writes.push_back({16,
                    "special functions",
                    "special functions",
                    {{1, Encoding::Code, "special functions.backup mode"},
                     {2, Encoding::Code, "special functions.backup sensor"},
                     {3, Encoding::Code, "special functions.average mode"}}});
  writes.push_back({17,
                    "diagnosis",
                    "extreme tracking",
                    {{1, Encoding::Code, "diagnosis.sensor extremes"},
                     {2, Encoding::Code, "diagnosis.device temperature extremes"}}});
  // Last: it may switch write protection on.
  writes.push_back({2,
                    "hart",
                    "HART settings",
                    {{1, Encoding::Code, "hart.loop current mode"},
                     {2, Encoding::Code, "hart.polling address"},
                     {3, Encoding::Code, "hart.response preambles"},
                     {4, Encoding::Code, "hart.write protection"},
                     {5, Encoding::Code, "hart.loop alarm"}}});
  return writes;
}

}  // namespace

const std::vector<CatalogueValue>& Values() {
  static const std::vector<CatalogueValue> values = BuildValues();
  return values;
}

const std::vector<CatalogueWrite>& Writes() {
  static const std::vector<CatalogueWrite> writes = BuildWrites();
  return writes;
}

const CatalogueValue* FindValue(const std::string& key) {
  static const auto index = [] {
    std::unordered_map<std::string, const CatalogueValue*> map;
    for (const CatalogueValue& row : Values()) map.emplace(row.key, &row);
    return map;
  }();
  auto it = index.find(key);
  return it == index.end() ? nullptr : it->second;
}

std::vector<int> ReadCodes() {
  std::vector<int> codes;
  for (const CatalogueValue& row : Values()) {
    if (std::ranges::find(codes, row.readCode) == codes.end()) codes.push_back(row.readCode);
  }
  return codes;
}

std::string CodeText(Enumeration enumeration, std::int64_t code) {
  if (code < 0 || code > 255) return "";
  const auto shortCode = static_cast<std::int16_t>(code);
  switch (enumeration) {
    case Enumeration::SensorType: return codecs::GetSensorTypeText(shortCode);
    case Enumeration::Connection: return codecs::GetSensorConnectionText(shortCode);
    case Enumeration::ColdJunction: return codecs::GetColdJunctionText(shortCode);
    case Enumeration::Unit: return codecs::GetUnitText(shortCode);
    case Enumeration::TemperatureUnit: {
      // Of the units, only the four temperature units.
      constexpr std::int64_t kFirst = 32, kLast = 35;
      return code >= kFirst && code <= kLast ? codecs::GetUnitText(shortCode) : "";
    }
    case Enumeration::DisplayVariable: return codecs::GetDisplayVariableText(shortCode);
    case Enumeration::Switch: return codecs::GetBackupModeText(shortCode);
    case Enumeration::LoopAlarm: return codecs::GetLoopAlarmText(shortCode);
    case Enumeration::BackupSensor: return codecs::GetBackupSensorText(shortCode);
    case Enumeration::None: break;
  }
  return "";
}

std::string GroupTitle(const std::string& group) {
  static const std::unordered_map<std::string, std::string> kTitles{
      {"device", "Device"},
      {"identification", "HART information"},
      {"hart", "HART settings"},
      {"sensor parameters", "Sensor parameters (Callendar-Van Dusen, limits, damping)"},
      {"local temperature", "Local temperature"},
      {"local display", "Local display"},
      {"special functions", "Special functions"},
      {"diagnosis", "Temperature extremes"}};
  auto found = kTitles.find(group);
  return found == kTitles.end() ? group : found->second;
}

std::vector<std::string> Groups() {
  std::vector<std::string> groups;
  for (const CatalogueValue& row : Values()) {
    if (std::ranges::find(groups, row.group) == groups.end()) groups.push_back(row.group);
  }
  return groups;
}

}  // namespace zolin6::configuration
