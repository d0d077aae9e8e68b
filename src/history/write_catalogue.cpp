#include "history/write_catalogue.h"

#include <array>
#include <cstdio>
#include <map>
#include <optional>

#include "codecs/enumerated.h"
#include "codecs/functions_hart.h"
#include "history/value_texts.h"
#include "pages/response_messages.h"

namespace zolin6::history {

namespace {

using Decoder = std::string (*)(std::int16_t);

// How the two sides of one value are shown.
enum class Form {
  Number,  // IEEE hex sent, decimal text read; three decimals
  Code,    // hex code sent, decimal code read; shown through the decoder
  Count,   // hex integer sent, decimal read; shown in decimal
  Packed,  // packed ASCII bytes in hex both ways; shown as the text
  Latin,   // one byte per character in hex both ways; shown as the text
  Date,    // day, month, year - 1900 in hex both ways; shown as dd/mm/yyyy
  Text,    // shown as sent and as read
};

struct Field {
  int attribute;     // 1..22
  const char* name;  // "{n}" is the channel number
  const char* tag;   // "{n}" is the channel number; nullptr when never read
  Form form;
  Decoder decoder = nullptr;  // for Form::Code
  int readByte = 0;           // packed texts and the date: where the value starts in the read tag's bytes
};

// Where the channel of the request comes from.
enum class Channels {
  None,      // no channel
  FromCode,  // Attribute1 is the channel code "00".."05": channels 1..6
  All,       // copy to all channels: every field with "{n}" stands for channels 1..6
};

struct Entry {
  const char* operation;
  Channels channels;
  std::vector<Field> fields;
};

const std::map<int, Entry>& Catalogue() {
  using F = Form;
  static const std::map<int, Entry> entries{
      {1,
       {"write",
        Channels::None,
        // Tag, descriptor and date are read as one run of 21 bytes.
        {{1, "Tag", "Tag", F::Packed},
         {2, "Descriptor", "Descriptor", F::Packed, nullptr, 6},
         {3, "Date", "Date", F::Date, nullptr, 18},
         {4, "Message", "Message", F::Packed},
         {5, "Long Tag", "Long Tag", F::Latin},
         {6, "Final Assembly", "Final Assembly", F::Count}}}},
      {2,
       {"write",
        Channels::None,
        {{1, "Loop Current Mode", "CurrentMode", F::Code, codecs::GetLoopCurrentModeText},
         {2, "Polling Address", "Polling_Address", F::Count},
         {3, "Response Preambles", "RespPreambles", F::Code, codecs::GetPreamblesText},
         {4, "Write Protection", "WriteProtect", F::Code, codecs::GetWriteProtectText},
         {5, "Loop Alarm", "Loop_Alarm", F::Code, codecs::GetLoopAlarmText}}}},
      {3,
       {"write",
        Channels::FromCode,
        {{2, "Sensor {n} Type", "Sns{n}Type", F::Code, codecs::GetSensorTypeText},
         {3, "Sensor {n} Connection", "Sns{n}Connection", F::Code, codecs::GetSensorConnectionText},
         {4, "Sensor {n} Cold Junction", "Sns{n}ColdJunction", F::Code, codecs::GetColdJunctionText},
         {5, "Sensor Temp High Limit", "SnsTempHighLimit", F::Number},
         {6, "Sensor Temp Low Limit", "SnsTempLowLimit", F::Number},
         {7, "Sensor Limit Unit", "SnsUnit", F::Code, codecs::GetUnitText}}}},
      {5,
       {"write",
        Channels::None,
        {{1, "Display 1", "Display1", F::Code, codecs::GetDisplayVariableText},
         {2, "Display 2", "Display2", F::Code, codecs::GetDisplayVariableText},
         {3, "Display 3", "Display3", F::Code, codecs::GetDisplayVariableText},
         {4, "Display 4", "Display4", F::Code, codecs::GetDisplayVariableText},
         {5, "Display 5", "Display5", F::Code, codecs::GetDisplayVariableText},
         {6, "Display 6", "Display6", F::Code, codecs::GetDisplayVariableText}}}},
      {6,
       {"write",
        Channels::FromCode,
        {{2, "Sensor {n} Unit", "Sns{n}Unit", F::Code, codecs::GetUnitText},
         {3, "Sensor {n} Upper Range Value", "Sns{n}UpperRangeValue", F::Number},
         {4, "Sensor {n} Lower Range Value", "Sns{n}LowerRangeValue", F::Number}}}},
      {7, {"device command", Channels::None, {{1, "Configuration Change Counter", nullptr, F::Count}}}},
      {8, {"device command", Channels::None, {}}},
      {9, {"device command", Channels::None, {}}},
      {10, {"device command", Channels::None, {}}},
      {11, {"loop test", Channels::None, {{1, "Channel 1 Loop Current", nullptr, F::Number}}}},
      {13, {"trim step", Channels::None, {{1, "Channel 1 Reading at 4 mA", nullptr, F::Number}}}},
      {14, {"trim step", Channels::None, {{1, "Channel 1 Reading at 20 mA", nullptr, F::Number}}}},
      {15,
       {"trim step",
        Channels::None,
        {{1, "Trim Unit", nullptr, F::Code, codecs::GetUnitText}, {2, "Calibration Temperature", nullptr, F::Number}}}},
      {16,
       {"write",
        Channels::None,
        {{1, "Backup Mode", "BackupMode", F::Code, codecs::GetBackupModeText},
         {2, "Backup Sensor", "BackupSensor", F::Code, codecs::GetBackupSensorText},
         {3, "Average Mode", "AverageMode", F::Code, codecs::GetAverageModeText}}}},
      {17,
       {"write",
        Channels::None,
        {{1, "Sensor Max/Min", "SensorMaxMin", F::Code, codecs::GetSensorMaxMinText},
         {2, "Temp Max/Min", "TempMaxMin", F::Code, codecs::GetTempMaxMinText}}}},
      {18, {"device command", Channels::None, {}}},
      {19, {"device command", Channels::None, {}}},
      {20,
       {"trim step",
        Channels::None,
        {{1, "Trim Unit", nullptr, F::Code, codecs::GetUnitText}, {2, "Sensor Lower Trim Value", nullptr, F::Number}}}},
      {21,
       {"trim step",
        Channels::None,
        {{1, "Trim Unit", nullptr, F::Code, codecs::GetUnitText}, {2, "Sensor Upper Trim Value", nullptr, F::Number}}}},
      {23, {"trim step", Channels::FromCode, {{2, "Channel {n} Reading at 4 mA", nullptr, F::Number}}}},
      {24, {"trim step", Channels::FromCode, {{2, "Channel {n} Reading at 20 mA", nullptr, F::Number}}}},
      {26,
       {"write",
        Channels::None,
        {{1, "Sensor Temp High Limit", "SnsTempHighLimit", F::Number},
         {2, "Sensor Temp Low Limit", "SnsTempLowLimit", F::Number},
         {3, "Sensor Limit Unit", "SnsUnit", F::Code, codecs::GetUnitText},
         {4, "Coefficient A", "CoeffA", F::Number},
         {5, "Coefficient B", "CoeffB", F::Number},
         {6, "Coefficient C", "CoeffC", F::Number},
         {7, "R0", "CoeffRA", F::Number},
         {8, "Damping", "Damping", F::Number}}}},
      {27,
       {"copy to all channels",
        Channels::All,
        {{1, "Sensor {n} Type", "Sns{n}Type", F::Code, codecs::GetSensorTypeText},
         {2, "Sensor {n} Connection", "Sns{n}Connection", F::Code, codecs::GetSensorConnectionText},
         {3, "Sensor {n} Cold Junction", "Sns{n}ColdJunction", F::Code, codecs::GetColdJunctionText},
         {4, "Sensor Temp High Limit", "SnsTempHighLimit", F::Number},
         {5, "Sensor Temp Low Limit", "SnsTempLowLimit", F::Number},
         {6, "Sensor Limit Unit", "SnsUnit", F::Code, codecs::GetUnitText}}}},
      {28,
       {"copy to all channels",
        Channels::All,
        {{1, "Sensor {n} Unit", "Sns{n}Unit", F::Code, codecs::GetUnitText},
         {2, "Sensor {n} Upper Range Value", "Sns{n}UpperRangeValue", F::Number},
         {3, "Sensor {n} Lower Range Value", "Sns{n}LowerRangeValue", F::Number}}}},
      {29,
       {"trim step",
        Channels::None,
        {{1, "Factory Trim Input", nullptr, F::Text}, {2, "Factory Trim Value", nullptr, F::Number}}}},
  };
  return entries;
}

std::string WithChannel(std::string_view pattern, int channel) {
  std::string text(pattern);
  if (auto at = text.find("{n}"); at != std::string::npos) text.replace(at, 3, std::to_string(channel));
  return text;
}

std::string ShowCode(long code, Decoder decoder) {
  const std::string text = decoder(static_cast<std::int16_t>(code));
  return text.empty() ? std::to_string(code) : text;
}

// The text of a value kept as device bytes in hex, as the page shows it:
// trailing blanks and NULs the device pads with left out; nullopt when the
// hex does not hold such a value.
std::optional<std::string> BytesText(Form form, std::string_view hex) {
  const int bytes = static_cast<int>(hex.size() / 2);
  Result<std::string> text = Error{""};
  if (form == Form::Packed && bytes > 0 && bytes % 3 == 0) text = codecs::UnpackAscii(hex, bytes, bytes * 4 / 3);
  if (form == Form::Latin && hex.size() == 64) text = codecs::HexToText32(hex);
  if (form == Form::Date && hex.size() == 6) {
    const auto day = HexCode(hex.substr(0, 2)), month = HexCode(hex.substr(2, 2)), year = HexCode(hex.substr(4, 2));
    if (!day || !month || !year) return std::nullopt;
    char date[64];
    std::snprintf(date, sizeof date, "%02ld/%02ld/%04ld", *day, *month, 1900 + *year);
    return std::string(date);
  }
  if (!text) return std::nullopt;
  std::string shown = std::move(text).value();
  shown.erase(shown.find_last_not_of(std::string_view(" \0", 2)) + 1);
  return shown;
}

// The value as sent, shown as its page shows it; the attribute text itself
// when it cannot be read that way.
std::string AfterText(const Field& field, const std::string& attribute) {
  switch (field.form) {
    case Form::Number:
      if (auto value = HexFloat(attribute)) return ThreeDecimals(*value);
      break;
    case Form::Code:
      if (auto code = HexCode(attribute)) return ShowCode(*code, field.decoder);
      break;
    case Form::Count:
      if (auto code = HexCode(attribute)) return std::to_string(*code);
      break;
    case Form::Packed:
    case Form::Latin:
    case Form::Date:
      if (auto text = BytesText(field.form, attribute)) return *text;
      break;
    case Form::Text: break;
  }
  return attribute;
}

// The value as last read, shown as its page shows it. `sentDigits` is the
// length of what was sent: a text's bytes are cut from the read tag's at
// the field's place.
std::string BeforeText(const Field& field, const std::string& value, std::size_t sentDigits) {
  switch (field.form) {
    case Form::Number:
      if (auto number = DocumentNumber(value)) return ThreeDecimals(*number);
      break;
    case Form::Code:
      if (auto code = DecimalCode(value)) return ShowCode(*code, field.decoder);
      break;
    case Form::Packed:
    case Form::Latin:
    case Form::Date: {
      const auto start = static_cast<std::size_t>(field.readByte) * 2;
      if (value.size() < start + sentDigits) return "?";
      if (auto text = BytesText(field.form, std::string_view(value).substr(start, sentDigits))) return *text;
      return "?";
    }
    case Form::Count:
    case Form::Text: break;
  }
  return value;
}

void AddField(const Field& field, int channel, const std::vector<std::string>& attributes, const LastRead& lastRead,
              std::vector<ValueChange>& values) {
  const std::string& attribute = attributes.at(field.attribute - 1);
  if (attribute.empty()) return;  // not sent by this request
  ValueChange change{WithChannel(field.name, channel), "", AfterText(field, attribute)};
  if (field.tag != nullptr) {
    if (auto value = lastRead(WithChannel(field.tag, channel))) {
      change.before = BeforeText(field, *value, attribute.size());
    }
  }
  values.push_back(std::move(change));
}

// Write codes the procedures share with the loop test: holding a fixed
// current is a trim step on a trim page and a loop test anywhere else.
WriteDescription FixedCurrent(int code, const std::vector<std::string>& attributes, std::string_view page) {
  WriteDescription description{page.starts_with("Trim") ? "trim step" : "loop test", {}};
  const bool channelOne = code == 12;
  const int channel = channelOne ? 1 : static_cast<int>(HexCode(attributes.at(0)).value_or(0)) + 1;
  const std::string& current = attributes.at(channelOne ? 0 : 1);
  // 0 mA is no current to hold: the output goes back to following its sensor.
  const bool release = HexFloat(current) == 0.0;
  const Field field{1, "", nullptr, Form::Number};
  description.values.push_back({WithChannel("Channel {n} Loop Current", channel), release ? "held" : "",
                                release ? "released" : AfterText(field, current)});
  return description;
}

}  // namespace

WriteDescription DescribeWrite(std::string_view code, const std::vector<std::string>& attributes, std::string_view page,
                               const LastRead& lastRead) {
  const std::optional<long> number = DecimalCode(code);
  if (!number || attributes.size() < 22) return {"write", {}};
  if (*number == 12 || *number == 22) return FixedCurrent(static_cast<int>(*number), attributes, page);
  if (*number == 4) {
    // The one unit write: "0C" in Attribute1 is the local temperature, a
    // channel code is a sensor's unit.
    const bool local = attributes[0] == "0C";
    const int channel = static_cast<int>(HexCode(attributes[0]).value_or(0)) + 1;
    const Field unit{2, local ? "Local Temperature Unit" : "Sensor {n} Unit", local ? "TempUnit" : "Sns{n}Unit",
                     Form::Code, codecs::GetUnitText};
    WriteDescription description{local ? "write" : "unit change", {}};
    AddField(unit, channel, attributes, lastRead, description.values);
    return description;
  }
  const auto& catalogue = Catalogue();
  auto found = catalogue.find(static_cast<int>(*number));
  if (found == catalogue.end()) return {"write", {}};
  const Entry& entry = found->second;
  WriteDescription description{entry.operation, {}};
  if (entry.channels == Channels::All) {
    for (const Field& field : entry.fields) {
      const bool perChannel = std::string_view(field.name).find("{n}") != std::string_view::npos;
      for (int channel = 1; channel <= (perChannel ? 6 : 1); ++channel) {
        AddField(field, channel, attributes, lastRead, description.values);
      }
    }
    return description;
  }
  const int channel =
      entry.channels == Channels::FromCode ? static_cast<int>(HexCode(attributes[0]).value_or(0)) + 1 : 0;
  for (const Field& field : entry.fields) AddField(field, channel, attributes, lastRead, description.values);
  return description;
}

Verdict JudgeResponse(const std::vector<long>& codes, std::string_view operation) {
  Verdict verdict{Outcome::Accepted, ""};
  for (long code : codes) {
    if (code == 0) continue;
    std::string text;
    if (code == 11) {
      // The same code means three things; what was sent tells which.
      if (operation == "trim step" || operation == "loop test") {
        text = pages::kHeldCurrentMessage;
      } else {
        text = operation == "unit change" ? pages::kBackupModeMessage : pages::kInvalidUnitMessage;
      }
    } else if (const auto known = pages::ResponseCodeMessage(code)) {
      text = *known;
    } else {
      text = "Response code " + std::to_string(code);
    }
    verdict.outcome = Outcome::Refused;
    verdict.text += (verdict.text.empty() ? "" : "; ") + text;
  }
  if (verdict.outcome == Outcome::Accepted) verdict.text = "accepted";
  return verdict;
}

}  // namespace zolin6::history
