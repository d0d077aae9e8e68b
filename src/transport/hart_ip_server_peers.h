#pragma once
// The HART-IP server's sessions as it keeps them: a TCP connection's or a
// UDP client's session with its inactivity timer, and for a secure
// session the state of its TLS. Shared by the server's TCP and UDP halves.

#include <QDtls>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

#include "hart/hart_ip.h"
#include "transport/hart_ip_server.h"
#include "transport/hart_ip_server_session.h"
#include "transport/session_audit.h"

namespace zolin6::transport {

namespace ip = hart::ip;

// A session's inactivity timer. A coarse timer may fire a little early, so
// the time really passed is checked when it fires. It may end the session
// from its own timeout, so it is deleted later rather than inside its signal.
struct HartIpServer::Quiet {
  explicit Quiet(QObject* owner) : timer(new QTimer(owner)) {
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
  }
  ~Quiet() {
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
  }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;
  QTimer* timer;
  toolkit::Millis since = 0;  // the session's last message, on the device's time
  // TLS is being agreed: the session has as long as a client waits for
  // that, not its own timer, and one that ends now failed its handshake.
  bool securing = false;
};

struct HartIpServer::TcpPeer {
  TcpPeer(device::ServedDevice& device, ip::Security security, const SessionAudit* audit, QObject* owner)
      : session(device, security, audit), quiet(owner) {}
  ip::StreamAssembler assembler;
  ServerSession session;
  Quiet quiet;
  std::optional<SessionAudit::Id> record;  // in the audit log
  std::string address;                     // the client's, for the handshake guard
};

struct HartIpServer::UdpPeer {
  UdpPeer(device::ServedDevice& device, ip::Security security, const SessionAudit* audit, QObject* owner)
      : session(device, security, audit), quiet(owner) {}
  ServerSession session;
  Quiet quiet;
  std::optional<SessionAudit::Id> record;  // in the audit log
  // A secure session's DTLS, from the initiate's answer on; the client's
  // hello is checked for its cookie first, so a forged address gets no
  // handshake sent to it.
  std::unique_ptr<QDtls> dtls;
  bool helloVerified = false;
};

}  // namespace zolin6::transport
