#include "codecs/functions_hart.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "codecs/latin1.h"

namespace zolin6::codecs {
namespace {

std::string Text(const Result<std::string>& result) {
  return result ? *result : "error: " + result.error().message;
}

TEST(FunctionsHartTest, PacksFourCharactersIntoThreeBytes) {
  struct Case {
    const char* text;
    int n;
    const char* expected;
  };
  const Case cases[] = {
      {"ABCD", 4, "0420C4"},
      {"", 8, "820820820820"},            // eight blanks
      {"ABCDEFGHIJ", 8, "0420C41461C8"},  // the first eight characters only
      {"\u00B0", 4, "C20820"},            // B0 AND 63 is the digit zero
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(PackAscii(text, c.n), c.expected) << c.text;
  }
  std::string degrees = "\u00B0C";
  PackAscii(degrees, 4);
  EXPECT_EQ(degrees, "\u00B0C  ");  // padded in place, counted in characters
}

TEST(FunctionsHartTest, UnpacksTheCharactersAsked) {
  struct Case {
    const char* bytes;
    int byteCount;
    int charCount;
    const char* expected;
  };
  const Case cases[] = {
      {"0420C4", 3, 4, "ABCD"}, {"0420c4", 3, 4, "ABCD"},       {"000000", 3, 4, "@@@@"},
      {"0420C4", 3, 2, "AB"},   {"0420C4FFFFFF", 3, 4, "ABCD"},  // bytes past the count unread
      {"0420C4", 3, 8, "ABCD"},                                  // undecoded characters add nothing
  };
  for (const auto& c : cases) EXPECT_EQ(Text(UnpackAscii(c.bytes, c.byteCount, c.charCount)), c.expected);
}

TEST(FunctionsHartTest, PackedFieldsRoundTrip) {
  const std::pair<const char*, int> fields[] = {
      {"ZOLIN-6 ", 8}, {"TT-101 OVEN ZONE", 16}, {"MESSAGE: 0123456789 ?!#$%&*+,./[\\]^_", 32}};
  for (const auto& [input, characters] : fields) {
    std::string text = input;
    const std::string packed = PackAscii(text, characters);
    EXPECT_EQ(Text(UnpackAscii(packed, characters * 3 / 4, characters)), text.substr(0, characters));
  }
}

TEST(FunctionsHartTest, PlainTextsCarryOneBytePerCharacter) {
  std::string text = "AB";
  EXPECT_EQ(AsciiToHex(text, 4), "41422020");
  EXPECT_EQ(text, "AB  ");
  std::string euro = "\u20AC";
  EXPECT_EQ(AsciiToHex(euro, 1), "3F");  // no 8-bit code
  EXPECT_EQ(Text(HexToText24("4142" + std::string(44, '0'))), "AB" + std::string(22, '\0'));
  EXPECT_EQ(Text(HexToText24(std::string(60, '4'))), std::string(24, 'D'));  // extra digits ignored
  // The degree sign is byte B0 both ways.
  std::string longTag = "OVEN 250\u00B0C";
  const std::string bytes = AsciiToHex(longTag, 32);
  EXPECT_EQ(bytes.substr(16, 4), "B043");
  EXPECT_EQ(Text(HexToText32(bytes)), longTag);
  EXPECT_EQ(Utf8ToLatin1("A\xB0"), "A\xB0");  // a stray byte keeps its value
  EXPECT_EQ(ByteToHex(10), "0A");
}

TEST(FunctionsHartTest, ShiftsAreLogicalAtTheEdges) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Case {
    Result<std::int32_t> (*shift)(std::int32_t, int);
    std::int32_t value;
    int n;
    std::int32_t expected;
  };
  const Case cases[] = {
      {ShiftRight, -1, 1, 0x7FFFFFFF}, {ShiftRight, -1, 31, 1},    {ShiftRight, kMin, 31, 1},
      {ShiftRight, 0x7FFFFFFF, 31, 0}, {ShiftRight, 0x40, 6, 1},   {ShiftLeft, 1, 31, kMin},
      {ShiftLeft, 2, 31, 0},           {ShiftLeft, -1, 1, -2},     {ShiftLeft, 0x40000000, 1, kMin},
      {ShiftLeft, 3, 30, static_cast<std::int32_t>(0xC0000000u)},  {ShiftLeft, 0xFF, 4, 0xFF0},
  };
  for (const auto& c : cases) EXPECT_EQ(*c.shift(c.value, c.n), c.expected) << c.value << " by " << c.n;
}

TEST(FunctionsHartTest, MalformedInputFailsWithItsOwnError) {
  const std::string bytes82(82, '0');
  const std::pair<Result<std::string>, const char*> cases[] = {
      {UnpackAscii("0420", 3, 4), "error: Type mismatch"},  // short byte text
      {UnpackAscii("ZZ0000", 3, 4), "error: Type mismatch"},
      {UnpackAscii(bytes82, 41, 4), "error: Subscript out of range"},
      {UnpackAscii(bytes82, 3, 41), "error: Subscript out of range"},
      {HexToText24(std::string(46, '4')), "error: Type mismatch"},
  };
  for (const auto& [result, expected] : cases) EXPECT_EQ(Text(result), expected);
  EXPECT_EQ(ShiftLeft(1, 0).error().message, "Subscript out of range");
  EXPECT_EQ(ShiftRight(1, 32).error().message, "Subscript out of range");
}

}  // namespace
}  // namespace zolin6::codecs
