// The IEEE single hex encoder with any typed text. A first line "." or ","
// sets the user's decimal separator; otherwise the whole input is the text,
// in a "." locale.
//
// Properties: a result is always 8 upper-case hexadecimal digits; the same
// text gives the same pattern whatever was converted before; and what the
// write pages send for a typed number (ConvertTypedNumberToHex) is refused
// exactly for the texts that are no plain number, or else is the number cut
// to single precision, so a typing error never reaches the device as some
// other value.

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "codecs/float_ieee.h"
#include "fuzz_support.h"
#include "platform/locale.h"

namespace {

namespace codecs = zolin6::codecs;

bool IsPattern(const std::string& hex) {
  if (hex.size() != 8) return false;
  for (const char c : hex) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

float Decode(const std::string& hex) {
  std::uint32_t bits = 0;
  std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
  float value = 0.0F;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// Rounds halves to the even neighbour, as the whole-text reading does.
double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff != 0.5) return std::round(value);
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

// What a plain decimal text may arrive as: its own value, or where the
// separator lies beyond the tenth character of the magnitude (where the
// integer split does not look for it) the text read whole, "." as the only
// point, and rounded to an integer, so that in a "," locale the fraction is
// dropped. Nothing is expected when the integer part does not fit 32 bits:
// the conversion then fails.
struct Expected {
  bool fits = true;
  double value = 0.0;  // the number typed
  double quirk = 0.0;  // the whole-text reading, or the value itself
};

Expected ExpectedValue(const std::string& text, char localeSeparator) {
  std::string_view magnitude = text;
  const bool negative = !magnitude.empty() && magnitude.front() == '-';
  if (negative) magnitude.remove_prefix(1);
  std::string plain(magnitude);
  if (!plain.empty() && plain.front() == '+') plain.erase(0, 1);
  const std::size_t separator = plain.find_first_of(",.");
  const std::size_t inMagnitude = magnitude.find_first_of(",.");
  const bool splitFound = inMagnitude != std::string_view::npos && inMagnitude < 10;
  std::string whole = plain;
  if (separator != std::string::npos) {
    plain[separator] = '.';
    if (localeSeparator == ',') {
      whole.erase(separator);
    } else {
      whole[separator] = '.';
    }
  }
  auto read = [](std::string digits, double& value) {
    if (digits.empty() || digits.front() == '.') digits.insert(0, "0");
    return std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc::result_out_of_range;
  };
  Expected expected;
  double wholeValue = 0.0;
  if (!read(plain, expected.value) || !read(whole, wholeValue)) return {false};
  expected.quirk = splitFound ? expected.value : RoundHalfEven(wholeValue);
  const double limit = static_cast<double>(std::numeric_limits<std::int32_t>::max());
  if (std::floor(splitFound ? expected.value : expected.quirk) > limit) return {false};
  if (negative) {
    expected.value = -expected.value;
    expected.quirk = -expected.quirk;
  }
  return expected;
}

void CheckTyped(const std::string& typed, char localeSeparator) {
  const zolin6::Result<std::string> hex = codecs::ConvertTypedNumberToHex(typed);
  const bool plain = codecs::IsPlainDecimal(typed);
  if (!plain) {
    ZOLIN6_FUZZ_CHECK(!hex);
    return;
  }
  const Expected expected = ExpectedValue(Trim(typed), localeSeparator);
  ZOLIN6_FUZZ_CHECK(expected.fits == hex.ok());
  if (!hex) return;
  ZOLIN6_FUZZ_CHECK(IsPattern(*hex));
  // Truncation to 23 fraction bits and to the 24-bit mantissa, and the 15
  // significant digits of the decimal steps.
  const double sent = Decode(*hex);
  auto near = [sent](double value) {
    return std::fabs(sent - value) <= std::ldexp(1.0, -22) * (1.0 + std::fabs(value));
  };
  ZOLIN6_FUZZ_CHECK(near(expected.value) || near(expected.quirk));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = zolin6::fuzz::AsText(data, size);
  const auto [header, body] = zolin6::fuzz::SplitHeader(input);
  char separator = '.';
  std::string_view text = input;
  if (header == "." || header == ",") {
    separator = header.front();
    text = body;
  }
  zolin6::platform::SetUserLocale({separator});

  // The same text after two different earlier conversions.
  std::string first = "20";
  (void)codecs::ConvertFloatToHex(first);
  std::string copy(text);
  const zolin6::Result<std::string> afterTwenty = codecs::ConvertFloatToHex(copy);
  std::string second = "0.001";
  (void)codecs::ConvertFloatToHex(second);
  copy = std::string(text);
  const zolin6::Result<std::string> afterThousandth = codecs::ConvertFloatToHex(copy);
  ZOLIN6_FUZZ_CHECK(afterTwenty.ok() == afterThousandth.ok());
  if (afterTwenty) {
    ZOLIN6_FUZZ_CHECK(IsPattern(*afterTwenty));
    ZOLIN6_FUZZ_CHECK(*afterTwenty == *afterThousandth);
  }

  CheckTyped(std::string(text), separator);
  zolin6::platform::SetUserLocale({'.'});
  return 0;
}
