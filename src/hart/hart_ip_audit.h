#pragma once
// The audit log a version-2 server keeps of its sessions, and the bodies of
// the message that reads it (ID 5). All fields big-endian; times are seconds
// since 1970.
//
// Request: start record (u8), number of records (u8).
// Response: start record (u8), number of records returned (u8), power-up
// time (u64), last security change (u64), server status (u16), record size
// (u16), then that many records of that size. A record's first 48 bytes are
// laid out as below; a larger record size is a newer server's and the bytes
// past those are skipped.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "hart/bytes.h"
#include "hart/hart_ip.h"
#include "platform/result.h"

namespace zolin6::hart::ip {

// The peer as 16 bytes; an IPv4 peer as ::ffff:a.b.c.d.
using PeerAddress = std::array<std::uint8_t, 16>;

// How a session ended, as its record tells it. Values a newer server adds
// decode as they are.
enum class SessionEnd : std::uint16_t {
  Open = 0,              // still running: the end time is 0
  ClosedByClient = 1,    // the client's session close
  InactivityTimer = 2,   // nothing heard for the granted time
  MalformedMessage = 3,  // a request that broke the rules
  HandshakeFailed = 4,   // the secure handshake did not complete
  Refused = 5,           // the initiate was refused (no free session, wrong master ...)
  ServerStopped = 6,     // the server stopped with the session open
  ConnectionLost = 7,    // the client's connection went away without a close
};

// Bits of the server status.
namespace audit_status {
inline constexpr std::uint16_t kHandshakeRefusals = 0x0001;  // a session was refused for failed handshakes
inline constexpr std::uint16_t kKeysNotConfigured = 0x0002;  // no keys for secure sessions yet
}  // namespace audit_status

struct SessionRecord {
  PeerAddress peer{};
  std::uint16_t peerPort = 0;
  std::uint16_t serverPort = 0;
  std::uint64_t startTime = 0;
  std::uint64_t endTime = 0;  // 0 while open
  SessionEnd endedBy = SessionEnd::Open;
  bool secure = false;
  std::uint8_t version = kVersion;
  std::uint32_t requests = 0;
  std::uint32_t writes = 0;  // requests whose command writes
  friend bool operator==(const SessionRecord&, const SessionRecord&) = default;
};

struct AuditLogRequest {
  std::uint8_t startRecord = 0;
  std::uint8_t count = 0;
};

struct AuditLog {
  std::uint8_t startRecord = 0;  // as asked
  std::uint64_t powerUpTime = 0;
  std::uint64_t lastSecurityChange = 0;
  std::uint16_t serverStatus = 0;  // audit_status bits
  std::vector<SessionRecord> records;
};

inline constexpr std::size_t kAuditLogRequestSize = 2;
inline constexpr std::size_t kAuditLogHeadSize = 22;   // the response before its records
inline constexpr std::size_t kSessionRecordSize = 48;  // the record we write
// What one response can carry within the largest message.
inline constexpr std::size_t kMaxAuditRecords =
    (kMaxMessageSize - kHeaderSize - kAuditLogHeadSize) / kSessionRecordSize;

Bytes EncodeAuditLogRequest(const AuditLogRequest& request);
// Fails unless the body is exactly two bytes.
Result<AuditLogRequest> DecodeAuditLogRequest(ByteView body);

// Fails for more than kMaxAuditRecords records or a record that
// RecordProblem refuses.
Result<Bytes> EncodeAuditLog(const AuditLog& log);
// Fails for a body cut short or longer than its records, a record size
// below ours, a secure flag other than 0 or 1, or a record RecordProblem
// refuses; the error names what is wrong.
Result<AuditLog> DecodeAuditLog(ByteView body);

// What makes a record contradict itself (open with an end time, ended
// without one, more writes than requests, version 0), or nullptr.
const char* RecordProblem(const SessionRecord& record);

}  // namespace zolin6::hart::ip
