// zolin6-device as an I/O system with transmitters behind it, over a real
// loopback socket: who is behind it (84), a frame carried to one of them
// and back (77), and the device ids its options give them.

#include <gtest/gtest.h>

#include <QTcpServer>

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

// A HART-IP session to the program's I/O system, asking it one command at a time.
class IoSystemClient {
 public:
  explicit IoSystemClient(std::uint16_t port) : client_(clock_, {"127.0.0.1", port, IpProtocol::Tcp}) {
    client_.Listen([this](hart::ByteView bytes, toolkit::Millis) { reply_.assign(bytes.begin(), bytes.end()); });
  }
  ~IoSystemClient() { client_.Close(); }
  IoSystemClient(const IoSystemClient&) = delete;
  IoSystemClient& operator=(const IoSystemClient&) = delete;

  // The data of the I/O system's reply to `command`.
  hart::Bytes Ask(std::uint16_t command, const hart::Bytes& data) {
    reply_.clear();
    hart::Bytes frame;
    EXPECT_TRUE(hart::EncodeFrame({hart::FrameType::Request, IoSystemAddress(), 0, {}, command, {}, data}, 0, frame));
    client_.Send(frame, 0);
    EXPECT_TRUE(testing::RunUntil([&] { return !reply_.empty(); }));
    // The client hands the master its reply after preambles, as a line would.
    const auto start = std::find_if(reply_.begin(), reply_.end(), [](std::uint8_t b) { return b != hart::kPreamble; });
    const hart::DecodeResult decoded =
        hart::DecodeFrame(hart::ByteView(reply_).subspan(static_cast<std::size_t>(start - reply_.begin())));
    EXPECT_TRUE(decoded) << decoded.description();
    EXPECT_EQ(decoded.frame.status.first, 0);
    return {decoded.frame.data.begin(), decoded.frame.data.end()};
  }
  Result<hart::SubDeviceIdentity> Identity(std::uint16_t index) {
    return hart::DecodeSubDeviceIdentity(Ask(hart::kReadSubDeviceIdentity, hart::EncodeSubDeviceIndex(index)));
  }

 private:
  toolkit::Clock clock_;
  HartIpClient client_;
  hart::Bytes reply_;
};

TEST(GatewayProgram, NamesItsDevicesAndCarriesFramesToThem) {
  testing::DeviceProgram program;
  ASSERT_TRUE(program.start({"--listen", "127.0.0.1:0", "--gateway", "3"})) << program.readyLine.toStdString();
  EXPECT_TRUE(program.readyLine.endsWith("an I/O system of 3 devices")) << program.readyLine.toStdString();
  IoSystemClient client(program.port);
  const Result<hart::SubDeviceIdentity> last = client.Identity(3);
  ASSERT_TRUE(last.ok()) << last.error().message;
  EXPECT_EQ(last->longTag, "TT-003");
  EXPECT_EQ(last->route, (hart::SubDeviceRoute{0, 2}));

  // Command 20 to the last device through 77: its long tag comes back.
  const hart::Frame carried{hart::FrameType::Request, last->address(), 0, {}, 20, {}, {}};
  const Result<hart::SubDeviceReply> back = hart::DecodeSubDeviceReply(
      client.Ask(hart::kSendToSubDevice, hart::EncodeSubDeviceRequest(last->route, 5, carried).value()));
  ASSERT_TRUE(back.ok()) << back.error().message;
  const hart::DecodeResult frame = hart::DecodeFrame(back->frame);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame.frame.address.sameDevice(last->address()));
  EXPECT_EQ(std::string(frame.frame.data.begin(), frame.frame.data.begin() + 6), "TT-003");
  EXPECT_EQ(program.stop(), 0);
}

// Device ids: as given, down to 1 and up to the last that fits 24 bits;
// else from the port the program listens on; else the fixed first one.
TEST(GatewayProgram, GivesItsDevicesTheIdsItsOptionsSay) {
  QTcpServer probe;  // a port free now, for the program to take
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const std::uint16_t port = probe.serverPort();
  probe.close();
  struct Case {
    QStringList options;
    std::uint16_t index;
    std::uint32_t id;
  };
  const Case cases[] = {
      {{"--listen", "127.0.0.1:0", "--gateway", "1", "--first-device-id", "1"}, 1, 1},
      {{"--listen", "127.0.0.1:0", "--gateway", "3", "--first-device-id", "0xFFFFFD"}, 3, 0xFFFFFF},
      {{"--listen", "127.0.0.1:0", "--gateway", "2"}, 2, device::kFirstSubDeviceId + 1},
      {{"--listen", "127.0.0.1:" + QString::number(port), "--gateway", "2"}, 2, 1 + (port % 16000U) * 1000U + 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString());
    testing::DeviceProgram program;
    ASSERT_TRUE(program.start(c.options)) << program.readyLine.toStdString();
    IoSystemClient client(program.port);
    const Result<hart::SubDeviceIdentity> identity = client.Identity(c.index);
    ASSERT_TRUE(identity.ok()) << identity.error().message;
    EXPECT_EQ(identity->deviceId, c.id);
  }
}

}  // namespace
}  // namespace zolin6::transport
