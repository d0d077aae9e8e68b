#pragma once
// One HART device, or an I/O system with devices behind it, served over
// HART-IP, on TCP and UDP at the same port: several sessions at once (a TCP
// connection each, UDP sessions by the client's address and port), all
// sharing the one device. A session that stays quiet past its inactivity
// timer, or sends a malformed message, is
// closed; the others carry on. Every answer is on its way before the
// connection it goes on closes. A bad line can be put in front of the
// device on purpose (setLineFaults). When the device bursts, each frame it
// publishes goes to every session that subscribed (command 533) as a
// publish message. Given keys (useKeys), it grants secure sessions
// (version 2): TLS (TCP) or DTLS (UDP) with a pre-shared key after the
// initiate. It keeps an audit log of its sessions, which secure sessions
// read (ID 5).

#include <QDeadlineTimer>
#include <QDtlsClientVerifier>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "device/burst_publisher.h"
#include "device/hart_device.h"
#include "device/line_faults.h"
#include "hart/hart_ip.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"
#include "transport/handshake_guard.h"
#include "transport/psk_keys.h"
#include "transport/session_audit.h"

namespace zolin6::transport {

class ServerSession;
struct ServerAnswer;

// Gateways keep a handful; a few more lets tests and tools share one device.
inline constexpr int kMaxServerSessions = 16;
// TCP connections open at once, initiated or not; a further one is closed
// at once, so a flood of connections cannot use up the program's files.
inline constexpr std::size_t kMaxConnections = 64;
// Answers waiting for a client that does not read them: past this the
// client is dropped rather than held in memory (a reading client has at
// most a message or two waiting).
inline constexpr qint64 kMaxQueuedBytes = qint64{64} * 1024;
// How long a closing connection may take to hand over its last answers.
inline constexpr int kCloseGraceMs = 2000;

class HartIpServer : public QObject {
  Q_OBJECT

 public:
  // The device's time, ms; by default the time since the server was made.
  using TimeSource = std::function<toolkit::Millis()>;
  // The wall clock, seconds since 1970, for the audit log; by default the system's.
  using WallTime = std::function<std::uint64_t()>;

  explicit HartIpServer(device::ServedDevice& device, TimeSource now = {}, WallTime wall = {},
                        QObject* parent = nullptr);
  ~HartIpServer() override;

  // Listens on TCP and UDP at `port` of `address`; port 0 takes a free one
  // for both. The port listened on, or why not.
  Result<std::uint16_t> listen(const QHostAddress& address, std::uint16_t port);
  void close();
  std::uint16_t port() const { return port_; }
  // Sessions open now, TCP and UDP, initiated or not.
  int sessionCount() const;
  // Who hears why sessions end (for a log); empty hears nothing.
  void onSessionEnd(std::function<void(const std::string&)> listener) { sessionEnd_ = std::move(listener); }
  // The device's HART replies (not the HART-IP messages around them) are
  // dropped, damaged and delayed as `rates` say, from now on.
  void setLineFaults(const device::FaultRates& rates) { faults_.emplace(rates); }
  // Grants secure sessions with `keys` from now on, TLS on TCP and DTLS on
  // UDP; `required`: refuses sessions in plain text. Fails where TLS with
  // pre-shared keys cannot be had.
  Result<bool> useKeys(PskKeys keys, bool required);
  // The audit log, powered up when the server was made; to load and save it.
  SessionAudit& audit() { return audit_; }

 private:
  struct TcpPeer;
  struct UdpPeer;
  struct Quiet;
  using UdpKey = std::pair<QString, std::uint16_t>;
  // Where an answer goes: a TCP connection, or a UDP client's address and port.
  struct Destination {
    QPointer<QTcpSocket> socket;  // null for UDP
    QHostAddress address;
    std::uint16_t port = 0;
  };
  // An answer the bad line holds back until `due`.
  struct Held {
    QDeadlineTimer due;
    Destination to;
    QByteArray bytes;
  };

  // The TCP server: connections that can turn to TLS once they are secure.
  class Listener : public QTcpServer {
   public:
    bool tls = false;

   protected:
    void incomingConnection(qintptr descriptor) override;
  };
  struct Secure {
    PskKeys keys;
    QSslConfiguration tls;
    std::optional<QSslConfiguration> datagrams;  // DTLS, where Qt has it
    bool required = false;
  };

  hart::ip::Security security(bool tcp) const;
  void acceptConnections();
  // TLS on `socket` after the secure session's initiate was answered.
  void startTls(QTcpSocket* socket);
  void readTcp(QTcpSocket* socket);
  void writeTcp(QTcpSocket* socket, const QByteArray& bytes);
  void endTcp(QTcpSocket* socket, const std::string& why,
              hart::ip::SessionEnd reason = hart::ip::SessionEnd::MalformedMessage);
  void readDatagrams();
  void handleDatagram(const QHostAddress& sender, std::uint16_t senderPort, const QByteArray& bytes);
  void handleMessage(const UdpKey& key, const QByteArray& bytes);
  void startDtls(UdpPeer& peer, const QHostAddress& sender, std::uint16_t senderPort);
  void handleSecureDatagram(const UdpKey& key, UdpPeer& peer, const QByteArray& bytes);
  void endUdp(const UdpKey& key, const std::string& why,
              hart::ip::SessionEnd reason = hart::ip::SessionEnd::MalformedMessage);
  // In plain text, or through the session's DTLS once it is up.
  void sendDatagram(const QHostAddress& address, std::uint16_t port, const QByteArray& bytes);
  // How long the session may stay quiet: its timer, or while TLS is being
  // agreed as long as a client waits for that.
  static toolkit::Millis quietLimit(const Quiet& quiet, const ServerSession& session);
  // The audit log's side (hart_ip_server_audit.cpp). A record begins with
  // the initiate that opens or is refused a session, and counts each request
  // from then on.
  void audited(std::optional<SessionAudit::Id>& record, const ServerSession& session, const hart::ip::Message& request,
               const ServerAnswer& answer, const Destination& from);
  void auditEnd(const std::optional<SessionAudit::Id>& record, hart::ip::SessionEnd reason);
  void auditHandshakeRefusal();
  void updateAuditStatus();
  void heard(Quiet& quiet, const ServerSession& session);
  // Whether the session has been quiet for its whole timer; if not, its
  // timer is set again for the rest.
  bool quietTooLong(Quiet& quiet, const ServerSession& session);
  // Sends the answer through the line's faults: now, later or never.
  void sendAnswer(const Destination& to, const ServerAnswer& answer);
  void deliver(const Destination& to, const QByteArray& bytes);
  void releaseHeld();
  // No further session may be initiated.
  bool full() const;
  void ended(const std::string& why);
  // Publishes what is due to the subscribed sessions, then waits for the
  // next frame's time.
  void publishDue();

  device::ServedDevice& device_;
  TimeSource now_;
  WallTime wall_;
  SessionAudit audit_;
  bool handshakeRefused_ = false;  // since power-up, for the audit log's status
  Listener tcp_;
  QUdpSocket udp_;
  std::uint16_t port_ = 0;
  std::map<QTcpSocket*, std::unique_ptr<TcpPeer>> tcpPeers_;
  std::map<UdpKey, std::unique_ptr<UdpPeer>> udpPeers_;
  std::optional<device::LineFaults> faults_;
  std::deque<Held> held_;  // in the order they fall due: the delay is the same for every answer
  QTimer heldTimer_;
  std::function<void(const std::string&)> sessionEnd_;
  std::optional<Secure> secure_;
  HandshakeGuard handshakes_;
  std::unique_ptr<QDtlsClientVerifier> verifier_;    // a secure server's, for the DTLS hello's cookie
  std::optional<device::BurstPublisher> publisher_;  // none where nothing bursts
  QTimer burstTimer_;  // the next burst frame; at once after a request, which may have changed them
};

}  // namespace zolin6::transport
