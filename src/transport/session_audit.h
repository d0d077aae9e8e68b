#pragma once
// The server's audit log: a record of each HART-IP session, the newest
// kCapacity kept, older ones falling off. The server says when a session
// begins, counts its requests and says how it ended; a read-audit-log
// request is answered from read(). Times are passed in (seconds since 1970),
// never read here. The records and the last security change outlive a
// restart through the state file (SaveSessionAudit / LoadSessionAudit).

#include <QHostAddress>

#include <cstddef>
#include <cstdint>
#include <deque>

#include <nlohmann/json_fwd.hpp>

#include "hart/hart_ip_audit.h"
#include "platform/result.h"

namespace zolin6::transport {

// The peer as a record holds it; an IPv4 peer as ::ffff:a.b.c.d.
hart::ip::PeerAddress PeerAddressOf(const QHostAddress& address);

struct SessionPorts {
  std::uint16_t peer = 0;
  std::uint16_t server = 0;
};

class SessionAudit {
 public:
  using Id = std::uint64_t;
  static constexpr std::size_t kCapacity = 64;

  explicit SessionAudit(std::uint64_t powerUpTime) : powerUpTime_(powerUpTime) {}

  // A new open record; the oldest falls off when kCapacity are kept.
  Id begin(const hart::ip::PeerAddress& peer, SessionPorts ports, bool secure, std::uint8_t version,
           std::uint64_t startTime);
  // Ids of records that fell off, or of sessions already ended, are let go.
  void countRequest(Id id, bool isWrite);
  // The first end counts: a session refused, then its connection dropped,
  // stays refused.
  void end(Id id, hart::ip::SessionEnd reason, std::uint64_t endTime);
  // Every open session, as the server stops.
  void endAll(hart::ip::SessionEnd reason, std::uint64_t endTime);

  // The answer to a read-audit-log request. `start` indexes the records kept
  // now, 0 the oldest: once records fall off, the same index names a newer
  // one, and a client paging through while sessions begin may see a record
  // twice; its start time tells. At most `count` records, and no more than
  // one message holds; none when `start` is past the newest.
  hart::ip::AuditLog read(std::uint8_t start, std::uint8_t count) const;

  void securityChanged(std::uint64_t time) { lastSecurityChange_ = time; }
  // audit_status bits; the server keeps them current.
  void setServerStatus(std::uint16_t bits) { serverStatus_ = bits; }

  // Records and the last security change; the power-up time and the status
  // belong to this run.
  friend nlohmann::json SaveSessionAudit(const SessionAudit& audit);
  // Into a store made at this power-up, before any session begins: what it
  // held is replaced. A record still open in the file was
  // left so by a run that stopped without saying: it is taken as stopped by
  // this power-up, the latest it can have ended. Of more than kCapacity
  // records the newest are kept. A file that is not an audit log leaves the
  // store as it was; the error names what is wrong.
  friend Result<bool> LoadSessionAudit(const nlohmann::json& file, SessionAudit& audit);

 private:
  struct Entry {
    Id id = 0;
    hart::ip::SessionRecord record;
  };
  Id add(const hart::ip::SessionRecord& record);
  hart::ip::SessionRecord* openRecord(Id id);

  std::uint64_t powerUpTime_ = 0;
  std::uint64_t lastSecurityChange_ = 0;
  std::uint16_t serverStatus_ = 0;
  std::deque<Entry> entries_;  // oldest first
  Id nextId_ = 1;
};

nlohmann::json SaveSessionAudit(const SessionAudit& audit);
Result<bool> LoadSessionAudit(const nlohmann::json& file, SessionAudit& audit);

}  // namespace zolin6::transport
