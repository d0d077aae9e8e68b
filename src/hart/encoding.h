#pragma once
// How values sit inside a HART data field: integers and floats big-endian,
// tags and messages as packed ASCII (four 6-bit characters in three bytes),
// long tags as Latin-1 bytes, dates as day, month and year - 1900.

#include <cstdint>
#include <string>
#include <string_view>

#include "hart/bytes.h"
#include "platform/result.h"

namespace zolin6::hart {

// The bit pattern the device sends for a value it cannot provide. Compare
// bits, not floats: a NaN never equals itself.
inline constexpr std::uint32_t kNotANumberBits = 0x7FA00000U;

// Unsigned big-endian integer of 1 to 4 bytes at the start of `bytes`;
// the caller has checked that there are enough.
std::uint32_t ReadUnsigned(ByteView bytes, std::size_t size);
// Appends the low `size` bytes of `value`, most significant first.
void AppendUnsigned(Bytes& out, std::uint32_t value, std::size_t size);

float ReadFloat(ByteView bytes);
void AppendFloat(Bytes& out, float value);
// The device's "no value": a quiet NaN with the pattern 7F A0 00 00.
float NotANumber();
bool IsNotANumber(float value);

// Characters 0x20..0x5F survive packing; lower-case letters are sent upper
// case as the device shows them. The text is padded with blanks to
// 4/3 of `size` characters; a longer text or another character fails.
Result<Bytes> PackAscii(std::string_view text, std::size_t size);
// Four characters per three bytes; a byte count not divisible by 3 fails.
Result<std::string> UnpackAscii(ByteView bytes);

struct Date {
  int day = 1;      // 1..31
  int month = 1;    // 1..12
  int year = 1900;  // 1900..2155, sent as year - 1900
  friend bool operator==(const Date&, const Date&) = default;
};
// Read as sent: devices leave an unset date as zeros, which is no error.
Date ReadDate(ByteView bytes);
// Appends the three bytes; a day, month or year out of range fails.
Result<bool> AppendDate(Bytes& out, const Date& date);

}  // namespace zolin6::hart
