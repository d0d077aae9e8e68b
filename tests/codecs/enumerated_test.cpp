#include "codecs/enumerated.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/locale.h"

namespace zolin6::codecs {
namespace {

using Decoder = std::string (*)(std::int16_t);
using Encoder = std::string (*)(std::string_view);

// Spot checks at the ends and around the gaps of each table: a shifted or
// mistyped line shows up here.
TEST(EnumeratedTest, DecodersGiveTheTextOfListedCodesAndEmptyOtherwise) {
  struct Case {
    Decoder decode;
    std::int16_t code;
    const char* expected;
  };
  const Case cases[] = {
      {GetSensorTypeText, 0, "Ohm 100"},          {GetSensorTypeText, 3, "Callendar Van Dusen"},
      {GetSensorTypeText, 4, ""},                 {GetSensorTypeText, 12, "Pt 100 IEC"},
      {GetSensorTypeText, 107, "Pt 100 GOST (391)"}, {GetSensorTypeText, 134, "T/C Type E IEC"},
      {GetSensorTypeText, 135, ""},               {GetSensorTypeText, 136, "T/C Type J IEC"},
      {GetSensorTypeText, 249, "4-20mA Input"},   {GetSensorTypeText, -1, ""},
      {GetSensorConnectionText, 2, "Two wires"},  {GetSensorConnectionText, 9, "Average"},
      {GetSensorConnectionText, 10, ""},          {GetColdJunctionText, 2, "Fixed"},
      {GetColdJunctionText, 250, "Not Used"},     {GetUnitText, 32, "\u00B0C"},
      {GetUnitText, 38, ""},                      {GetUnitText, 39, "mA"},
      {GetUnitText, 57, "%"},                     {GetDisplayVariableText, 6, "Sensor 1 %"},
      {GetDisplayVariableText, 13, ""},           {GetPhysicalSignalText, 4, "Wireless"},
      {GetPhysicalSignalText, 5, ""},             {GetPhysicalSignalText, 6, "Special"},
      {GetPreamblesText, 4, ""},                  {GetPreamblesText, 9, "9"},
      {GetWriteProtectText, 255, "Enabled"},      {GetWriteProtectText, 2, ""},
      {GetLoopAlarmText, 0, "High"},              {GetLoopAlarmText, 1, "Low"},
      {GetBackupSensorText, 0, ""},               {GetBackupSensorText, 1, "Sensor 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.decode(c.code), c.expected) << "code " << c.code;
  for (const Decoder decode :
       {GetBackupModeText, GetSensorMaxMinText, GetTempMaxMinText, GetAverageModeText, GetLoopCurrentModeText}) {
    EXPECT_EQ(decode(0), "Disabled");
    EXPECT_EQ(decode(1), "Enabled");
    EXPECT_EQ(decode(255), "");
  }
}

TEST(EnumeratedTest, EncodersFallBackEachInItsOwnWay) {
  struct Case {
    Encoder encode;
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {GetSensorTypeCode, "pt 100 iec", "0C"},  // compared case-sensitively
      {GetSensorTypeCode, "", "0C"},
      {GetSensorConnectionCode, "", "02"},
      {GetColdJunctionCode, "Fixed CJC Value", "02"},  // the combo item for code 2
      {GetColdJunctionCode, "Fixed CJC", "FA"},
      {GetUnitCode, "", "20"},
      {GetDisplayVariableCode, "Sensor 1%", ""},
      {GetMonitorVariableCode, "Sensor 1%", "06"},
      {GetMonitorVariableCode, "Sensor 6%", "0B"},
      {GetMonitorVariableCode, "Local Temp", "0C"},
      {GetMonitorVariableCode, "Sensor 1 %", ""},
      {GetWriteProtectCode, "Enabled", "01"},
      {GetWriteProtectCode, "On", "00"},
      {GetLoopAlarmCode, "Low", "01"},
      {GetLoopAlarmCode, "", "00"},
      {GetBackupSensorCode, "Sensor 1", ""},
      {GetPreamblesCode, "10", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.encode(c.text), c.expected) << "\"" << c.text << "\"";
  for (const Encoder encode :
       {GetLoopCurrentModeCode, GetBackupModeCode, GetAverageModeCode, GetSensorMaxMinCode, GetTempMaxMinCode}) {
    EXPECT_EQ(encode("Disabled"), "00");
    EXPECT_EQ(encode("Enabled"), "01");
    EXPECT_EQ(encode("enabled"), "");
  }
}

// Every text a decoder gives encodes back to its code (in the two-digit
// form); the count of texts catches a lost or duplicated line.
TEST(EnumeratedTest, DecodedTextsEncodeBackToTheirCode) {
  struct Pair {
    Decoder decode;
    Encoder encode;
    int entries;
  };
  const Pair pairs[] = {{GetSensorTypeText, GetSensorTypeCode, 35},
                        {GetSensorConnectionText, GetSensorConnectionCode, 8},
                        {GetColdJunctionText, GetColdJunctionCode, 3},
                        {GetUnitText, GetUnitCode, 8},
                        {GetDisplayVariableText, GetDisplayVariableCode, 13},
                        {GetBackupSensorText, GetBackupSensorCode, 5},
                        {GetPreamblesText, GetPreamblesCode, 5}};
  for (const auto& pair : pairs) {
    int found = 0;
    for (std::int16_t code = 0; code <= 255; ++code) {
      const std::string text = pair.decode(code);
      if (text.empty()) continue;
      ++found;
      EXPECT_EQ(pair.encode(text), EncodeCode(code)) << text;
    }
    EXPECT_EQ(found, pair.entries);
  }
  EXPECT_EQ(GetSensorTypeCode("4-20mA Input"), "F9");
}

TEST(EnumeratedTest, PollingAddressEncodesTheRoundedNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "00"},   {"10", "0A"},   {"130", "82"}, {"131", "83"}, {"300", "12C"},
      {"-1", "FFFF"}, {"2.5", "02"}, {"3.5", "04"}, {" 7 ", "07"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(*GetPollingAddressCode(text), expected) << text;
  platform::SetUserLocale({','});
  EXPECT_EQ(*GetPollingAddressCode("4,5"), "04");
  platform::SetUserLocale({'.'});
}

TEST(EnumeratedTest, PollingAddressFailsOnNonNumbers) {
  const std::pair<const char*, const char*> cases[] = {
      {"abc", "Type mismatch"}, {"", "Type mismatch"}, {"1O", "Type mismatch"}, {"40000", "Overflow"}};
  for (const auto& [text, message] : cases) {
    const Result<std::string> code = GetPollingAddressCode(text);
    ASSERT_FALSE(code) << text;
    EXPECT_EQ(code.error().message, message) << text;
  }
}

}  // namespace
}  // namespace zolin6::codecs
