#pragma once
// How the pages turn parameter values into what a field shows: numbers in
// one of the three display formats with the user's decimal separator, the
// device's not-a-number texts, and the few values the identification pages
// take apart.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace zolin6::pages {

// Decimals of the three display patterns.
inline constexpr int kTwoDecimals = 2;       // "###0.00"
inline constexpr int kThreeDecimals = 3;     // "###0.000"
inline constexpr int kFifteenDecimals = 15;  // "###0.000000000000000"

// What a field shows when the device has no valid number.
inline constexpr std::string_view kNotANumber = "1.#QNAN";

// The device reports an invalid float as "1.#QNAN" or "1.#R", or as the
// decimal value of the bit pattern 0x7FA00000, "2141192192".
bool IsNotANumberText(std::string_view text);

// A number read from the start of the value, without the not-a-number check:
// "12.5abc" shows 12.500, "" shows 0.000, "1.#R" shows 1.000.
std::string FormatNumber(std::string_view text, int decimals);

// A number with the not-a-number check: any of the three texts shows
// "1.#QNAN", any other value as FormatNumber.
std::string FormatCheckedNumber(std::string_view text, int decimals);

// The observation page's check: only "1.#R" and "1.#QNAN" are not numbers,
// and they are shown as received; "2141192192" shows as a number.
std::string FormatObservedNumber(std::string_view text, int decimals);

// The recorded extremes of a transmitter that has recorded nothing yet are
// 5000 and -5000: a shown number that reads back as one of them exactly, in
// the user's locale, shows "-" instead. A text that does not read back as a
// number is a type mismatch.
Result<std::string> BlankUnrecordedExtreme(const std::string& shown);

// The date bytes of the identification record (digits 37 to 42, one-based):
// day, month and the year minus 1900, shown as "15/3/2006" for 0F 03 6A. A
// record too short for them or with a character that is not a hexadecimal
// digit in them is a type mismatch.
Result<std::string> RecordDate(std::string_view record);

// The hexadecimal digits of a packed or Latin field: `count` digits from the
// one-based digit `first`, or as many as the value has (possibly none).
std::string_view HexSlice(std::string_view value, std::size_t first, std::size_t count);

// The hardware revision byte: bits 7 to 3 hold the revision, bits 2 to 0
// the physical signalling code.
int HardwareRevision(std::int32_t revisionByte);
std::int16_t PhysicalSignalCode(std::int32_t revisionByte);

// The software version byte as its first two upper-case hexadecimal digits
// joined by a point: 18 (hexadecimal 12) shows "1.2", 5 shows "5.".
std::string SoftwareVersion(std::int32_t versionByte);

}  // namespace zolin6::pages
