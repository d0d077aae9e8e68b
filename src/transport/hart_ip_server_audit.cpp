// The HART-IP server's audit log: who opened a session, how much it asked
// and changed, and how it ended.

#include <algorithm>

#include "device/command_table.h"
#include "hart/frame.h"
#include "hart/hart_ip_direct.h"
#include "transport/hart_ip_server.h"
#include "transport/hart_ip_server_session.h"

namespace zolin6::transport {

namespace ip = hart::ip;

namespace {

// Whatever the device's own table does not hold as a read changes the device.
bool Writes(std::uint16_t command) {
  const device::CommandRow* row = device::FindCommandRow(command);
  return row != nullptr && row->access != device::Access::Read;
}

// A request that carries a command which changes the device, whether the
// device took it or not.
bool CarriesWrite(const ip::Message& request) {
  if (request.header.id == ip::MessageId::PassThrough) {
    const hart::DecodeResult decoded = hart::DecodeFrame(request.body);
    return decoded && decoded.frame.type == hart::FrameType::Request && Writes(decoded.frame.command);
  }
  if (request.header.id == ip::MessageId::DirectPdu) {
    const Result<ip::DirectPdu> pdu = ip::DecodeDirectRequest(request.body);
    return pdu && std::ranges::any_of(pdu->commands, [](const ip::DirectCommand& c) { return Writes(c.command); });
  }
  return false;
}

}  // namespace

void HartIpServer::audited(std::optional<SessionAudit::Id>& record, const ServerSession& session,
                           const ip::Message& request, const ServerAnswer& answer, const Destination& from) {
  const bool opening = request.header.id == ip::MessageId::SessionInitiate &&
                       (session.initiated() || answer.endedBy == ip::SessionEnd::Refused);
  if (!record && opening) {
    const bool tcp = !from.socket.isNull();
    const QHostAddress peer = tcp ? from.socket->peerAddress() : from.address;
    const std::uint16_t peerPort = tcp ? from.socket->peerPort() : from.port;
    record = audit_.begin(PeerAddressOf(peer), {peerPort, port_}, session.secure(), session.version(), wall_());
  }
  if (record) audit_.countRequest(*record, CarriesWrite(request));
}

void HartIpServer::auditEnd(const std::optional<SessionAudit::Id>& record, ip::SessionEnd reason) {
  if (record) audit_.end(*record, reason, wall_());
}

void HartIpServer::auditHandshakeRefusal() {
  handshakeRefused_ = true;
  updateAuditStatus();
}

void HartIpServer::updateAuditStatus() {
  std::uint16_t bits = 0;
  if (!secure_) bits |= ip::audit_status::kKeysNotConfigured;
  if (handshakeRefused_) bits |= ip::audit_status::kHandshakeRefusals;
  audit_.setServerStatus(bits);
}

}  // namespace zolin6::transport
