#include "configuration/validation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "codecs/latin1.h"
#include "configuration/catalogue.h"

namespace zolin6::configuration {

namespace {

constexpr int kFirstYear = 1900;  // the device keeps the year minus 1900 in one byte
constexpr int kLastYear = 2155;

Error Fault(const ValueSpec& spec, const std::string& what) { return {spec.key + ": " + what}; }

bool HasLimits(const ValueSpec& spec) { return spec.low != spec.high; }

std::string Limits(const ValueSpec& spec) {
  return ValueText(spec.type == ValueType::Integer ? Value{static_cast<std::int64_t>(spec.low)} : Value{spec.low}) +
         " to " +
         ValueText(spec.type == ValueType::Integer ? Value{static_cast<std::int64_t>(spec.high)} : Value{spec.high});
}

// Packed ASCII keeps six bits a character: blank to underscore after
// upper-casing.
bool Packable(const std::string& text) {
  for (unsigned char c : text) {
    const unsigned char upper = static_cast<unsigned char>(std::toupper(c));
    if (upper < 0x20 || upper > 0x5F) return false;
  }
  return true;
}

bool ValidDate(const std::string& text) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) return false;
  return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

Result<bool> CheckText(const ValueSpec& spec, const std::string& text) {
  if (spec.decoding == Decoding::RecordDate) {
    if (!ValidDate(text)) return Fault(spec, "\"" + text + "\" is not a date YYYY-MM-DD between 1900 and 2155");
    return true;
  }
  const std::size_t characters = codecs::CharacterCount(text);
  if (characters > static_cast<std::size_t>(spec.length)) {
    return Fault(spec, "the text has " + std::to_string(characters) + " characters, the device keeps at most " +
                           std::to_string(spec.length));
  }
  if (spec.packed && !Packable(text)) {
    return Fault(spec, "\"" + text + "\" holds a character the device cannot keep (letters, digits, blank and " +
                           "punctuation only)");
  }
  // Characters without an 8-bit code come out of the conversion as "?".
  if (!spec.packed && std::ranges::count(codecs::Utf8ToLatin1(text), '?') != std::ranges::count(text, '?')) {
    return Fault(spec, "\"" + text + "\" holds a character the device cannot keep");
  }
  return true;
}

// A number bounded by other values of the same file (a range value by its
// sensor's limits).
Result<bool> CheckBounds(const ValueSpec& spec, double number, const Configuration& configuration) {
  for (const auto& [boundKey, below] : {std::pair{spec.lowKey, true}, std::pair{spec.highKey, false}}) {
    if (boundKey.empty()) continue;
    auto bound = configuration.values.find(boundKey);
    if (bound == configuration.values.end() || !std::holds_alternative<double>(bound->second)) continue;
    const double limit = std::get<double>(bound->second);
    if (below ? number < limit : number > limit) {
      return Fault(spec, ValueText(number) + " is " + (below ? "below" : "above") + " the " +
                             FindValue(boundKey)->name + " " + ValueText(limit));
    }
  }
  return true;
}

Result<bool> CheckValue(const ValueSpec& spec, const Value& value, const Configuration& configuration) {
  switch (spec.type) {
    case ValueType::Integer: {
      const auto* integer = std::get_if<std::int64_t>(&value);
      if (integer == nullptr) return Fault(spec, "an integer is expected");
      const auto asNumber = static_cast<double>(*integer);
      if (HasLimits(spec) && (asNumber < spec.low || asNumber > spec.high)) {
        return Fault(spec, std::to_string(*integer) + " is out of the device's range " + Limits(spec));
      }
      if (spec.enumeration != Enumeration::None && CodeText(spec.enumeration, *integer).empty()) {
        return Fault(spec, "the device knows no code " + std::to_string(*integer));
      }
      return true;
    }
    case ValueType::Number: {
      const auto* number = std::get_if<double>(&value);
      if (number == nullptr || !std::isfinite(*number)) return Fault(spec, "a number is expected");
      if (HasLimits(spec) && (*number < spec.low || *number > spec.high)) {
        return Fault(spec, ValueText(*number) + " is out of the device's range " + Limits(spec));
      }
      return CheckBounds(spec, *number, configuration);
    }
    case ValueType::Text: {
      const auto* text = std::get_if<std::string>(&value);
      if (text == nullptr) return Fault(spec, "a text is expected");
      return CheckText(spec, *text);
    }
  }
  return true;
}

}  // namespace

Result<bool> Validate(const Configuration& configuration) {
  for (const ValueSpec& spec : Values()) {
    auto found = configuration.values.find(spec.key);
    if (found == configuration.values.end()) return Fault(spec, "the value is missing");
    if (Result<bool> checked = CheckValue(spec, found->second, configuration); !checked) return checked;
  }
  return true;
}

}  // namespace zolin6::configuration
