#include "hart/hart_ip_audit.h"

#include <algorithm>
#include <string>

#include "hart/encoding.h"

namespace zolin6::hart::ip {

namespace {

void AppendU64(Bytes& out, std::uint64_t value) {
  AppendUnsigned(out, static_cast<std::uint32_t>(value >> 32U), 4);
  AppendUnsigned(out, static_cast<std::uint32_t>(value & 0xFFFFFFFFU), 4);
}

std::uint64_t ReadU64(ByteView bytes) {
  return (std::uint64_t{ReadUnsigned(bytes, 4)} << 32U) | ReadUnsigned(bytes.subspan(4), 4);
}

void AppendRecord(Bytes& out, const SessionRecord& record) {
  out.insert(out.end(), record.peer.begin(), record.peer.end());
  AppendUnsigned(out, record.peerPort, 2);
  AppendUnsigned(out, record.serverPort, 2);
  AppendU64(out, record.startTime);
  AppendU64(out, record.endTime);
  AppendUnsigned(out, static_cast<std::uint16_t>(record.endedBy), 2);
  out.push_back(record.secure ? 1 : 0);
  out.push_back(record.version);
  AppendUnsigned(out, record.requests, 4);
  AppendUnsigned(out, record.writes, 4);
}

// The first kSessionRecordSize bytes of `bytes`; the caller has checked
// that there are that many.
Result<SessionRecord> ReadRecord(ByteView bytes) {
  SessionRecord record;
  std::copy_n(bytes.begin(), record.peer.size(), record.peer.begin());
  record.peerPort = static_cast<std::uint16_t>(ReadUnsigned(bytes.subspan(16), 2));
  record.serverPort = static_cast<std::uint16_t>(ReadUnsigned(bytes.subspan(18), 2));
  record.startTime = ReadU64(bytes.subspan(20));
  record.endTime = ReadU64(bytes.subspan(28));
  record.endedBy = static_cast<SessionEnd>(ReadUnsigned(bytes.subspan(36), 2));
  if (bytes[38] > 1) return Error{"secure flag " + std::to_string(bytes[38]) + " is neither 0 nor 1"};
  record.secure = bytes[38] == 1;
  record.version = bytes[39];
  record.requests = ReadUnsigned(bytes.subspan(40), 4);
  record.writes = ReadUnsigned(bytes.subspan(44), 4);
  if (const char* problem = RecordProblem(record)) return Error{problem};
  return record;
}

}  // namespace

const char* RecordProblem(const SessionRecord& record) {
  const bool open = record.endedBy == SessionEnd::Open;
  if (open && record.endTime != 0) return "an open session has an end time";
  if (!open && record.endTime == 0) return "an ended session has no end time";
  if (record.writes > record.requests) return "more writes than requests";
  if (record.version == 0) return "version 0 is no HART-IP version";
  return nullptr;
}

Bytes EncodeAuditLogRequest(const AuditLogRequest& request) { return {request.startRecord, request.count}; }

Result<AuditLogRequest> DecodeAuditLogRequest(ByteView body) {
  if (body.size() != kAuditLogRequestSize) {
    return Error{"an audit log request has 2 bytes, not " + std::to_string(body.size())};
  }
  return AuditLogRequest{body[0], body[1]};
}

Result<Bytes> EncodeAuditLog(const AuditLog& log) {
  if (log.records.size() > kMaxAuditRecords) {
    return Error{std::to_string(log.records.size()) + " records do not fit one message (at most " +
                 std::to_string(kMaxAuditRecords) + ")"};
  }
  Bytes out;
  out.reserve(kAuditLogHeadSize + log.records.size() * kSessionRecordSize);
  out.push_back(log.startRecord);
  out.push_back(static_cast<std::uint8_t>(log.records.size()));
  AppendU64(out, log.powerUpTime);
  AppendU64(out, log.lastSecurityChange);
  AppendUnsigned(out, log.serverStatus, 2);
  AppendUnsigned(out, kSessionRecordSize, 2);
  for (const SessionRecord& record : log.records) {
    if (const char* problem = RecordProblem(record)) return Error{problem};
    AppendRecord(out, record);
  }
  return out;
}

Result<AuditLog> DecodeAuditLog(ByteView body) {
  if (body.size() < kAuditLogHeadSize) {
    return Error{"an audit log has at least " + std::to_string(kAuditLogHeadSize) + " bytes, not " +
                 std::to_string(body.size())};
  }
  AuditLog log;
  log.startRecord = body[0];
  const std::size_t count = body[1];
  log.powerUpTime = ReadU64(body.subspan(2));
  log.lastSecurityChange = ReadU64(body.subspan(10));
  log.serverStatus = static_cast<std::uint16_t>(ReadUnsigned(body.subspan(18), 2));
  const std::size_t recordSize = ReadUnsigned(body.subspan(20), 2);
  if (recordSize < kSessionRecordSize) {
    return Error{"record size " + std::to_string(recordSize) + " is smaller than a session record (" +
                 std::to_string(kSessionRecordSize) + ")"};
  }
  const ByteView records = body.subspan(kAuditLogHeadSize);
  if (records.size() != count * recordSize) {
    return Error{std::to_string(records.size()) + " record bytes where " + std::to_string(count) + " records of " +
                 std::to_string(recordSize) + " need " + std::to_string(count * recordSize)};
  }
  for (std::size_t i = 0; i < count; ++i) {
    Result<SessionRecord> record = ReadRecord(records.subspan(i * recordSize, recordSize));
    if (!record) return Error{"record " + std::to_string(i) + ": " + record.error().message};
    log.records.push_back(std::move(record).value());
  }
  return log;
}

}  // namespace zolin6::hart::ip
