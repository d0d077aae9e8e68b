// The server's audit log: its bound, reads past what is kept, sessions
// counted and ended once, and the state file's round trip.

#include "transport/session_audit.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace zolin6::transport {
namespace {

namespace ip = hart::ip;
using nlohmann::json;

const ip::PeerAddress kPeer = PeerAddressOf(QHostAddress("192.0.2.7"));

std::vector<std::uint64_t> StartTimes(const ip::AuditLog& log) {
  std::vector<std::uint64_t> times;
  for (const ip::SessionRecord& record : log.records) times.push_back(record.startTime);
  return times;
}

TEST(SessionAudit, KeepsTheNewest64AndReadsByIndexFromTheOldestKept) {
  SessionAudit audit(500);
  std::vector<SessionAudit::Id> ids;
  for (std::uint64_t t = 1001; t <= 1064; ++t) ids.push_back(audit.begin(kPeer, {40000, 5094}, false, 1, t));
  EXPECT_EQ(StartTimes(audit.read(0, 1)), std::vector<std::uint64_t>{1001});
  ids.push_back(audit.begin(kPeer, {40000, 5094}, false, 1, 1065));  // the 65th
  EXPECT_EQ(StartTimes(audit.read(0, 1)), std::vector<std::uint64_t>{1002});
  audit.countRequest(ids[0], true);  // fell off: touches nothing
  audit.end(ids[0], ip::SessionEnd::Refused, 2000);
  for (const ip::SessionRecord& record : audit.read(0, 255).records) {
    EXPECT_EQ(record.requests, 0U);
    EXPECT_EQ(record.endedBy, ip::SessionEnd::Open);
  }
  struct Row {
    std::uint8_t start;
    std::uint8_t count;
    std::size_t returned;
    std::uint64_t first;  // start time of the first returned
  };
  for (const Row& row : {Row{0, 255, ip::kMaxAuditRecords, 1002}, Row{62, 5, 2, 1064}, Row{63, 5, 1, 1065},
                         Row{64, 1, 0, 0}, Row{255, 255, 0, 0}, Row{10, 0, 0, 0}}) {
    const ip::AuditLog log = audit.read(row.start, row.count);
    EXPECT_EQ(log.startRecord, row.start);
    EXPECT_EQ(log.powerUpTime, 500U);
    ASSERT_EQ(log.records.size(), row.returned) << int{row.start};
    if (row.returned > 0) {
      EXPECT_EQ(log.records[0].startTime, row.first) << int{row.start};
    }
  }
}

TEST(SessionAudit, CountsRequestsUntilTheSessionEndsOnce) {
  SessionAudit audit(500);
  const SessionAudit::Id a = audit.begin(kPeer, {40000, 5094}, true, 2, 1000);
  audit.begin(kPeer, {40001, 5094}, false, 1, 0);
  audit.countRequest(a, false);
  audit.countRequest(a, true);
  audit.end(a, ip::SessionEnd::Open, 1100);  // not an end
  audit.end(a, ip::SessionEnd::MalformedMessage, 1200);
  audit.end(a, ip::SessionEnd::ConnectionLost, 1300);  // the first end stands
  audit.countRequest(a, true);
  audit.setServerStatus(ip::audit_status::kHandshakeRefusals);
  audit.securityChanged(900);
  const ip::AuditLog log = audit.read(0, 2);
  ASSERT_EQ(log.records.size(), 2U);
  const ip::SessionRecord& first = log.records[0];
  EXPECT_EQ(first.requests, 2U);
  EXPECT_EQ(first.writes, 1U);
  EXPECT_EQ(first.endedBy, ip::SessionEnd::MalformedMessage);
  EXPECT_EQ(first.endTime, 1200U);
  EXPECT_EQ(log.records[1].endedBy, ip::SessionEnd::Open);
  EXPECT_EQ(log.serverStatus, ip::audit_status::kHandshakeRefusals);
  EXPECT_EQ(log.lastSecurityChange, 900U);
  // Stopping at time 0 must not read as "still open" on the wire.
  audit.endAll(ip::SessionEnd::ServerStopped, 0);
  const ip::SessionRecord second = audit.read(1, 1).records.at(0);
  EXPECT_EQ(second.endedBy, ip::SessionEnd::ServerStopped);
  EXPECT_EQ(second.endTime, 1U);
  EXPECT_EQ(audit.read(0, 1).records.at(0).endedBy, ip::SessionEnd::MalformedMessage);
  EXPECT_TRUE(ip::EncodeAuditLog(audit.read(0, 2)));
}

TEST(SessionAudit, StateFileKeepsEveryFieldAndStopsWhatWasLeftOpen) {
  SessionAudit audit(500);
  const SessionAudit::Id v4 = audit.begin(kPeer, {40000, 5094}, false, 1, 1000);
  for (const bool write : {false, true, true}) audit.countRequest(v4, write);
  audit.end(v4, ip::SessionEnd::InactivityTimer, 0xFFFFFFFFFF);
  audit.begin(PeerAddressOf(QHostAddress("2001:db8::5")), {65535, 5095}, true, 2, 1100);
  audit.securityChanged(777);
  audit.setServerStatus(ip::audit_status::kKeysNotConfigured);
  const std::string text = SaveSessionAudit(audit).dump();
  EXPECT_NE(text.find("::ffff:192.0.2.7"), std::string::npos) << text;

  SessionAudit restarted(9000);
  ASSERT_TRUE(LoadSessionAudit(json::parse(text), restarted));
  const ip::AuditLog before = audit.read(0, 2);
  const ip::AuditLog after = restarted.read(0, 2);
  EXPECT_EQ(after.powerUpTime, 9000U);
  EXPECT_EQ(after.lastSecurityChange, 777U);
  EXPECT_EQ(after.serverStatus, 0U);  // this run's to set
  ASSERT_EQ(after.records.size(), 2U);
  EXPECT_EQ(after.records[0], before.records[0]);
  ip::SessionRecord stopped = before.records[1];
  stopped.endedBy = ip::SessionEnd::ServerStopped;
  stopped.endTime = 9000;
  EXPECT_EQ(after.records[1], stopped);
  EXPECT_EQ(after.records[1].peer, (ip::PeerAddress{0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}));
  EXPECT_EQ(after.records[0].peer, (ip::PeerAddress{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 192, 0, 2, 7}));
}

TEST(SessionAudit, StateFileRefusalsLeaveTheStoreAsItWas) {
  SessionAudit source(500);
  for (std::uint64_t t = 1; t <= SessionAudit::kCapacity + 1; ++t) source.begin(kPeer, {1, 2}, false, 1, t);
  const json good = SaveSessionAudit(source);
  json longer = good;  // a file of more than 64: the newest kept
  longer["records"].insert(longer["records"].begin(), good["records"][0]);
  SessionAudit audit(500);
  ASSERT_TRUE(LoadSessionAudit(longer, audit));
  EXPECT_EQ(audit.read(0, 1).records.at(0).startTime, 2U);
  EXPECT_EQ(audit.read(SessionAudit::kCapacity - 1, 1).records.at(0).startTime, SessionAudit::kCapacity + 1);

  struct Row {
    const char* key;
    json value;  // null: the key removed
    bool loads;
  };
  const std::vector<Row> rows = {
      {"peerPort", 65535, true},     {"peerPort", 65536, false}, {"peerPort", -1, false},    {"version", 255, true},
      {"version", 256, false},       {"version", 0, false},      {"secure", 1, false},       {"peer", "10.0.0.1", true},
      {"peer", "10.0.0.256", false}, {"end", 5, false},          {"writes", nullptr, false}, {"start", 1.5, false},
  };
  for (const Row& row : rows) {
    json file = good;
    json& record = file["records"][3];
    if (row.value.is_null()) {
      record.erase(row.key);
    } else {
      record[row.key] = row.value;
    }
    SessionAudit store(500);
    store.begin(kPeer, {1, 2}, false, 1, 42);
    const Result<bool> loaded = LoadSessionAudit(file, store);
    EXPECT_EQ(loaded.ok(), row.loads) << row.key << " = " << row.value.dump();
    const std::size_t kept = store.read(0, 255).records.size();
    EXPECT_EQ(kept, row.loads ? ip::kMaxAuditRecords : 1U) << row.key;
  }
  SessionAudit store(500);
  EXPECT_FALSE(LoadSessionAudit(json{{"records", good["records"]}}, store));
  EXPECT_FALSE(LoadSessionAudit(json{{"lastSecurityChange", 1}, {"records", 3}}, store));
}

}  // namespace
}  // namespace zolin6::transport
