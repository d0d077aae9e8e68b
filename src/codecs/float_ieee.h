#pragma once
// ModFloatIeee: a typed decimal number to the 8 hexadecimal digits of its
// IEEE-754 single-precision bit pattern, as write requests carry real-valued
// parameters ("20" -> "41A00000", "0.5" -> "3F000000").
//
// The conversion works on the decimal text, never on a binary float: it
// splits the text into integer and fraction, writes both as texts of binary
// digits, normalises them and cuts sign, exponent and mantissa out. The
// mantissa is therefore truncated, not rounded ("12.3456" -> "41458793"),
// and a fraction gives at most 23 bits ("0.1" -> "3DCCCCC0"); the device
// side was built against exactly these patterns.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace zolin6::codecs {

// The texts the conversion keeps between calls. The component runs on one
// user-interface thread and conversions never interleave, so this state is
// shared by all calls without locking.
struct FloatIeeeTexts {
  std::string foundSeparator;  // FoundSeparator: "," or "." last found by the integer split
  std::string fractionText;    // FractionText: "0", separator, fraction digits ("0.25"); emptied per call
  std::string exponentBits;    // ExponentBits: biased exponent, 8 characters "0"/"1"
  std::string mantissaBits;    // MantissaBits: 23 mantissa characters "0"/"1"
};

// The module's texts, for the steps below and for inspection.
FloatIeeeTexts& FloatModuleTexts();

// The public entry. `text` is rewritten in place: a separator other than the
// user's is replaced by the user's, and blanks are trimmed. Fails when the
// integer part lies beyond the 32-bit range or the fraction is no number in
// the user's locale. Other texts that are no number are not rejected here.
// A value without any "1" bit in its first 23 fraction bits (a zero written
// otherwise than the 24 zero texts, "-0" or "0.00000000000", or a magnitude
// below 2^-23) is cut to zero, with its sign: "-0" gives "80000000".
Result<std::string> ConvertFloatToHex(std::string& text);

// What the write pages send for a number the user typed. The text must be a
// plain decimal number: blanks around it, an optional sign, digits with at
// most one separator ("," or ".", whatever the locale), at least one digit.
// Anything else (no digits, letters, an exponent, digit grouping, a second
// sign) is a type mismatch, so that a typing error never reaches the device
// as some number; the trimmed text then goes through ConvertFloatToHex.
Result<std::string> ConvertTypedNumberToHex(std::string_view typed);

// Whether `text` is such a plain decimal number, blanks around it allowed.
bool IsPlainDecimal(std::string_view text);

// The integer part of a magnitude text as a bit text; sets FoundSeparator
// and FractionText when a separator is among the first ten characters.
Result<std::string> SplitIntegerPart(std::string_view magnitude);

// Bits of a 32-bit integer, most significant first, no leading zeros; "0"
// for any value below 1.
std::string IntegerToBinary(std::int32_t value);

// Up to 23 bits of a fraction in [0, 1), found by doubling the value and
// taking the first character of its text in the user's locale.
std::string FractionToBinary(double value);

// Sets ExponentBits and MantissaBits from "integer bits.fraction bits".
void NormalizeBinary(std::string bits);

// Four bit characters to one hexadecimal digit; a missing character is 0.
std::string BinaryNibbleToHex(std::string_view four);

// 0..9 -> "0".."9", 10..14 -> "A".."E", anything else -> "F".
std::string NibbleToHexDigit(int value);

}  // namespace zolin6::codecs
