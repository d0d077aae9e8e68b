#include "platform/locale.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace zolin6::platform {

namespace {

Locale& CurrentLocale() {
  static Locale locale;
  return locale;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Rounds to the nearest integer, halves to the even neighbour, the way the
// desktop's integer conversions do (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff > 0.5) return floor + 1.0;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <class Int>
Result<Int> RoundToInt(double value) {
  if (!std::isfinite(value)) return Overflow();
  const double rounded = RoundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return Overflow();
  }
  return static_cast<Int>(rounded);
}

template <class Int>
Result<Int> TextToInt(std::string_view text) {
  Result<double> number = ToDouble(text);
  if (!number) return number.error();
  return RoundToInt<Int>(*number);
}

// Replaces the "." that std::to_chars writes by the user's separator.
void ApplySeparator(std::string& text) {
  const char separator = UserLocale().decimalSeparator;
  for (char& c : text) {
    if (c == '.') c = separator;
  }
}

// Power of ten as an integer, for 0 <= exponent <= 18.
std::int64_t PowerOfTen(int exponent) {
  std::int64_t power = 1;
  for (int i = 0; i < exponent; ++i) power *= 10;
  return power;
}

}  // namespace

const Locale& UserLocale() { return CurrentLocale(); }

void SetUserLocale(Locale locale) { CurrentLocale() = locale; }

Result<double> ToDouble(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const char separator = UserLocale().decimalSeparator;
  // The number must start with a digit or the separator; this also keeps out
  // the "inf" and "nan" words that std::from_chars would otherwise accept.
  if (text.empty() || !(IsDigit(text.front()) || text.front() == separator)) {
    return TypeMismatch();
  }
  // std::from_chars reads "." only: the user's separator becomes ".". The
  // other one of "." and "," is the locale's digit grouping sign, which the
  // desktop's conversion skips inside the integer part ("1.000" is 1000 with
  // a "," separator, "0.0" is 0); anywhere else it makes the text no number.
  const char grouping = separator == ',' ? '.' : ',';
  std::string normalized;
  normalized.reserve(text.size());
  bool seenDigit = false;
  bool seenSeparator = false;
  bool seenExponent = false;
  for (const char c : text) {
    if (IsDigit(c)) {
      seenDigit = true;
      normalized += c;
    } else if (c == separator && !seenSeparator && !seenExponent) {
      seenSeparator = true;
      normalized += '.';
    } else if (c == grouping && seenDigit && !seenSeparator && !seenExponent) {
      continue;
    } else if (c == grouping || c == separator) {
      return TypeMismatch();
    } else {
      if (c == 'e' || c == 'E') seenExponent = true;
      normalized += c;
    }
  }
  if (!seenDigit) return TypeMismatch();
  double value = 0.0;
  const char* first = normalized.data();
  const char* last = first + normalized.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return Overflow();
  if (ec != std::errc{} || end != last) return TypeMismatch();
  return negative ? -value : value;
}

Result<std::int16_t> ToInt16(std::string_view text) { return TextToInt<std::int16_t>(text); }

Result<std::int32_t> ToInt32(std::string_view text) { return TextToInt<std::int32_t>(text); }

Result<std::int16_t> RoundToInt16(double value) { return RoundToInt<std::int16_t>(value); }

Result<std::int32_t> RoundToInt32(double value) { return RoundToInt<std::int32_t>(value); }

std::string FormatShortest(double value) {
  // Negative zero is written as the desktop writes it, "0".
  if (value == 0.0) return "0";
  std::array<char, 64> buffer{};
  // General form with 15 significant digits behaves as "%.15G": trailing
  // zeros dropped, exponent form below 1E-04 and from 1E+15 on.
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
  std::string text(buffer.data(), ec == std::errc{} ? end : buffer.data());
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  ApplySeparator(text);
  return text;
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  std::array<char, 64> buffer{};
  char* const begin = buffer.data();
  char* const limit = begin + buffer.size();
  if (!std::isfinite(value)) {
    const auto [end, ec] = std::to_chars(begin, limit, value);
    return std::string(begin, ec == std::errc{} ? end : begin);
  }

  // The display formatter works on the value's 15 significant decimal
  // digits and rounds halves away from zero there, so a typed 1.2345 shows
  // as 1.235 although its binary value lies just below the half. The digits
  // become an integer mantissa: |value| = mantissa * 10^(exponent - 14).
  const auto [sciEnd, sciEc] = std::to_chars(begin, limit, std::fabs(value), std::chars_format::scientific, 14);
  std::string scientific(begin, sciEc == std::errc{} ? sciEnd : begin);
  const std::size_t ePos = scientific.find('e');
  std::string digits = scientific.substr(0, 1) + scientific.substr(2, ePos - 2);
  std::int64_t mantissa = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), mantissa);
  int exponent = 0;
  const char* expFirst = scientific.data() + ePos + 1;
  if (*expFirst == '+') ++expFirst;
  std::from_chars(expFirst, scientific.data() + scientific.size(), exponent);

  // Scaled = |value| * 10^decimals as a digit text, rounded half away from
  // zero: either the mantissa followed by zeros, or the mantissa divided.
  const int shift = exponent - 14 + decimals;
  std::string body;
  bool isZero = false;
  if (shift >= 0) {
    body = std::to_string(mantissa) + std::string(static_cast<std::size_t>(shift), '0');
    isZero = mantissa == 0;
  } else {
    std::int64_t scaled = 0;
    if (-shift <= 18) {
      const std::int64_t divisor = PowerOfTen(-shift);
      scaled = mantissa / divisor;
      if ((mantissa % divisor) * 2 >= divisor) ++scaled;
    }
    body = std::to_string(scaled);
    isZero = scaled == 0;
  }
  const auto width = static_cast<std::size_t>(decimals) + 1;
  if (body.size() < width) body.insert(0, width - body.size(), '0');
  if (decimals > 0) {
    body.insert(body.size() - static_cast<std::size_t>(decimals), 1, UserLocale().decimalSeparator);
  }
  // A negative value that rounds to zero shows without its sign ("0.000").
  if (value < 0.0 && !isZero) body.insert(0, 1, '-');
  return body;
}

double LeadingNumber(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Only a digit or a point followed by a digit starts a number; the check
  // also keeps out the "inf" and "nan" words std::from_chars reads.
  const bool startsNumber =
      !text.empty() && (IsDigit(text.front()) || (text.front() == '.' && text.size() > 1 && IsDigit(text[1])));
  if (!startsNumber) return 0.0;
  double value = 0.0;
  const std::errc ec = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general).ec;
  if (ec == std::errc::result_out_of_range) {
    // Out of the double range: huge magnitudes saturate, tiny ones are 0.
    const bool tiny = text.find("e-") != std::string_view::npos || text.find("E-") != std::string_view::npos;
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc{}) {
    return 0.0;
  }
  return negative ? -value : value;
}

}  // namespace zolin6::platform
