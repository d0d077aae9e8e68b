#pragma once
// Byte strings written as hex text in the tests: "02 80 00 00 82".

#include <cstdio>
#include <string>
#include <string_view>

#include "hart/bytes.h"

namespace zolin6::hart::testing {

inline Bytes Hex(std::string_view text) {
  Bytes bytes;
  unsigned value = 0;
  int digits = 0;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) continue;
    value = value * 16 + static_cast<unsigned>(digit);
    if (++digits == 2) {
      bytes.push_back(static_cast<std::uint8_t>(value));
      value = 0;
      digits = 0;
    }
  }
  return bytes;
}

inline std::string ToHex(ByteView bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, text.empty() ? "%02X" : " %02X", byte);
    text += pair;
  }
  return text;
}

}  // namespace zolin6::hart::testing
