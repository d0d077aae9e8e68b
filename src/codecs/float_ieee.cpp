#include "codecs/float_ieee.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "platform/locale.h"

namespace zolin6::codecs {

namespace {

// The only spellings of zero the conversion recognises; every other form of
// zero goes through the bit construction (and gives no defined pattern).
constexpr std::array<std::string_view, 24> kZeroTexts{
    "00",        "0",         "000",        "0000",       "0.0",         "0.00",        "0,0",          "0,00",
    "0,000",     "0.000",     "0,0000",     "0.0000",     "0,00000",     "0.00000",     "0,000000",     "0.000000",
    "0,0000000", "0.0000000", "0,00000000", "0.00000000", "0,000000000", "0.000000000", "0,0000000000", "0.0000000000"};

constexpr std::size_t kSeparatorWindow = 10;  // characters the integer split looks at
constexpr int kMaxFractionBits = 23;
constexpr std::size_t kMantissaWithHiddenBit = 24;
constexpr std::size_t kExponentBitCount = 8;

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// Whether the locale's text of a doubled fraction is "0" or "1", alone or
// followed by the separator and digits, so that its first character is the
// next bit and the digits after the separator the rest.
bool StartsWithItsBit(std::string_view written, char separator) {
  if (written.empty() || (written.front() != '0' && written.front() != '1')) return false;
  if (written.size() == 1) return true;
  return written[1] == separator && written.find_first_of("Ee") == std::string_view::npos;
}

// The numeric value of one bit character, the way a number is read from the
// start of a text: "1" is 1, a point or a missing character is 0.
int CharacterValue(std::string_view four, std::size_t index) {
  if (index >= four.size()) return 0;
  return static_cast<int>(platform::LeadingNumber(four.substr(index, 1)));
}

// The single-precision pattern of a non-zero magnitude too small for the
// digit walk, cut toward zero like every other conversion here; nullopt for
// zero or a text the locale cannot read.
std::optional<std::string> TinyMagnitudeHex(const std::string& signBit, std::string_view magnitude) {
  Result<double> value = platform::ToDouble(magnitude);
  // Only what lies below the smallest fraction bit; a larger magnitude
  // without a "1" bit was rounded to zero by the split and stays so.
  if (!value || *value <= 0.0 || *value >= std::ldexp(1.0, -23)) return std::nullopt;
  float single = static_cast<float>(*value);
  if (static_cast<double>(single) > *value) single = std::nextafter(single, 0.0f);
  std::uint32_t bits = std::bit_cast<std::uint32_t>(single);
  if (signBit == "1") bits |= 0x80000000u;
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", bits);
  return std::string(hex);
}

}  // namespace

FloatIeeeTexts& FloatModuleTexts() {
  static FloatIeeeTexts texts;
  return texts;
}

Result<std::string> ConvertFloatToHex(std::string& text) {
  FloatIeeeTexts& module = FloatModuleTexts();
  const char localeSeparator = platform::UserLocale().decimalSeparator;

  // The text's separator is the last "," or "." in it. Unless it already is
  // the user's, it becomes the user's everywhere and blanks are trimmed; a
  // text that uses the user's separator keeps its blanks.
  const auto last = text.find_last_of(",.");
  if (last == std::string::npos || text[last] != localeSeparator) {
    if (last != std::string::npos) std::replace(text.begin(), text.end(), text[last], localeSeparator);
    text = TrimSpaces(text);
  }

  module.fractionText.clear();
  if (std::find(kZeroTexts.begin(), kZeroTexts.end(), text) != kZeroTexts.end()) return std::string("00000000");

  std::string_view magnitude = text;
  std::string signBit = "0";
  if (!magnitude.empty() && magnitude.front() == '-') {
    signBit = "1";
    magnitude.remove_prefix(1);
  }

  Result<std::string> integerBits = SplitIntegerPart(magnitude);
  if (!integerBits) return integerBits.error();

  if (module.fractionText.empty()) module.fractionText = "0.0";
  Result<double> fraction = platform::ToDouble(module.fractionText);
  if (!fraction) return fraction.error();

  const std::string fractionBits = FractionToBinary(*fraction);
  if (integerBits->find('1') == std::string::npos && fractionBits.find('1') == std::string::npos) {
    // Below the 23 fraction bits the digit walk produces, the bits say
    // nothing; a Callendar-Van Dusen coefficient such as C = -4.183E-12
    // would otherwise reach the device as zero.
    if (auto tiny = TinyMagnitudeHex(signBit, magnitude)) return *tiny;
  }
  NormalizeBinary(*integerBits + "." + fractionBits);

  const std::string pattern = signBit + module.exponentBits + module.mantissaBits;
  std::string hex;
  for (std::size_t group = 0; group < 8; ++group) {
    const std::size_t start = group * 4;
    hex += BinaryNibbleToHex(start < pattern.size() ? std::string_view(pattern).substr(start, 4) : std::string_view());
  }
  return hex;
}

bool IsPlainDecimal(std::string_view text) {
  const std::string trimmed = TrimSpaces(text);
  std::string_view rest = trimmed;
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) rest.remove_prefix(1);
  bool digit = false;
  bool separator = false;
  for (const char c : rest) {
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
    } else {
      return false;
    }
  }
  return digit;
}

Result<std::string> ConvertTypedNumberToHex(std::string_view typed) {
  if (!IsPlainDecimal(typed)) return TypeMismatch();
  // Trimmed first: blanks in front would otherwise push the separator out of
  // the ten characters the integer split looks at.
  std::string text = TrimSpaces(typed);
  return ConvertFloatToHex(text);
}

Result<std::string> SplitIntegerPart(std::string_view magnitude) {
  FloatIeeeTexts& module = FloatModuleTexts();
  // Only the first ten characters are searched: a separator further on is
  // not seen, and the text is then read as one number and rounded.
  const auto position = magnitude.substr(0, kSeparatorWindow).find_first_of(",.");
  if (position != std::string_view::npos) {
    module.foundSeparator = std::string(1, magnitude[position]);
    Result<std::int32_t> integer = platform::RoundToInt32(platform::LeadingNumber(magnitude.substr(0, position)));
    if (integer) {
      module.fractionText = "0" + std::string(magnitude.substr(position));
      return IntegerToBinary(*integer);
    }
    // An integer part beyond 32 bits: the whole-text reading decides.
  }
  Result<std::int32_t> whole = platform::RoundToInt32(platform::LeadingNumber(magnitude));
  if (!whole) return whole.error();
  return IntegerToBinary(*whole);
}

std::string IntegerToBinary(std::int32_t value) {
  if (value < 1) return "0";
  std::array<char, 40> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, 2);
  return std::string(buffer.data(), ec == std::errc{} ? end : buffer.data());
}

std::string FractionToBinary(double value) {
  const std::string& separator = FloatModuleTexts().foundSeparator;
  std::string bits;
  for (int count = 0; value > 0.0 && count < kMaxFractionBits; ++count) {
    // The doubled value is written as the user's locale writes it (at most
    // 15 significant digits): its first character is the next bit and the
    // rest after "0." or "1." is the remaining fraction. Going through the
    // text keeps decimal fractions exact where a binary double would drift.
    value *= 2.0;
    const std::string written = platform::FormatShortest(value);
    if (!StartsWithItsBit(written, platform::UserLocale().decimalSeparator)) {
      // A doubled value below 0.0001 is written in exponent form ("2E-05"),
      // and one just below 2 rounds to "2" in 15 digits: neither text starts
      // with the bit. The value itself gives the bit and the rest then, so
      // that a fraction such as 1.00001 still gets its proper bits.
      const bool one = value >= 1.0;
      bits += one ? '1' : '0';
      if (one) value -= 1.0;
      continue;
    }
    bits += written.front();
    // Exactly 1 is written "1": nothing is left to convert.
    if (written.size() < 3) break;
    Result<double> rest = platform::ToDouble("0" + separator + written.substr(2));
    // A text the locale cannot read back (the separator the integer split
    // found is not the user's) ends the bits where they stand.
    if (!rest) break;
    value = *rest;
  }
  return bits;
}

void NormalizeBinary(std::string bits) {
  FloatIeeeTexts& module = FloatModuleTexts();
  bool haveExponent = false;
  int exponent = 0;
  if (!bits.empty() && bits.front() == '1') {
    // Magnitude of at least 1: the point's position gives the exponent.
    auto point = bits.find_first_of(",.", 1);
    if (point == std::string::npos) point = bits.size();
    exponent = static_cast<int>(point) + 126;
    if (point < bits.size()) bits.erase(point, 1);
    haveExponent = true;
  } else if (const auto one = bits.find('1', 2); one != std::string::npos) {
    // Below 1 ("0.0001..."): the first "1" gives the exponent and becomes
    // the hidden leading bit.
    exponent = 128 - static_cast<int>(one);
    bits = "0" + bits.substr(one + 1);
    haveExponent = true;
  }
  if (!haveExponent) {
    // Without any "1" bit the value is zero as far as the bits go: exponent
    // and mantissa are all zeros, whatever an earlier conversion left, so
    // the same text always gives the same pattern.
    module.exponentBits = std::string(kExponentBitCount, '0');
    module.mantissaBits = std::string(kMantissaWithHiddenBit - 1, '0');
    return;
  }
  module.exponentBits = IntegerToBinary(exponent);
  if (module.exponentBits.size() < kExponentBitCount) {
    module.exponentBits.insert(0, kExponentBitCount - module.exponentBits.size(), '0');
  }
  if (bits.size() < kMantissaWithHiddenBit) bits.append(kMantissaWithHiddenBit - bits.size(), '0');
  // The first character stands for the hidden leading one; the mantissa is
  // cut, never rounded.
  module.mantissaBits = bits.substr(1, kMantissaWithHiddenBit - 1);
}

std::string BinaryNibbleToHex(std::string_view four) {
  return NibbleToHexDigit(8 * CharacterValue(four, 0) + 4 * CharacterValue(four, 1) + 2 * CharacterValue(four, 2) +
                          CharacterValue(four, 3));
}

std::string NibbleToHexDigit(int value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  if (value < 0 || value > 15) value = 15;
  return std::string(1, kDigits[static_cast<std::size_t>(value)]);
}

}  // namespace zolin6::codecs
