#include "codecs/enumerated.h"

#include <gtest/gtest.h>

#include <tuple>

#include "codec_cases.h"
#include "fakes/user_locale.h"
#include "platform/locale.h"

namespace zolin6::codecs {
namespace {

using Decoder = std::string (*)(std::int16_t);
using Encoder = std::string (*)(std::string_view);

// The ends of each table and the codes around its gaps: a shifted or
// mistyped line shows up here.
TEST(EnumeratedTest, DecodersGiveTheTextOfListedCodesAndEmptyOtherwise) {
  const std::pair<Decoder, const char*> rows[] = {
      {GetSensorTypeText, "0=Ohm 100|3=Callendar Van Dusen|4=|12=Pt 100 IEC|107=Pt 100 GOST (391)|134=T/C Type E IEC"},
      {GetSensorTypeText, "135=|136=T/C Type J IEC|148=T/C Type L GOST|249=4-20mA Input|-1="},
      {GetSensorConnectionText, "1=|2=Two wires|9=Average|10="},
      {GetColdJunctionText, "1=Internal|2=Fixed|250=Not Used|0="},
      {GetUnitText, "32=\u00B0C|33=\u00B0F|38=|39=mA|57=%"},
      {GetDisplayVariableText, "0=Sensor 1|6=Sensor 1 %|12=Local Temp|13="},
      {GetPhysicalSignalText, "0=Bell 202 Current|4=Wireless|5=|6=Special"},
      {GetPreamblesText, "4=|5=5|9=9|10="},
      {GetWriteProtectText, "0=Disabled|1=Enabled|255=Enabled|2="},
      {GetLoopAlarmText, "0=High|1=Low|2="},
      {GetBackupSensorText, "0=|1=Sensor 2|5=Sensor 6|6="},
  };
  for (const auto& [decode, cases] : rows) {
    for (const auto& [code, text] : Cases(cases)) EXPECT_EQ(decode(std::stoi(code)), text) << code;
  }
  for (Decoder decode :
       {GetBackupModeText, GetSensorMaxMinText, GetTempMaxMinText, GetAverageModeText, GetLoopCurrentModeText}) {
    EXPECT_EQ(decode(0) + decode(1) + decode(2), "DisabledEnabled");
  }
}

// Texts are compared exactly; each encoder falls back in its own way.
TEST(EnumeratedTest, EncodersFallBackEachInItsOwnWay) {
  const std::pair<Encoder, const char*> rows[] = {
      {GetSensorTypeCode, "4-20mA Input=F9|pt 100 iec=0C|=0C"},
      {GetSensorConnectionCode, "Average=09|=02"},
      {GetColdJunctionCode, "Fixed CJC Value=02|Fixed CJC=FA|Internal=01"},  // the combo's item for code 2
      {GetUnitCode, "K=23|=20"},
      {GetDisplayVariableCode, "Sensor 1 %=06|Sensor 1%="},
      {GetMonitorVariableCode, "Sensor 1%=06|Sensor 6%=0B|Local Temp=0C|Sensor 1 %="},
      {GetWriteProtectCode, "Enabled=01|On=00"},
      {GetLoopAlarmCode, "Low=01|=00"},
      {GetBackupSensorCode, "Sensor 2=01|Sensor 1="},
      {GetPreamblesCode, "9=09|10="},
  };
  for (const auto& [encode, cases] : rows) {
    for (const auto& [text, code] : Cases(cases)) EXPECT_EQ(encode(text), code) << "\"" << text << "\"";
  }
  for (Encoder encode :
       {GetLoopCurrentModeCode, GetBackupModeCode, GetAverageModeCode, GetSensorMaxMinCode, GetTempMaxMinCode}) {
    EXPECT_EQ(encode("Disabled") + encode("Enabled") + encode("enabled"), "0001");
  }
}

// Every text a decoder gives encodes back to its code; the count of texts
// catches a lost or duplicated line.
TEST(EnumeratedTest, DecodedTextsEncodeBackToTheirCode) {
  const std::tuple<Decoder, Encoder, int> tables[] = {{GetSensorTypeText, GetSensorTypeCode, 35},
                                                      {GetSensorConnectionText, GetSensorConnectionCode, 8},
                                                      {GetColdJunctionText, GetColdJunctionCode, 3},
                                                      {GetUnitText, GetUnitCode, 8},
                                                      {GetDisplayVariableText, GetDisplayVariableCode, 13},
                                                      {GetBackupSensorText, GetBackupSensorCode, 5},
                                                      {GetPreamblesText, GetPreamblesCode, 5}};
  for (const auto& [decode, encode, entries] : tables) {
    int found = 0;
    for (std::int16_t code = 0; code <= 255; ++code) {
      const std::string text = decode(code);
      if (text.empty()) continue;
      ++found;
      EXPECT_EQ(encode(text), EncodeCode(code)) << text;
    }
    EXPECT_EQ(found, entries);
  }
}

using EnumeratedLocaleTest = fakes::UserLocaleTest;

TEST_F(EnumeratedLocaleTest, PollingAddressEncodesTheRoundedNumber) {
  for (const auto& [text, code] : Cases("0=00|10=0A|130=82|300=12C|-1=FFFF|2.5=02|3.5=04| 7 =07"
                                        "|abc=error: Type mismatch|=error: Type mismatch|1O=error: Type mismatch"
                                        "|40000=error: Overflow")) {
    EXPECT_EQ(Outcome(GetPollingAddressCode(text)), code) << text;
  }
  platform::SetUserLocale({','});
  EXPECT_EQ(Outcome(GetPollingAddressCode("4,5")), "04");
}

}  // namespace
}  // namespace zolin6::codecs
