// The HART-IP server as a client on the socket sees it: every answer
// arrives before its connection closes, the version it cannot speak is
// answered, sessions and connections are capped, a client that does not
// read is dropped, and the inactivity timer is never early.

#include "transport/hart_ip_server.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "device/hart_device.h"
#include "hart_ip_support.h"
#include "transport/hart_ip_server_session.h"

namespace zolin6::transport {
namespace {

namespace ip = hart::ip;
using testing::CommandZero;
using testing::RunUntil;

QByteArray Wire(const ip::Message& message) {
  const hart::Bytes bytes = ip::EncodeMessage(message);
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

ip::Message Request(ip::MessageId id, std::uint16_t sequence, hart::Bytes body = {}, std::uint8_t version = 1) {
  ip::Message message = ip::MakeMessage(ip::MessageType::Request, id, sequence, std::move(body));
  message.header.version = version;
  return message;
}

ip::Message Initiate(std::uint16_t sequence, std::uint32_t ms = 30000, std::uint8_t master = 1,
                     std::uint8_t version = 1) {
  return Request(ip::MessageId::SessionInitiate, sequence, ip::EncodeSessionInitiate({master, ms}), version);
}

// The simulated transmitter served on loopback, on the device's own time
// unless the test holds it.
struct ServedDevice {
  explicit ServedDevice(HartIpServer::TimeSource now = {}) : server(field, std::move(now)) {
    testing::EnsureEventLoop();
    port = *server.listen(QHostAddress::LocalHost, 0);
    server.onSessionEnd([this](const std::string& why) { ends.push_back(why); });
  }
  bool ended(const std::string& words) const {
    for (const std::string& why : ends) {
      if (why.find(words) != std::string::npos) return true;
    }
    return false;
  }
  device::SimulatedTransmitter transmitter{6};
  device::HartDevice field{transmitter};
  HartIpServer server;
  std::uint16_t port = 0;
  std::vector<std::string> ends;
};

// A client that keeps every message the server sends and notes the close.
struct WireClient {
  explicit WireClient(std::uint16_t port) {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
      assembler.feed(testing::View(socket.readAll()));
      while (auto decoded = assembler.next()) {
        if (*decoded) heard.push_back(decoded->message);
      }
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, [this] { closed = true; });
    socket.connectToHost(QHostAddress::LocalHost, port);
  }
  bool connected() {
    return RunUntil([this] { return socket.state() == QAbstractSocket::ConnectedState; });
  }
  void send(const std::vector<ip::Message>& messages) {
    QByteArray bytes;
    for (const ip::Message& message : messages) bytes += Wire(message);
    socket.write(bytes);  // one write
  }
  QTcpSocket socket;
  ip::StreamAssembler assembler;
  std::vector<ip::Message> heard;
  bool closed = false;
};

TEST(HartIpServer, AnswersInitiateCommandZeroAndCloseSentInOneWriteBeforeClosing) {
  ServedDevice device;
  const qsizetype timersBefore = device.server.findChildren<QTimer*>(Qt::FindDirectChildrenOnly).size();
  WireClient client(device.port);
  ASSERT_TRUE(client.connected());
  client.send(
      {Initiate(1), Request(ip::MessageId::PassThrough, 2, CommandZero()), Request(ip::MessageId::SessionClose, 3)});
  ASSERT_TRUE(RunUntil([&] { return client.closed; }));
  ASSERT_EQ(client.heard.size(), 3U);
  for (std::uint16_t i = 0; i < 3; ++i) {
    EXPECT_EQ(client.heard[i].header.type, ip::MessageType::Response);
    EXPECT_EQ(client.heard[i].header.sequence, i + 1);
    EXPECT_EQ(client.heard[i].header.status, ip::status::kSuccess);
  }
  EXPECT_EQ(client.heard[1].body.at(0), 0x06);  // command 0's reply frame
  EXPECT_TRUE(device.ended("the client closed the session"));
  // The ended session's timer goes with it.
  EXPECT_TRUE(RunUntil([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return device.server.findChildren<QTimer*>(Qt::FindDirectChildrenOnly).size() == timersBefore;
  }));
}

// Each refusal reaches the client before the close it comes with; the
// secondary master's is not answered at all.
TEST(HartIpServer, RefusalsArriveBeforeTheConnectionCloses) {
  struct Row {
    const char* what;
    ip::Message initiate;
    std::optional<std::uint8_t> status;
  };
  const std::vector<Row> rows = {
      {"too few data bytes", Request(ip::MessageId::SessionInitiate, 1, {1, 0}), ip::status::kTooFewDataBytes},
      {"secondary master", Initiate(1, 30000, 2), std::nullopt},
      {"all sessions in use", Initiate(1), ip::status::kAllSessionsInUse},
  };
  for (const Row& row : rows) {
    ServedDevice device;
    std::vector<std::unique_ptr<WireClient>> others;
    QUdpSocket udp;
    if (row.status == ip::status::kAllSessionsInUse) {
      // One UDP session counts as one, like each TCP one.
      ASSERT_TRUE(udp.bind(QHostAddress::LocalHost, 0));
      udp.writeDatagram(Wire(Initiate(1)), QHostAddress::LocalHost, device.port);
      ASSERT_TRUE(RunUntil([&] { return udp.hasPendingDatagrams(); }));
      for (int i = 1; i < kMaxServerSessions; ++i) {
        others.push_back(std::make_unique<WireClient>(device.port));
        ASSERT_TRUE(others.back()->connected());
        others.back()->send({Initiate(1)});
        ASSERT_TRUE(RunUntil([&] { return !others.back()->heard.empty(); })) << row.what;
        ASSERT_EQ(others.back()->heard[0].header.status, ip::status::kSuccess) << row.what << " " << i;
      }
    }
    WireClient client(device.port);
    ASSERT_TRUE(client.connected());
    client.send({row.initiate});
    ASSERT_TRUE(RunUntil([&] { return client.closed; })) << row.what;
    ASSERT_EQ(client.heard.size(), row.status ? 1U : 0U) << row.what;
    if (row.status) {
      EXPECT_EQ(client.heard[0].header.status, *row.status) << row.what;
    }
    for (const auto& other : others) EXPECT_FALSE(other->closed) << row.what;
  }
}

// A client asking for a newer version is told ours, and the session goes on
// in it (the session decides the version for both protocols).
TEST(HartIpServer, ANewerVersionIsAnsweredWithStatus14InOurs) {
  ServedDevice device;
  WireClient client(device.port);
  ASSERT_TRUE(client.connected());
  client.send({Initiate(1, 30000, 1, 2), Request(ip::MessageId::KeepAlive, 2)});
  ASSERT_TRUE(RunUntil([&] { return client.heard.size() == 2; }));
  EXPECT_EQ(client.heard[0].header.status, ip::status::kVersionNotSupported);
  EXPECT_EQ(client.heard[0].header.version, ip::kVersion);
  EXPECT_EQ(ip::DecodeSessionInitiate(client.heard[0].body)->inactivityMs, 30000U);
  EXPECT_EQ(client.heard[1].header.status, ip::status::kSuccess);
}

// The device's clock is held: when the session's timer fires a millisecond
// short of its time, the session stays; once the time has come it ends.
TEST(HartIpServer, TheInactivityTimerIsNeverEarlyNorMuchLate) {
  toolkit::Millis now = 0;
  ServedDevice device([&now] { return now; });
  WireClient client(device.port);
  ASSERT_TRUE(client.connected());
  client.send({Initiate(1, kMinInactivityMs)});
  ASSERT_TRUE(RunUntil([&] { return client.heard.size() == 1; }));
  now = kMinInactivityMs - 1;
  // The timer has fired (at least once) by now; the device says it is early.
  EXPECT_FALSE(RunUntil([&] { return client.closed; }, static_cast<int>(kMinInactivityMs) + 300));
  EXPECT_EQ(device.server.sessionCount(), 1);
  now = kMinInactivityMs;
  EXPECT_TRUE(RunUntil([&] { return client.closed; }, 200));
  EXPECT_TRUE(device.ended("inactivity timer ran out"));
}

TEST(HartIpServer, ConnectionsBeyondTheCapAreClosedAtOnce) {
  ServedDevice device;
  std::vector<std::unique_ptr<WireClient>> open;
  for (std::size_t i = 0; i < kMaxConnections; ++i) {
    open.push_back(std::make_unique<WireClient>(device.port));
    ASSERT_TRUE(open.back()->connected());
  }
  ASSERT_TRUE(RunUntil([&] { return device.server.sessionCount() == static_cast<int>(kMaxConnections); }));
  WireClient extra(device.port);
  EXPECT_TRUE(RunUntil([&] { return extra.closed; }, 2000));
  EXPECT_TRUE(device.ended("connections are open"));
  // The ones inside the cap are still served.
  open.front()->send({Initiate(1)});
  EXPECT_TRUE(RunUntil([&] { return open.front()->heard.size() == 1; }));
  EXPECT_FALSE(open.back()->closed);
}

// A client with a small receive window that never reads: the answers pile
// up at the server until the cap, and then the client is dropped.
TEST(HartIpServer, AClientThatNeverReadsIsDroppedOthersAreStillServed) {
  ServedDevice device;
  const int stuck = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(stuck, 0);
  const int small = 4096;
  ASSERT_EQ(::setsockopt(stuck, SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(device.port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(stuck, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const QByteArray opening = Wire(Initiate(1));
  ASSERT_EQ(::send(stuck, opening.constData(), static_cast<std::size_t>(opening.size()), MSG_NOSIGNAL), opening.size());
  WireClient reader(device.port);
  ASSERT_TRUE(reader.connected());
  reader.send({Initiate(1)});

  std::uint16_t sequence = 2;
  const bool dropped = RunUntil(
      [&] {
        for (int i = 0; i < 100; ++i) {
          const QByteArray request = Wire(Request(ip::MessageId::PassThrough, sequence++, CommandZero()));
          if (::send(stuck, request.constData(), static_cast<std::size_t>(request.size()),
                     MSG_NOSIGNAL | MSG_DONTWAIT) < 0) {
            break;
          }
        }
        return device.ended("does not read its answers");
      },
      30000);
  ::close(stuck);
  ASSERT_TRUE(dropped) << sequence << " requests";
  EXPECT_EQ(device.ends.size(), 1U);
  reader.send({Request(ip::MessageId::PassThrough, 2, CommandZero())});
  EXPECT_TRUE(RunUntil([&] { return reader.heard.size() == 2; }));
  EXPECT_FALSE(reader.closed);
}

// The line's faults fall on the HART replies inside the messages; the
// session's own messages pass untouched and on time.
TEST(HartIpServer, ABadLineDamagesAndDelaysOnlyTheHartReplies) {
  ServedDevice device;
  WireClient client(device.port);
  ASSERT_TRUE(client.connected());
  // The second reply is the first one's twin: the cold-start bit is gone.
  client.send({Initiate(1), Request(ip::MessageId::PassThrough, 2, CommandZero()),
               Request(ip::MessageId::PassThrough, 3, CommandZero())});
  ASSERT_TRUE(RunUntil([&] { return client.heard.size() == 3; }));
  const hart::Bytes clean = client.heard[2].body;

  device.server.setLineFaults({0, 1, 300, 3});
  QElapsedTimer since;
  since.start();
  client.send({Request(ip::MessageId::PassThrough, 4, CommandZero()), Request(ip::MessageId::KeepAlive, 5)});
  ASSERT_TRUE(RunUntil([&] { return client.heard.size() == 5; }));
  EXPECT_GE(since.elapsed(), 300);
  EXPECT_EQ(client.heard[3].header.id, ip::MessageId::KeepAlive) << "the keep-alive is not held back";
  const hart::Bytes damaged = client.heard[4].body;
  ASSERT_EQ(damaged.size(), clean.size());
  int differ = 0;
  for (std::size_t i = 0; i < clean.size(); ++i) differ += clean[i] != damaged[i] ? 1 : 0;
  EXPECT_EQ(differ, 1);
}

// Answers held back by the line when the server closes are forgotten: a
// client of the server listening again gets only its own.
TEST(HartIpServer, AnswersHeldAtCloseAreNotSentAfterListeningAgain) {
  ServedDevice device;
  device.server.setLineFaults({0, 0, 200, 3});
  QUdpSocket udp;
  ASSERT_TRUE(udp.bind(QHostAddress::LocalHost, 0));
  std::vector<ip::Message> heard;
  QObject::connect(&udp, &QUdpSocket::readyRead, [&] {
    while (udp.hasPendingDatagrams()) {
      const QNetworkDatagram datagram = udp.receiveDatagram();
      if (const ip::DecodedMessage decoded = ip::DecodeMessage(testing::View(datagram.data()))) {
        heard.push_back(decoded.message);
      }
    }
  });
  udp.writeDatagram(Wire(Initiate(1)), QHostAddress::LocalHost, device.port);
  ASSERT_TRUE(RunUntil([&] { return heard.size() == 1; }));
  udp.writeDatagram(Wire(Request(ip::MessageId::PassThrough, 2, CommandZero())), QHostAddress::LocalHost, device.port);
  RunUntil([] { return false; }, 50);  // held now

  device.server.close();
  const std::uint16_t port = *device.server.listen(QHostAddress::LocalHost, 0);
  udp.writeDatagram(Wire(Initiate(3)), QHostAddress::LocalHost, port);
  ASSERT_TRUE(RunUntil([&] { return heard.size() == 2; }));
  udp.writeDatagram(Wire(Request(ip::MessageId::PassThrough, 4, CommandZero())), QHostAddress::LocalHost, port);
  RunUntil([] { return false; }, 600);
  ASSERT_EQ(heard.size(), 3U);
  EXPECT_EQ(heard[2].header.sequence, 4);
}

}  // namespace
}  // namespace zolin6::transport

namespace zolin6::transport {
namespace {

// Command 533 in a long frame to the served device, through command 31.
ip::Message Subscribe(const ServedDevice& device, std::uint16_t sequence, hart::Bytes data,
                      std::optional<hart::Address> to = std::nullopt) {
  hart::Frame frame;
  frame.address = to.value_or(device.field.uniqueAddress());
  frame.command = ip::kSubscribeCommand;
  frame.data = data;
  hart::Bytes bytes;
  EXPECT_TRUE(hart::EncodeFrame(frame, 0, bytes).ok());
  return Request(ip::MessageId::PassThrough, sequence, bytes);
}

std::vector<ip::Message> Published(const WireClient& client) {
  std::vector<ip::Message> out;
  for (const ip::Message& m : client.heard) {
    if (m.header.type == ip::MessageType::Publish) out.push_back(m);
  }
  return out;
}

// A device bursting command 9 every 250 ms: a subscribed session gets each
// frame as a publish message numbered 1, 2, ... by the server; a session
// that did not subscribe, or refused and unsubscribed ones, get none.
TEST(HartIpServer, PublishesBurstFramesToSubscribedSessionsOnly) {
  ServedDevice device;
  device::BurstMessage& burst = device.transmitter.mutableState().bursts[0];
  burst.control = 1;
  burst.updatePeriod = 250 * 32;
  WireClient subscriber(device.port);
  WireClient bystander(device.port);
  ASSERT_TRUE(subscriber.connected() && bystander.connected());
  const hart::Bytes everyDevice{0, 0, 0, 0, 0, 0, 1};
  subscriber.send({Initiate(1), Subscribe(device, 7, everyDevice)});
  // Too short, another device named, a frame to another device (no answer).
  bystander.send({Initiate(1), Subscribe(device, 2, {0, 0, 0, 0, 0, 0}), Subscribe(device, 3, {1, 2, 3, 4, 5, 0, 1}),
                  Subscribe(device, 9, everyDevice, hart::Address::Unique({1, 2, 3, 4, 5}))});
  ASSERT_TRUE(RunUntil([&] { return Published(subscriber).size() >= 3; }));
  const ip::Message& answer = subscriber.heard.at(1);
  ASSERT_EQ(answer.header.type, ip::MessageType::Response);
  const hart::DecodeResult reply = hart::DecodeFrame(answer.body);
  ASSERT_TRUE(reply) << reply.description();
  EXPECT_EQ(reply.frame.type, hart::FrameType::Reply);
  EXPECT_EQ(reply.frame.command, ip::kSubscribeCommand);
  EXPECT_EQ(reply.frame.status.responseCode(), 0);
  EXPECT_TRUE(reply.frame.address.primaryMaster);
  EXPECT_FALSE(reply.frame.address.burstMode);
  EXPECT_EQ(hart::Bytes(reply.frame.data.begin(), reply.frame.data.end()), everyDevice);
  const std::vector<ip::Message> published = Published(subscriber);
  for (std::uint16_t i = 0; i < 3; ++i) {
    EXPECT_EQ(published[i].header.sequence, i + 1);
    EXPECT_EQ(published[i].header.id, ip::MessageId::PassThrough);
    const hart::DecodeResult frame = hart::DecodeFrame(published[i].body);
    ASSERT_TRUE(frame) << frame.description();
    EXPECT_EQ(frame.frame.type, hart::FrameType::Burst);
    EXPECT_EQ(frame.frame.command, 9);
  }
  ASSERT_TRUE(RunUntil([&] { return bystander.heard.size() >= 3; }));
  EXPECT_TRUE(Published(bystander).empty());
  std::vector<int> codes;
  for (std::size_t i = 1; i < bystander.heard.size(); ++i) {
    codes.push_back(hart::DecodeFrame(bystander.heard[i].body).frame.status.responseCode());
  }
  EXPECT_EQ(codes, (std::vector<int>{5, 2}));
  // Flags 0: no more.
  subscriber.send({Subscribe(device, 8, {0, 0, 0, 0, 0, 0, 0})});
  ASSERT_TRUE(RunUntil([&] { return subscriber.heard.back().header.sequence == 8; }));
  const std::size_t before = Published(subscriber).size();
  bystander.send({Request(ip::MessageId::KeepAlive, 4)});
  ASSERT_TRUE(RunUntil([&] { return bystander.heard.size() == 4; }));
  EXPECT_LE(Published(subscriber).size(), before + 1);  // one may have been on its way
}

}  // namespace
}  // namespace zolin6::transport
