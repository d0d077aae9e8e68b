#include "codecs/float_ieee.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/locale.h"

namespace zolin6::codecs {
namespace {

class FloatIeeeTest : public ::testing::Test {
 protected:
  void SetUp() override { FloatModuleTexts() = {}; }
  void TearDown() override { platform::SetUserLocale({'.'}); }
};

struct Case {
  char separator;
  std::string text;
  const char* expected;  // hex digits, or "error: " and the message
  const char* rewritten = nullptr;  // the caller's text afterwards, when checked
};

void ExpectConversions(std::initializer_list<Case> cases) {
  for (const auto& c : cases) {
    platform::SetUserLocale({c.separator});
    std::string text = c.text;
    const Result<std::string> hex = ConvertFloatToHex(text);
    EXPECT_EQ(hex ? *hex : "error: " + hex.error().message, c.expected) << c.separator << " [" << c.text << "]";
    if (c.rewritten) {
      EXPECT_EQ(text, c.rewritten) << c.text;
    }
  }
}

TEST_F(FloatIeeeTest, EncodesTypedNumbersInBothLocales) {
  ExpectConversions({
      {'.', "20", "41A00000"},        {'.', "4", "40800000"},       {'.', "0.5", "3F000000"},
      {'.', "-1.5", "BFC00000"},      {'.', "-40", "C2200000"},     {'.', "1000.75", "447A3000"},
      {'.', "-0.5", "BF000000"},      {'.', "2147483647", "4EFFFFFF"},
      {'.', "12.3456", "41458793"},   // truncated: rounding would give ...94
      {'.', "0.1", "3DCCCCC0"},       // only 19 bits after the leading one below 1
      {'.', "0.001", "3A831000"},
      {',', "20", "41A00000"},        {',', "-1,5", "BFC00000"},    {',', "12,3456", "41458793"},
      {',', "0,1", "3DCCCCC0"},
  });
}

TEST_F(FloatIeeeTest, RewritesTheCallersTextInPlace) {
  ExpectConversions({
      {',', "12.5", "41480000", "12,5"},
      {'.', " 12,5 ", "41480000", "12.5"},
      {'.', " 20 ", "41A00000", "20"},
      {',', "1.234.5", "error: Type mismatch", "1,234,5"},
      // Already the user's separator: nothing is replaced, so nothing is trimmed.
      {'.', " 12.5 ", "41480000", " 12.5 "},
  });
}

TEST_F(FloatIeeeTest, LooksForTheSeparatorInTheFirstTenCharactersOnly) {
  ExpectConversions({
      {'.', "000000001.5", "3FC00000"},   // 10th character: 1.5
      {'.', "0000000001.5", "40000000"},  // 11th: the whole text is rounded, 2
      {'.', "0000000002.5", "40000000"},  // halves to even: 2
      {'.', "0000000003.5", "40800000"},  // and 4
  });
}

TEST_F(FloatIeeeTest, RecognisesExactlyTheTwentyFourZeroTexts) {
  for (const char* zero : {"00", "0", "000", "0000", "0.0", "0.00", "0,0", "0,00", "0,000", "0.000", "0,0000",
                           "0.0000", "0,00000", "0.00000", "0,000000", "0.000000", "0,0000000", "0.0000000",
                           "0,00000000", "0.00000000", "0,000000000", "0.000000000", "0,0000000000",
                           "0.0000000000"}) {
    FloatModuleTexts().fractionText = "0.25";
    ExpectConversions({{'.', zero, "00000000"}, {',', zero, "00000000"}});
    EXPECT_EQ(FloatModuleTexts().fractionText, "");
  }
  // Any other zero finds no "1" bit: the exponent stays as the last
  // conversion left it and the mantissa starts with the point.
  ExpectConversions({{'.', "20", "41A00000"}});
  std::string negativeZero = "-0";
  ASSERT_TRUE(ConvertFloatToHex(negativeZero));
  EXPECT_EQ(FloatModuleTexts().exponentBits, "10000011");
  EXPECT_EQ(FloatModuleTexts().mantissaBits, "." + std::string(22, '0'));
}

TEST_F(FloatIeeeTest, FailsOnIntegerOverflowAndUnreadableFractions) {
  ExpectConversions({
      {'.', "99999999999", "error: Overflow"},   // no separator in the window, beyond 32 bits
      {'.', "5e9.5", "error: Overflow"},         // the split and the whole-text reading both fail
      {'.', "12.5abc", "error: Type mismatch"},  // the fraction is no number
  });
}

TEST_F(FloatIeeeTest, SplitRemembersSeparatorAndFraction) {
  platform::SetUserLocale({','});
  EXPECT_EQ(*SplitIntegerPart("12,375"), "1100");
  EXPECT_EQ(FloatModuleTexts().foundSeparator, ",");
  EXPECT_EQ(FloatModuleTexts().fractionText, "0,375");
  EXPECT_EQ(*SplitIntegerPart(",5"), "0");  // empty integer part
}

TEST_F(FloatIeeeTest, FractionBitsComeFromTheShortestDecimalText) {
  const std::pair<double, const char*> cases[] = {
      {0.5, "1"}, {0.625, "101"}, {0.0, ""}, {0.1, "00011001100110011001100"},
      {0.3456, "01011000011110010011110"},  // 23 bits, no binary drift
  };
  for (const char separator : {'.', ','}) {
    platform::SetUserLocale({separator});
    FloatModuleTexts().foundSeparator = std::string(1, separator);
    for (const auto& [value, expected] : cases) EXPECT_EQ(FractionToBinary(value), expected) << value;
  }
}

TEST_F(FloatIeeeTest, BitHelpers) {
  EXPECT_EQ(IntegerToBinary(-5), "0");
  EXPECT_EQ(IntegerToBinary(20), "10100");
  NormalizeBinary("1." + std::string(30, '1'));  // mantissa cut, not rounded
  EXPECT_EQ(FloatModuleTexts().exponentBits, "01111111");
  EXPECT_EQ(FloatModuleTexts().mantissaBits, std::string(23, '1'));
  NormalizeBinary("0.001");
  EXPECT_EQ(FloatModuleTexts().exponentBits, "01111100");
  EXPECT_EQ(BinaryNibbleToHex("1"), "8");  // missing characters count 0
  EXPECT_EQ(BinaryNibbleToHex(".111"), "7");
  EXPECT_EQ(NibbleToHexDigit(14), "E");
  EXPECT_EQ(NibbleToHexDigit(99), "F");
}

}  // namespace
}  // namespace zolin6::codecs
