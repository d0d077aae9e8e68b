// The HART-IP client against devices written here that bend the rules:
// answers from another port, stray answers, short timers, closed sessions
// and a device that stays silent.

#include "transport/hart_ip_client.h"

#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <memory>
#include <vector>

#include "device/hart_device.h"
#include "hart_ip_support.h"
#include "transport/hart_ip_server.h"

namespace zolin6::transport {
namespace {

namespace ip = hart::ip;
using testing::CommandZero;
using testing::RunUntil;

const hart::Bytes kReplyFrame{0x06, 0x80, 0x00, 0x02, 0x00, 0x00, 0x84};

QByteArray Wire(const ip::Message& message) {
  const hart::Bytes bytes = ip::EncodeMessage(message);
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

ip::Message Decode(const QByteArray& bytes) {
  return ip::DecodeMessage(
             {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())})
      .message;
}

ip::Message AnswerTo(const ip::Message& request, hart::Bytes body = {}) {
  return ip::MakeMessage(ip::MessageType::Response, request.header.id, request.header.sequence, std::move(body));
}

struct ClientUnderTest {
  explicit ClientUnderTest(HartIpEndpoint endpoint) : client(clock, std::move(endpoint)) {
    client.Listen([this](hart::ByteView bytes, toolkit::Millis) { replies.emplace_back(bytes.begin(), bytes.end()); });
    client.OnStateChange([this](HartIpClient::State state, const std::string& reason) {
      states.push_back(state);
      reasons.push_back(reason);
    });
    client.WatchState([this](bool up, toolkit::Millis) { ups.push_back(up); });
  }
  bool saw(HartIpClient::State state, const std::string& words) const {
    for (std::size_t i = 0; i < states.size(); ++i) {
      if (states[i] == state && reasons[i].find(words) != std::string::npos) return true;
    }
    return false;
  }
  toolkit::Clock clock;
  HartIpClient client;
  std::vector<hart::Bytes> replies;
  std::vector<HartIpClient::State> states;
  std::vector<std::string> reasons;
  std::vector<bool> ups;  // what the driver hears of the line
};

hart::Bytes WithPreambles(const hart::Bytes& frame) {
  hart::Bytes line(2 + frame.size(), 0xFF);
  std::copy(frame.begin(), frame.end(), line.begin() + 2);
  return line;
}

// The session initiate reaches the device's port; the device answers from
// another port with a one-second timer, a stray answer comes before the
// real one, and keep-alives follow at the granted pace.
TEST(HartIpClient, UdpFollowsTheReplyPortDropsStrayAnswersAndUsesTheGrantedTimer) {
  testing::EnsureEventLoop();
  QUdpSocket announced;
  QUdpSocket moved;
  ASSERT_TRUE(announced.bind(QHostAddress::LocalHost, 0));
  ASSERT_TRUE(moved.bind(QHostAddress::LocalHost, 0));
  ClientUnderTest under({"127.0.0.1", announced.localPort(), IpProtocol::Udp});
  under.client.Send(CommandZero(), 0);

  ASSERT_TRUE(RunUntil([&] { return announced.hasPendingDatagrams(); }));
  const QNetworkDatagram initiate = announced.receiveDatagram();
  moved.writeDatagram(Wire(AnswerTo(Decode(initiate.data()), ip::EncodeSessionInitiate({1, 1000}))),
                      initiate.senderAddress(), static_cast<quint16>(initiate.senderPort()));

  std::vector<ip::Message> heard;
  auto hear = [&] {
    const ip::Message message = Decode(moved.receiveDatagram().data());
    heard.push_back(message);
    return message;
  };
  ASSERT_TRUE(RunUntil([&] { return moved.hasPendingDatagrams(); }));
  const ip::Message request = hear();
  ASSERT_EQ(request.header.id, ip::MessageId::PassThrough);
  ip::Message stray = AnswerTo(request, {0x06, 0x80, 0x00, 0x02, 0x40, 0x00, 0xC4});
  stray.header.sequence = static_cast<std::uint16_t>(request.header.sequence - 1);
  moved.writeDatagram(Wire(stray), initiate.senderAddress(), static_cast<quint16>(initiate.senderPort()));
  moved.writeDatagram(Wire(AnswerTo(request, kReplyFrame)), initiate.senderAddress(),
                      static_cast<quint16>(initiate.senderPort()));

  // Three keep-alives, each answered, come before a 60 s timer would ask for one.
  ASSERT_TRUE(RunUntil(
      [&] {
        while (moved.hasPendingDatagrams()) {
          moved.writeDatagram(Wire(AnswerTo(hear())), initiate.senderAddress(),
                              static_cast<quint16>(initiate.senderPort()));
        }
        return heard.size() == 4;
      },
      8000));
  EXPECT_FALSE(announced.hasPendingDatagrams());
  ASSERT_EQ(under.replies.size(), 1U);
  EXPECT_EQ(under.replies[0], WithPreambles(kReplyFrame));
  EXPECT_EQ(under.client.grantedInactivityMs(), 1000U);
  for (std::size_t i = 1; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].header.id, ip::MessageId::KeepAlive);
    EXPECT_EQ(heard[i].header.sequence, heard[i - 1].header.sequence + 1);
  }
}

// A UDP device that loses the first datagram it is sent, then answers
// every session message as asked.
TEST(HartIpClient, UdpSendsTheInitiateAgainWhenTheFirstIsLost) {
  testing::EnsureEventLoop();
  QUdpSocket device;
  ASSERT_TRUE(device.bind(QHostAddress::LocalHost, 0));
  ClientUnderTest under({"localhost", device.localPort(), IpProtocol::Udp});
  under.client.Open();
  std::vector<ip::Message> heard;
  ASSERT_TRUE(RunUntil([&] {
    while (device.hasPendingDatagrams()) {
      const QNetworkDatagram datagram = device.receiveDatagram();
      heard.push_back(Decode(datagram.data()));
      if (heard.size() == 1) continue;
      device.writeDatagram(Wire(AnswerTo(heard.back(), heard.back().body)), datagram.senderAddress(),
                           static_cast<quint16>(datagram.senderPort()));
    }
    return under.client.state() == HartIpClient::State::Connected;
  }));
  ASSERT_EQ(heard.size(), 2U);
  EXPECT_EQ(heard[1].header.id, ip::MessageId::SessionInitiate);
  EXPECT_EQ(heard[1].header.sequence, heard[0].header.sequence);
  EXPECT_EQ(under.ups, std::vector<bool>{true});
}

// A TCP device that answers by a rule of the test's.
class ScriptedTcpDevice {
 public:
  // Sends the answers to `request` on `socket`, or closes it.
  using Rule = std::function<void(QTcpSocket& socket, const ip::Message& request)>;

  explicit ScriptedTcpDevice(Rule rule) : rule_(std::move(rule)) {
    testing::EnsureEventLoop();
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        ++connections;
        auto assembler = std::make_shared<ip::StreamAssembler>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, assembler] {
          assembler->feed(testing::View(socket->readAll()));
          while (auto decoded = assembler->next()) rule_(*socket, decoded->message);
        });
      }
    });
  }
  std::uint16_t port() const { return server_.serverPort(); }
  int connections = 0;

 private:
  QTcpServer server_;
  Rule rule_;
};

void AnswerInitiate(QTcpSocket& socket, const ip::Message& request) {
  socket.write(Wire(AnswerTo(request, request.body)));
}

TEST(HartIpClient, TcpSessionClosedByTheDeviceIsOpenedAgainByTheNextFrame) {
  ScriptedTcpDevice device([](QTcpSocket& socket, const ip::Message& request) {
    if (request.header.id == ip::MessageId::SessionInitiate) return AnswerInitiate(socket, request);
    socket.write(Wire(AnswerTo(request, kReplyFrame)));
    socket.disconnectFromHost();
  });
  ClientUnderTest under({"127.0.0.1", device.port(), IpProtocol::Tcp});
  for (std::size_t round = 1; round <= 2; ++round) {
    under.client.Send(CommandZero(), 0);
    ASSERT_TRUE(RunUntil([&] { return under.replies.size() == round; }));
    ASSERT_TRUE(RunUntil([&] { return under.client.state() == HartIpClient::State::Closed; }));
  }
  EXPECT_EQ(device.connections, 2);
  EXPECT_TRUE(under.saw(HartIpClient::State::Connected, "inactivity timer 60000 ms"));
  EXPECT_TRUE(under.saw(HartIpClient::State::Closed, "closed by the device"));
}

TEST(HartIpClient, StatusesTheDeviceAnswersWithAreShownInWords) {
  ScriptedTcpDevice full([](QTcpSocket& socket, const ip::Message& request) {
    socket.write(Wire(ip::MakeMessage(ip::MessageType::Response, request.header.id, request.header.sequence, {},
                                      ip::status::kAllSessionsInUse)));
  });
  ClientUnderTest refused({"127.0.0.1", full.port(), IpProtocol::Tcp});
  refused.client.Send(CommandZero(), 0);
  EXPECT_TRUE(RunUntil([&] { return refused.saw(HartIpClient::State::Closed, "status 15: all sessions in use"); }));
  EXPECT_EQ(refused.ups, std::vector<bool>{false});

  ScriptedTcpDevice unwilling([](QTcpSocket& socket, const ip::Message& request) {
    if (request.header.id == ip::MessageId::SessionInitiate) return AnswerInitiate(socket, request);
    socket.write(Wire(ip::MakeMessage(ip::MessageType::Response, request.header.id, request.header.sequence, {},
                                      ip::status::kDeviceSpecificError)));
  });
  ClientUnderTest under({"127.0.0.1", unwilling.port(), IpProtocol::Tcp});
  under.client.Send(CommandZero(), 0);
  EXPECT_TRUE(RunUntil([&] { return under.saw(HartIpClient::State::Connected, "status 6: device-specific"); }));
  EXPECT_TRUE(under.replies.empty());
}

TEST(HartIpClient, TheDriverHearsAtOnceWhenTheDeviceClosesTheConnection) {
  std::vector<QTcpSocket*> sockets;
  ScriptedTcpDevice device([&sockets](QTcpSocket& socket, const ip::Message& request) {
    sockets.push_back(&socket);
    AnswerInitiate(socket, request);
  });
  ClientUnderTest under({"127.0.0.1", device.port(), IpProtocol::Tcp});
  under.client.Open();
  ASSERT_TRUE(RunUntil([&] { return under.ups.size() == 1; }));
  sockets.front()->disconnectFromHost();
  EXPECT_TRUE(RunUntil([&] { return under.ups.size() == 2; }, 1000));
  EXPECT_EQ(under.ups, (std::vector<bool>{true, false}));
}

// A device that stops answering while the connection stays up: the line
// says it is gone within five seconds of the request it left unanswered.
TEST(HartIpClient, ADeviceThatGoesSilentIsReportedLostWithinFiveSeconds) {
  ScriptedTcpDevice device([](QTcpSocket& socket, const ip::Message& request) {
    if (request.header.id == ip::MessageId::SessionInitiate) AnswerInitiate(socket, request);
  });
  ClientUnderTest under({"127.0.0.1", device.port(), IpProtocol::Tcp});
  under.client.Open();
  ASSERT_TRUE(RunUntil([&] { return under.ups.size() == 1; }));
  under.client.Send(CommandZero(), 0);
  EXPECT_TRUE(RunUntil([&] { return under.ups.size() == 2; }, 7000));
  EXPECT_TRUE(under.saw(HartIpClient::State::Closed, "lost"));
}

TEST(HartIpClient, NothingListeningIsReportedAsRefused) {
  testing::EnsureEventLoop();
  QTcpServer gone;
  ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
  const std::uint16_t port = gone.serverPort();
  gone.close();
  ClientUnderTest under({"127.0.0.1", port, IpProtocol::Tcp});
  under.client.Open();
  EXPECT_TRUE(RunUntil([&] { return under.saw(HartIpClient::State::Closed, "refused"); }));
  EXPECT_EQ(under.ups, std::vector<bool>{false});
  // Said once: the attempt's own time limit, run out later, says nothing more.
  RunUntil([] { return false; }, 5500);
  EXPECT_EQ(std::count(under.states.begin(), under.states.end(), HartIpClient::State::Closed), 1);
}

// Frames the device does not answer leave the session usable: the next
// frame it does answer gets its reply, over both protocols.
TEST(HartIpClient, SilentDeviceDoesNotStallTheSession) {
  testing::EnsureEventLoop();
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice field(transmitter);
  HartIpServer server(field);
  const Result<std::uint16_t> port = server.listen(QHostAddress::LocalHost, 0);
  ASSERT_TRUE(port) << port.error().message;
  for (const IpProtocol protocol : {IpProtocol::Tcp, IpProtocol::Udp}) {
    ClientUnderTest under({"127.0.0.1", *port, protocol});
    under.client.Send(CommandZero(5), 0);
    ASSERT_TRUE(RunUntil([&] { return under.client.state() == HartIpClient::State::Connected; }));
    under.client.Send(CommandZero(5), 0);  // the master's retry
    under.client.Send(CommandZero(0), 0);
    ASSERT_TRUE(RunUntil([&] { return !under.replies.empty(); }));
    EXPECT_EQ(under.replies.size(), 1U);
    EXPECT_EQ(under.replies[0][2], 0x06);  // a short-frame reply from address 0
  }
}

}  // namespace
}  // namespace zolin6::transport
