#include "codecs/functions_hart.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>

#include "codec_cases.h"
#include "codecs/latin1.h"

namespace zolin6::codecs {
namespace {

TEST(FunctionsHartTest, PacksFourCharactersIntoThreeBytes) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"ABCD", 4, "0420C4"},
      {"", 8, "820820820820"},            // eight blanks
      {"ABCDEFGHIJ", 8, "0420C41461C8"},  // the first eight characters only
      {"\u00B0", 4, "C20820"},            // B0 AND 63 is the digit zero
  };
  for (const auto& [input, n, packed] : cases) {
    std::string text = input;
    EXPECT_EQ(PackAscii(text, n), packed) << input;
  }
  std::string degrees = "\u00B0C";
  PackAscii(degrees, 4);
  EXPECT_EQ(degrees, "\u00B0C  ");  // padded in place, counted in characters
}

TEST(FunctionsHartTest, UnpacksTheCharactersAsked) {
  const std::tuple<const char*, int, int, const char*> cases[] = {
      {"0420c4", 3, 4, "ABCD"},
      {"000000", 3, 4, "@@@@"},
      {"0420C4FFFFFF", 3, 2, "AB"},  // bytes and characters past the counts are not read
      {"0420C4", 3, 8, "ABCD"},      // characters never decoded add nothing
      // Malformed: a short or non-hexadecimal byte text, counts beyond the 40-entry work arrays.
      {"0420", 3, 4, "error: Type mismatch"},
      {"ZZ0000", 3, 4, "error: Type mismatch"},
      {"-F0000", 3, 4, "error: Type mismatch"},  // a sign is no hexadecimal digit
      {"0420C4", 3, 41, "error: Subscript out of range"},
  };
  for (const auto& [bytes, byteCount, charCount, text] : cases) {
    EXPECT_EQ(Outcome(UnpackAscii(bytes, byteCount, charCount)), text) << bytes;
  }
  EXPECT_EQ(Outcome(UnpackAscii(std::string(82, '0'), 41, 4)), "error: Subscript out of range");
  for (const auto& [field, n] : {std::pair{"TT-101 OVEN ZONE", 16}, {"MESSAGE: 0123456789 ?!#$%&*+,./[\\]^_", 32}}) {
    std::string text = field;
    EXPECT_EQ(Outcome(UnpackAscii(PackAscii(text, n), n * 3 / 4, n)), text.substr(0, n));
  }
}

TEST(FunctionsHartTest, PlainTextsCarryOneBytePerCharacter) {
  std::string text = "AB";
  EXPECT_EQ(AsciiToHex(text, 4), "41422020");
  EXPECT_EQ(text, "AB  ");
  std::string euro = "\u20AC";
  EXPECT_EQ(AsciiToHex(euro, 1), "3F");  // no 8-bit code
  // The degree sign is byte B0 both ways; the device's padding stays in the text.
  std::string longTag = "OVEN 250\u00B0C";
  const std::string bytes = AsciiToHex(longTag, 32);
  EXPECT_EQ(bytes.substr(16, 4), "B043");
  EXPECT_EQ(Outcome(HexToText32(bytes)), longTag);
  EXPECT_EQ(Outcome(HexToText24("4142" + std::string(44, '0'))), "AB" + std::string(22, '\0'));
  EXPECT_EQ(Outcome(HexToText24(std::string(60, '4'))), std::string(24, 'D'));  // extra digits ignored
  EXPECT_EQ(Outcome(HexToText24(std::string(46, '4'))), "error: Type mismatch");
  EXPECT_EQ(Outcome(HexToText24("-1" + std::string(46, '4'))), "error: Type mismatch");
  EXPECT_EQ(Utf8ToLatin1("A\xB0"), "A\xB0");  // a stray byte keeps its value
}

TEST(FunctionsHartTest, ShiftsAreLogicalAtTheEdges) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::tuple<Result<std::int32_t> (*)(std::int32_t, int), std::int32_t, int, std::string> cases[] = {
      {ShiftRight, -1, 1, "2147483647"},
      {ShiftRight, kMin, 31, "1"},
      {ShiftRight, 0x7FFFFFFF, 31, "0"},
      {ShiftLeft, 1, 31, std::to_string(kMin)},
      {ShiftLeft, 2, 31, "0"},
      {ShiftLeft, 3, 30, std::to_string(kMin + 0x40000000)},
      {ShiftLeft, -1, 1, "-2"},
      {ShiftLeft, 1, 0, "error: Subscript out of range"},
      {ShiftRight, 1, 32, "error: Subscript out of range"},
  };
  for (const auto& [shift, value, n, expected] : cases) {
    EXPECT_EQ(Outcome(shift(value, n)), expected) << value << " by " << n;
  }
}

}  // namespace
}  // namespace zolin6::codecs
