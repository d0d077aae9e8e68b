#include "codecs/functions_hart.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "codecs/latin1.h"

namespace zolin6::codecs {

namespace {

// Work arrays of the unpacking, indexed 1 to 40 as the device's longest
// packed field (the 32-character message in 24 bytes) needs.
constexpr int kWorkArraySize = 40;

// Entry i (0..30) keeps the low i+1 bits; entry 31 keeps all 32.
constexpr std::array<std::int32_t, 32> kMask = [] {
  std::array<std::int32_t, 32> mask{};
  for (int i = 0; i < 31; ++i) mask[static_cast<std::size_t>(i)] = static_cast<std::int32_t>((1LL << (i + 1)) - 1);
  mask[31] = -1;
  return mask;
}();

// Mask entry, with "no bits" below the table for the 31-bit shift.
std::uint32_t Mask(int index) {
  return index < 0 ? 0u : static_cast<std::uint32_t>(kMask[static_cast<std::size_t>(index)]);
}

// One byte read as "&H" followed by the digits: one or two hexadecimal
// digits; an empty or malformed pair, a sign included, is a type mismatch.
Result<int> ReadHexPair(std::string_view bytes, std::size_t offset) {
  const std::string_view pair = offset < bytes.size() ? bytes.substr(offset, 2) : std::string_view();
  unsigned value = 0;  // unsigned: from_chars then refuses a leading "-"
  const auto [end, ec] = std::from_chars(pair.data(), pair.data() + pair.size(), value, 16);
  if (pair.empty() || ec != std::errc{} || end != pair.data() + pair.size()) return TypeMismatch();
  return static_cast<int>(value);
}

Result<std::string> HexToText(std::string_view bytes, int characters) {
  std::string codes;
  for (int i = 0; i < characters; ++i) {
    Result<int> code = ReadHexPair(bytes, 2 * static_cast<std::size_t>(i));
    if (!code) return code.error();
    codes += static_cast<char>(*code);
  }
  return Latin1ToUtf8(codes);
}

// The 8-bit code of the character at `index` of a Latin-1 text, 0 past its end.
int CodeAt(std::string_view codes, std::size_t index) {
  return index < codes.size() ? static_cast<unsigned char>(codes[index]) : 0;
}

}  // namespace

std::string PackAscii(std::string& text, int n) {
  PadWithBlanks(text, n);
  const std::string codes = Utf8ToLatin1(text);
  std::string packed;
  for (int i = 0; i < n; i += 4) {
    // Characters past n are never read: they count as code 0.
    std::array<int, 4> c{};
    for (int k = 0; k < 4; ++k) {
      const int position = i + k;
      c[static_cast<std::size_t>(k)] = position < n ? CodeAt(codes, static_cast<std::size_t>(position)) & 63 : 0;
    }
    packed += ByteToHex(4 * c[0] + c[1] / 16);
    packed += ByteToHex(((16 * c[1]) & 255) + c[2] / 4);
    packed += ByteToHex(((64 * c[2]) & 255) + c[3]);
  }
  return packed;
}

Result<std::string> UnpackAscii(std::string_view bytes, int byteCount, int charCount) {
  // Index 0 is not used; both arrays run 1 to 40. Bytes past the count stay 0.
  std::array<std::int32_t, kWorkArraySize + 1> byteValues{};
  std::array<char, kWorkArraySize + 1> characters{};
  for (int i = 1; i <= byteCount; ++i) {
    Result<int> value = ReadHexPair(bytes, static_cast<std::size_t>(2 * i - 2));
    if (!value) return value.error();
    if (i > kWorkArraySize) return SubscriptOutOfRange();
    byteValues[static_cast<std::size_t>(i)] = *value;
  }
  for (int j = 1, k = 1; j <= byteCount; j += 3, k += 4) {
    if (j + 2 > kWorkArraySize || k + 3 > kWorkArraySize) return SubscriptOutOfRange();
    const std::int32_t b1 = byteValues[static_cast<std::size_t>(j)];
    const std::int32_t b2 = byteValues[static_cast<std::size_t>(j) + 1];
    const std::int32_t b3 = byteValues[static_cast<std::size_t>(j) + 2];
    // Shifts of 2, 4 and 6 bits are always in range.
    const std::array<std::int32_t, 4> sixBits{
        *ShiftRight(b1, 2) & 63,
        (*ShiftRight(b2, 4) | *ShiftLeft(b1, 4)) & 63,
        (*ShiftRight(b3, 6) | *ShiftLeft(b2, 2)) & 63,
        b3 & 63,
    };
    for (std::size_t c = 0; c < sixBits.size(); ++c) {
      // Codes 0..31 are the at sign, the capitals and the five signs after
      // them (64..95); 32..63 are the blank, digits and punctuation.
      const std::int32_t code = sixBits[c] < 32 ? sixBits[c] + 64 : sixBits[c];
      characters[static_cast<std::size_t>(k) + c] = static_cast<char>(code);
    }
  }
  std::string text;
  for (int k = 1; k <= charCount; ++k) {
    if (k > kWorkArraySize) return SubscriptOutOfRange();
    // A character never decoded is an empty slot and adds nothing.
    const char c = characters[static_cast<std::size_t>(k)];
    if (c != '\0') text += c;
  }
  return text;
}

std::string AsciiToHex(std::string& text, int n) {
  PadWithBlanks(text, n);
  const std::string codes = Utf8ToLatin1(text);
  std::string hex;
  for (int i = 0; i < n; ++i) hex += ByteToHex(CodeAt(codes, static_cast<std::size_t>(i)));
  return hex;
}

Result<std::string> HexToText24(std::string_view bytes) { return HexToText(bytes, 24); }

Result<std::string> HexToText32(std::string_view bytes) { return HexToText(bytes, 32); }

std::string ByteToHex(int value) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%02X", static_cast<unsigned>(value));
  return buffer.data();
}

Result<std::int32_t> ShiftRight(std::int32_t value, int n) {
  if (n < 1 || n > 31) return SubscriptOutOfRange();
  // Bit 31 is taken out before dividing and put back in at bit 31-n, so no
  // sign is carried into the result.
  const std::int64_t low = (value & 0x7FFFFFFE) / (std::int64_t{1} << n);
  const std::int64_t top = (value < 0 ? 0x40000000LL : 0LL) / (std::int64_t{1} << (n - 1));
  return static_cast<std::int32_t>(low | top);
}

Result<std::int32_t> ShiftLeft(std::int32_t value, int n) {
  if (n < 1 || n > 31) return SubscriptOutOfRange();
  // Only the bits that stay below bit 31 are multiplied; the one that lands
  // on bit 31 is set separately, so the product never overflows.
  const auto pattern = static_cast<std::uint32_t>(value);
  std::uint32_t shifted = 0;
  if ((pattern >> (31 - n)) & 1u) {
    shifted = ((pattern & Mask(30 - n)) << n) | 0x80000000u;
  } else {
    shifted = (pattern & Mask(31 - n)) << n;
  }
  return static_cast<std::int32_t>(shifted);
}

}  // namespace zolin6::codecs
