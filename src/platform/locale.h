#pragma once
// The user's number settings and the conversions that depend on them.
//
// The transmitter component reads and writes numbers the way the user's
// desktop locale does: typed values use the user's decimal separator, shown
// values are formatted with it. The locale is process-wide, as the desktop's
// is; tests and the scenario runner set it explicitly.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace zolin6::platform {

struct Locale {
  char decimalSeparator = '.';  // "." or ","
};

// The locale in force for every conversion below.
const Locale& UserLocale();
void SetUserLocale(Locale locale);

// Text to double as the user's locale reads it: surrounding blanks are
// ignored, an optional sign, digits with the locale's separator, an optional
// exponent ("1,5E3"). The other one of "." and ",", the locale's digit
// grouping sign, is skipped between the digits of the integer part ("1.000"
// reads 1000 with a "," separator). Anything else, the empty text included,
// is a type mismatch; a magnitude beyond the double range is an overflow.
Result<double> ToDouble(std::string_view text);

// Text to a 16-bit / 32-bit signed integer as the locale-aware conversion
// does: read as a double, rounded to the nearest integer with halves to the
// even neighbour; a value outside the type's range is an overflow.
Result<std::int16_t> ToInt16(std::string_view text);
Result<std::int32_t> ToInt32(std::string_view text);

// Rounds halves to the even neighbour and checks the range, for values that
// are already numbers.
Result<std::int16_t> RoundToInt16(double value);
Result<std::int32_t> RoundToInt32(double value);

// A double written as the locale writes it by default: the shortest text with
// at most 15 significant digits ("1.5", "0.75", "1"), exponent notation for
// very small or large magnitudes ("2E-05", "1E+16").
std::string FormatShortest(double value);

// A double with exactly `decimals` decimals, at least one integer digit, a
// leading "-" for negative values and no thousands separator: the display
// patterns "###0.00", "###0.000" and "###0.000000000000000". Like the
// desktop's formatter it works on the value's 15 significant digits and
// rounds halves away from zero (1.2345 shows 1.235); a negative value shown
// as zero has no sign ("0.000").
std::string FormatFixed(double value, int decimals);

// The number a device text starts with, independent of the locale: leading
// blanks skipped, then sign, digits, "." and digits, an optional exponent.
// The rest is ignored; a text that does not start with a number reads as 0.
double LeadingNumber(std::string_view text);

}  // namespace zolin6::platform
