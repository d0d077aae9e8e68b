// The command tables through the one codec: real replies of other makers'
// devices decode to the values they carry, every known command's request
// and reply survive a round trip, and every reply cut short fails naming
// the field it cut.

#include "hart/command_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hart/field_codec.h"
#include "hart/frame.h"
#include "hex.h"

namespace zolin6::hart {

// Test names instead of byte dumps (found by argument lookup, so in the
// layout's own namespace).
void PrintTo(const CommandLayout& command, std::ostream* out);
void PrintTo(const CommandLayout& command, std::ostream* out) { *out << "command " << command.number; }

namespace {

using testing::Hex;

// The data field of a captured reply frame, after its status bytes.
Result<Record> ParseCaptured(const char* frameHex) {
  const Bytes bytes = Hex(frameHex);
  const DecodeResult decoded = DecodeFrame(bytes);
  if (!decoded) return Error{decoded.description()};
  return ParseReply(decoded.frame.command, decoded.frame.status, decoded.frame.data);
}

TEST(CapturedReplies, Hart5CommandZero) {
  const Result<Record> reply = ParseCaptured("06 80 00 0E 00 14 FE 1A 89 07 05 02 1B 08 01 21 63 3F 9E");
  ASSERT_TRUE(reply.ok()) << reply.error().message;
  EXPECT_EQ(reply->number("expansion code").value(), 254U);
  EXPECT_EQ(reply->number("expanded device type").value(), 0x1A89U);
  EXPECT_EQ(reply->number("request preambles").value(), 7U);
  EXPECT_EQ(reply->number("universal revision").value(), 5U);
  EXPECT_EQ(reply->number("device id").value(), 0x21633FU);
  EXPECT_FALSE(reply->has("response preambles"));  // HART 5 stops after the device ID
}

TEST(CapturedReplies, Hart7CommandZero) {
  const Result<Record> reply =
      ParseCaptured("06 C0 00 18 00 10 FE F9 FD 00 07 02 32 4E 00 95 26 6F 00 03 00 01 01 00 F9 00 F9 41 D3");
  ASSERT_TRUE(reply.ok()) << reply.error().message;
  EXPECT_EQ(reply->number("expanded device type").value(), 0xF9FDU);
  EXPECT_EQ(reply->number("request preambles").value(), 0U);
  EXPECT_EQ(reply->number("universal revision").value(), 7U);
  EXPECT_EQ(reply->number("device id").value(), 0x95266FU);
  EXPECT_EQ(reply->number("last device variable").value(), 3U);
  EXPECT_EQ(reply->number("configuration change counter").value(), 1U);
  EXPECT_EQ(reply->number("extended device status").value(), 1U);
  EXPECT_EQ(reply->number("manufacturer").value(), 0xF9U);
  EXPECT_EQ(reply->number("device profile").value(), 0x41U);
}

TEST(CapturedReplies, ErrorReplyIsNotReadForData) {
  const Result<Record> reply = ParseCaptured("86 B9 FD 95 26 6F 36 02 05 10 3F");
  ASSERT_FALSE(reply.ok());
  EXPECT_EQ(reply.error().message, "command 54: device answered with response code 5");
}

// Full reply sizes as the devices send them (section sizes of the captured
// frames and the published layouts): a table that drifts by one byte fails here.
TEST(CommandTables, FullReplySizes) {
  const std::vector<std::pair<std::uint16_t, std::size_t>> sizes = {
      {0, 22}, {1, 5},   {2, 8},   {7, 2},   {8, 4},   {12, 24}, {13, 21}, {14, 16}, {15, 18},
      {16, 3}, {20, 32}, {48, 25}, {35, 9},  {54, 28}, {79, 8},  {80, 10}, {81, 23}, {82, 7},
      {53, 2}, {59, 1},  {74, 8},  {84, 48}, {103, 9}, {104, 8}, {108, 3}, {109, 2}, {533, 7},
  };
  for (const auto& [number, size] : sizes) {
    const CommandLayout* layout = FindCommand(number);
    ASSERT_NE(layout, nullptr) << number;
    std::size_t total = 0;
    for (const Field& field : layout->reply.fields) total += field.size;
    EXPECT_EQ(total, size) << "command " << number;
  }
}

// Command 105's reply and 107's request repeat eight slots between a head
// and a tail: 2 + 8 + 19 and 8 + 1 bytes.
TEST(CommandTables, BurstSlotsSitBetweenHeadAndTail) {
  Record full;
  for (int slot = 0; slot < 8; ++slot) full.set("device variable", static_cast<std::uint32_t>(slot), slot);
  full.set("burst message", 2U);
  const Result<Bytes> request = BuildRequest(107, full);
  ASSERT_TRUE(request.ok()) << request.error().message;
  EXPECT_EQ(*request, Hex("00 01 02 03 04 05 06 07 02"));
  full.set("device variable", 0U, 8);
  EXPECT_FALSE(BuildRequest(107, full).ok());  // a ninth slot
  Bytes reply = Hex("01 09 00 01 02 03 FA FA FA FA 01 03 00 09 00 00 3E 80 00 00 7D 00 02 40 20 42 48 00 00");
  const Result<Record> read = ParseReply(105, {}, reply);
  ASSERT_TRUE(read.ok()) << read.error().message;
  EXPECT_EQ(read->number("device variable", 7).value(), 250U);
  EXPECT_EQ(read->number("burst message").value(), 1U);
  EXPECT_EQ(read->number("update period").value(), 16000U);
  EXPECT_EQ(read->number("trigger units").value(), 32U);
  EXPECT_FLOAT_EQ(read->real("trigger level").value(), 50.0F);
  reply.pop_back();
  EXPECT_FALSE(ParseReply(105, {}, reply).ok());
}

// The subscription a HART-IP client sent in a captured session: command 533
// through 31, to every device, for process data.
TEST(CommandTables, SubscriptionRequestMatchesACapturedFrame) {
  const Result<Bytes> data =
      BuildRequest(533, {{"device address", Bytes(5, 0)}, {"subscription flags", std::uint32_t{1}}});
  ASSERT_TRUE(data.ok()) << data.error().message;
  Frame frame;
  frame.address = Address::Unique({0x39, 0xFD, 0x95, 0x26, 0x6F});
  frame.command = 533;
  frame.data = *data;
  Bytes bytes;
  ASSERT_TRUE(EncodeFrame(frame, 0, bytes).ok());
  EXPECT_EQ(bytes, Hex("82 b9 fd 95 26 6f 1f 09 02 15 00 00 00 00 00 00 01 1a"));
}

TEST(CommandTables, AreSortedAndUnique) {
  for (const auto table : {UniversalCommands(), CommonPracticeCommands()}) {
    for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].number, table[i].number);
  }
  for (const std::uint16_t number :
       {0,  1,  2,  3,  6,  7,  8,  9,  11, 12, 13, 14, 15, 16, 17, 18, 19, 20,  21,  22,  38,  48,  33,  34,
        35, 40, 42, 44, 45, 46, 53, 54, 59, 74, 75, 77, 79, 84, 80, 81, 82, 103, 104, 105, 107, 108, 109, 533}) {
    EXPECT_NE(FindCommand(number), nullptr) << number;
  }
  EXPECT_EQ(FindCommand(4), nullptr);
}

TEST(CommandTables, MarkWhatMustNotBeSentTwice) {
  for (const std::uint16_t number : {40, 42, 45, 46, 82}) EXPECT_EQ(EffectOf(number), Effect::NotRepeatable) << number;
  for (const std::uint16_t number : {0, 1, 3, 9, 35, 48, 53}) EXPECT_EQ(EffectOf(number), Effect::Repeatable) << number;
  EXPECT_EQ(EffectOf(200), Effect::Repeatable);  // device-specific: the caller says
}

// A value of each field's type that encodes and decodes to itself.
FieldValue SampleOf(const Field& field, int salt) {
  switch (field.type) {
    case FieldType::Unsigned: return static_cast<std::uint32_t>((0x5A + salt) & ((1ULL << (8U * field.size)) - 1));
    case FieldType::Float: return 0.25F + static_cast<float>(salt);
    case FieldType::PackedAscii: return std::string("TT-10") + static_cast<char>('A' + salt % 26);
    case FieldType::Latin1: return std::string("Kessel \xE9") + static_cast<char>('a' + salt % 26);
    case FieldType::Date: return Date{1 + salt % 28, 1 + salt % 12, 2000 + salt};
    case FieldType::Raw: return Bytes(field.size, static_cast<std::uint8_t>(salt));
  }
  return Bytes{};
}

// Group entries in a sample message: up to 3, or as many as the layout needs.
int SampleEntries(const Layout& layout) {
  return std::max<int>(layout.minGroups, std::min(3, static_cast<int>(layout.maxGroups)));
}

// Every field of a layout, groups repeated as often as allowed (up to 3).
Record FullRecord(const Layout& layout) {
  Record record;
  int salt = 0;
  for (const Field& field : layout.fields) record.set(field.name, SampleOf(field, salt++));
  for (int entry = 0; entry < SampleEntries(layout); ++entry) {
    for (const Field& field : layout.group) record.set(field.name, SampleOf(field, salt++), entry);
  }
  for (const Field& field : layout.tail) record.set(field.name, SampleOf(field, salt++));
  return record;
}

// The name of the field that holds byte `offset` of a full message.
std::string FieldAt(const Layout& layout, std::size_t offset) {
  std::vector<const Field*> order;
  for (const Field& field : layout.fields) order.push_back(&field);
  for (int entry = 0; entry < SampleEntries(layout); ++entry) {
    for (const Field& field : layout.group) order.push_back(&field);
  }
  for (const Field& field : layout.tail) order.push_back(&field);
  for (const Field* field : order) {
    if (offset < field->size) return std::string(field->name);
    offset -= field->size;
  }
  return {};
}

class EveryCommand : public ::testing::TestWithParam<CommandLayout> {};

TEST_P(EveryCommand, RequestRoundTripsThroughBuilderAndTable) {
  const CommandLayout& command = GetParam();
  const Record fields = FullRecord(command.request);
  const Result<Bytes> data = BuildRequest(command.number, fields);
  ASSERT_TRUE(data.ok()) << data.error().message;
  const Result<Record> back = DecodeFields(command.request, *data);
  ASSERT_TRUE(back.ok()) << back.error().message;
  EXPECT_EQ(*back, fields);
}

TEST_P(EveryCommand, ReplyRoundTripsAndWarningsStillCarryData) {
  const CommandLayout& command = GetParam();
  const Record fields = FullRecord(command.reply);
  const Result<Bytes> data = EncodeFields(command.reply, fields);
  ASSERT_TRUE(data.ok()) << data.error().message;
  for (const std::uint8_t code : {0, 8, 30}) {
    const Result<Record> parsed = ParseReply(command.number, ReplyStatus{code, 0}, *data);
    ASSERT_TRUE(parsed.ok()) << parsed.error().message;
    EXPECT_EQ(*parsed, fields);
  }
}

// Every prefix of a full reply either is an older, shorter form of it (and
// then reads back to exactly those bytes) or fails naming the field it cuts.
TEST_P(EveryCommand, ReplyCutShortNamesTheFieldItCut) {
  const CommandLayout& command = GetParam();
  const Bytes data = EncodeFields(command.reply, FullRecord(command.reply)).value();
  for (std::size_t cut = 0; cut < data.size(); ++cut) {
    const ByteView prefix = ByteView(data).first(cut);
    const Result<Record> parsed = ParseReply(command, ReplyStatus{}, prefix);
    if (parsed.ok()) {
      EXPECT_EQ(EncodeFields(command.reply, *parsed).value(), Bytes(prefix.begin(), prefix.end())) << cut;
      continue;
    }
    // With fields after a group, the length cannot tell a cut entry from a
    // cut tail after fewer entries; either names the field that is short.
    const std::string& message = parsed.error().message;
    const bool namesCutField = message.find("'" + FieldAt(command.reply, cut) + "'") != std::string::npos;
    const bool namesTail = !command.reply.tail.empty() &&
                           message.find("'" + std::string(command.reply.tail.back().name) + "'") != std::string::npos;
    EXPECT_TRUE(namesCutField || namesTail) << cut << ": " << message;
  }
}

TEST_P(EveryCommand, ErrorRepliesAreNeverReadForData) {
  for (const std::uint8_t first : {5, 32, 64, 0x88}) {
    const Result<Record> parsed = ParseReply(GetParam(), ReplyStatus{first, 0}, {});
    ASSERT_FALSE(parsed.ok());
    EXPECT_NE(parsed.error().message.find("device answered with"), std::string::npos);
  }
}

std::vector<CommandLayout> AllCommands() {
  std::vector<CommandLayout> all(UniversalCommands().begin(), UniversalCommands().end());
  all.insert(all.end(), CommonPracticeCommands().begin(), CommonPracticeCommands().end());
  return all;
}

std::string CommandName(const ::testing::TestParamInfo<CommandLayout>& command) {
  return "command_" + std::to_string(command.param.number);
}

INSTANTIATE_TEST_SUITE_P(Tables, EveryCommand, ::testing::ValuesIn(AllCommands()), CommandName);

struct Refusal {
  std::uint16_t command;
  Record fields;
  const char* message;
};

TEST(RequestBuilder, SaysWhatIsWrongWithTheFields) {
  const std::vector<Refusal> refusals = {
      {35, Record{{"range units", 32U}, {"upper range value", 100.0F}},
       "command 35: request field 'lower range value' missing"},
      {44, Record{{"pv units", 256U}}, "command 44: request field 'pv units' does not fit its bytes"},
      {44, Record{{"pv units", 1.0F}}, "command 44: request field 'pv units' is not a number"},
      {17, Record{{"message", std::string(33, 'A')}},
       "command 17: request field 'message' text longer than 32 characters"},
      {22, Record{{"long tag", std::string(33, 'A')}},
       "command 22: request field 'long tag' longer than 32 characters"},
      {9, Record{}, "command 9: request between 1 and 8 entries needed, 0 given"},
      {33,
       Record{}
           .set("device variable", 0U, 0)
           .set("device variable", 1U, 1)
           .set("device variable", 2U, 2)
           .set("device variable", 3U, 3)
           .set("device variable", 4U, 4),
       "command 33: request between 1 and 4 entries needed, 5 given"},
      {4, Record{}, "command 4: no layout known"},
  };
  for (const Refusal& r : refusals) {
    const Result<Bytes> data = BuildRequest(r.command, r.fields);
    ASSERT_FALSE(data.ok()) << r.command;
    EXPECT_EQ(data.error().message, r.message);
  }
}

TEST(RequestBuilder, OlderFormsStopAtTheFirstMissingOptionalField) {
  EXPECT_EQ(BuildRequest(6, Record{{"polling address", 3U}}).value(), Hex("03"));
  EXPECT_EQ(BuildRequest(6, Record{{"polling address", 3U}, {"loop current mode", 1U}}).value(), Hex("03 01"));
  EXPECT_TRUE(BuildRequest(38).value().empty());
  EXPECT_TRUE(BuildRequest(48).value().empty());
}

TEST(ReplyParser, CommandNineCutByTheDeviceWithAWarning) {
  // Two slots asked, one returned with response code 30: still a whole reply.
  const Bytes data = Hex("01 00 40 20 41 A0 00 00 C0 00 00 10 00");
  const Result<Record> parsed = ParseReply(9, ReplyStatus{30, 0}, data);
  ASSERT_TRUE(parsed.ok()) << parsed.error().message;
  EXPECT_EQ(parsed->entries("device variable"), 1);
  EXPECT_EQ(parsed->real("value", 0).value(), 20.0F);
  EXPECT_EQ(parsed->number("time stamp").value(), 0x1000U);
}

TEST(ReplyParser, MissingGroupNamesItsFirstField) {
  const Result<Record> parsed = ParseReply(3, ReplyStatus{}, Hex("41 A0 00 00"));
  ASSERT_FALSE(parsed.ok());
  EXPECT_EQ(parsed.error().message, "command 3: reply field 'units' (entry 0) needs 1 bytes at offset 4, 0 left");
}

}  // namespace
}  // namespace zolin6::hart
