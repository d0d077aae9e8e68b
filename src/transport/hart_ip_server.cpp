#include "transport/hart_ip_server.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <vector>

#include "hart/hart_ip_session.h"
#include "transport/hart_ip_server_peers.h"
#include "transport/hart_ip_server_session.h"
#include "transport/tls_psk.h"

namespace zolin6::transport {

namespace ip = hart::ip;
using hart::ip::SessionEnd;

namespace {

// Tries at a free port for both protocols when port 0 was asked: the one TCP
// picks may be taken for UDP.
constexpr int kPortTries = 20;

hart::ByteView View(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

std::uint64_t SecondsSince1970() { return static_cast<std::uint64_t>(QDateTime::currentSecsSinceEpoch()); }

QByteArray ToQt(const hart::Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// Hands over what was written, then closes; a client that does not take it
// within the grace is cut off. The socket deletes itself either way.
void CloseAfterWriting(QTcpSocket* socket) {
  QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
  auto* grace = new QTimer(socket);
  grace->setSingleShot(true);
  QObject::connect(grace, &QTimer::timeout, socket, [socket] {
    socket->abort();
    socket->deleteLater();
  });
  grace->start(kCloseGraceMs);
  socket->disconnectFromHost();
  if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
}

}  // namespace

void HartIpServer::Listener::incomingConnection(qintptr descriptor) {
  if (!tls) return QTcpServer::incomingConnection(descriptor);
  // In plain text until the secure session's initiate is answered.
  auto* socket = new QSslSocket(this);
  if (!socket->setSocketDescriptor(descriptor)) {
    delete socket;
    return;
  }
  addPendingConnection(socket);
}

HartIpServer::HartIpServer(device::ServedDevice& device, TimeSource now, WallTime wall, QObject* parent)
    : QObject(parent),
      device_(device),
      now_(std::move(now)),
      wall_(wall ? std::move(wall) : WallTime(SecondsSince1970)),
      audit_(wall_()),
      publisher_(device.burstSource() != nullptr
                     ? std::optional<device::BurstPublisher>(std::in_place, *device.burstSource())
                     : std::nullopt) {
  updateAuditStatus();
  if (!now_) {
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    now_ = [since] { return toolkit::Millis{since->elapsed()}; };
  }
  connect(&tcp_, &QTcpServer::newConnection, this, &HartIpServer::acceptConnections);
  connect(&udp_, &QUdpSocket::readyRead, this, &HartIpServer::readDatagrams);
  heldTimer_.setSingleShot(true);
  heldTimer_.setTimerType(Qt::PreciseTimer);
  connect(&heldTimer_, &QTimer::timeout, this, &HartIpServer::releaseHeld);
  burstTimer_.setSingleShot(true);
  burstTimer_.setTimerType(Qt::PreciseTimer);
  connect(&burstTimer_, &QTimer::timeout, this, &HartIpServer::publishDue);
}

HartIpServer::~HartIpServer() { close(); }

Result<std::uint16_t> HartIpServer::listen(const QHostAddress& address, std::uint16_t port) {
  close();
  const int tries = port == 0 ? kPortTries : 1;
  QString why;
  for (int attempt = 0; attempt < tries; ++attempt) {
    if (!tcp_.listen(address, port))
      return Error{"cannot listen on TCP port " + std::to_string(port) + " of " + address.toString().toStdString() +
                   ": " + tcp_.errorString().toStdString()};
    if (udp_.bind(address, tcp_.serverPort())) {
      port_ = tcp_.serverPort();
      burstTimer_.start(0);  // a device that bursts from its state file
      return port_;
    }
    why = udp_.errorString();
    tcp_.close();
  }
  return Error{"cannot bind UDP port " + std::to_string(port) + " of " + address.toString().toStdString() + ": " +
               why.toStdString()};
}

void HartIpServer::close() {
  tcp_.close();
  udp_.close();
  audit_.endAll(SessionEnd::ServerStopped, wall_());
  for (auto& [socket, peer] : tcpPeers_) {
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
  }
  tcpPeers_.clear();
  udpPeers_.clear();
  held_.clear();
  heldTimer_.stop();
  burstTimer_.stop();
  port_ = 0;
}

Result<bool> HartIpServer::useKeys(PskKeys keys, bool required) {
  Result<QSslConfiguration> tls = PskTlsConfiguration(Transport::Stream);
  if (!tls) return tls.error();
  if (keys.empty()) return Error{"no key to accept secure sessions with"};
  Result<QSslConfiguration> dtls = PskTlsConfiguration(Transport::Datagrams);
  secure_ = Secure{std::move(keys), *tls, dtls ? std::optional(*dtls) : std::nullopt, required};
  verifier_ = std::make_unique<QDtlsClientVerifier>();
  tcp_.tls = true;
  updateAuditStatus();
  return true;
}

ip::Security HartIpServer::security(bool tcp) const {
  if (!secure_) return ip::Security::PlainOnly;
  if (!tcp && !secure_->datagrams) return secure_->required ? ip::Security::Unavailable : ip::Security::PlainOnly;
  return secure_->required ? ip::Security::Required : ip::Security::Offered;
}

int HartIpServer::sessionCount() const { return static_cast<int>(tcpPeers_.size() + udpPeers_.size()); }

bool HartIpServer::full() const {
  int initiated = 0;
  for (const auto& [socket, peer] : tcpPeers_) initiated += peer->session.initiated() ? 1 : 0;
  for (const auto& [key, peer] : udpPeers_) initiated += peer->session.initiated() ? 1 : 0;
  return initiated >= kMaxServerSessions;
}

void HartIpServer::ended(const std::string& why) {
  if (sessionEnd_) sessionEnd_(why);
}

toolkit::Millis HartIpServer::quietLimit(const Quiet& quiet, const ServerSession& session) {
  return quiet.securing ? ip::kSecuringTimeout.count() : toolkit::Millis{session.inactivityMs()};
}

void HartIpServer::heard(Quiet& quiet, const ServerSession& session) {
  quiet.since = now_();
  quiet.timer->start(static_cast<int>(quietLimit(quiet, session)));
}

bool HartIpServer::quietTooLong(Quiet& quiet, const ServerSession& session) {
  const toolkit::Millis limit = quietLimit(quiet, session);
  const toolkit::Millis quietFor = now_() - quiet.since;
  if (quietFor >= limit) return true;
  quiet.timer->start(static_cast<int>(limit - quietFor));
  return false;
}

void HartIpServer::sendAnswer(const Destination& to, const ServerAnswer& answer) {
  const ip::Message& reply = *answer.reply;
  if (!faults_ || reply.header.id != ip::MessageId::PassThrough || reply.body.empty()) {
    return deliver(to, ToQt(ip::EncodeMessage(reply)));
  }
  const device::FaultDecision decision = faults_->next(reply.body.size());
  ip::Message damaged = reply;
  if (!device::ApplyFault(decision, damaged.body)) return;
  if (decision.delay == 0) return deliver(to, ToQt(ip::EncodeMessage(damaged)));
  held_.push_back({QDeadlineTimer(decision.delay, Qt::PreciseTimer), to, ToQt(ip::EncodeMessage(damaged))});
  if (!heldTimer_.isActive()) heldTimer_.start(static_cast<int>(held_.front().due.remainingTime()));
}

void HartIpServer::deliver(const Destination& to, const QByteArray& bytes) {
  if (to.socket.isNull() && to.port == 0) return;  // a connection gone while its answer was held
  if (to.socket.isNull()) {
    sendDatagram(to.address, to.port, bytes);
  } else if (tcpPeers_.count(to.socket.data()) != 0) {
    writeTcp(to.socket.data(), bytes);
  }
}

void HartIpServer::releaseHeld() {
  while (!held_.empty() && held_.front().due.hasExpired()) {
    const Held due = std::move(held_.front());
    held_.pop_front();
    deliver(due.to, due.bytes);
  }
  if (!held_.empty()) heldTimer_.start(static_cast<int>(held_.front().due.remainingTime()));
}

void HartIpServer::acceptConnections() {
  while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
    if (tcpPeers_.size() >= kMaxConnections) {
      socket->abort();
      socket->deleteLater();
      ended("TCP connection refused: " + std::to_string(kMaxConnections) + " connections are open");
      continue;
    }
    const std::string address = socket->peerAddress().toString().toStdString();
    if (handshakes_.refuses(address, now_())) {
      auditHandshakeRefusal();
      socket->abort();
      socket->deleteLater();
      ended("TCP connection refused: too many failed TLS handshakes from " + address);
      continue;
    }
    // Each answer goes out at once: the client waits for it.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto peer = std::make_unique<TcpPeer>(device_, security(true), &audit_, this);
    peer->address = address;
    heard(peer->quiet, peer->session);
    connect(peer->quiet.timer, &QTimer::timeout, this, [this, socket] {
      auto found = tcpPeers_.find(socket);
      if (found != tcpPeers_.end() && quietTooLong(found->second->quiet, found->second->session)) {
        endTcp(socket, "inactivity timer ran out", SessionEnd::InactivityTimer);
      }
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readTcp(socket); });
    connect(socket, &QTcpSocket::disconnected, this,
            [this, socket] { endTcp(socket, "the client disconnected", SessionEnd::ConnectionLost); });
    tcpPeers_[socket] = std::move(peer);
  }
}

void HartIpServer::readTcp(QTcpSocket* socket) {
  auto found = tcpPeers_.find(socket);
  if (found == tcpPeers_.end()) return;
  TcpPeer& peer = *found->second;
  peer.assembler.feed(View(socket->readAll()));
  while (std::optional<ip::DecodedMessage> decoded = peer.assembler.next()) {
    if (!*decoded) return endTcp(socket, std::string("malformed message: ") + decoded->description());
    const ServerAnswer answer = peer.session.handle(decoded->message, now_(), full());
    audited(peer.record, peer.session, decoded->message, answer, {socket, {}, 0});
    if (answer.reply) {
      sendAnswer({socket, {}, 0}, answer);
      if (tcpPeers_.count(socket) == 0) return;  // dropped for not reading
    }
    if (answer.endSession) return endTcp(socket, answer.why, answer.endedBy);
    heard(peer.quiet, peer.session);
    if (answer.startSecurity) {
      // Anything the client sent after its initiate came in plain text.
      if (peer.assembler.holdsBytes()) return endTcp(socket, "plain text where TLS was to start");
      return startTls(socket);
    }
    burstTimer_.start(0);
  }
}

void HartIpServer::startTls(QTcpSocket* socket) {
  auto* tls = qobject_cast<QSslSocket*>(socket);
  auto found = tcpPeers_.find(socket);
  if (tls == nullptr || !secure_ || found == tcpPeers_.end()) {
    return endTcp(socket, "no TLS on this connection", SessionEnd::HandshakeFailed);
  }
  found->second->quiet.securing = true;
  heard(found->second->quiet, found->second->session);
  tls->setSslConfiguration(secure_->tls);
  connect(tls, &QSslSocket::preSharedKeyAuthenticationRequired, this,
          [this](QSslPreSharedKeyAuthenticator* question) { AnswerAsDevice(*question, secure_->keys); });
  connect(tls, &QSslSocket::encrypted, this, [this, socket] {
    auto peer = tcpPeers_.find(socket);
    if (peer == tcpPeers_.end()) return;
    peer->second->quiet.securing = false;
    heard(peer->second->quiet, peer->second->session);
    handshakes_.succeeded(peer->second->address);
  });
  // A connection that closes is said when it disconnects. Ended after the
  // signal: TLS still works on the socket while it reports the failure.
  connect(
      tls, &QSslSocket::errorOccurred, this,
      [this, tls = QPointer<QSslSocket>(tls)](QAbstractSocket::SocketError error) {
        // The connection may have ended, and its socket gone, meanwhile.
        if (tls.isNull() || tcpPeers_.count(tls.data()) == 0 || error == QAbstractSocket::RemoteHostClosedError) return;
        endTcp(tls.data(), "TLS: " + tls->errorString().toStdString(), SessionEnd::ConnectionLost);
      },
      Qt::QueuedConnection);
  tls->startServerEncryption();
}

void HartIpServer::writeTcp(QTcpSocket* socket, const QByteArray& bytes) {
  socket->write(bytes);
  const qint64 waiting = socket->bytesToWrite();
  if (waiting <= kMaxQueuedBytes) return;
  if (auto found = tcpPeers_.find(socket); found != tcpPeers_.end())
    auditEnd(found->second->record, SessionEnd::ConnectionLost);
  tcpPeers_.erase(socket);
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
  ended("TCP session ended: the client does not read its answers (" + std::to_string(waiting) + " bytes wait)");
}

void HartIpServer::endTcp(QTcpSocket* socket, const std::string& why, SessionEnd reason) {
  auto found = tcpPeers_.find(socket);
  if (found == tcpPeers_.end()) return;
  if (found->second->quiet.securing) handshakes_.failed(found->second->address, now_());
  auditEnd(found->second->record, found->second->quiet.securing ? SessionEnd::HandshakeFailed : reason);
  tcpPeers_.erase(found);
  socket->disconnect(this);
  // The answers already written, the last one often the reason for the
  // end (a close, a refusal), reach the client before the connection closes.
  CloseAfterWriting(socket);
  ended("TCP session ended: " + why);
}

// HART-IP carries whole frames: no preambles, and no turns to wait for on a line.
void HartIpServer::publishDue() {
  if (!publisher_) return;
  const toolkit::Millis now = now_();
  if (const std::optional<device::Reply> burst = publisher_->publish(now)) {
    const hart::Bytes frame = device::HartDevice::EncodeWhole(*burst);
    // Writing may drop a TCP peer that does not read: the sockets are listed first.
    std::vector<QTcpSocket*> sockets;
    for (const auto& [socket, peer] : tcpPeers_) sockets.push_back(socket);
    for (QTcpSocket* socket : sockets) {
      auto found = tcpPeers_.find(socket);
      if (found == tcpPeers_.end()) continue;
      if (auto message = found->second->session.publish(frame))
        deliver({socket, {}, 0}, ToQt(ip::EncodeMessage(*message)));
    }
    for (auto& [key, peer] : udpPeers_) {
      if (auto message = peer->session.publish(frame)) {
        deliver({nullptr, QHostAddress(key.first), key.second}, ToQt(ip::EncodeMessage(*message)));
      }
    }
  }
  if (const std::optional<toolkit::Millis> next = publisher_->nextDue(now)) {
    burstTimer_.start(static_cast<int>(std::max<toolkit::Millis>(0, *next - now_())));
  }
}

}  // namespace zolin6::transport
