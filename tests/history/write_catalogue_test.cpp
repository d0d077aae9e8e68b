// Reading a write request back into the values it changes, and the device's
// verdict into words.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>

#include "history/write_catalogue.h"

namespace zolin6::history {
namespace {

std::vector<std::string> Attributes(std::initializer_list<const char*> first) {
  std::vector<std::string> attributes(22);
  std::size_t i = 0;
  for (const char* value : first) attributes[i++] = value;
  return attributes;
}

constexpr const char* kIdentity =
    "514B76C31820"
    "820820820820820820820820"
    "010163";

// What the device reported last, as documents carry it.
const std::map<std::string, std::string, std::less<>> kLastRead{
    {"Sns3Unit", "32"},
    {"Sns3UpperRangeValue", "100"},
    {"Sns3LowerRangeValue", "1.#QNAN"},
    {"TempUnit", "33"},
    {"Polling_Address", "0"},
    {"WriteProtect", "0"},
    // Tag, descriptor and date as one run of bytes: "TT-601", blanks, 1 January 1999.
    {"Tag", kIdentity},
    {"Descriptor", kIdentity},
    {"Date", kIdentity},
    {"Long Tag", "4F4C440000000000000000000000000000000000000000000000000000000000"},
};

std::optional<std::string> LastRead(std::string_view tag) {
  auto found = kLastRead.find(tag);
  if (found == kLastRead.end()) return std::nullopt;
  return found->second;
}

struct DescribeCase {
  const char* code;
  std::vector<std::string> attributes;
  const char* page;
  const char* operation;
  std::vector<ValueChange> values;
};

TEST(DescribeWrite, ReadsTheRequestAsThePageShowedIt) {
  const DescribeCase cases[] = {
      {"6",
       Attributes({"02", "21", "43160000", "C1200000"}),
       "Range Sensor",
       "write",
       {{"Sensor 3 Unit", "°C", "°F"},
        {"Sensor 3 Upper Range Value", "100.000", "150.000"},
        {"Sensor 3 Lower Range Value", "1.#QNAN", "-10.000"}}},
      // Code 4 is the local temperature unit with "0C", a sensor's unit with a channel.
      {"4", Attributes({"0C", "20"}), "Local Temp", "write", {{"Local Temperature Unit", "°F", "°C"}}},
      {"4", Attributes({"02", "21"}), "Range Sensor", "unit change", {{"Sensor 3 Unit", "°C", "°F"}}},
      {"2",
       Attributes({"00", "0A", "05", "01", "00"}),
       "Conf HART",
       "write",
       {{"Loop Current Mode", "", "Disabled"},
        {"Polling Address", "0", "10"},
        {"Response Preambles", "", "5"},
        {"Write Protection", "Disabled", "Enabled"},
        {"Loop Alarm", "", "High"}}},
      // Holding a current is a trim step on a trim page, a loop test elsewhere.
      {"22",
       Attributes({"03", "41A00000"}),
       "Trim 20mA Channel 4",
       "trim step",
       {{"Channel 4 Loop Current", "", "20.000"}}},
      {"22",
       Attributes({"03", "00000000"}),
       "Fixed Current - Channel 4",
       "loop test",
       {{"Channel 4 Loop Current", "held", "released"}}},
      // Texts as the identification page shows them, the blanks and NULs the device pads with left out.
      {"1",
       Attributes(
           {"514B76C32820", "", "070C7E", "", "424F494C45522033204F55544C45542020202020202020202020202020202020"}),
       "Information",
       "write",
       {{"Tag", "TT-601", "TT-602"}, {"Date", "01/01/1999", "07/12/2026"}, {"Long Tag", "OLD", "BOILER 3 OUTLET"}}},
      {"9", Attributes({}), "Maintenance", "device command", {}},
      // A malformed number goes into the record as it was sent.
      {"6",
       Attributes({"02", "20", "4316", ""}),
       "Range Sensor",
       "write",
       {{"Sensor 3 Unit", "°C", "°C"}, {"Sensor 3 Upper Range Value", "100.000", "4316"}}},
      {"99", Attributes({"01"}), "Information", "write", {}},
  };
  for (const DescribeCase& c : cases) {
    const WriteDescription description = DescribeWrite(c.code, c.attributes, c.page, LastRead);
    EXPECT_EQ(description.operation, c.operation) << c.code << " on " << c.page;
    EXPECT_EQ(description.values, c.values) << c.code << " on " << c.page;
  }
}

// Every write code of the pages, read back from a request whose attribute
// N carries N ("01", "02", ...): which operation it is, and which attribute
// each value comes from (a number that is no IEEE hex text shows as sent, a
// count as its number, a code as its page shows it).
TEST(DescribeWrite, KnowsEveryWriteCodeOfThePages) {
  std::vector<std::string> attributes;
  for (int i = 1; i <= 22; ++i) {
    std::array<char, 3> hex{};
    std::snprintf(hex.data(), hex.size(), "%02X", i);
    attributes.emplace_back(hex.data());
  }
  const std::pair<const char*, const char*> cases[] = {
      {"1", "write: Tag=01; Descriptor=02; Date=03; Message=04; Long Tag=05; Final Assembly=6;"},
      {"2",
       "write: Loop Current Mode=Enabled; Polling Address=2; Response Preambles=3; Write Protection=4; Loop Alarm=5;"},
      {"3",
       "write: Sensor 2 Type=Ohm 2000; Sensor 2 Connection=Three wires; Sensor 2 Cold Junction=4; Sensor Temp High "
       "Limit=05; Sensor Temp Low Limit=06; Sensor Limit Unit=7;"},
      {"5",
       "write: Display 1=Sensor 2; Display 2=Sensor 3; Display 3=Sensor 4; Display 4=Sensor 5; Display 5=Sensor 6; "
       "Display 6=Sensor 1 %;"},
      {"6", "write: Sensor 2 Unit=2; Sensor 2 Upper Range Value=03; Sensor 2 Lower Range Value=04;"},
      {"7", "device command: Configuration Change Counter=1;"},
      {"8", "device command:"},
      {"9", "device command:"},
      {"10", "device command:"},
      {"11", "loop test: Channel 1 Loop Current=01;"},
      {"13", "trim step: Channel 1 Reading at 4 mA=01;"},
      {"14", "trim step: Channel 1 Reading at 20 mA=01;"},
      {"15", "trim step: Trim Unit=1; Calibration Temperature=02;"},
      {"16", "write: Backup Mode=Enabled; Backup Sensor=Sensor 3; Average Mode=3;"},
      {"17", "write: Sensor Max/Min=Enabled; Temp Max/Min=2;"},
      {"18", "device command:"},
      {"19", "device command:"},
      {"20", "trim step: Trim Unit=1; Sensor Lower Trim Value=02;"},
      {"21", "trim step: Trim Unit=1; Sensor Upper Trim Value=02;"},
      {"23", "trim step: Channel 2 Reading at 4 mA=02;"},
      {"24", "trim step: Channel 2 Reading at 20 mA=02;"},
      {"26",
       "write: Sensor Temp High Limit=01; Sensor Temp Low Limit=02; Sensor Limit Unit=3; Coefficient A=04; Coefficient "
       "B=05; Coefficient C=06; R0=07; Damping=08;"},
      {"27",
       "copy to all channels: Sensor 1 Type=Ohm 400; Sensor 2 Type=Ohm 400; Sensor 3 Type=Ohm 400; Sensor 4 Type=Ohm "
       "400; Sensor 5 Type=Ohm 400; Sensor 6 Type=Ohm 400; Sensor 1 Connection=Two wires; Sensor 2 Connection=Two "
       "wires; Sensor 3 Connection=Two wires; Sensor 4 Connection=Two wires; Sensor 5 Connection=Two wires; Sensor 6 "
       "Connection=Two wires; Sensor 1 Cold Junction=3; Sensor 2 Cold Junction=3; Sensor 3 Cold Junction=3; Sensor 4 "
       "Cold Junction=3; Sensor 5 Cold Junction=3; Sensor 6 Cold Junction=3; Sensor Temp High Limit=04; Sensor Temp "
       "Low Limit=05; Sensor Limit Unit=6;"},
      {"28",
       "copy to all channels: Sensor 1 Unit=1; Sensor 2 Unit=1; Sensor 3 Unit=1; Sensor 4 Unit=1; Sensor 5 Unit=1; "
       "Sensor 6 Unit=1; Sensor 1 Upper Range Value=02; Sensor 2 Upper Range Value=02; Sensor 3 Upper Range Value=02; "
       "Sensor 4 Upper Range Value=02; Sensor 5 Upper Range Value=02; Sensor 6 Upper Range Value=02; Sensor 1 Lower "
       "Range Value=03; Sensor 2 Lower Range Value=03; Sensor 3 Lower Range Value=03; Sensor 4 Lower Range Value=03; "
       "Sensor 5 Lower Range Value=03; Sensor 6 Lower Range Value=03;"},
      {"29", "trim step: Factory Trim Input=01; Factory Trim Value=02;"},
  };
  for (const auto& [code, expected] : cases) {
    const WriteDescription description = DescribeWrite(code, attributes, "Information", LastRead);
    std::string text = description.operation + ":";
    for (const ValueChange& value : description.values) text += " " + value.name + "=" + value.after + ";";
    EXPECT_EQ(text, expected) << code;
  }
}

TEST(JudgeResponse, NamesTheRefusal) {
  struct VerdictCase {
    std::vector<long> codes;
    const char* operation;
    Outcome outcome;
    const char* text;
  };
  const VerdictCase cases[] = {
      {{0, 0, 0, 0, 0}, "write", Outcome::Accepted, "accepted"},
      {{14, 0, 0, 0, 0}, "write", Outcome::Refused, "Minimum Span Too Low!"},
      {{32, 32, 0, 0, 0}, "write", Outcome::Refused, "Device is busy!; Device is busy!"},
      {{11}, "unit change", Outcome::Refused, "Backup mode is enabled!"},
      {{11}, "trim step", Outcome::Refused, "Loop current no active!"},
      {{11}, "write", Outcome::Refused, "Invalid Unit!"},
      // A code the pages show nothing for is still a refusal.
      {{8}, "write", Outcome::Refused, "Response code 8"},
  };
  for (const VerdictCase& c : cases) {
    const Verdict verdict = JudgeResponse(c.codes, c.operation);
    EXPECT_EQ(verdict.outcome, c.outcome) << c.text;
    EXPECT_EQ(verdict.text, c.text);
  }
}

}  // namespace
}  // namespace zolin6::history
