#include "audit_command.h"

#include <QDateTime>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimeZone>
#include <QTimer>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "hart/hart_ip_audit.h"
#include "transport/hart_ip_client.h"
#include "transport/open_link.h"

namespace zolin6::app {

namespace {

namespace ip = hart::ip;

// As long as a session takes to open and a gateway to answer.
constexpr int kWaitMs = 10000;
constexpr int kLookMs = 10;

// Runs the event loop until `done` or the wait is over; whether done.
bool WaitFor(const std::function<bool()>& done) {
  if (done()) return true;
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  limit.start(kWaitMs);
  look.start(kLookMs);
  loop.exec();
  return done();
}

const char* Words(ip::SessionEnd end) {
  switch (end) {
    case ip::SessionEnd::Open: return "open";
    case ip::SessionEnd::ClosedByClient: return "closed by the client";
    case ip::SessionEnd::InactivityTimer: return "inactivity timer ran out";
    case ip::SessionEnd::MalformedMessage: return "ended for a malformed message";
    case ip::SessionEnd::HandshakeFailed: return "handshake failed";
    case ip::SessionEnd::Refused: return "refused";
    case ip::SessionEnd::ServerStopped: return "device stopped";
    case ip::SessionEnd::ConnectionLost: return "connection lost";
  }
  return "ended (unknown reason)";
}

std::string Time(std::uint64_t secondsSince1970) {
  if (secondsSince1970 == 0) return "-";
  return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secondsSince1970), QTimeZone::utc())
      .toString(Qt::ISODate)
      .toStdString();
}

// An IPv4 peer comes as an IPv4-mapped IPv6 address.
std::string Peer(const ip::PeerAddress& address, std::uint16_t port) {
  Q_IPV6ADDR bytes;
  std::memcpy(bytes.c, address.data(), address.size());
  QHostAddress peer(bytes);
  bool v4 = false;
  const quint32 asV4 = peer.toIPv4Address(&v4);
  if (v4) peer = QHostAddress(asV4);
  return peer.toString().toStdString() + ":" + std::to_string(port);
}

void Print(const ip::AuditLog& head, const std::vector<ip::SessionRecord>& records, std::ostream& out) {
  out << "powered up " << Time(head.powerUpTime) << ", security last changed " << Time(head.lastSecurityChange)
      << ", status " << head.serverStatus << ", " << records.size() << " sessions\n";
  for (const ip::SessionRecord& record : records) {
    out << Time(record.startTime) << "  " << Time(record.endTime) << "  " << Peer(record.peer, record.peerPort)
        << " to port " << record.serverPort << "  version " << int{record.version}
        << (record.secure ? " secure" : " plain") << "  " << record.requests << " requests, " << record.writes
        << " writes  " << Words(record.endedBy) << '\n';
  }
}

}  // namespace

int ShowAuditLog(const transport::ConnectionTarget& target, std::ostream& out, std::ostream& err) {
  const auto fail = [&err](const std::string& why) {
    err << "zolin6: " << why << std::endl;
    return 2;
  };
  if (target.kind != transport::ConnectionTarget::Kind::HartIp || !target.secure) {
    return fail("--audit-log reads a secure HART-IP device: connect to hart-ip://HOST[:PORT]?v2 with --psk-file");
  }
  Result<transport::HartIpEndpoint> endpoint = transport::HartIpEndpointOf(target);
  if (!endpoint) return fail(endpoint.error().message);
  toolkit::Clock clock;
  transport::HartIpClient client(clock, *endpoint);
  std::string said;
  client.OnStateChange([&said](transport::HartIpClient::State, const std::string& reason) { said = reason; });
  client.Open();
  WaitFor([&] { return client.state() != transport::HartIpClient::State::Connecting; });
  if (client.state() != transport::HartIpClient::State::Connected) {
    return fail(target.describe() + ": " + (said.empty() ? "no answer" : said));
  }
  ip::AuditLog head;
  std::vector<ip::SessionRecord> records;
  // A page at a time, as many records as a message holds, until one comes short.
  for (std::size_t start = 0; start <= UINT8_MAX;) {
    std::optional<std::optional<hart::Bytes>> answer;
    const bool asked = client.Ask(ip::MessageId::ReadAuditLog,
                                  ip::EncodeAuditLogRequest({static_cast<std::uint8_t>(start), ip::kMaxAuditRecords}),
                                  [&answer](std::optional<hart::Bytes> body) { answer = std::move(body); });
    if (!asked || !WaitFor([&] { return answer.has_value(); }) || !*answer) {
      return fail(target.describe() + ": the device did not answer the read of its audit log");
    }
    Result<ip::AuditLog> page = ip::DecodeAuditLog(**answer);
    if (!page) return fail(target.describe() + ": the audit log does not read: " + page.error().message);
    head = *page;
    records.insert(records.end(), page->records.begin(), page->records.end());
    if (page->records.size() < ip::kMaxAuditRecords) break;
    start += page->records.size();
  }
  client.Close();
  Print(head, records, out);
  return 0;
}

}  // namespace zolin6::app
