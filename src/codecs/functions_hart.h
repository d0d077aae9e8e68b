#pragma once
// mFunctionsHART: the device's text parameters between the texts shown on
// the identification page and the hexadecimal byte texts ("4142" for the
// bytes 41 42) of the parameter document and the write requests.
//
// Tag, descriptor and message travel as HART packed ASCII (four 6-bit
// characters in three bytes); the long tag and the ordering code as one
// 8-bit character per byte. Character code n is the character U+00nn.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace zolin6::codecs {

// Packs the first n characters of `text` into 3n/4 bytes, as hexadecimal.
// `text` is padded with blanks to n characters in place. Each character
// keeps the low six bits of its code, so lower case must be upper-cased
// first (the write page does).
std::string PackAscii(std::string& text, int n);

// The first charCount characters packed in the first byteCount bytes of a
// byte text. A byte text shorter than the count is a type mismatch; the work
// arrays hold 40 bytes and 40 characters, and counts reaching past them are
// a subscript error.
Result<std::string> UnpackAscii(std::string_view bytes, int byteCount, int charCount);

// One byte per character for the first n characters; `text` is padded with
// blanks to n characters in place. Characters above U+00FF are written as
// "?" (3F), having no 8-bit code.
std::string AsciiToHex(std::string& text, int n);

// 24 / 32 characters from a byte text of 48 / 64 digits; blanks and NUL
// characters the device pads with stay in the text. A missing or malformed
// pair is a type mismatch.
Result<std::string> HexToText24(std::string_view bytes);
Result<std::string> HexToText32(std::string_view bytes);

// Two upper-case hexadecimal digits for 0..255 ("0A").
std::string ByteToHex(int value);

// Logical shifts of the 32-bit pattern by 1..31 bits: zeros enter, bits
// leave. Another bit count is a subscript error.
Result<std::int32_t> ShiftRight(std::int32_t value, int n);
Result<std::int32_t> ShiftLeft(std::int32_t value, int n);

}  // namespace zolin6::codecs
