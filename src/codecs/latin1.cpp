#include "codecs/latin1.h"

#include <cstdint>

namespace zolin6::codecs {

namespace {

// One decoded character: its code point and how many bytes it took.
struct Decoded {
  char32_t codePoint;
  std::size_t length;
};

// Decodes the character at the start of a non-empty UTF-8 text. A malformed
// or truncated sequence yields its first byte alone, as a code below 256.
Decoded DecodeOne(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 1;
  char32_t codePoint = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07u;
  } else {
    return {lead, 1};
  }
  if (text.size() < length) return {lead, 1};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0u) != 0x80u) return {lead, 1};
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  return {codePoint, length};
}

}  // namespace

std::string Latin1ToUtf8(std::string_view codes) {
  std::string text;
  text.reserve(codes.size());
  for (const char c : codes) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

std::string Utf8ToLatin1(std::string_view text) {
  std::string codes;
  codes.reserve(text.size());
  while (!text.empty()) {
    const Decoded one = DecodeOne(text);
    codes += one.codePoint <= 0xFF ? static_cast<char>(one.codePoint) : '?';
    text.remove_prefix(one.length);
  }
  return codes;
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  while (!text.empty()) {
    text.remove_prefix(DecodeOne(text).length);
    ++count;
  }
  return count;
}

void PadWithBlanks(std::string& text, int count) {
  const std::size_t have = CharacterCount(text);
  if (count > 0 && have < static_cast<std::size_t>(count)) {
    text.append(static_cast<std::size_t>(count) - have, ' ');
  }
}

}  // namespace zolin6::codecs
