#include "configuration/device_codec.h"

#include <pugixml.hpp>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "codecs/float_ieee.h"
#include "codecs/functions_hart.h"
#include "pages/parameter_document.h"

// GCC 12 with the sanitizers takes the inactive std::string of a Value
// moved into a Result for maybe uninitialized, a false positive of its
// variant analysis; clang and the plain build see nothing.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace zolin6::configuration {

namespace {

// The device's texts for a number it has no valid value for.
bool IsNotANumber(std::string_view text) { return text == "1.#QNAN" || text == "1.#R" || text == "2141192192"; }

// Packed and Latin texts come padded with blanks (and NULs) to their length.
std::string TrimPadding(std::string text) {
  const std::size_t end = text.find_last_not_of(std::string_view(" \0", 2));
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

Result<std::int64_t> HexByte(std::string_view digits) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.size() != 2 || ec != std::errc() || end != digits.data() + digits.size()) return TypeMismatch();
  return static_cast<std::int64_t>(value);
}

// The packed text of `bytes` bytes starting at digit `first` (zero-based).
Result<Value> Packed(std::string_view text, std::size_t first, int bytes, int characters) {
  const std::size_t digits = 2 * static_cast<std::size_t>(bytes);
  if (text.size() < first + digits) return Error{"the packed text is too short"};
  Result<std::string> unpacked = codecs::UnpackAscii(text.substr(first, digits), bytes, characters);
  if (!unpacked) return Error{"the packed text cannot be read"};
  return Value{TrimPadding(*unpacked)};
}

// Day, month and year - 1900 in the identification record's digits 37-42.
Result<Value> RecordDate(std::string_view text) {
  constexpr std::size_t kDateDigit = 36;
  if (text.size() < kDateDigit + 6) return Error{"the identification record has no date"};
  Result<std::int64_t> day = HexByte(text.substr(kDateDigit, 2));
  Result<std::int64_t> month = HexByte(text.substr(kDateDigit + 2, 2));
  Result<std::int64_t> year = HexByte(text.substr(kDateDigit + 4, 2));
  if (!day || !month || !year) return Error{"the date is not three bytes"};
  std::array<char, 16> date{};
  std::snprintf(date.data(), date.size(), "%04d-%02d-%02d", static_cast<int>(1900 + *year), static_cast<int>(*month),
                static_cast<int>(*day));
  return Value{std::string(date.data())};
}

Result<Value> Decimal(const CatalogueValue& entry, std::string_view text) {
  if (entry.type == ValueType::Number) {
    if (IsNotANumber(text)) return Error{"the device has no valid value"};
    double number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
      return Error{"\"" + std::string(text) + "\" is not a number"};
    }
    return Value{number};
  }
  std::int64_t integer = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), integer);
  if (ec != std::errc() || end != text.data() + text.size()) {
    return Error{"\"" + std::string(text) + "\" is not an integer"};
  }
  if (entry.decoding == Decoding::Flag) integer = integer != 0 ? 1 : 0;
  return Value{integer};
}

std::string Hex(std::uint32_t value, int digits) {
  std::array<char, 16> text{};
  std::snprintf(text.data(), text.size(), "%0*X", digits, value);
  return text.data();
}

Result<std::string> EncodeDate(const std::string& date) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) {
    return Error{"the date is not YYYY-MM-DD"};
  }
  return codecs::ByteToHex(day) + codecs::ByteToHex(month) + codecs::ByteToHex(year - 1900);
}

std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

Result<std::string> EncodeAttribute(const WriteAttribute& attribute, const Configuration& configuration) {
  if (attribute.encoding == Encoding::Literal) return attribute.source;
  auto found = configuration.values.find(attribute.source);
  if (found == configuration.values.end()) return Error{attribute.source + " is missing"};
  const Value& value = found->second;
  const auto* integer = std::get_if<std::int64_t>(&value);
  const auto* number = std::get_if<double>(&value);
  const auto* text = std::get_if<std::string>(&value);
  switch (attribute.encoding) {
    case Encoding::Code:
      if (integer == nullptr || *integer < 0 || *integer > 255) break;
      return codecs::ByteToHex(static_cast<int>(*integer));
    case Encoding::Hex6:
      if (integer == nullptr || *integer < 0 || *integer > 0xFFFFFF) break;
      return Hex(static_cast<std::uint32_t>(*integer), 6);
    case Encoding::Float:
      if (number == nullptr) break;
      return PageNumberHex(*number);
    case Encoding::Packed8:
    case Encoding::Packed16:
    case Encoding::Packed32: {
      if (text == nullptr) break;
      const int length = attribute.encoding == Encoding::Packed8    ? 8
                         : attribute.encoding == Encoding::Packed16 ? 16
                                                                    : 32;
      std::string upper = Upper(*text);
      return codecs::PackAscii(upper, length);
    }
    case Encoding::Latin32: {
      if (text == nullptr) break;
      std::string latin = *text;
      return codecs::AsciiToHex(latin, 32);
    }
    case Encoding::Date:
      if (text == nullptr) break;
      return EncodeDate(*text);
    case Encoding::Literal: break;
  }
  return Error{attribute.source + " has the wrong type for its write"};
}

}  // namespace

Attributes NoAttributes() {
  Attributes attributes;
  attributes.fill("None");
  return attributes;
}

std::string RequestDocument(const Attributes& attributes) {
  pugi::xml_document doc;
  pugi::xml_node control = doc.append_child("ViewData").append_child("ControlData");
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    const std::string name = "Attribute" + std::to_string(i + 1);
    control.append_attribute(name.c_str()).set_value(attributes[i].c_str());
  }
  std::ostringstream text;
  doc.save(text, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return text.str();
}

Result<Value> DecodeValue(const CatalogueValue& entry, const pugi::xml_document& document) {
  Result<std::string> text = pages::FetchTagValue(document, entry.tag);
  if (!text) return Error{"the device's answer has no " + entry.tag};
  switch (entry.decoding) {
    case Decoding::Decimal:
    case Decoding::Flag: return Decimal(entry, *text);
    case Decoding::RecordTag: return Packed(*text, 0, 6, 8);
    case Decoding::RecordDescriptor: return Packed(*text, 12, 12, 16);
    case Decoding::RecordDate: return RecordDate(*text);
    case Decoding::PackedMessage: return Packed(*text, 0, 24, 32);
    case Decoding::Latin32: {
      Result<std::string> latin = codecs::HexToText32(*text);
      if (!latin) return Error{"the text cannot be read"};
      return Value{TrimPadding(*latin)};
    }
  }
  return Error{"unknown decoding"};
}

Result<Attributes> EncodeWrite(const CatalogueWrite& write, const Configuration& configuration) {
  Attributes attributes = NoAttributes();
  for (const WriteAttribute& attribute : write.attributes) {
    Result<std::string> text = EncodeAttribute(attribute, configuration);
    if (!text) return text.error();
    attributes[static_cast<std::size_t>(attribute.position - 1)] = *text;
  }
  return attributes;
}

Result<std::string> PageNumberHex(double value) {
  // Plain digits, no exponent: the text a technician types on the page.
  std::array<char, 64> text{};
  const auto [end, ec] =
      std::to_chars(text.data(), text.data() + text.size(), static_cast<float>(value), std::chars_format::fixed);
  if (ec != std::errc()) return Error{"the number cannot be written"};
  return codecs::ConvertTypedNumberToHex(std::string_view(text.data(), end));
}

}  // namespace zolin6::configuration
