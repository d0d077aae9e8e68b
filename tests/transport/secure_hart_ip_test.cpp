// Secure HART-IP over real loopback sockets: the key file, the TLS session
// after a plain-text initiate, the refusals said in words, and a device
// that stops answering an address whose handshakes keep failing, and the
// audit log a secure session reads.

#include <gtest/gtest.h>

#include <QFile>
#include <QNetworkDatagram>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <memory>
#include <string>
#include <vector>

#include "device/hart_device.h"
#include "hart/hart_ip_audit.h"
#include "hart_ip_support.h"
#include "transport/handshake_guard.h"
#include "transport/hart_ip_client.h"
#include "transport/hart_ip_server.h"
#include "transport/psk_keys.h"
#include "transport/tls_psk.h"

namespace zolin6::transport {
namespace {

namespace ip = hart::ip;
using testing::CommandZero;
using testing::KeyFile;
using testing::RunUntil;

const PskKey kKey{"HART-IPClient", QByteArray::fromHex("00112233445566778899aabbccddeeff")};
const PskKey kOtherKey{"HART-IPClient", QByteArray::fromHex("ffeeddccbbaa99887766554433221100")};

TEST(PskKeys, EachLineIsIdentityColonHexKey) {
  const Result<PskKeys> keys = ParsePskKeys("# keys\n\nclient:0011\n  other:id:AABBcc  \n");
  ASSERT_TRUE(keys) << keys.error().message;
  EXPECT_EQ(keys->own().identity, "client");
  EXPECT_EQ(keys->keyOf("other:id"), QByteArray::fromHex("aabbcc"));
  EXPECT_FALSE(keys->keyOf("nobody"));
  const std::string longest(2 * kMaxPskKeySize, 'a');
  EXPECT_TRUE(ParsePskKeys("id:" + longest));
  struct Row {
    std::string text;
    std::string words;
  };
  for (const Row& row :
       {Row{"", "no key"}, Row{"# only a comment", "no key"}, Row{"client", "line 1: not identity"},
        Row{"ok:00\n:0011", "line 2: the identity"}, Row{"id:001", "hexadecimal"}, Row{"id:00zz", "hexadecimal"},
        Row{"id:", "hexadecimal"}, Row{"id:" + longest + "aa", "longer than 64 bytes"},
        Row{std::string(kMaxPskIdentitySize + 1, 'i') + ":00", "1 to 128"}}) {
    const Result<PskKeys> refused = ParsePskKeys(row.text);
    ASSERT_FALSE(refused) << row.text;
    EXPECT_NE(refused.error().message.find(row.words), std::string::npos) << refused.error().message;
  }
}

TEST(PskKeys, AFileOthersCanReadIsRefused) {
  QTemporaryDir dir;
  const auto own = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  EXPECT_TRUE(ReadPskKeyFile(KeyFile(dir, "id:00\n", own)));
  for (const auto more : {QFileDevice::ReadGroup, QFileDevice::ReadOther}) {
    const Result<PskKeys> refused = ReadPskKeyFile(KeyFile(dir, "id:00\n", own | more));
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("chmod 600"), std::string::npos) << refused.error().message;
  }
  EXPECT_FALSE(ReadPskKeyFile(dir.filePath(QStringLiteral("missing"))));
}

TEST(HandshakeGuard, RefusesAfterTheFailuresAllowedUntilTheRefusalEnds) {
  HandshakeGuard guard;
  for (int i = 1; i < kHandshakeFailuresAllowed; ++i) guard.failed("a", i);
  EXPECT_FALSE(guard.refuses("a", kHandshakeFailuresAllowed));
  guard.failed("a", kHandshakeFailuresAllowed);
  EXPECT_TRUE(guard.refuses("a", kHandshakeFailuresAllowed));
  EXPECT_FALSE(guard.refuses("b", kHandshakeFailuresAllowed));
  EXPECT_TRUE(guard.refuses("a", kHandshakeFailuresAllowed + kHandshakeRefusalMs - 1));
  EXPECT_FALSE(guard.refuses("a", kHandshakeFailuresAllowed + kHandshakeRefusalMs));
  // Failures spread wider than the window never add up to a refusal.
  for (int i = 0; i < 2 * kHandshakeFailuresAllowed; ++i) guard.failed("slow", i * kHandshakeWindowMs);
  EXPECT_FALSE(guard.refuses("slow", 2 * kHandshakeFailuresAllowed * kHandshakeWindowMs));
  // A good handshake clears the count.
  for (int i = 1; i < kHandshakeFailuresAllowed; ++i) guard.failed("c", 0);
  guard.succeeded("c");
  guard.failed("c", 0);
  EXPECT_FALSE(guard.refuses("c", 0));
}

TEST(HandshakeGuard, RemembersABoundedNumberOfAddressesAndKeepsTheRefusedOnes) {
  HandshakeGuard guard;
  for (int i = 0; i < kHandshakeFailuresAllowed; ++i) guard.failed("refused", 0);
  for (std::size_t i = 0; i < kHandshakePeersKept + 10; ++i) guard.failed("peer " + std::to_string(i), 1);
  EXPECT_EQ(guard.remembered(), kHandshakePeersKept);
  EXPECT_TRUE(guard.refuses("refused", 1));
}

// A simulated device served over HART-IP with keys, and clients to it.
class SecureHartIp : public ::testing::Test {
 protected:
  void SetUp() override { testing::EnsureEventLoop(); }
  void Serve(bool withKeys, bool required = false) {
    if (withKeys) {
      ASSERT_TRUE(server_.useKeys(PskKeys({kKey}), required));
    }
    const Result<std::uint16_t> port = server_.listen(QHostAddress::LocalHost, 0);
    ASSERT_TRUE(port) << port.error().message;
  }
  HartIpEndpoint Endpoint(std::optional<PskKey> key, IpProtocol protocol = IpProtocol::Tcp) const {
    return {QStringLiteral("127.0.0.1"), server_.port(), protocol, ip::kAskedInactivityMs, std::move(key)};
  }
  // The client's last word once it has settled, connected or closed.
  std::string Settle(HartIpClient& client) {
    client.OnStateChange([this](HartIpClient::State, const std::string& reason) { said_ = reason; });
    client.Open();
    EXPECT_TRUE(RunUntil([&] { return client.state() != HartIpClient::State::Connecting; }));
    return said_;
  }

  std::string said_;  // the last word of the client Settle opened

  toolkit::Clock clock_;
  device::SimulatedTransmitter transmitter_{6, device::SimulatedTransmitter::kRestartTime};
  device::HartDevice device_{transmitter_};
  HartIpServer server_{device_, {}, [] { return kPowerUp; }};
  static constexpr std::uint64_t kPowerUp = 1700000000;
};

TEST_F(SecureHartIp, TheRightKeyOpensASecureSessionThatCarriesFrames) {
  Serve(true);
  for (const auto& [protocol, security] : {std::pair{IpProtocol::Tcp, "TLS 1.2, PSK-AES128-GCM-SHA256"},
                                           std::pair{IpProtocol::Udp, "DTLS 1.2, PSK-AES128-GCM-SHA256"}}) {
    HartIpClient client(clock_, Endpoint(kKey, protocol));
    std::vector<hart::Bytes> replies;
    client.Listen([&](hart::ByteView bytes, toolkit::Millis) { replies.emplace_back(bytes.begin(), bytes.end()); });
    const std::string said = Settle(client);
    ASSERT_EQ(client.state(), HartIpClient::State::Connected) << said;
    EXPECT_EQ(client.security(), security);
    EXPECT_NE(said.find(security), std::string::npos) << said;
    client.Send(CommandZero(), 0);
    ASSERT_TRUE(RunUntil([&] { return !replies.empty(); })) << security;
    const hart::DecodeResult reply = hart::DecodeFrame(hart::ByteView(replies.front()).subspan(2));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply.frame.type, hart::FrameType::Reply);
    client.Close();
    EXPECT_TRUE(client.security().empty());
    EXPECT_TRUE(RunUntil([&] { return server_.sessionCount() == 0; })) << security;
  }
}

// Every way a secure connection can fail is said, and none falls back to plain text.
TEST_F(SecureHartIp, EachRefusalIsSaidInWords) {
  struct Row {
    const char* what;
    bool deviceHasKeys;
    bool required;
    std::optional<PskKey> key;
    IpProtocol protocol;
    std::string words;
  };
  const std::vector<Row> rows = {
      {"wrong key", true, false, kOtherKey, IpProtocol::Tcp, "TLS handshake"},
      // DTLS drops what does not decrypt: the handshake just never ends.
      {"wrong key, UDP", true, false, kOtherKey, IpProtocol::Udp, "handshake did not finish: a wrong key"},
      {"unknown identity", true, false, PskKey{"stranger", kKey.key}, IpProtocol::Tcp, "TLS handshake"},
      {"a plain device", false, false, kKey, IpProtocol::Tcp, "speaks only HART-IP version 1"},
      {"a plain device, UDP", false, false, kKey, IpProtocol::Udp, "speaks only HART-IP version 1"},
      {"plain client, secure-only device", true, true, std::nullopt, IpProtocol::Tcp, "accepts only secure"},
      {"plain UDP, secure-only device", true, true, std::nullopt, IpProtocol::Udp, "accepts only secure"},
  };
  for (const Row& row : rows) {
    HartIpServer server(device_);
    if (row.deviceHasKeys) {
      ASSERT_TRUE(server.useKeys(PskKeys({kKey}), row.required));
    }
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    HartIpEndpoint endpoint = Endpoint(row.key, row.protocol);
    endpoint.port = server.port();
    HartIpClient client(clock_, endpoint);
    const std::string said = Settle(client);
    EXPECT_EQ(client.state(), HartIpClient::State::Closed) << row.what;
    EXPECT_NE(said.find(row.words), std::string::npos) << row.what << ": " << said;
    EXPECT_TRUE(RunUntil([&] { return server.sessionCount() == 0; })) << row.what;
  }
}

// Raw bytes on the socket: a client that goes on in plain text after a
// secure initiate gets no answer and loses the connection.
TEST_F(SecureHartIp, PlainTextAfterASecureInitiateEndsTheConnection) {
  Serve(true);
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, server_.port());
  ASSERT_TRUE(RunUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
  ip::Message initiate = ip::MakeMessage(ip::MessageType::Request, ip::MessageId::SessionInitiate, 1,
                                         ip::EncodeSessionInitiate({1, 30000}));
  initiate.header.version = ip::kSecureVersion;
  const hart::Bytes wire = ip::EncodeMessage(initiate);
  socket.write(reinterpret_cast<const char*>(wire.data()), static_cast<qint64>(wire.size()));
  ASSERT_TRUE(RunUntil([&] { return socket.bytesAvailable() >= 13; }));
  const ip::DecodedMessage answer = ip::DecodeMessage(testing::View(socket.readAll()));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer.message.header.version, ip::kSecureVersion);
  EXPECT_EQ(answer.message.header.status, ip::status::kSuccess);
  ip::Message pdu = ip::MakeMessage(ip::MessageType::Request, ip::MessageId::PassThrough, 2, CommandZero());
  pdu.header.version = ip::kSecureVersion;
  const hart::Bytes plain = ip::EncodeMessage(pdu);
  socket.write(reinterpret_cast<const char*>(plain.data()), static_cast<qint64>(plain.size()));
  EXPECT_TRUE(RunUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_FALSE(socket.readAll().contains("\x06\x80"));  // no HART reply came back
  EXPECT_TRUE(RunUntil([&] { return server_.sessionCount() == 0; }));
}

// Over UDP the initiate's answer may be lost: the same initiate sent again
// while the device waits for the DTLS hello gets the same answer again.
TEST_F(SecureHartIp, AUdpInitiateSentAgainIsAnsweredAgainBeforeDtls) {
  Serve(true);
  QUdpSocket socket;
  ASSERT_TRUE(socket.bind(QHostAddress::LocalHost, 0));
  ip::Message initiate = ip::MakeMessage(ip::MessageType::Request, ip::MessageId::SessionInitiate, 7,
                                         ip::EncodeSessionInitiate({1, 30000}));
  initiate.header.version = ip::kSecureVersion;
  const hart::Bytes wire = ip::EncodeMessage(initiate);
  std::vector<QByteArray> answers;
  for (int i = 0; i < 2; ++i) {
    socket.writeDatagram(reinterpret_cast<const char*>(wire.data()), static_cast<qint64>(wire.size()),
                         QHostAddress::LocalHost, server_.port());
    ASSERT_TRUE(RunUntil([&] { return socket.hasPendingDatagrams(); }));
    answers.push_back(socket.receiveDatagram().data());
  }
  EXPECT_EQ(answers[0], answers[1]);
  const ip::DecodedMessage answer = ip::DecodeMessage(testing::View(answers[1]));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer.message.header.sequence, 7);
  EXPECT_EQ(answer.message.header.status, ip::status::kSuccess);
}

// A relay between client and device that keeps every byte each way: what
// anyone on the network would see.
struct Eavesdropper {
  explicit Eavesdropper(std::uint16_t devicePort) {
    listener.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&listener, &QTcpServer::newConnection, [this, devicePort] {
      client = listener.nextPendingConnection();
      device.connectToHost(QHostAddress::LocalHost, devicePort);
      QObject::connect(client, &QTcpSocket::readyRead, [this] {
        const QByteArray bytes = client->readAll();
        seen += bytes;
        device.write(bytes);
      });
      QObject::connect(&device, &QTcpSocket::readyRead, [this] {
        const QByteArray bytes = device.readAll();
        seen += bytes;
        client->write(bytes);
      });
    });
  }
  QTcpServer listener;
  QTcpSocket* client = nullptr;
  QTcpSocket device;
  QByteArray seen;
};

// On the wire, only the initiate and its answer are plain; the HART frames
// go inside TLS records.
TEST_F(SecureHartIp, NoHartFrameCrossesTheNetworkInPlainText) {
  Serve(true);
  Eavesdropper relay(server_.port());
  HartIpEndpoint endpoint = Endpoint(kKey);
  endpoint.port = relay.listener.serverPort();
  HartIpClient client(clock_, endpoint);
  int replies = 0;
  client.Listen([&](hart::ByteView, toolkit::Millis) { ++replies; });
  ASSERT_EQ(Settle(client), "connected, inactivity timer 60000 ms, TLS 1.2, PSK-AES128-GCM-SHA256");
  client.Send(CommandZero(), 0);
  ASSERT_TRUE(RunUntil([&] { return replies == 1; }));
  const hart::Bytes frame = CommandZero();
  const QByteArray plainFrame(reinterpret_cast<const char*>(frame.data()), static_cast<qsizetype>(frame.size()));
  EXPECT_FALSE(relay.seen.contains(plainFrame));
  // Initiate (13 bytes) and its answer, then a TLS handshake record.
  ASSERT_GT(relay.seen.size(), 26 + 2);
  EXPECT_EQ(relay.seen.mid(26, 2), QByteArray::fromHex("1603"));
  client.Close();
}

// A key-guessing client: past the failures allowed, its address is cut off
// before it can even initiate, while the device stays up for the right key
// from elsewhere (here the same address, so only the refusal is seen).
TEST_F(SecureHartIp, AFloodOfFailedHandshakesGetsTheAddressRefused) {
  Serve(true);
  for (int i = 0; i < kHandshakeFailuresAllowed; ++i) {
    HartIpClient guessing(clock_, Endpoint(kOtherKey));
    EXPECT_NE(Settle(guessing).find("TLS handshake"), std::string::npos);
  }
  HartIpClient right(clock_, Endpoint(kKey));
  const std::string said = Settle(right);
  EXPECT_EQ(right.state(), HartIpClient::State::Closed);
  EXPECT_EQ(said.find("TLS"), std::string::npos) << said;  // refused before any TLS
  EXPECT_TRUE(RunUntil([&] { return server_.sessionCount() == 0; }));
}

// `command` with `data` to `device` in a long frame, without preambles.
hart::Bytes Command(const device::HartDevice& device, std::uint16_t command, const hart::Bytes& data = {}) {
  hart::Frame frame;
  frame.address = device.uniqueAddress();
  frame.command = command;
  frame.data = data;
  hart::Bytes out;
  (void)hart::EncodeFrame(frame, 0, out);
  return out;
}

// A request in `version` on a raw connection, and its answer; nullopt when
// the connection closes without one.
std::optional<ip::Message> Ask(QTcpSocket& socket, ip::MessageId id, hart::Bytes body, std::uint8_t version) {
  static std::uint16_t sequence = 0;
  ip::Message request = ip::MakeMessage(ip::MessageType::Request, id, ++sequence, std::move(body));
  request.header.version = version;
  const hart::Bytes wire = ip::EncodeMessage(request);
  socket.write(reinterpret_cast<const char*>(wire.data()), static_cast<qint64>(wire.size()));
  ip::StreamAssembler assembler;
  std::optional<ip::DecodedMessage> answer;
  RunUntil([&] {
    assembler.feed(testing::View(socket.readAll()));
    answer = assembler.next();
    return answer || socket.state() == QAbstractSocket::UnconnectedState;
  });
  if (!answer || !*answer) return std::nullopt;
  return answer->message;
}

// Sessions of each kind, then a secure one reads them back: how each ended,
// whether it was secure, and its requests and writes (command 6 writes,
// command 3 does not). The audit log in a plain session ends it.
TEST_F(SecureHartIp, TheAuditLogTellsEachSessionToSecureSessionsOnly) {
  Serve(true);
  std::size_t replies = 0;
  // One request at a time, each answered, then the close.
  const auto run = [&](HartIpClient& client, const std::vector<hart::Bytes>& frames) {
    replies = 0;
    client.Listen([&replies](hart::ByteView, toolkit::Millis) { ++replies; });
    Settle(client);
    for (std::size_t i = 0; i < frames.size(); ++i) {
      client.Send(frames[i], 0);
      EXPECT_TRUE(RunUntil([&] { return replies == i + 1; }));
    }
    client.Close();
    EXPECT_TRUE(RunUntil([&] { return server_.sessionCount() == 0; }));
  };
  HartIpClient plain(clock_, Endpoint(std::nullopt));
  run(plain, {Command(device_, 3), Command(device_, 6, {0})});
  QTcpSocket asking;
  asking.connectToHost(QHostAddress::LocalHost, server_.port());
  ASSERT_TRUE(RunUntil([&] { return asking.state() == QAbstractSocket::ConnectedState; }));
  ASSERT_TRUE(Ask(asking, ip::MessageId::SessionInitiate, ip::EncodeSessionInitiate({1, 30000}), ip::kVersion));
  EXPECT_FALSE(Ask(asking, ip::MessageId::ReadAuditLog, ip::EncodeAuditLogRequest({0, 10}), ip::kVersion));
  HartIpClient guessing(clock_, Endpoint(kOtherKey));
  run(guessing, {});
  ASSERT_TRUE(server_.useKeys(PskKeys({kKey}), true));
  HartIpClient refused(clock_, Endpoint(std::nullopt, IpProtocol::Udp));
  run(refused, {});
  HartIpClient secure(clock_, Endpoint(kKey));
  run(secure, {Command(device_, 3)});

  QSslSocket reading;
  QObject::connect(&reading, &QSslSocket::preSharedKeyAuthenticationRequired,
                   [](QSslPreSharedKeyAuthenticator* question) { AnswerAsClient(*question, kKey); });
  reading.connectToHost(QHostAddress::LocalHost, server_.port());
  ASSERT_TRUE(RunUntil([&] { return reading.state() == QAbstractSocket::ConnectedState; }));
  ASSERT_TRUE(Ask(reading, ip::MessageId::SessionInitiate, ip::EncodeSessionInitiate({1, 30000}), ip::kSecureVersion));
  reading.setSslConfiguration(*PskTlsConfiguration(Transport::Stream));
  reading.startClientEncryption();
  ASSERT_TRUE(RunUntil([&] { return reading.isEncrypted(); }));
  const std::optional<ip::Message> answer =
      Ask(reading, ip::MessageId::ReadAuditLog, ip::EncodeAuditLogRequest({0, 10}), ip::kSecureVersion);
  ASSERT_TRUE(answer);
  const Result<ip::AuditLog> log = ip::DecodeAuditLog(answer->body);
  ASSERT_TRUE(log) << log.error().message;
  EXPECT_EQ(log->powerUpTime, kPowerUp);
  EXPECT_EQ(log->serverStatus, 0);  // keys given, no address refused

  struct Row {
    ip::SessionEnd end;
    bool secure;
    std::uint8_t version;
    std::uint32_t requests;
    std::uint32_t writes;
  };
  using End = ip::SessionEnd;
  const std::vector<Row> rows = {
      {End::ClosedByClient, false, 1, 4, 1},  // initiate, 3, 6, close
      {End::MalformedMessage, false, 1, 2, 0},
      {End::HandshakeFailed, true, 2, 1, 0},
      {End::Refused, false, 2, 1, 0},
      {End::ClosedByClient, true, 2, 3, 0},
      {End::Open, true, 2, 1, 0},  // this one, its read not yet counted
  };
  ASSERT_EQ(log->records.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ip::SessionRecord& got = log->records[i];
    EXPECT_EQ(got.endedBy, rows[i].end) << i;
    EXPECT_EQ(got.secure, rows[i].secure) << i;
    EXPECT_EQ(got.version, rows[i].version) << i;
    EXPECT_EQ(got.requests, rows[i].requests) << i;
    EXPECT_EQ(got.writes, rows[i].writes) << i;
    EXPECT_EQ(got.serverPort, server_.port()) << i;
    EXPECT_EQ(got.peer, PeerAddressOf(QHostAddress::LocalHost)) << i;
  }
  EXPECT_EQ(log->records.back().peerPort, reading.localPort());
}

}  // namespace
}  // namespace zolin6::transport
