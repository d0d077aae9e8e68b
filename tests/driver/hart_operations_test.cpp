// The HART driver's operation table: replies built by hand as
// docs/hart-commands.md lays them out give each tag its value, command 0's
// data as kept answers the identity pages, a refused or busy read says so,
// and writes put the request's attributes into the bytes the command
// reference gives.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/device_model.h"
#include "driver/hart_operations.h"
#include "hart/encoding.h"
#include "hart/hex.h"
#include "hart/status.h"

namespace zolin6::driver {
namespace {

using device::DeviceState;
using device::Identification;
using device::SensorChannel;

using Pairs = std::vector<std::pair<std::string, std::string>>;
using Replies = std::vector<hart::Completion>;

Pairs ParametersOf(const std::string& document) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(document.c_str())) << document;
  Pairs pairs;
  for (const pugi::xml_node p : doc.child("ParameterList").children("Parameter"))
    pairs.emplace_back(p.attribute("tag").value(), p.attribute("value").value());
  return pairs;
}

// An unsigned field of a reply: its value and byte count.
std::pair<long long, int> B(long long value, int size = 1) { return {value, size}; }

// A reply's data field, written field by field.
struct Data {
  hart::Bytes bytes;
  Data& u(std::initializer_list<std::pair<long long, int>> fields) {
    for (const auto& [value, size] : fields) hart::AppendUnsigned(bytes, static_cast<std::uint32_t>(value), size);
    return *this;
  }
  Data& u8(long long value) { return u({B(value)}); }
  Data& f32(std::initializer_list<std::optional<float>> values) {
    for (const std::optional<float> v : values) hart::AppendFloat(bytes, v.value_or(hart::NotANumber()));
    return *this;
  }
  Data& packed(const std::string& text, std::size_t size) {
    const hart::Bytes packed = hart::PackAscii(text, size).value();
    bytes.insert(bytes.end(), packed.begin(), packed.end());
    return *this;
  }
  Data& latin1(std::string text, std::size_t size) {
    text.resize(size, ' ');  // the pages pad with blanks
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
};

hart::Completion Reply(std::uint16_t command, const Data& data = {}, std::uint8_t deviceStatus = 0,
                       std::uint8_t responseCode = 0, hart::Outcome outcome = hart::Outcome::Replied) {
  return {0, command, outcome, {responseCode, deviceStatus}, data.bytes, 1};
}

hart::Completion Command0(const DeviceState& s) {
  const Identification& id = s.identification;
  return Reply(0, Data{}.u({B(254), B(id.deviceType, 2), B(s.requestPreambles), B(id.universalRevision),
                            B(id.transmitterRevision), B(id.softwareVersion), B(id.hardwareRevision), B(1),
                            B(id.serialNumber, 3), B(s.responsePreambles), B(13), B(s.configChangeCounter, 2), B(0),
                            B(id.manufacturerId, 2), B(id.privateLabel, 2), B(id.deviceProfile)}));
}

hart::Completion Command129(const DeviceState& s, int channel) {
  const SensorChannel& c = s.channels[channel];
  return Reply(129, Data{}
                        .u({B(channel), B(c.type), B(c.connection), B(c.coldJunction), B(c.unit)})
                        .f32({c.upperRangeLimit, c.lowerRangeLimit, c.upperRangeValue, c.lowerRangeValue, c.minSpan}));
}

Replies IdentificationReplies(const DeviceState& s) {
  const Identification& id = s.identification;
  const Data record = Data{}.packed(id.tag, 6).packed(id.descriptor, 12).u({B(id.day), B(id.month), B(id.year - 1900)});
  return {Reply(13, record),
          Reply(20, Data{}.latin1(id.longTag, 32)),
          Reply(12, Data{}.packed(id.message, 24)),
          Reply(7, Data{}.u({B(id.pollingAddress), B(s.loopCurrentMode)})),
          Reply(16, Data{}.u({B(id.finalAssembly, 3)})),
          Reply(128, Data{}.latin1(id.orderingCode, 24).u({B(id.serialNumber, 3)}))};
}

// The attributes of a request document as the control sends it, from
// "value|value|..." for Attribute1, Attribute2, ...; the rest are "None".
RequestAttributes Attributes(const std::string& list) {
  std::string document = "<ViewData><ControlData";
  for (std::size_t i = 1, start = 0; !list.empty() && start <= list.size(); ++i) {
    const std::size_t bar = std::min(list.find('|', start), list.size());
    document += " Attribute" + std::to_string(i) + "=\"" + list.substr(start, bar - start) + "\"";
    start = bar + 1;
  }
  return ParseRequestDocument(document + "/></ViewData>");
}

// "command:data" of each request, "!" after a command never resent.
std::string Sent(const std::vector<HartRequest>& requests) {
  std::string text;
  for (const HartRequest& r : requests) {
    std::string data = hart::testing::ToHex(r.data);
    std::erase(data, ' ');
    text += (text.empty() ? "" : " ") + std::to_string(r.command) +
            (r.effect == hart::Effect::NotRepeatable ? "!:" : ":") + data;
  }
  return text;
}

TEST(HartReads, RequestsCarryChannelAndVariables) {
  const std::vector<std::tuple<int, const char*, const char*>> cases = {
      {1, "", "13: 20: 12: 7: 16: 128:"},
      {5, "", "129:02"},
      {15, "", "129:05"},
      {18, "", "129:00"},
      {24, "", "9:F6F7F8F4F5"},
      // A code above 0C, three digits or a sign names no variable: slot 250.
      {32, "00|0C|0D|1|None||-1|006", "9:000CFA01FAFAFAFA"},
  };
  for (const auto& [code, attributes, sent] : cases) {
    const Result<std::vector<HartRequest>> requests = ReadTransactions(code, Attributes(attributes));
    ASSERT_TRUE(requests.ok()) << code;
    EXPECT_EQ(Sent(*requests), sent) << code;
  }
  EXPECT_FALSE(ReadTransactions(34, Attributes("")).ok());
}

TEST(HartReads, EveryPageOnceWithoutCommandZero) {
  std::size_t total = 0;
  for (int code = 1; code <= kLastReadCode; ++code) {
    const std::vector<HartRequest> requests = ReadTransactions(code, Attributes("")).value();
    for (const HartRequest& request : requests) {
      EXPECT_NE(request.command, 0) << code;
      ++total;
    }
  }
  EXPECT_EQ(total, 38U);
}

TEST(HartReads, CurrentOfTheNamedElseHeldElseFirstOutput) {
  Data currents;
  for (int k = 0; k < 6; ++k)
    currents.u8(k == 3 ? 1 : 0).f32({4.0F + static_cast<float>(k), 10.0F + static_cast<float>(k)});
  const Replies replies{Reply(145, currents)};
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"02", "12"}, {"None", "13"}, {"2", "13"}, {"06", "13"}};
  for (const auto& [attribute, current] : cases) {
    EXPECT_EQ(ParametersOf(ReadAnswer(28, replies, Attributes(attribute), {})), (Pairs{{"Current", current}}))
        << attribute;
  }
}

// Command 0 goes out once per connection: the identity pages take its data
// as the driver keeps it, the counter and preambles kept current.
TEST(HartReads, IdentityPagesTakeCommandZeroAsKept) {
  DeviceState state = device::FactoryState();
  hart::Bytes identity = Command0(state).data;
  const RequestAttributes none = Attributes("");
  EXPECT_EQ(ParametersOf(ReadAnswer(2, {}, none, identity)), (Pairs{{"Manufacturer Id", "24593"},
                                                                    {"Device Type", "58113"},
                                                                    {"Device Profile", "1"},
                                                                    {"Private Label Distributor", "24593"},
                                                                    {"Universal Revision", "7"},
                                                                    {"Transmitter Revision", "1"},
                                                                    {"Hardware Revision", "8"},
                                                                    {"Software Version", "18"}}));
  // Command 59 set 7 response preambles; the status read brought counter 258.
  UpdateIdentity(identity, Reply(59, Data{}.u8(7)), CommandSet::Transmitter);
  const Replies settings{Reply(7, Data{}.u({B(3), B(1)})),
                         Reply(15, Data{}.u({B(1), B(0), B(32)}).f32({1, 2, 3}).u({B(1), B(250), B(0)}))};
  EXPECT_EQ(ParametersOf(ReadAnswer(9, settings, none, identity)), (Pairs{{"ReqPreambles", "5"},
                                                                          {"RespPreambles", "7"},
                                                                          {"WriteProtect", "1"},
                                                                          {"Polling_Address", "3"},
                                                                          {"CurrentMode", "1"},
                                                                          {"Loop_Alarm", "1"}}));
  const hart::Completion status =
      Reply(48, Data{}.u({B(0x21), B(0), B(258, 2), B(0, 4), B(0, 4), B(0, 4), B(0, 4), B(0, 4), B(0)}), 0x40);
  EXPECT_EQ(
      ParametersOf(ReadAnswer(25, Replies{status}, none, identity)),
      (Pairs{{"Device Status", "80"}, {"DiagStatus", "33"}, {"DiagStatusByte1", "0"}, {"ChangeCounters", "258"}}));
  UpdateIdentity(identity, status, CommandSet::Universal);
  EXPECT_EQ(hart::ReadUnsigned(hart::ByteView(identity).subspan(14), 2), 0U);  // another maker's 48 says nothing of it
  UpdateIdentity(identity, status, CommandSet::Transmitter);
  EXPECT_EQ(hart::ReadUnsigned(hart::ByteView(identity).subspan(14), 2), 258U);
}

// A read the device refused or stayed busy on is still answered: with the
// tags it could read and the response code; a short reply's tags are left
// out.
TEST(HartReads, RefusedBusyOrShortRepliesLeaveTheirTagsOut) {
  hart::Completion cut = Command129(DeviceState{}, 0);
  cut.data.resize(23);
  const hart::Completion record = IdentificationReplies(DeviceState{})[0];
  std::string recordText = hart::testing::ToHex(record.data);
  std::erase(recordText, ' ');
  const std::vector<std::tuple<int, Replies, Pairs>> cases = {
      {3, {cut}, {}},
      {3, {Reply(129, {}, 0, 2)}, {{"Response Code 1", "2"}}},
      {3, {Reply(129, {}, 0, 0, hart::Outcome::StillBusy)}, {{"Response Code 1", "32"}}},
      // The information page stopped at the long tag: the record read before it is kept.
      {1,
       {record, Reply(20, {}, 0, 64)},
       {{"Tag", recordText}, {"Descriptor", recordText}, {"Date", recordText}, {"Response Code 1", "64"}}},
  };
  for (const auto& [code, replies, expected] : cases) {
    EXPECT_EQ(ParametersOf(ReadAnswer(code, replies, Attributes(""), {})), expected) << code;
  }
}

TEST(HartWrites, AttributesBecomeRequestBytes) {
  const std::string record = "5141D3C30820" + std::string(24, 'A') + "0F036A";
  const std::vector<std::tuple<int, std::string, std::string>> cases = {
      {1,
       "5141D3C30820|" + std::string(24, 'A') + "|0F036A|" + std::string(48, 'B') + "|" + std::string(64, '4') +
           "|001000",
       "18:" + record + " 17:" + std::string(48, 'B') + " 22:" + std::string(64, '4') + " 19:001000"},
      {2, "1|3F|14|0|1", "139:0001 6:3F01 59:14"},
      {2, "0|0|5|1|0", "6:0000 59:05 139:0100"},  // protection switched on last
      {3, "00|0C|3|FA|44548000|C3480000|20", "130:000C03FA44548000C348000020"},
      {3, "02|88|2|1|44548000|C3480000|None", "130:02880201"},  // limits only when all three encode
      {10, "", "151!:"},
      {12, "41A00000|2", "40!:41A00000"},
      // Leaving fixed-current mode may be resent: the output must not stay held.
      {11, "00000000", "40:00000000"},
      {11, "80000000", "40:80000000"},  // -0 is 0 mA too
      {11, "3F800000", "40!:3F800000"},
      {22, "02|00000000", "146:0200000000"},
      {22, "02|41400000", "146!:0241400000"},
      {19, "", "144!:01"},
      {21, "20|41A00000", "148!:00022041A00000"},
      {24, "03|41A00000", "147!:030241A00000"},
      {26, "44548000|C3480000|20|00000001|00000002|00000003|42C80000|3F800000",
       "134:2044548000C3480000000000010000000200000003"
       "42C800003F800000"},
      {27, "0C|03|FA|44548000|C3480000|20", "130:FF0C03FA44548000C348000020"},
      {28, "20|42C80000|00000000", "131:FF2042C8000000000000"},
  };
  for (const auto& [code, attributes, sent] : cases) {
    const WritePlan plan = PlanWrite(code, Attributes(attributes));
    EXPECT_EQ(plan.refusal, 0) << code;
    EXPECT_EQ(Sent(plan.requests), sent) << code;
  }
}

TEST(HartWrites, RefusedBeforeAnythingIsSent) {
  const std::vector<std::tuple<int, const char*, int>> cases = {
      {4, "0C", 5},        // missing
      {4, "0C|", 2},       // empty code
      {4, "0C|-1", 2},     // signed
      {4, "0C|100", 2},    // above 255 for a u8
      {4, "0C|12345", 2},  // five digits
      {4, "XY|None", 2},   // the first attribute decides
      {6, "None|2G|42C80000|0", 5},
      {11, "42C8000", 5},     // seven digits
      {1, "5141D3C308|", 5},  // packed of the wrong length
      {2, "2|0|5|0|0", 2},    // write 2's own checks
      {2, "1|40|5|0|2", 2},
      {2, "1|100|5|0|0", 3},
      {2, "1|0|4|0|0", 4},
      {12, "41A00000|3", 2},  // trim point above 2
      {25, "", 64},
  };
  for (const auto& [code, attributes, refusal] : cases) {
    const WritePlan plan = PlanWrite(code, Attributes(attributes));
    EXPECT_EQ(plan.refusal, refusal) << code << " " << attributes;
    EXPECT_TRUE(plan.requests.empty()) << code << " " << attributes;
  }
}

TEST(HartWrites, ResponseCodeOfTheFirstCommandNotAnsweringZero) {
  const hart::Completion ok = Reply(139);
  const std::vector<std::pair<Replies, int>> cases = {
      {{ok, ok, ok}, 0},
      {{ok, Reply(6, {}, 0, 7), ok}, 7},
      {{Reply(131, {}, 0, 14)}, 14},  // a warning counts
      {{ok, Reply(6, {}, 0, 0, hart::Outcome::StillBusy)}, 32},
  };
  for (const auto& [completions, code] : cases) EXPECT_EQ(WriteResponseCode(completions).value(), code);
  EXPECT_FALSE(WriteResponseCode(Replies{ok, Reply(59, {}, 0, 0, hart::Outcome::NotResent)}).ok());
}

}  // namespace
}  // namespace zolin6::driver
