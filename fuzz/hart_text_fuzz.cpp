// The HART text codecs with any byte text: the packed-ASCII decoder with any
// counts, the Latin decoders of the long tag and the ordering code, and the
// two encoders read back by their decoders. The first two bytes of the
// input are the byte and character counts, the rest the text.
//
// Properties: decoded texts are valid UTF-8 of the length asked for; packed
// characters lie in the 64 the packing can hold; what the encoders write the
// decoders read back as it was typed.

#include "codecs/functions_hart.h"
#include "codecs/latin1.h"
#include "fuzz_support.h"

namespace {

namespace codecs = zolin6::codecs;

// Well-formed UTF-8: what the pages show must be text a window can draw.
bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
    } else if (lead >= 0x80) {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0U) != 0x80U) return false;
    }
    i += length;
  }
  return true;
}

void CheckUnpack(std::string_view bytes, int byteCount, int charCount) {
  const zolin6::Result<std::string> text = codecs::UnpackAscii(bytes, byteCount, charCount);
  if (!text) return;
  ZOLIN6_FUZZ_CHECK(text->size() <= static_cast<std::size_t>(std::max(charCount, 0)));
  for (const char c : *text) ZOLIN6_FUZZ_CHECK(c >= 0x20 && c <= 0x5F);
}

void CheckLatin(std::string_view bytes) {
  const zolin6::Result<std::string> long24 = codecs::HexToText24(bytes);
  if (long24) ZOLIN6_FUZZ_CHECK(IsUtf8(*long24) && codecs::CharacterCount(*long24) == 24);
  const zolin6::Result<std::string> long32 = codecs::HexToText32(bytes);
  if (long32) ZOLIN6_FUZZ_CHECK(IsUtf8(*long32) && codecs::CharacterCount(*long32) == 32);
}

// Packing keeps six bits of each character: the blank to "_" survive it.
void CheckPackedRoundTrip(std::string_view body) {
  std::string typed;
  for (const char c : body.substr(0, 40)) typed += static_cast<char>(0x20 + (static_cast<unsigned char>(c) % 64));
  std::string padded = typed;
  const std::string packed = codecs::PackAscii(padded, 32);
  ZOLIN6_FUZZ_CHECK(packed.size() == 48);
  const zolin6::Result<std::string> read = codecs::UnpackAscii(packed, 24, 32);
  ZOLIN6_FUZZ_CHECK(read.ok());
  std::string expected = typed.substr(0, 32);
  expected.append(32 - expected.size(), ' ');
  ZOLIN6_FUZZ_CHECK(*read == expected);
}

// One byte per character: any text comes back as its first 32 characters,
// those above U+00FF as "?", a stray byte as the character of its value.
void CheckLatinRoundTrip(std::string_view body) {
  std::string typed(body);
  const std::string hex = codecs::AsciiToHex(typed, 32);
  ZOLIN6_FUZZ_CHECK(hex.size() == 64);
  const zolin6::Result<std::string> read = codecs::HexToText32(hex);
  ZOLIN6_FUZZ_CHECK(read.ok());
  const std::string codes = codecs::Utf8ToLatin1(typed).substr(0, 32);
  ZOLIN6_FUZZ_CHECK(*read == codecs::Latin1ToUtf8(codes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Counts from -8 to 55: below zero, the device's fields, and past the
  // 40-entry work arrays.
  const int byteCount = static_cast<int>(data[0] % 64) - 8;
  const int charCount = static_cast<int>(data[1] % 64) - 8;
  const std::string_view body = zolin6::fuzz::AsText(data + 2, size - 2);
  CheckUnpack(body, byteCount, charCount);
  CheckLatin(body);
  CheckPackedRoundTrip(body);
  CheckLatinRoundTrip(body);
  return 0;
}
