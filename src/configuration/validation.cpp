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

Error Fault(const CatalogueValue& entry, const std::string& what) { return {entry.key + ": " + what}; }

bool HasLimits(const CatalogueValue& entry) { return entry.low != entry.high; }

std::string Limits(const CatalogueValue& entry) {
  return ValueText(entry.type == ValueType::Integer ? Value{static_cast<std::int64_t>(entry.low)} : Value{entry.low}) +
         " to " +
         ValueText(entry.type == ValueType::Integer ? Value{static_cast<std::int64_t>(entry.high)} : Value{entry.high});
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

Result<bool> CheckText(const CatalogueValue& entry, const std::string& text) {
  if (entry.decoding == Decoding::RecordDate) {
    if (!ValidDate(text)) return Fault(entry, "\"" + text + "\" is not a date YYYY-MM-DD between 1900 and 2155");
    return true;
  }
  const std::size_t characters = codecs::CharacterCount(text);
  if (characters > static_cast<std::size_t>(entry.length)) {
    return Fault(entry, "the text has " + std::to_string(characters) + " characters, the device keeps at most " +
                            std::to_string(entry.length));
  }
  if (entry.packed && !Packable(text)) {
    return Fault(entry, "\"" + text + "\" holds a character the device cannot keep (letters, digits, blank and " +
                            "punctuation only)");
  }
  // Characters without an 8-bit code come out of the conversion as "?".
  if (!entry.packed && std::ranges::count(codecs::Utf8ToLatin1(text), '?') != std::ranges::count(text, '?')) {
    return Fault(entry, "\"" + text + "\" holds a character the device cannot keep");
  }
  return true;
}

// A number bounded by other values of the same file (a range value by its
// sensor's limits).
Result<bool> CheckBounds(const CatalogueValue& entry, double number, const Configuration& configuration) {
  for (const auto& [boundKey, below] : {std::pair{entry.lowKey, true}, std::pair{entry.highKey, false}}) {
    if (boundKey.empty()) continue;
    auto bound = configuration.values.find(boundKey);
    if (bound == configuration.values.end() || !std::holds_alternative<double>(bound->second)) continue;
    const double limit = std::get<double>(bound->second);
    if (below ? number < limit : number > limit) {
      return Fault(entry, ValueText(number) + " is " + (below ? "below" : "above") + " the " +
                              FindValue(boundKey)->name + " " + ValueText(limit));
    }
  }
  return true;
}

Result<bool> CheckValue(const CatalogueValue& entry, const Value& value, const Configuration& configuration) {
  switch (entry.type) {
    case ValueType::Integer: {
      const auto* integer = std::get_if<std::int64_t>(&value);
      if (integer == nullptr) return Fault(entry, "an integer is expected");
      const auto asNumber = static_cast<double>(*integer);
      if (HasLimits(entry) && (asNumber < entry.low || asNumber > entry.high)) {
        return Fault(entry, std::to_string(*integer) + " is out of the device's range " + Limits(entry));
      }
      if (entry.enumeration != Enumeration::None && CodeText(entry.enumeration, *integer).empty()) {
        return Fault(entry, "the device knows no code " + std::to_string(*integer));
      }
      return true;
    }
    case ValueType::Number: {
      const auto* number = std::get_if<double>(&value);
      if (number == nullptr || !std::isfinite(*number)) return Fault(entry, "a number is expected");
      if (HasLimits(entry) && (*number < entry.low || *number > entry.high)) {
        return Fault(entry, ValueText(*number) + " is out of the device's range " + Limits(entry));
      }
      return CheckBounds(entry, *number, configuration);
    }
    case ValueType::Text: {
      const auto* text = std::get_if<std::string>(&value);
      if (text == nullptr) return Fault(entry, "a text is expected");
      return CheckText(entry, *text);
    }
  }
  return true;
}

}  // namespace

Result<bool> Validate(const Configuration& configuration) {
  for (const CatalogueValue& entry : Values()) {
    auto found = configuration.values.find(entry.key);
    if (found == configuration.values.end()) return Fault(entry, "the value is missing");
    if (Result<bool> checked = CheckValue(entry, found->second, configuration); !checked) return checked;
  }
  return true;
}

}  // namespace zolin6::configuration
