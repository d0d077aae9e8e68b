// The read-audit-log bodies on the wire: both layouts in hex, what a
// decoder refuses, and a newer server's longer records.

#include "hart/hart_ip_audit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex.h"

namespace zolin6::hart::ip {
namespace {

using testing::Hex;
using testing::ToHex;

// Two records: one closed by its client, one still open.
const std::string kHead = "00 02  00 00 00 00 65 53 C9 F0  00 00 00 00 65 44 AE C0  00 02  00 30";
const std::string kClosed =
    "00 00 00 00 00 00 00 00 00 00 FF FF C0 A8 01 14  C3 50  13 E6  00 00 00 00 65 53 F1 00"
    "  00 00 00 00 65 53 F3 58  00 01  00  01  00 00 00 0C  00 00 00 02";
const std::string kOpen =
    "20 01 0D B8 00 00 00 00 00 00 00 00 00 00 00 05  9C 40  13 E6  00 00 00 00 65 53 F4 84"
    "  00 00 00 00 00 00 00 00  00 00  01  02  00 00 00 03  00 00 00 00";

AuditLog TwoRecords() {
  AuditLog log;
  log.powerUpTime = 1699990000;
  log.lastSecurityChange = 1699000000;
  log.serverStatus = audit_status::kKeysNotConfigured;
  SessionRecord closed;
  closed.peer = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 192, 168, 1, 20};
  closed.peerPort = 50000;
  closed.serverPort = 5094;
  closed.startTime = 1700000000;
  closed.endTime = 1700000600;
  closed.endedBy = SessionEnd::ClosedByClient;
  closed.version = 1;
  closed.requests = 12;
  closed.writes = 2;
  SessionRecord open;
  open.peer = {0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
  open.peerPort = 40000;
  open.serverPort = 5094;
  open.startTime = 1700000900;
  open.secure = true;
  open.version = 2;
  open.requests = 3;
  log.records = {closed, open};
  return log;
}

void ExpectSameLog(const AuditLog& got, const AuditLog& want) {
  EXPECT_EQ(got.startRecord, want.startRecord);
  EXPECT_EQ(got.powerUpTime, want.powerUpTime);
  EXPECT_EQ(got.lastSecurityChange, want.lastSecurityChange);
  EXPECT_EQ(got.serverStatus, want.serverStatus);
  EXPECT_EQ(got.records, want.records);
}

TEST(HartIpAudit, ResponseLayoutBothWays) {
  const Bytes wire = Hex(kHead + kClosed + kOpen);
  ASSERT_EQ(wire.size(), kAuditLogHeadSize + 2 * kSessionRecordSize);
  const Result<Bytes> encoded = EncodeAuditLog(TwoRecords());
  ASSERT_TRUE(encoded) << encoded.error().message;
  EXPECT_EQ(ToHex(*encoded), ToHex(wire));
  const Result<AuditLog> decoded = DecodeAuditLog(wire);
  ASSERT_TRUE(decoded) << decoded.error().message;
  ExpectSameLog(*decoded, TwoRecords());
  // No records: the head alone.
  const Result<AuditLog> empty = DecodeAuditLog(Hex("07 00" + kHead.substr(5)));
  ASSERT_TRUE(empty) << empty.error().message;
  EXPECT_EQ(empty->startRecord, 7);
  EXPECT_TRUE(empty->records.empty());
}

TEST(HartIpAudit, LongerRecordsOfANewerServerAreSkippedPastOurFields) {
  std::string head = kHead;
  head.replace(head.size() - 2, 2, "32");  // 50-byte records
  const Result<AuditLog> decoded = DecodeAuditLog(Hex(head + kClosed + "AA BB" + kOpen + "CC DD"));
  ASSERT_TRUE(decoded) << decoded.error().message;
  ExpectSameLog(*decoded, TwoRecords());
}

TEST(HartIpAudit, RefusesWhatIsShortOrContradictsItself) {
  const Bytes good = Hex(kHead + kClosed + kOpen);
  constexpr std::size_t kB = kAuditLogHeadSize + kSessionRecordSize;  // the open record
  struct Row {
    std::size_t at;
    std::uint8_t value;
    const char* error;  // nullptr: still fine
  };
  const std::vector<Row> rows = {
      {1, 3, "record bytes"},
      {1, 1, "record bytes"},
      {21, 0x2F, "smaller than a session record"},
      {22 + 38, 2, "secure flag 2"},
      {22 + 38, 1, nullptr},
      {22 + 37, 0, "open session has an end time"},
      {kB + 37, 6, "ended session has no end time"},
      {22 + 47, 0x0D, "more writes than requests"},
      {22 + 47, 0x0C, nullptr},
      {kB + 39, 0, "version 0"},
  };
  for (const Row& row : rows) {
    Bytes body = good;
    body[row.at] = row.value;
    const Result<AuditLog> decoded = DecodeAuditLog(body);
    if (row.error == nullptr) {
      EXPECT_TRUE(decoded) << row.at << ": " << decoded.error().message;
    } else {
      ASSERT_FALSE(decoded) << row.at;
      EXPECT_NE(decoded.error().message.find(row.error), std::string::npos) << decoded.error().message;
    }
  }
  for (const std::size_t size : {good.size() - 1, kAuditLogHeadSize - 1}) {
    EXPECT_FALSE(DecodeAuditLog(ByteView(good).first(size))) << size;
  }
  Bytes longer = good;
  longer.push_back(0);
  EXPECT_FALSE(DecodeAuditLog(longer));
}

TEST(HartIpAudit, AsManyRecordsAsOneMessageHolds) {
  AuditLog log = TwoRecords();
  log.records.resize(kMaxAuditRecords, log.records[0]);
  const Result<Bytes> full = EncodeAuditLog(log);
  ASSERT_TRUE(full) << full.error().message;
  // The largest message holds these and not one more.
  EXPECT_LE(kHeaderSize + full->size(), kMaxMessageSize);
  EXPECT_GT(kHeaderSize + full->size() + kSessionRecordSize, kMaxMessageSize);
  log.records.push_back(log.records[0]);
  EXPECT_FALSE(EncodeAuditLog(log));
  log = TwoRecords();
  log.records[1].endTime = 1;  // open, yet with an end time
  EXPECT_FALSE(EncodeAuditLog(log));
}

}  // namespace
}  // namespace zolin6::hart::ip
