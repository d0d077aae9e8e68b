#include "codecs/float_ieee.h"

#include <gtest/gtest.h>

#include <tuple>

#include "codec_cases.h"
#include "platform/locale.h"

namespace zolin6::codecs {
namespace {

class FloatIeeeTest : public ::testing::Test {
 protected:
  void SetUp() override { FloatModuleTexts() = {}; }
  void TearDown() override { platform::SetUserLocale({'.'}); }

  std::string Convert(char separator, std::string& text) {
    platform::SetUserLocale({separator});
    return Outcome(ConvertFloatToHex(text));
  }
};

TEST_F(FloatIeeeTest, EncodesTypedNumbersInTheUsersLocale) {
  const std::pair<char, const char*> rows[] = {
      {'.', "20=41A00000|4=40800000|0.5=3F000000|-1.5=BFC00000|1000.75=447A3000|2147483647=4EFFFFFF"},
      // The mantissa is cut, not rounded (...94); below 1 the fraction's 23 bits give 19 after its leading one.
      {'.', "12.3456=41458793|0.1=3DCCCCC0|0.001=3A831000"},
      {',', "20=41A00000|-1,5=BFC00000|12,3456=41458793|0,1=3DCCCCC0|12.5=41480000"},
      // A separator is looked for in the first ten characters only; beyond,
      // the whole text is rounded half to even.
      {'.', "000000001.5=3FC00000|0000000001.5=40000000|0000000002.5=40000000|0000000003.5=40800000"},
      // The listed spellings of zero.
      {'.', "0=00000000|00=00000000|0.0=00000000|0,0=00000000|0.0000000000=00000000"},
      {',', "0000=00000000|0,0000000000=00000000"},
      // Magnitudes below the 23 fraction bits (a Callendar-Van Dusen C)
      // keep their single-precision value, cut toward zero; other spellings
      // of zero stay zero with their sign.
      {'.', "0.000000000004183=2C932D1D|-0.000000000004183=AC932D1D|0.00000000000=00000000|-0=80000000"},
      // A tiny value whose nearest single-precision float lies above it.
      {'.', "0.0000001=33D6BF94"},
      // Fractions whose doubled rest is written in exponent form ("2E-05") or
      // as "2" once went out as 1.875 or 102: their first character was taken
      // for a bit. Below 1 only 23 fraction bits exist.
      {'.', "1.00001=3F800053|100.00002=42C80002|0.5000001=3F000000|0.9999999999999999=3F7FFFFE"},
      // Integer parts beyond 32 bits, fractions that are no number.
      {'.', "99999999999=error: Overflow|5e9.5=error: Overflow|12.5abc=error: Type mismatch"},
      {',', "1.234.5=error: Type mismatch"},
  };
  for (const auto& [separator, cases] : rows) {
    for (auto [text, hex] : Cases(cases)) EXPECT_EQ(Convert(separator, text), hex) << separator << " [" << text << "]";
  }
}

// A value with no "1" bit once kept the exponent of whatever was converted
// before it: "-0" went out as -16 after "20".
TEST_F(FloatIeeeTest, TheSameTextGivesTheSamePatternWhateverCameBefore) {
  for (const char* before : {"20", "0.001", "-1.5"}) {
    for (const auto& [text, hex] : {std::pair{"-0", "80000000"}, {"0.00000000000", "00000000"}}) {
      std::string previous = before, typed = text;
      Convert('.', previous);
      EXPECT_EQ(Convert('.', typed), hex) << before;
    }
  }
}

// Texts that are no number once went out as some number ("abc" as 0.5, an
// empty box as 1.0, "1,000.5" as 1.5); the write pages refuse them.
TEST_F(FloatIeeeTest, TypedTextsThatAreNoPlainNumberAreRefused) {
  for (const char* text : {"abc", "", " ", "1e3", "1,000.5", "12abc", "- 5", "5-"}) {
    EXPECT_FALSE(ConvertTypedNumberToHex(text)) << "[" << text << "]";
  }
  platform::SetUserLocale({','});
  EXPECT_EQ(*ConvertTypedNumberToHex(" 12.5 "), "41480000");
  EXPECT_EQ(*ConvertTypedNumberToHex("-,5"), "BF000000");
  platform::SetUserLocale({'.'});
  EXPECT_EQ(*ConvertTypedNumberToHex("+20"), "41A00000");
}

TEST_F(FloatIeeeTest, RewritesTheCallersTextInPlace) {
  const std::tuple<char, const char*, const char*> cases[] = {
      {',', "12.5", "12,5"},
      {'.', " 12,5 ", "12.5"},
      {',', "1.234.5", "1,234,5"},
      {'.', " 12.5 ", " 12.5 "},  // already the user's separator: nothing replaced, nothing trimmed
  };
  for (const auto& [separator, input, rewritten] : cases) {
    std::string text = input;
    Convert(separator, text);
    EXPECT_EQ(text, rewritten);
  }
}

TEST_F(FloatIeeeTest, TheSplitKeepsSeparatorAndFractionAZeroEmptiesTheFraction) {
  platform::SetUserLocale({','});
  EXPECT_EQ(*SplitIntegerPart("12,375"), "1100");
  EXPECT_EQ(FloatModuleTexts().foundSeparator + " " + FloatModuleTexts().fractionText, ", 0,375");
  EXPECT_EQ(*SplitIntegerPart(",5"), "0");
  std::string zero = "0,000";
  EXPECT_EQ(Convert(',', zero), "00000000");
  EXPECT_EQ(FloatModuleTexts().fractionText, "");
}

TEST_F(FloatIeeeTest, BitSteps) {
  const std::pair<double, const char*> fractions[] = {
      {0.5, "1"}, {0.625, "101"}, {0.0, ""}, {0.3456, "01011000011110010011110"}};  // 23 bits, no binary drift
  for (const char separator : {'.', ','}) {
    platform::SetUserLocale({separator});
    FloatModuleTexts().foundSeparator = std::string(1, separator);
    for (const auto& [value, bits] : fractions) EXPECT_EQ(FractionToBinary(value), bits) << value;
  }
  EXPECT_EQ(IntegerToBinary(-5) + " " + IntegerToBinary(20), "0 10100");
  NormalizeBinary("1." + std::string(30, '1'));  // cut, not rounded
  EXPECT_EQ(FloatModuleTexts().exponentBits + " " + FloatModuleTexts().mantissaBits,
            "01111111 " + std::string(23, '1'));
  NormalizeBinary("0.001");
  EXPECT_EQ(FloatModuleTexts().exponentBits, "01111100");
  // Missing characters count 0, the point too; beyond 15 is "F".
  EXPECT_EQ(BinaryNibbleToHex("1") + BinaryNibbleToHex(".111") + NibbleToHexDigit(14) + NibbleToHexDigit(99), "87EF");
}

}  // namespace
}  // namespace zolin6::codecs
