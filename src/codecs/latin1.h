#pragma once
// The 8-bit character set of the device's texts.
//
// The transmitter stores its texts as 8-bit character codes; the component
// shows them as UTF-8. Code n is the character U+00nn (Latin-1), both ways,
// so a degree sign read as byte B0 is written back as byte B0.

#include <string>
#include <string_view>

namespace zolin6::codecs {

// 8-bit character codes to UTF-8 text: byte B0 becomes "°" (C2 B0).
std::string Latin1ToUtf8(std::string_view codes);

// UTF-8 text to 8-bit character codes, one per character. Characters above
// U+00FF have no 8-bit code and become "?"; a byte that does not belong to a
// well-formed UTF-8 sequence is taken as the code of its own value.
std::string Utf8ToLatin1(std::string_view text);

// Number of characters (not bytes) in a UTF-8 text, counted the same way.
std::size_t CharacterCount(std::string_view text);

// Appends blanks until the text has at least `count` characters.
void PadWithBlanks(std::string& text, int count);

}  // namespace zolin6::codecs
