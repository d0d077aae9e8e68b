// The simulated I/O system: what it answers for itself, how frames reach
// its sub-devices (through 77 and by their unique addresses), the response
// codes of its own commands at both sides of each bound, and the gateway
// file's lines.

#include "device/io_system.h"

#include <gtest/gtest.h>

#include <set>

#include "device_bench.h"
#include "hart/field_codec.h"

namespace zolin6::device {
namespace {

using testing::Answered;
using testing::DeviceBench;

constexpr std::uint16_t kOtherMaker = 0x26;
constexpr int kOurs = 17;  // a whole card and one on the next, then another maker's device

std::vector<SubDeviceEntry> Plant() {
  std::vector<SubDeviceEntry> devices = OurTransmitters(kOurs);
  devices.push_back({kOtherMaker, 0x1A89, "PT-200"});
  return devices;
}

struct Bench {
  explicit Bench(SubDeviceRouting routing = SubDeviceRouting::Both) : io(Plant(), routing) {}
  IoSystem io;

  Answered Send(const hart::Frame& request) {
    hart::Bytes bytes;
    EXPECT_TRUE(hart::EncodeFrame(request, 0, bytes).ok());
    return DeviceBench::Decode(io.Receive(bytes, 10'000));
  }
  // `command` in a long frame to `to`.
  Answered Send(const hart::Address& to, std::uint16_t command, hart::ByteView data = {}) {
    return Send(hart::Frame{hart::FrameType::Request, to, 0, {}, command, {}, data});
  }
  Answered Own(std::uint16_t command, const hart::Bytes& data = {}) { return Send(io.uniqueAddress(), command, data); }
  hart::Address addressOf(int index) { return io.subDevice(index).uniqueAddress(); }
  // `command` carried by 77 to `route`, addressed to `to`.
  Answered Carry(hart::SubDeviceRoute route, const hart::Address& to, std::uint16_t command) {
    const hart::Frame carried{hart::FrameType::Request, to, 0, {}, command, {}, {}};
    return Own(hart::kSendToSubDevice, hart::EncodeSubDeviceRequest(route, 5, carried).value());
  }
};

// The reply frame command 77 carried back.
hart::DecodeResult Unwrapped(const Answered& answered, hart::Bytes& keep) {
  const Result<hart::SubDeviceReply> reply = hart::DecodeSubDeviceReply(answered.data);
  EXPECT_TRUE(reply.ok()) << reply.error().message;
  if (!reply) return {};
  keep = reply->frame;
  return hart::DecodeFrame(keep);
}

std::uint32_t DeviceIdOf(hart::ByteView commandZero) {
  return hart::DecodeFields(hart::FindCommand(0)->reply, commandZero)->number("device id").value();
}

TEST(IoSystem, AnswersForItself) {
  Bench b;
  const Answered zero = b.Send(hart::Frame{});  // command 0 at polling address 0
  ASSERT_TRUE(zero.replied);
  const hart::Record id = hart::DecodeFields(hart::FindCommand(0)->reply, zero.data).value();
  EXPECT_EQ(id.number("expanded device type").value(), static_cast<std::uint32_t>(kIoSystemDeviceType));
  EXPECT_EQ(id.number("flags").value(), 0x04U);
  EXPECT_EQ(id.number("manufacturer").value(), 24593U);
  hart::Frame other;
  other.address = hart::Address::Polling(1);
  EXPECT_FALSE(b.Send(other).replied);
  for (const std::uint16_t command : {0, 12, 13, 20, 48}) EXPECT_EQ(b.Own(command).status.first, 0) << command;
  EXPECT_EQ(b.Own(1).status.first, code::kNotImplemented);
  // Found by its tag at the broadcast address; another tag is not for it.
  EXPECT_TRUE(b.Send(hart::Address::Unique({}), 11, hart::PackAscii("IOS-1", 6).value()).replied);
  EXPECT_FALSE(b.Send(hart::Address::Unique({}), 11, hart::PackAscii("TT-001", 6).value()).replied);

  const hart::IoSystemCapabilities caps = hart::DecodeIoSystemCapabilities(b.Own(74).data).value();
  EXPECT_EQ(caps.devicesDetected, kOurs + 2);
  EXPECT_EQ(caps.maxCards, 2);
  EXPECT_EQ(caps.maxChannelsPerCard, kChannelsPerCard);
}

struct Summary {
  hart::Bytes request;
  std::uint8_t code;
  std::uint16_t manufacturer;
  hart::SubDeviceRoute route;
};

TEST(IoSystem, IdentitySummaryFromItselfToTheLast) {
  Bench b;
  const std::vector<Summary> cases = {
      {hart::EncodeSubDeviceIndex(0), 0, 24593, {kNoRoute, kNoRoute}},
      {hart::EncodeSubDeviceIndex(1), 0, 24593, {0, 0}},
      {hart::EncodeSubDeviceIndex(17), 0, 24593, {1, 0}},
      {hart::EncodeSubDeviceIndex(18), 0, kOtherMaker, {1, 1}},  // the last
      {hart::EncodeSubDeviceIndex(19), code::kInvalidSelection, 0, {}},
      {{0x00}, code::kTooFewBytes, 0, {}},
  };
  for (const Summary& c : cases) {
    const Answered a = b.Own(hart::kReadSubDeviceIdentity, c.request);
    ASSERT_EQ(a.status.first, c.code) << c.request.size();
    if (c.code != 0) continue;
    const hart::SubDeviceIdentity identity = hart::DecodeSubDeviceIdentity(a.data).value();
    EXPECT_EQ(identity.manufacturer, c.manufacturer);
    EXPECT_EQ(identity.route, c.route);
    if (identity.index > 0) {
      EXPECT_TRUE(identity.address().sameDevice(b.addressOf(identity.index)));
    }
  }
}

struct Carried {
  hart::SubDeviceRoute route;
  int to;  // the sub-device whose unique address the carried frame names
  std::uint16_t command;
  std::uint8_t code;         // command 77's
  std::uint8_t carriedCode;  // the sub-device's
};

TEST(IoSystem, CarriesFramesToTheDeviceOnACardAndChannel) {
  Bench b;
  const std::vector<Carried> cases = {
      {{0, 0}, 1, 0, 0, 0},
      {{1, 0}, 17, 13, 0, 0},
      {{1, 1}, 18, 12, 0, 0},                        // another maker's device: a universal command
      {{1, 1}, 18, 128, 0, code::kNotImplemented},   // but none of our transmitter's own
      {{1, 0}, 1, 0, io_code::kSubDeviceSilent, 0},  // device 1 is not on that channel
      {{1, 2}, 1, 0, code::kInvalidSelection, 0},    // past the last device
      {{0, kChannelsPerCard}, 1, 0, code::kInvalidSelection, 0},
  };
  for (const Carried& c : cases) {
    const Answered a = b.Carry(c.route, b.addressOf(c.to), c.command);
    ASSERT_EQ(a.status.first, c.code) << int{c.route.card} << "/" << int{c.route.channel} << " " << c.command;
    if (c.code != 0) continue;
    hart::Bytes frame;
    const hart::DecodeResult reply = Unwrapped(a, frame);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply.frame.address.sameDevice(b.addressOf(c.to)));
    EXPECT_EQ(reply.frame.command, c.command);
    EXPECT_EQ(reply.frame.status.first, c.carriedCode);
  }
  // A short frame reaches the device on the channel at its polling address.
  const Answered polled = b.Carry({1, 0}, hart::Address::Polling(0), 0);
  hart::Bytes frame;
  EXPECT_EQ(DeviceIdOf(Unwrapped(polled, frame).frame.data), DeviceIdOf(b.Send(b.addressOf(17), 0).data));
  // Too short to hold a frame, or a frame cut short.
  EXPECT_EQ(b.Own(77, {0, 0, 5}).status.first, code::kTooFewBytes);
  EXPECT_EQ(b.Own(77, {0, 0, 5, 0x02, 0x80, 0x00, 0x01}).status.first, code::kTooFewBytes);
}

TEST(IoSystem, PollsAChannel) {
  Bench b;
  EXPECT_EQ(DeviceIdOf(b.Own(hart::kPollSubDevice, {1, 0, 0}).data), DeviceIdOf(b.Send(b.addressOf(17), 0).data));
  EXPECT_EQ(b.Own(hart::kPollSubDevice, {1, 2, 0}).status.first, code::kInvalidSelection);  // an empty channel
  EXPECT_EQ(b.Own(hart::kPollSubDevice, {1, 0, 1}).status.first, io_code::kSubDeviceSilent);
  EXPECT_EQ(b.Own(hart::kPollSubDevice, {1, 0}).status.first, code::kTooFewBytes);
}

TEST(IoSystem, RoutingDecidesWhoHearsALongFrame) {
  for (const SubDeviceRouting routing :
       {SubDeviceRouting::Both, SubDeviceRouting::ThroughCommand, SubDeviceRouting::Direct}) {
    Bench b(routing);
    const Answered direct = b.Send(b.addressOf(18), 0);
    EXPECT_EQ(direct.replied, routing != SubDeviceRouting::ThroughCommand);
    if (direct.replied) {
      EXPECT_TRUE(direct.address.sameDevice(b.addressOf(18)));
    }
    const Answered carried = b.Carry({0, 0}, b.addressOf(1), 0);
    EXPECT_EQ(carried.status.first, routing == SubDeviceRouting::Direct ? code::kNotImplemented : 0);
  }
}

// On a serial line each reply comes after its sender's preambles.
TEST(IoSystem, AnswersOnASerialLine) {
  Bench b;
  for (const hart::Address& to : {b.io.uniqueAddress(), b.addressOf(18)}) {
    hart::Bytes line;
    ASSERT_TRUE(hart::EncodeFrame({hart::FrameType::Request, to, 0, {}, 0, {}, {}}, 5, line).ok());
    const hart::Bytes reply = b.io.ReceiveSerial(line, 10'000);
    ASSERT_GT(reply.size(), 5U);
    EXPECT_EQ(hart::Bytes(reply.begin(), reply.begin() + 5), hart::Bytes(5, hart::kPreamble));
    const hart::DecodeResult decoded = hart::DecodeFrame(hart::ByteView(reply).subspan(5));
    ASSERT_TRUE(decoded) << decoded.description();
    EXPECT_TRUE(decoded.frame.address.sameDevice(to));
  }
}

TEST(IoSystem, EachDeviceKeepsItsOwnState) {
  Bench b;
  const hart::Bytes message = hart::PackAscii("CHANGED", 24).value();
  ASSERT_EQ(b.Send(b.addressOf(2), 17, message).status.first, 0);
  EXPECT_EQ(b.Send(b.addressOf(2), 12).data, message);
  EXPECT_NE(b.Send(b.addressOf(3), 12).data, message);
}

TEST(IoSystem, AThousandDevicesHaveDistinctAddresses) {
  IoSystem io(OurTransmitters(kMaxSubDevices));
  std::set<std::array<std::uint8_t, hart::kUniqueAddressSize>> addresses;
  for (int i = 1; i <= kMaxSubDevices; ++i) addresses.insert(io.subDevice(i).uniqueAddress().unique);
  EXPECT_EQ(addresses.size(), static_cast<std::size_t>(kMaxSubDevices));
  EXPECT_EQ(io.identity(kMaxSubDevices)->longTag, "TT-1000");
  EXPECT_EQ(IoSystem::RouteOf(kMaxSubDevices), (hart::SubDeviceRoute{62, 7}));
}

TEST(GatewayFile, ReadsDevicesAndNamesTheBadLine) {
  const Result<std::vector<SubDeviceEntry>> good =
      ParseGatewayDevices("# plant A\n\n24593, 58113, TT-100\n 0x26 ,0x1A89,PT-200  # another maker\n");
  ASSERT_TRUE(good.ok()) << good.error().message;
  ASSERT_EQ(good->size(), 2U);
  EXPECT_EQ((*good)[1].manufacturer, 0x26);
  EXPECT_EQ((*good)[1].deviceType, 0x1A89);
  EXPECT_EQ((*good)[1].tag, "PT-200");
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"1, 2, A\n0x1G, 2, B\n", "line 2: the maker '0x1G' is not a number"},
      {"1, 65536, A\n", "line 1: the device type '65536'"},
      {"1, 65535, ABCDEFGHI\n", "line 1: the tag 'ABCDEFGHI'"},
      {"1, 2\n", "line 1: give maker, device type, tag"},
      {"# nothing\n", "no devices"},
  };
  for (const auto& [text, message] : bad) {
    const Result<std::vector<SubDeviceEntry>> parsed = ParseGatewayDevices(text);
    ASSERT_FALSE(parsed.ok()) << text;
    EXPECT_NE(parsed.error().message.find(message), std::string::npos) << parsed.error().message;
  }
  EXPECT_TRUE(ParseGatewayDevices("1, 65535, ABCDEFGH\n").ok());
}

}  // namespace
}  // namespace zolin6::device
