// zolin6-device as an I/O system with three transmitters behind it, over a
// real loopback socket: who is behind it (84) and a frame carried to one of
// them and back (77).

#include <gtest/gtest.h>

#include <algorithm>

#include "device/io_system.h"
#include "hart/sub_device.h"
#include "hart_ip_device_program.h"
#include "transport/hart_ip_client.h"

namespace zolin6::transport {
namespace {

// The I/O system's own address: its device type and device ID.
hart::Address IoSystemAddress() {
  const auto type = static_cast<std::uint32_t>(device::kIoSystemDeviceType);
  return hart::Address::Unique(
      {static_cast<std::uint8_t>(type >> 8U), static_cast<std::uint8_t>(type), 0, 0, device::kIoSystemDeviceId});
}

TEST(GatewayProgram, NamesItsDevicesAndCarriesFramesToThem) {
  testing::DeviceProgram program;
  // The last id that fits 24 bits is the last device's.
  ASSERT_TRUE(program.start({"--listen", "127.0.0.1:0", "--gateway", "3", "--first-device-id", "0xFFFFFD"}))
      << program.readyLine.toStdString();
  EXPECT_TRUE(program.readyLine.endsWith("an I/O system of 3 devices")) << program.readyLine.toStdString();
  toolkit::Clock clock;
  HartIpClient client(clock, {"127.0.0.1", program.port, IpProtocol::Tcp});
  hart::Bytes reply;
  client.Listen([&](hart::ByteView bytes, toolkit::Millis) { reply.assign(bytes.begin(), bytes.end()); });
  // Sends `command` to the I/O system; the decoded reply's data.
  const auto ask = [&](std::uint16_t command, const hart::Bytes& data) -> hart::Bytes {
    reply.clear();
    hart::Bytes frame;
    EXPECT_TRUE(hart::EncodeFrame({hart::FrameType::Request, IoSystemAddress(), 0, {}, command, {}, data}, 0, frame));
    client.Send(frame, 0);
    EXPECT_TRUE(testing::RunUntil([&] { return !reply.empty(); }));
    // The client hands the master its reply after preambles, as a line would.
    const auto start = std::find_if(reply.begin(), reply.end(), [](std::uint8_t b) { return b != hart::kPreamble; });
    const hart::DecodeResult decoded =
        hart::DecodeFrame(hart::ByteView(reply).subspan(static_cast<std::size_t>(start - reply.begin())));
    EXPECT_TRUE(decoded) << decoded.description();
    EXPECT_EQ(decoded.frame.status.first, 0);
    return {decoded.frame.data.begin(), decoded.frame.data.end()};
  };

  const Result<hart::SubDeviceIdentity> last =
      hart::DecodeSubDeviceIdentity(ask(hart::kReadSubDeviceIdentity, hart::EncodeSubDeviceIndex(3)));
  ASSERT_TRUE(last.ok()) << last.error().message;
  EXPECT_EQ(last->longTag, "TT-003");
  EXPECT_EQ(last->route, (hart::SubDeviceRoute{0, 2}));
  EXPECT_EQ(last->deviceId, 0xFFFFFFU);

  // Command 20 to the last device through 77: its long tag comes back.
  const hart::Frame carried{hart::FrameType::Request, last->address(), 0, {}, 20, {}, {}};
  const Result<hart::SubDeviceReply> back = hart::DecodeSubDeviceReply(
      ask(hart::kSendToSubDevice, hart::EncodeSubDeviceRequest(last->route, 5, carried).value()));
  ASSERT_TRUE(back.ok()) << back.error().message;
  const hart::DecodeResult frame = hart::DecodeFrame(back->frame);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame.frame.address.sameDevice(last->address()));
  EXPECT_EQ(std::string(frame.frame.data.begin(), frame.frame.data.begin() + 6), "TT-003");
  client.Close();
  EXPECT_EQ(program.stop(), 0);
}

// The lowest id serves as well as the highest.
TEST(GatewayProgram, StartsItsDevicesAtTheFirstId) {
  testing::DeviceProgram program;
  ASSERT_TRUE(program.start({"--listen", "127.0.0.1:0", "--gateway", "1", "--first-device-id", "1"}))
      << program.readyLine.toStdString();
  EXPECT_EQ(program.stop(), 0);
}

}  // namespace
}  // namespace zolin6::transport
