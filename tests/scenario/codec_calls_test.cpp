// The codec bridge of `call`: every codec function by name, results as text.

#include "codec_calls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/user_locale.h"
#include "platform/locale.h"

namespace zolin6::scenario {
namespace {

std::string Outcome(std::string_view name, const std::vector<std::string>& args) {
  const auto result = CallCodec(name, args);
  if (!result) return "no such function";
  return *result ? result->value() : "error: " + result->error().message;
}

using CodecCallsLocaleTest = fakes::UserLocaleTest;

TEST_F(CodecCallsLocaleTest, ReachesEachFamilyByName) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* expected;
  };
  const Case cases[] = {
      {"ConvertFloatToHex", {"12.5"}, "41480000"},
      {"PackAscii", {"ABCD", "4"}, "0420C4"},
      {"UnpackAscii", {"0420C4", "3", "4"}, "ABCD"},
      {"GetUnitCode", {"\u00B0F"}, "21"},
      {"GetSensorTypeText", {"135"}, ""},
      {"GetSensorTypeText", {"136"}, "T/C Type J IEC"},
      {"ShiftLeft", {"1", "31"}, "-2147483648"},
      {"ShiftRight", {"-1", "31"}, "1"},
      {"GetPollingAddressCode", {"abc"}, "error: Type mismatch"},
      {"HexToText24", {std::string(48, '4')}, "DDDDDDDDDDDDDDDDDDDDDDDD"},
      {"NormalizeBinary", {"10100."}, "10000011 01000000000000000000000"},
      {"NibbleToHexDigit", {"12"}, "C"},
      {"GetMonitorVariableCode", {"Sensor 1%"}, "06"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Outcome(c.name, c.args), c.expected) << c.name;
  }
}

TEST(CodecCallsTest, RefusesUnknownNamesAndBadArguments) {
  EXPECT_EQ(Outcome("GetNothingText", {"1"}), "no such function");
  EXPECT_EQ(Outcome("DocXML", {}), "no such function");  // the control's, not a codec
  const std::pair<const char*, std::vector<std::string>> bad[] = {
      {"PackAscii", {"ABCD"}},
      {"GetSensorTypeText", {}},
      {"GetSensorTypeText", {"x"}},
      {"GetSensorTypeText", {"70000"}},
      {"UnpackAscii", {"0420C4", "3", "four"}},
      {"ShiftLeft", {"1", "1.5"}},
      {"FractionToBinary", {"half"}},
  };
  for (const auto& [name, args] : bad) {
    const std::string outcome = Outcome(name, args);
    EXPECT_EQ(outcome.rfind("error: bad argument", 0), 0u) << name << ": " << outcome;
  }
}

}  // namespace
}  // namespace zolin6::scenario
