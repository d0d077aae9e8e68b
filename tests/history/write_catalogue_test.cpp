// Reading a write request back into the values it changes, and the device's
// verdict into words.

#include <gtest/gtest.h>

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

// What the device reported last, as documents carry it.
const std::map<std::string, std::string, std::less<>> kLastRead{
    {"Sns3Unit", "32"}, {"Sns3UpperRangeValue", "100"}, {"Sns3LowerRangeValue", "1.#QNAN"},
    {"TempUnit", "33"}, {"Polling_Address", "0"},       {"WriteProtect", "0"},
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
       {{"Channel 4 Loop Current", "", "0.000"}}},
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

TEST(DescribeWrite, CopyToAllChangesEveryChannel) {
  const WriteDescription copy =
      DescribeWrite("28", Attributes({"20", "42C80000", "00000000"}), "Range Sensor", LastRead);
  EXPECT_EQ(copy.operation, "copy to all channels");
  ASSERT_EQ(copy.values.size(), 18U);
  EXPECT_EQ(copy.values[2], (ValueChange{"Sensor 3 Unit", "°C", "°C"}));
  EXPECT_EQ(copy.values[8], (ValueChange{"Sensor 3 Upper Range Value", "100.000", "100.000"}));
  EXPECT_EQ(copy.values[17].name, "Sensor 6 Lower Range Value");
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
