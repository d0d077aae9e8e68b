// Every command the device answers, once each on a factory-fresh device:
// the request built by the HART layer's codec (device-specific ones from
// the layouts written from the command reference), the reply read back by
// the same codec, its response code and one value the reference fixes.

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "device_bench.h"
#include "hart/command_codec.h"
#include "specific_layouts.h"

namespace zolin6::device::testing {
namespace {

using hart::Record;
using Expected = std::variant<std::monostate, std::uint32_t, float, std::string>;

struct Case {
  std::uint16_t command = 0;
  Record request{};
  std::uint8_t code = 0;
  const char* field = nullptr;  // a reply field to check, or none
  Expected value{};
  int entry = hart::kNoEntry;
  float tolerance = 0;  // for measured values
};

Record Entries(const char* field, std::initializer_list<std::uint32_t> values) {
  Record record;
  int entry = 0;
  for (const std::uint32_t v : values) record.set(field, v, entry++);
  return record;
}

Record Periods(std::uint32_t message, std::uint32_t update, std::uint32_t most) {
  return {{"burst message", message}, {"update period", update}, {"maximum update period", most}};
}

Record Trigger(std::uint32_t message, std::uint32_t mode, std::uint32_t classification, std::uint32_t units,
               float level) {
  return {{"burst message", message},
          {"trigger mode", mode},
          {"trigger classification", classification},
          {"trigger units", units},
          {"trigger level", level}};
}

Record Slots(std::initializer_list<std::uint32_t> codes, std::uint32_t message) {
  Record record = Entries("device variable", codes);
  record.set("burst message", message);
  return record;
}

std::vector<Case> Cases() {
  using S = std::string;
  return {
      // Universal commands. Factory values: channel 1 a Pt 100 in °C, 0-100 of -200-850.
      {0, {}, 0, "expanded device type", 58113U},
      {0, {}, 0, "device id", 123456U},
      {0, {}, 0, "manufacturer", 24593U},
      {1, {}, 0, "pv units", 32U},
      {2, {}, 0, "percent of range", 21.5F, hart::kNoEntry, 5},
      {3, {}, 0, "units", 32U, 2},  // TV: device temperature
      {6, {{"polling address", 5U}, {"loop current mode", 1U}}, 0, "polling address", 5U},
      {6, {{"polling address", 64U}, {"loop current mode", 1U}}, 2},
      {7, {}, 0, "loop current mode", 1U},
      {8, {}, 0, "pv classification", 64U},
      {9, Entries("device variable", {0, 12, 250}), 0, "units", 250U, 2},
      {9, Entries("device variable", {7}), 0, "units", 57U, 0},
      {9, Entries("device variable", {251}), 2},
      {11, {{"tag", S("TT-601")}}, 0, "device id", 123456U},
      {12, {}, 0, "message", S("SIMULATED TRANSMITTER")},
      {13, {}, 0, "tag", S("TT-601")},
      {14, {}, 0, "upper limit", 850.0F},
      {15, {}, 0, "upper range value", 100.0F},
      {16, {}, 0, "final assembly number", 4096U},
      {17, {{"message", S("HELLO")}}, 0, "message", S("HELLO")},
      {18, {{"tag", S("TT-2")}, {"descriptor", S("D")}, {"date", hart::Date{1, 2, 2020}}}, 0, "tag", S("TT-2")},
      {19, {{"final assembly number", 77U}}, 0, "final assembly number", 77U},
      {20, {}, 0, "long tag", S("ZOLIN-6 TEMPERATURE TRANSMITTER ")},
      {21, {{"long tag", S("ZOLIN-6 TEMPERATURE TRANSMITTER ")}}, 0, "device id", 123456U},
      {22, {{"long tag", S("NEW")}}, 0},
      {33, Entries("device variable", {12}), 0, "units", 32U, 0},
      {38, {{"configuration change counter", 0U}}, 0, "configuration change counter", 0U},
      {38, {{"configuration change counter", 1U}}, 9},
      {40, {{"loop current", 12.0F}}, 0, "loop current", 12.0F},
      {40, {{"loop current", 2.0F}}, 4},
      {42, {}, 0},
      {45, {{"measured current", 4.1F}}, 11},  // output 1 not held
      {46, {{"measured current", 19.9F}}, 11},
      {48, {}, 0, "analog channel fixed", 0U},
      {54, {{"device variable", 0U}}, 0, "upper limit", 850.0F},
      {54, {{"device variable", 20U}}, 2},
      {59, {{"response preambles", 7U}}, 0, "response preambles", 7U},
      {59, {{"response preambles", 21U}}, 3},
      {59, {{"response preambles", 4U}}, 4},
      // Burst mode, messages 0-2. Periods in 1/32 ms; 250 ms is the shortest.
      {103, Periods(0, 16000, 32000), 0, "update period", 16000U},
      {103, Periods(2, 7999, 4000), 8, "maximum update period", 8000U},  // adjusted, a warning with data
      {103, Periods(3, 16000, 32000), 9},
      {104, Trigger(0, 2, 64, 32, 50.0F), 0, "trigger level", 50.0F},
      {104, Trigger(0, 0, 0, 250, 0.0F), 0, "trigger mode", 0U},
      {104, Trigger(0, 1, 0, 32, 1.0F), 11},
      {104, Trigger(0, 3, 64, 57, 1.0F), 12},
      {104, Trigger(0, 5, 64, 32, 1.0F), 13},
      {104, Trigger(3, 0, 0, 250, 0.0F), 9},
      {105, {}, 0, "burst command", 9U},
      {105, {{"burst message", 2U}}, 0, "burst messages", 3U},
      {105, {{"burst message", 3U}}, 9},
      {107, Slots({0, 12, 250, 250, 250, 250, 250, 250}, 1), 0, "device variable", 12U, 1},
      {107, Slots({250, 0, 250, 250, 250, 250, 250, 250}, 0), 19},
      {107, Slots({0, 14, 250, 250, 250, 250, 250, 250}, 0), 2},
      {107, Slots({0, 250, 250, 250, 250, 250, 250, 250}, 3), 9},
      {108, {{"burst command", 3U}, {"burst message", 1U}}, 0, "burst command", 3U},
      {108, {{"burst command", 4U}, {"burst message", 1U}}, 2},
      {108, {{"burst command", 1U}, {"burst message", 3U}}, 9},
      {109, {{"burst mode control", 1U}, {"burst message", 2U}}, 0, "burst mode control", 1U},
      {109, {{"burst mode control", 2U}, {"burst message", 0U}}, 2},
      {109, {{"burst mode control", 0U}, {"burst message", 3U}}, 9},
      // Device-specific commands.
      {128, {}, 0, "serial number", 123456U},
      {129, {{"channel", 2U}}, 0, "sensor type", 137U},
      {129, {{"channel", 6U}}, 2},
      {130,
       {{"channel", 1U}, {"sensor type", 15U}, {"connection", 2U}, {"cold junction", 250U}},
       0,
       "sensor type",
       15U},
      {130, {{"channel", 1U}, {"sensor type", 137U}, {"connection", 3U}, {"cold junction", 1U}}, 12},
      {130, {{"channel", 1U}, {"sensor type", 99U}, {"connection", 2U}, {"cold junction", 1U}}, 2},
      {131,
       {{"channel", 0U}, {"unit", 32U}, {"upper range value", 150.0F}, {"lower range value", 0.0F}},
       0,
       "upper range value",
       150.0F},
      {131, {{"channel", 0U}, {"unit", 36U}, {"upper range value", 10.0F}, {"lower range value", 0.0F}}, 11},
      {131, {{"channel", 0U}, {"unit", 32U}, {"upper range value", 900.0F}, {"lower range value", 0.0F}}, 9},
      {131, {{"channel", 0U}, {"unit", 32U}, {"upper range value", 100.0F}, {"lower range value", -300.0F}}, 10},
      {131, {{"channel", 0U}, {"unit", 32U}, {"upper range value", 0.0F}, {"lower range value", 50.0F}}, 29},
      {131,
       {{"channel", 0U}, {"unit", 32U}, {"upper range value", 5.0F}, {"lower range value", 0.0F}},
       14,
       "upper range value",
       5.0F},  // a warning: data, nothing changed
      {132, {{"variable", 12U}, {"unit", 33U}}, 0, "unit", 33U},
      {132, {{"variable", 12U}, {"unit", 37U}}, 11},
      {132, {{"variable", 7U}, {"unit", 32U}}, 2},
      {133, {}, 0, "R0", 100.0F},
      {134,
       {{"unit", 32U},
        {"high limit", 500.0F},
        {"low limit", 0.0F},
        {"A", 1.0F},
        {"B", 0.0F},
        {"C", 0.0F},
        {"R0", 100.0F},
        {"damping", 33.0F}},
       3},
      {135, {}, 0, "line 6", 12U},
      {136, {{"line 1", 0U}, {"line 2", 0U}, {"line 3", 0U}, {"line 4", 0U}, {"line 5", 0U}, {"line 6", 13U}}, 2},
      {137, {}, 0, "backup sensor", 1U},
      {138, {{"backup mode", 1U}, {"backup sensor", 2U}, {"average mode", 1U}}, 12},
      {139, {{"write protect", 0U}, {"loop alarm", 1U}}, 0, "loop alarm", 1U},
      {140, {}, 0, "counter", 0U, 13},
      {141, {}, 0},
      {142, {}, 0, "sensor unit", 32U},
      {143, {{"sensor recorded", 2U}, {"device recorded", 0U}}, 2},
      {144, {{"selection", 1U}}, 0, "selection", 1U},
      {145, {}, 0, "flags", 0U, 5},
      {146, {{"output", 1U}, {"current", 12.0F}}, 0, "current", 12.0F},
      {146, {{"output", 0U}, {"current", 12.0F}}, 2},
      {147, {{"output", 1U}, {"point", 1U}, {"measured", 4.0F}}, 11},  // not held
      {148, {{"channel", 0U}, {"point", 1U}, {"unit", 32U}, {"value", 20.0F}}, 0, "value", 20.0F},
      {148, {{"channel", 0U}, {"point", 1U}, {"unit", 32U}, {"value", 200.0F}}, 3},
      {149, {{"unit", 32U}, {"value", 29.0F}}, 0, "value", 29.0F},
      {149, {{"unit", 36U}, {"value", 29.0F}}, 11},
      {150, {{"input", 1U}, {"value", 4001.0F}}, 3},
      {150, {{"input", 0U}, {"value", -101.0F}}, 4},
      {151, {}, 0},
  };
}

void ExpectValue(const Record& reply, const Case& c) {
  if (const auto* number = std::get_if<std::uint32_t>(&c.value)) {
    EXPECT_EQ(reply.number(c.field, c.entry).value(), *number);
  } else if (const auto* real = std::get_if<float>(&c.value)) {
    EXPECT_NEAR(reply.real(c.field, c.entry).value(), *real, c.tolerance);
  } else if (const auto* text = std::get_if<std::string>(&c.value)) {
    EXPECT_EQ(reply.text(c.field, c.entry).value(), *text);
  }
}

TEST(DeviceCommands, EachCommandRoundTripsThroughTheCodec) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE("command " + std::to_string(c.command) + ", expected code " + std::to_string(c.code));
    const hart::CommandLayout* layout = LayoutOf(c.command);
    ASSERT_NE(layout, nullptr);
    const Result<hart::Bytes> request = hart::BuildRequest(*layout, c.request);
    ASSERT_TRUE(request.ok()) << request.error().message;
    DeviceBench bench;
    const Answered got = bench.Send(c.command, *request);
    ASSERT_TRUE(got.replied);
    EXPECT_EQ(got.command, c.command);
    EXPECT_EQ(got.status.responseCode(), c.code);
    if (got.status.isError()) {
      EXPECT_TRUE(got.data.empty()) << "an error reply carries no data";
      continue;
    }
    const Result<Record> reply = hart::ParseReply(*layout, got.status, got.data);
    ASSERT_TRUE(reply.ok()) << reply.error().message;
    if (c.field != nullptr) ExpectValue(*reply, c);
  }
}

// The full reply sizes of the reference: a handler that drifts by a byte fails here.
TEST(DeviceCommands, ReplySizes) {
  const std::vector<std::pair<std::uint16_t, std::size_t>> sizes = {
      {0, 22},  {1, 5},   {2, 8},    {3, 19},   {7, 2},    {8, 4},   {12, 24}, {13, 21},  {14, 16},  {15, 18},  {16, 3},
      {20, 32}, {48, 25}, {105, 29}, {128, 27}, {133, 29}, {135, 6}, {137, 3}, {140, 28}, {142, 20}, {145, 54},
  };
  for (const auto& [command, size] : sizes) {
    DeviceBench bench;
    EXPECT_EQ(bench.Send(command).data.size(), size) << "command " << command;
  }
  DeviceBench bench;
  const hart::Bytes channel{0};
  EXPECT_EQ(bench.Send(129, channel).data.size(), 25U);
  EXPECT_EQ(bench.Send(54, channel).data.size(), 28U);
  const hart::Bytes slots{0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(bench.Send(9, slots).data.size(), 1 + 8 * 8 + 4U);
}

TEST(DeviceCommands, CommandsNotImplementedAnswer64) {
  const hart::Bytes data(40, 0);
  for (const std::uint16_t command : {4, 34, 35, 44, 53, 79, 80, 81, 82, 152, 253, 1000}) {
    DeviceBench bench;
    const Answered got = bench.Send(command, data);
    ASSERT_TRUE(got.replied) << command;
    EXPECT_EQ(got.command, command);
    EXPECT_EQ(got.status.responseCode(), 64) << command;
    EXPECT_TRUE(got.data.empty());
  }
}

}  // namespace
}  // namespace zolin6::device::testing
