// The data encodings on byte vectors worked out by hand: packed ASCII,
// big-endian numbers, the device's NaN and dates.

#include "hart/encoding.h"

#include <gtest/gtest.h>

#include <cmath>

#include "hex.h"

namespace zolin6::hart {
namespace {

using testing::Hex;
using testing::ToHex;

TEST(PackedAscii, PacksFourCharactersInThreeBytes) {
  const struct {
    const char* text;
    std::size_t size;
    const char* packed;
  } cases[] = {
      {"ABCD", 3, "04 20 C4"},
      {"abcd", 3, "04 20 C4"},  // sent upper case
      {"", 3, "82 08 20"},      // padded with blanks
      {"TT-101", 6, "51 4B 71 C3 18 20"},
      {"@_ ?", 3, "01 F8 3F"},  // the corners of the 64 characters
  };
  for (const auto& c : cases) {
    const Result<Bytes> packed = PackAscii(c.text, c.size);
    ASSERT_TRUE(packed.ok()) << c.text;
    EXPECT_EQ(ToHex(*packed), c.packed) << c.text;
  }
}

TEST(PackedAscii, UnpacksWithBitSixTheComplementOfBitFive) {
  EXPECT_EQ(UnpackAscii(Hex("04 20 C4")).value(), "ABCD");
  EXPECT_EQ(UnpackAscii(Hex("51 4B 71 C3 18 20")).value(), "TT-101  ");
  EXPECT_EQ(UnpackAscii(Hex("01 F8 3F")).value(), "@_ ?");
  EXPECT_EQ(UnpackAscii(Hex("FF FF FF")).value(), "????");
}

TEST(PackedAscii, RefusesWhatItCannotCarry) {
  EXPECT_FALSE(PackAscii("ABCDE", 3).ok());  // five characters in three bytes
  EXPECT_FALSE(PackAscii("~", 3).ok());
  EXPECT_FALSE(PackAscii("\xE9", 3).ok());
  EXPECT_FALSE(PackAscii("AB", 4).ok());  // not whole groups
  EXPECT_FALSE(UnpackAscii(Hex("04 20")).ok());
}

TEST(Numbers, AreBigEndian) {
  Bytes out;
  AppendUnsigned(out, 0x12, 1);
  AppendUnsigned(out, 0x1234, 2);
  AppendUnsigned(out, 0x21633F, 3);
  AppendUnsigned(out, 0xDEADBEEF, 4);
  AppendFloat(out, 1.0F);
  AppendFloat(out, -20.5F);
  EXPECT_EQ(ToHex(out), "12 12 34 21 63 3F DE AD BE EF 3F 80 00 00 C1 A4 00 00");
  EXPECT_EQ(ReadUnsigned(ByteView(out).subspan(3), 3), 0x21633FU);
  EXPECT_EQ(ReadFloat(ByteView(out).subspan(14)), -20.5F);
}

TEST(Numbers, AnyNaNGoesOutAsTheDevicePattern) {
  Bytes out;
  AppendFloat(out, std::nanf("1"));
  AppendFloat(out, NotANumber());
  EXPECT_EQ(ToHex(out), "7F A0 00 00 7F A0 00 00");
  EXPECT_TRUE(IsNotANumber(ReadFloat(Hex("7F A0 00 00"))));
  EXPECT_FALSE(IsNotANumber(ReadFloat(Hex("7F 80 00 00"))));  // infinity is a value
}

TEST(Dates, AreDayMonthAndYearSince1900) {
  Bytes out;
  ASSERT_TRUE(AppendDate(out, {6, 12, 2026}).ok());
  EXPECT_EQ(ToHex(out), "06 0C 7E");
  EXPECT_EQ(ReadDate(out), (Date{6, 12, 2026}));
  EXPECT_EQ(ReadDate(Hex("00 00 00")), (Date{0, 0, 1900}));  // an unset date reads as sent
  EXPECT_FALSE(AppendDate(out, {32, 1, 2000}).ok());
  EXPECT_FALSE(AppendDate(out, {1, 13, 2000}).ok());
  EXPECT_FALSE(AppendDate(out, {1, 1, 1899}).ok());
  EXPECT_FALSE(AppendDate(out, {1, 1, 2156}).ok());
  EXPECT_EQ(out.size(), 3U);
}

}  // namespace
}  // namespace zolin6::hart
