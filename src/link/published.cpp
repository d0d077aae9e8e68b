#include "link/published.h"

#include <array>
#include <charconv>

#include "hart/command_codec.h"

namespace zolin6::link {

namespace {

// The wire's float as the number it says (21.53, not 21.529998779296875):
// its shortest decimal text read back as a double.
double Widen(float value) {
  std::array<char, 32> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
  double wide = value;  // NaN and infinities stay as they are
  std::from_chars(text.data(), written.ptr, wide);
  return wide;
}

Result<std::uint8_t> Byte(const hart::Record& record, std::string_view field, int entry = hart::kNoEntry) {
  Result<std::uint32_t> number = record.number(field, entry);
  if (!number) return number.error();
  return static_cast<std::uint8_t>(*number);
}

Result<PublishedValue> Value(const hart::Record& record, std::uint8_t variable, std::string_view unitsField,
                             std::string_view valueField, int entry = hart::kNoEntry) {
  Result<std::uint8_t> units = Byte(record, unitsField, entry);
  if (!units) return units.error();
  Result<float> value = record.real(valueField, entry);
  if (!value) return value.error();
  return PublishedValue{variable, *units, Widen(*value)};
}

Result<PublishedValue> Fixed(const hart::Record& record, std::uint8_t variable, std::uint8_t units,
                             std::string_view field) {
  Result<float> value = record.real(field);
  if (!value) return value.error();
  return PublishedValue{variable, units, Widen(*value)};
}

// Each value as read, or why it could not be.
std::vector<Result<PublishedValue>> Read(std::uint16_t command, const hart::Record& record) {
  std::vector<Result<PublishedValue>> values;
  if (command == 1) {
    values.push_back(Value(record, kPrimaryVariableCode, "pv units", "pv"));
  } else if (command == 2) {
    values.push_back(Fixed(record, kLoopCurrentCode, kMilliampereUnits, "loop current"));
    values.push_back(Fixed(record, kPercentOfRangeCode, kPercentUnits, "percent of range"));
  } else if (command == 3) {
    values.push_back(Fixed(record, kLoopCurrentCode, kMilliampereUnits, "loop current"));
    for (int i = 0; i < record.entries("units"); ++i) {
      values.push_back(Value(record, static_cast<std::uint8_t>(kPrimaryVariableCode + i), "units", "value", i));
    }
  } else {
    for (int i = 0; i < record.entries("device variable"); ++i) {
      Result<std::uint8_t> code = Byte(record, "device variable", i);
      values.push_back(code ? Value(record, *code, "units", "value", i) : Result<PublishedValue>(code.error()));
    }
  }
  return values;
}

}  // namespace

Result<Published> DecodePublished(const hart::HeardBurst& burst) {
  const std::uint16_t command = burst.frame.command;
  if (command != 1 && command != 2 && command != 3 && command != 9) {
    return Error{std::to_string(command) + ": no values the host takes from a published frame"};
  }
  Result<hart::Record> record = hart::ParseReply(command, burst.frame.status, burst.data);
  if (!record) return record.error();
  Published published{burst.at.count(), command, {}};
  for (Result<PublishedValue>& value : Read(command, *record)) {
    if (!value) return value.error();
    published.values.push_back(*value);
  }
  return published;
}

}  // namespace zolin6::link
