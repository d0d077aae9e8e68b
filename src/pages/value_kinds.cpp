#include "pages/value_kinds.h"

#include <array>
#include <charconv>
#include <system_error>

#include "platform/locale.h"

namespace zolin6::pages {

namespace {

// A hexadecimal number made of all of `digits` (upper or lower case); an
// empty text or any other character is a type mismatch, as the desktop's
// "&H" conversion of the same text is.
Result<unsigned> HexNumber(std::string_view digits) {
  unsigned number = 0;
  const char* last = digits.data() + digits.size();
  const auto [end, ec] = std::from_chars(digits.data(), last, number, 16);
  if (digits.empty() || ec != std::errc{} || end != last) return TypeMismatch();
  return number;
}

// Digit positions of the date in the identification record, one-based.
constexpr std::size_t kDayDigit = 37;
constexpr std::size_t kMonthDigit = 39;
constexpr std::size_t kYearDigit = 41;
constexpr std::size_t kRecordDigits = 42;
constexpr std::size_t kMaxYearDigits = 4;
constexpr unsigned kYearOffset = 1900;

}  // namespace

bool IsNotANumberText(std::string_view text) { return text == "2141192192" || text == "1.#R" || text == "1.#QNAN"; }

std::string FormatNumber(std::string_view text, int decimals) {
  return platform::FormatFixed(platform::LeadingNumber(text), decimals);
}

std::string FormatCheckedNumber(std::string_view text, int decimals) {
  if (IsNotANumberText(text)) return std::string(kNotANumber);
  return FormatNumber(text, decimals);
}

std::string FormatObservedNumber(std::string_view text, int decimals) {
  if (text == "1.#R" || text == "1.#QNAN") return std::string(text);
  return FormatNumber(text, decimals);
}

Result<std::string> BlankUnrecordedExtreme(const std::string& shown) {
  Result<double> number = platform::ToDouble(shown);
  if (!number) return number.error();
  if (*number == 5000.0 || *number == -5000.0) return std::string("-");
  return shown;
}

std::string_view HexSlice(std::string_view value, std::size_t first, std::size_t count) {
  if (first == 0 || first > value.size()) return {};
  return value.substr(first - 1, count);
}

Result<std::string> RecordDate(std::string_view record) {
  if (record.size() < kRecordDigits) return TypeMismatch();
  Result<unsigned> day = HexNumber(HexSlice(record, kDayDigit, 2));
  if (!day) return day.error();
  Result<unsigned> month = HexNumber(HexSlice(record, kMonthDigit, 2));
  if (!month) return month.error();
  Result<unsigned> year = HexNumber(HexSlice(record, kYearDigit, kMaxYearDigits));
  if (!year) return year.error();
  return std::to_string(*day) + "/" + std::to_string(*month) + "/" + std::to_string(kYearOffset + *year);
}

int HardwareRevision(std::int32_t revisionByte) { return (revisionByte & 248) / 8; }

std::int16_t PhysicalSignalCode(std::int32_t revisionByte) { return static_cast<std::int16_t>(revisionByte & 7); }

std::string SoftwareVersion(std::int32_t versionByte) {
  std::array<char, 16> buffer{};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), static_cast<std::uint32_t>(versionByte), 16);
  std::string hex(buffer.data(), ec == std::errc{} ? end : buffer.data());
  for (char& c : hex) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  // Only the first two digits are shown; a single digit still gets its point.
  std::string shown = hex.substr(0, 1) + ".";
  if (hex.size() > 1) shown += hex[1];
  return shown;
}

}  // namespace zolin6::pages
