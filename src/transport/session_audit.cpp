#include "transport/session_audit.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <string>

#include <nlohmann/json.hpp>

namespace zolin6::transport {

namespace {

using hart::ip::SessionEnd;
using hart::ip::SessionRecord;
using nlohmann::json;

// 0 on the wire means "still open", so an end is never stamped 0.
std::uint64_t EndStamp(std::uint64_t time) { return std::max<std::uint64_t>(time, 1); }

void CountUp(std::uint32_t& counter) {
  if (counter < std::numeric_limits<std::uint32_t>::max()) ++counter;
}

// A whole number from 0 to `max` under `key` of `object`.
Result<std::uint64_t> Whole(const json& object, const char* key, std::uint64_t max) {
  const std::string name = key;
  if (!object.contains(key)) return Error{"the key " + name + " is missing"};
  const json& value = object.at(key);
  if (!value.is_number_integer()) return Error{name + " is not a whole number"};
  if (!value.is_number_unsigned() && value.get<std::int64_t>() < 0) return Error{name + " is negative"};
  const auto whole = value.get<std::uint64_t>();
  if (whole > max) return Error{name + " is larger than " + std::to_string(max)};
  return whole;
}

json RecordToJson(const SessionRecord& record) {
  Q_IPV6ADDR bytes{};
  std::copy(record.peer.begin(), record.peer.end(), std::begin(bytes.c));
  return {{"peer", QHostAddress(bytes).toString().toStdString()},
          {"peerPort", record.peerPort},
          {"serverPort", record.serverPort},
          {"start", record.startTime},
          {"end", record.endTime},
          {"endedBy", static_cast<std::uint16_t>(record.endedBy)},
          {"secure", record.secure},
          {"version", record.version},
          {"requests", record.requests},
          {"writes", record.writes}};
}

Result<SessionRecord> RecordFromJson(const json& item) {
  if (!item.is_object()) return Error{"a record is not an object"};
  if (!item.contains("peer") || !item.at("peer").is_string()) return Error{"peer is not a text"};
  QHostAddress address;
  if (!address.setAddress(QString::fromStdString(item.at("peer").get<std::string>()))) {
    return Error{"peer is not an IP address"};
  }
  if (!item.contains("secure") || !item.at("secure").is_boolean()) return Error{"secure is not true or false"};
  constexpr std::uint64_t kU8 = 0xFF;
  constexpr std::uint64_t kU16 = 0xFFFF;
  constexpr std::uint64_t kU32 = 0xFFFFFFFF;
  constexpr std::uint64_t kU64 = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t values[8] = {};
  const std::pair<const char*, std::uint64_t> fields[8] = {{"peerPort", kU16}, {"serverPort", kU16}, {"start", kU64},
                                                           {"end", kU64},      {"endedBy", kU16},    {"version", kU8},
                                                           {"requests", kU32}, {"writes", kU32}};
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    Result<std::uint64_t> value = Whole(item, fields[i].first, fields[i].second);
    if (!value) return value.error();
    values[i] = *value;
  }
  SessionRecord record;
  record.peer = PeerAddressOf(address);
  record.peerPort = static_cast<std::uint16_t>(values[0]);
  record.serverPort = static_cast<std::uint16_t>(values[1]);
  record.startTime = values[2];
  record.endTime = values[3];
  record.endedBy = static_cast<SessionEnd>(values[4]);
  record.secure = item.at("secure").get<bool>();
  record.version = static_cast<std::uint8_t>(values[5]);
  record.requests = static_cast<std::uint32_t>(values[6]);
  record.writes = static_cast<std::uint32_t>(values[7]);
  if (const char* problem = hart::ip::RecordProblem(record)) return Error{problem};
  return record;
}

}  // namespace

hart::ip::PeerAddress PeerAddressOf(const QHostAddress& address) {
  const Q_IPV6ADDR bytes = address.toIPv6Address();
  hart::ip::PeerAddress peer{};
  std::copy(std::begin(bytes.c), std::end(bytes.c), peer.begin());
  return peer;
}

SessionAudit::Id SessionAudit::add(const SessionRecord& record) {
  if (entries_.size() == kCapacity) entries_.pop_front();
  entries_.push_back({nextId_, record});
  return nextId_++;
}

SessionRecord* SessionAudit::openRecord(Id id) {
  for (Entry& entry : entries_) {
    if (entry.id == id) return entry.record.endedBy == SessionEnd::Open ? &entry.record : nullptr;
  }
  return nullptr;
}

SessionAudit::Id SessionAudit::begin(const hart::ip::PeerAddress& peer, SessionPorts ports, bool secure,
                                     std::uint8_t version, std::uint64_t startTime) {
  SessionRecord record;
  record.peer = peer;
  record.peerPort = ports.peer;
  record.serverPort = ports.server;
  record.startTime = startTime;
  record.secure = secure;
  record.version = version;
  return add(record);
}

void SessionAudit::countRequest(Id id, bool isWrite) {
  SessionRecord* record = openRecord(id);
  if (record == nullptr) return;
  CountUp(record->requests);
  if (isWrite) CountUp(record->writes);
}

void SessionAudit::end(Id id, SessionEnd reason, std::uint64_t endTime) {
  SessionRecord* record = openRecord(id);
  if (record == nullptr || reason == SessionEnd::Open) return;
  record->endedBy = reason;
  record->endTime = EndStamp(endTime);
}

void SessionAudit::endAll(SessionEnd reason, std::uint64_t endTime) {
  for (const Entry& entry : entries_) end(entry.id, reason, endTime);
}

hart::ip::AuditLog SessionAudit::read(std::uint8_t start, std::uint8_t count) const {
  hart::ip::AuditLog log;
  log.startRecord = start;
  log.powerUpTime = powerUpTime_;
  log.lastSecurityChange = lastSecurityChange_;
  log.serverStatus = serverStatus_;
  if (start >= entries_.size()) return log;
  const std::size_t n = std::min({std::size_t{count}, entries_.size() - start, hart::ip::kMaxAuditRecords});
  const auto first = entries_.begin() + start;
  for (auto it = first; it != first + static_cast<std::ptrdiff_t>(n); ++it) log.records.push_back(it->record);
  return log;
}

json SaveSessionAudit(const SessionAudit& audit) {
  json records = json::array();
  for (const SessionAudit::Entry& entry : audit.entries_) records.push_back(RecordToJson(entry.record));
  return {{"lastSecurityChange", audit.lastSecurityChange_}, {"records", records}};
}

Result<bool> LoadSessionAudit(const json& file, SessionAudit& audit) {
  const std::string refused = "not an audit log: ";
  if (!file.is_object()) return Error{refused + "not an object"};
  const Result<std::uint64_t> securityChange =
      Whole(file, "lastSecurityChange", std::numeric_limits<std::uint64_t>::max());
  if (!securityChange) return Error{refused + securityChange.error().message};
  if (!file.contains("records") || !file.at("records").is_array()) return Error{refused + "records is not a list"};
  const json& items = file.at("records");
  std::deque<SessionAudit::Entry> entries;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Result<SessionRecord> record = RecordFromJson(items[i]);
    if (!record) return Error{refused + "record " + std::to_string(i) + ": " + record.error().message};
    entries.push_back({0, std::move(record).value()});
    if (entries.size() > SessionAudit::kCapacity) entries.pop_front();
  }
  for (SessionAudit::Entry& entry : entries) {
    entry.id = audit.nextId_++;
    if (entry.record.endedBy != SessionEnd::Open) continue;
    entry.record.endedBy = SessionEnd::ServerStopped;
    entry.record.endTime = EndStamp(audit.powerUpTime_);
  }
  audit.entries_ = std::move(entries);
  audit.lastSecurityChange_ = *securityChange;
  return true;
}

}  // namespace zolin6::transport
