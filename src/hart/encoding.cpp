#include "hart/encoding.h"

#include <bit>
#include <cmath>

namespace zolin6::hart {

std::uint32_t ReadUnsigned(ByteView bytes, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value = (value << 8U) | bytes[i];
  return value;
}

void AppendUnsigned(Bytes& out, std::uint32_t value, std::size_t size) {
  for (std::size_t i = size; i > 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8U * (i - 1))));
}

float ReadFloat(ByteView bytes) { return std::bit_cast<float>(ReadUnsigned(bytes, 4)); }

void AppendFloat(Bytes& out, float value) {
  // Any NaN goes out as the device's own pattern, whatever payload it had here.
  const std::uint32_t bits = std::isnan(value) ? kNotANumberBits : std::bit_cast<std::uint32_t>(value);
  AppendUnsigned(out, bits, 4);
}

float NotANumber() { return std::bit_cast<float>(kNotANumberBits); }

bool IsNotANumber(float value) { return std::isnan(value); }

namespace {

constexpr std::size_t kCharsPerGroup = 4;
constexpr std::size_t kBytesPerGroup = 3;

// The 6-bit code of a character, or 0xFF when packing cannot carry it.
std::uint8_t SixBitCode(char c) {
  auto code = static_cast<unsigned char>(c);
  if (code >= 'a' && code <= 'z') code = static_cast<unsigned char>(code - 'a' + 'A');
  if (code < 0x20 || code > 0x5F) return 0xFF;
  return static_cast<std::uint8_t>(code & 0x3FU);
}

// Bit 6 of an unpacked character is the complement of its bit 5: 0x00..0x1F
// become '@'..'_', 0x20..0x3F stay ' '..'?'.
char CharacterOf(std::uint32_t code) {
  const std::uint32_t bit6 = ((code & 0x20U) ^ 0x20U) << 1U;
  return static_cast<char>(code | bit6);
}

}  // namespace

Result<Bytes> PackAscii(std::string_view text, std::size_t size) {
  if (size % kBytesPerGroup != 0) return Error{"packed text size is not a multiple of 3"};
  const std::size_t capacity = size / kBytesPerGroup * kCharsPerGroup;
  if (text.size() > capacity) return Error{"text longer than " + std::to_string(capacity) + " characters"};
  Bytes out;
  out.reserve(size);
  for (std::size_t group = 0; group < capacity; group += kCharsPerGroup) {
    std::uint32_t bits = 0;
    for (std::size_t i = group; i < group + kCharsPerGroup; ++i) {
      const std::uint8_t code = i < text.size() ? SixBitCode(text[i]) : SixBitCode(' ');
      if (code == 0xFF) return Error{"character at " + std::to_string(i) + " cannot be packed"};
      bits = (bits << 6U) | code;
    }
    AppendUnsigned(out, bits, kBytesPerGroup);
  }
  return out;
}

Result<std::string> UnpackAscii(ByteView bytes) {
  if (bytes.size() % kBytesPerGroup != 0) return Error{"packed text size is not a multiple of 3"};
  std::string text;
  text.reserve(bytes.size() / kBytesPerGroup * kCharsPerGroup);
  for (std::size_t at = 0; at < bytes.size(); at += kBytesPerGroup) {
    const std::uint32_t bits = ReadUnsigned(bytes.subspan(at), kBytesPerGroup);
    for (int shift = 18; shift >= 0; shift -= 6)
      text.push_back(CharacterOf((bits >> static_cast<unsigned>(shift)) & 0x3FU));
  }
  return text;
}

Date ReadDate(ByteView bytes) { return {bytes[0], bytes[1], 1900 + bytes[2]}; }

Result<bool> AppendDate(Bytes& out, const Date& date) {
  if (date.day < 1 || date.day > 31) return Error{"day out of range"};
  if (date.month < 1 || date.month > 12) return Error{"month out of range"};
  if (date.year < 1900 || date.year > 1900 + 255) return Error{"year out of range"};
  out.push_back(static_cast<std::uint8_t>(date.day));
  out.push_back(static_cast<std::uint8_t>(date.month));
  out.push_back(static_cast<std::uint8_t>(date.year - 1900));
  return true;
}

}  // namespace zolin6::hart
