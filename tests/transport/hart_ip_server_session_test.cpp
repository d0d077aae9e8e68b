// What the server answers one session: the timer it grants, what it
// refuses, and which requests end the session.

#include "transport/hart_ip_server_session.h"

#include <gtest/gtest.h>

#include "hart/hart_ip_audit.h"
#include "hart/hart_ip_direct.h"

namespace zolin6::transport {
namespace {

namespace ip = hart::ip;

struct Case {
  const char* what;
  ip::Message request;
  std::optional<std::uint8_t> status;  // of the reply; nullopt for no reply
  bool ends;
  std::uint32_t granted = 0;  // checked when not 0
};

ip::Message Request(ip::MessageId id, hart::Bytes body = {}, std::uint16_t sequence = 1) {
  return ip::MakeMessage(ip::MessageType::Request, id, sequence, std::move(body));
}

ip::Message Initiate(std::uint8_t master, std::uint32_t ms, std::uint16_t sequence = 1) {
  return Request(ip::MessageId::SessionInitiate, ip::EncodeSessionInitiate({master, ms}), sequence);
}

ip::Message InVersion(ip::Message message, std::uint8_t version) {
  message.header.version = version;
  return message;
}

void Check(ServerSession& session, const Case& c) {
  const ServerAnswer answer = session.handle(c.request, 0);
  ASSERT_EQ(answer.reply.has_value(), c.status.has_value()) << c.what;
  EXPECT_EQ(answer.endSession, c.ends) << c.what;
  if (!answer.reply) return;
  EXPECT_EQ(answer.reply->header.status, *c.status) << c.what;
  EXPECT_EQ(answer.reply->header.version, ip::kVersion) << c.what;
  EXPECT_EQ(answer.reply->header.sequence, c.request.header.sequence) << c.what;
  if (c.granted != 0) {
    EXPECT_EQ(ip::DecodeSessionInitiate(answer.reply->body)->inactivityMs, c.granted) << c.what;
  }
}

TEST(HartIpServerSession, AnswersEachRequestByTheRules) {
  const std::vector<Case> cases = {
      {"timer as asked", Initiate(1, 30000), ip::status::kSuccess, false, 30000},
      {"shortest timer", Initiate(1, kMinInactivityMs), ip::status::kSuccess, false, kMinInactivityMs},
      {"longest timer", Initiate(1, kMaxInactivityMs), ip::status::kSuccess, false, kMaxInactivityMs},
      {"short timer", Initiate(1, 500), ip::status::kSetToNearest, false, kDefaultInactivityMs},
      {"long timer", Initiate(1, 0xFFFFFFFF), ip::status::kSetToNearest, false, kMaxInactivityMs},
      // Only a primary master may open a session; any other gets no answer.
      {"secondary master", Initiate(2, 30000), std::nullopt, true},
      {"a newer version", InVersion(Initiate(1, 30000), 2), ip::status::kVersionNotSupported, false, 30000},
      {"a newer version, short timer", InVersion(Initiate(1, 5), 3), ip::status::kVersionNotSupported, false,
       kDefaultInactivityMs},
      {"initiate too short", Request(ip::MessageId::SessionInitiate, {1}), ip::status::kTooFewDataBytes, true},
      {"keep-alive first", Request(ip::MessageId::KeepAlive), std::nullopt, true},
      {"pass-through first", Request(ip::MessageId::PassThrough, {2, 0x80, 0, 0, 0x82}), std::nullopt, true},
  };
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice field(transmitter);
  for (const Case& c : cases) {
    ServerSession session(field);
    Check(session, c);
  }
}

TEST(HartIpServerSession, OpenSessionCarriesFramesAndEndsOnMisuse) {
  const std::vector<Case> cases = {
      {"keep-alive", Request(ip::MessageId::KeepAlive), ip::status::kSuccess, false},
      {"command 0", Request(ip::MessageId::PassThrough, {2, 0x80, 0, 0, 0x82}), ip::status::kSuccess, false},
      {"silent device", Request(ip::MessageId::PassThrough, {2, 0x85, 0, 0, 0x87}), std::nullopt, false},
      {"second initiate", Initiate(1, 30000, 2), ip::status::kSessionExists, false},
      {"the first initiate again", Initiate(1, 30000), ip::status::kSuccess, false, 30000},
      {"another version", InVersion(Request(ip::MessageId::KeepAlive), 2), std::nullopt, true},
      {"keep-alive with a body", Request(ip::MessageId::KeepAlive, {0}), std::nullopt, true},
      {"pass-through too short", Request(ip::MessageId::PassThrough, {2}), std::nullopt, true},
      {"close", Request(ip::MessageId::SessionClose), ip::status::kSuccess, true},
      {"a response", ip::MakeMessage(ip::MessageType::Response, ip::MessageId::KeepAlive, 1), std::nullopt, true},
  };
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice field(transmitter);
  for (const Case& c : cases) {
    ServerSession session(field);
    ASSERT_FALSE(session.handle(Initiate(1, 30000), 0).endSession);
    Check(session, c);
  }
}

// What each kind of device grants each version, and when TLS follows the
// answer; the answer goes in the version the session runs at.
TEST(HartIpServerSession, ADeviceWithKeysGrantsVersionTwoAndThenTls) {
  using ip::Security;
  struct Row {
    Security security;
    std::uint8_t asked;
    std::uint8_t status;
    std::uint8_t version;
    bool ends;
  };
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice field(transmitter);
  for (const Row& row : {
           Row{Security::Offered, 2, ip::status::kSuccess, 2, false},
           Row{Security::Offered, 1, ip::status::kSuccess, 1, false},
           Row{Security::Required, 2, ip::status::kSuccess, 2, false},
           Row{Security::Required, 1, ip::status::kVersionNotSupported, 2, true},
           Row{Security::Unavailable, 2, ip::status::kSecurityNotInitialized, 2, true},
           Row{Security::PlainOnly, 2, ip::status::kVersionNotSupported, 1, false},
       }) {
    const std::string which = std::to_string(static_cast<int>(row.security)) + "/" + std::to_string(row.asked);
    ServerSession session(field, row.security);
    const ServerAnswer answer = session.handle(InVersion(Initiate(1, 30000), row.asked), 0);
    ASSERT_TRUE(answer.reply) << which;
    EXPECT_EQ(answer.reply->header.status, row.status) << which;
    EXPECT_EQ(answer.reply->header.version, row.version) << which;
    EXPECT_EQ(answer.endSession, row.ends) << which;
    const bool secure = !row.ends && row.version == ip::kSecureVersion;
    EXPECT_EQ(answer.startSecurity, secure) << which;
    EXPECT_EQ(session.secure(), secure) << which;
  }
}

// Several commands in one message: answered in a secure session, the end
// of a plain one.
TEST(HartIpServerSession, ADirectPduIsAnsweredInSecureSessionsOnly) {
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice field(transmitter);
  ip::DirectPdu asked;
  asked.commands = {{0, 0, {}}, {3, 0, {}}};
  for (const std::uint8_t version : {ip::kVersion, ip::kSecureVersion}) {
    ServerSession session(field, ip::Security::Offered);
    ASSERT_FALSE(session.handle(InVersion(Initiate(1, 30000), version), 0).endSession);
    const ServerAnswer answer =
        session.handle(InVersion(Request(ip::MessageId::DirectPdu, *ip::EncodeDirectRequest(asked), 2), version), 0);
    EXPECT_EQ(answer.endSession, version == ip::kVersion);
    if (version == ip::kVersion) continue;
    ASSERT_TRUE(answer.reply);
    const Result<ip::DirectPdu> decoded = ip::DecodeDirectResponse(answer.reply->body);
    ASSERT_TRUE(decoded) << decoded.error().message;
    ASSERT_EQ(decoded->commands.size(), 2U);
    EXPECT_EQ(decoded->commands[1].command, 3);
    EXPECT_EQ(decoded->commands[1].responseCode, 0);
  }
}

// The audit log in a secure session: two bytes ask for it, any other size
// ends the session.
TEST(HartIpServerSession, AnAuditLogRequestOfTheWrongSizeEndsTheSession) {
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice field(transmitter);
  SessionAudit audit(1700000000);
  audit.begin(PeerAddressOf(QHostAddress::LocalHost), {50000, 5094}, true, ip::kSecureVersion, 1700000001);
  for (const hart::Bytes& body : {hart::Bytes{0, 5}, hart::Bytes{0}, hart::Bytes{0, 5, 0}}) {
    ServerSession session(field, ip::Security::Offered, &audit);
    ASSERT_FALSE(session.handle(InVersion(Initiate(1, 30000), ip::kSecureVersion), 0).endSession);
    const ServerAnswer answer =
        session.handle(InVersion(Request(ip::MessageId::ReadAuditLog, body, 2), ip::kSecureVersion), 0);
    EXPECT_EQ(answer.endSession, body.size() != ip::kAuditLogRequestSize) << body.size();
    if (answer.endSession) continue;
    ASSERT_TRUE(answer.reply);
    const Result<ip::AuditLog> log = ip::DecodeAuditLog(answer.reply->body);
    ASSERT_TRUE(log) << log.error().message;
    EXPECT_EQ(log->powerUpTime, 1700000000U);
    ASSERT_EQ(log->records.size(), 1U);
    EXPECT_EQ(log->records[0].peerPort, 50000);
  }
}

}  // namespace
}  // namespace zolin6::transport
