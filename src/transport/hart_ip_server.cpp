#include "transport/hart_ip_server.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTimer>

#include "hart/hart_ip.h"
#include "transport/hart_ip_server_session.h"

namespace zolin6::transport {

namespace ip = hart::ip;

namespace {

// Tries at a free port for both protocols when port 0 was asked: the one TCP
// picks may be taken for UDP.
constexpr int kPortTries = 20;

hart::ByteView View(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

QByteArray ToQt(const hart::Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

// A session's timer may end the session from its own timeout, so it goes
// later rather than inside its own signal.
struct InactivityTimer {
  explicit InactivityTimer(QObject* owner) : timer(new QTimer(owner)) { timer->setSingleShot(true); }
  ~InactivityTimer() {
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
  }
  InactivityTimer(const InactivityTimer&) = delete;
  InactivityTimer& operator=(const InactivityTimer&) = delete;
  QTimer* timer;
};

struct HartIpServer::TcpPeer {
  TcpPeer(device::HartDevice& device, QObject* owner) : session(device), inactivity(owner) {}
  ip::StreamAssembler assembler;
  ServerSession session;
  InactivityTimer inactivity;
};

struct HartIpServer::UdpPeer {
  UdpPeer(device::HartDevice& device, QObject* owner) : session(device), inactivity(owner) {}
  ServerSession session;
  InactivityTimer inactivity;
};

HartIpServer::HartIpServer(device::HartDevice& device, TimeSource now, QObject* parent)
    : QObject(parent), device_(device), now_(std::move(now)) {
  if (!now_) {
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    now_ = [since] { return toolkit::Millis{since->elapsed()}; };
  }
  connect(&tcp_, &QTcpServer::newConnection, this, &HartIpServer::acceptConnections);
  connect(&udp_, &QUdpSocket::readyRead, this, &HartIpServer::readDatagrams);
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
  for (auto& [socket, peer] : tcpPeers_) {
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
  }
  tcpPeers_.clear();
  udpPeers_.clear();
  port_ = 0;
}

int HartIpServer::sessionCount() const { return static_cast<int>(tcpPeers_.size() + udpPeers_.size()); }

bool HartIpServer::full() const {
  int initiated = 0;
  for (const auto& [socket, peer] : tcpPeers_) initiated += peer->session.initiated() ? 1 : 0;
  for (const auto& [key, peer] : udpPeers_) initiated += peer->session.initiated() ? 1 : 0;
  return initiated >= kMaxServerSessions;
}

void HartIpServer::restartTimer(QTimer& timer, const ServerSession& session) {
  timer.start(static_cast<int>(session.inactivityMs()));
}

void HartIpServer::acceptConnections() {
  while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
    // Each answer goes out at once: the client waits for it.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto peer = std::make_unique<TcpPeer>(device_, this);
    restartTimer(*peer->inactivity.timer, peer->session);
    connect(peer->inactivity.timer, &QTimer::timeout, this,
            [this, socket] { endTcp(socket, "inactivity timer ran out"); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readTcp(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { endTcp(socket, "the client disconnected"); });
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
    if (answer.reply) socket->write(ToQt(ip::EncodeMessage(*answer.reply)));
    if (answer.endSession) return endTcp(socket, answer.why);
    restartTimer(*peer.inactivity.timer, peer.session);
  }
}

void HartIpServer::endTcp(QTcpSocket* socket, const std::string& why) {
  auto found = tcpPeers_.find(socket);
  if (found == tcpPeers_.end()) return;
  // The reply already written goes out before the connection closes.
  socket->disconnect(this);
  socket->disconnectFromHost();
  socket->deleteLater();
  tcpPeers_.erase(found);
  if (sessionEnd_) sessionEnd_("TCP session ended: " + why);
}

void HartIpServer::readDatagrams() {
  while (udp_.hasPendingDatagrams()) {
    const QNetworkDatagram datagram = udp_.receiveDatagram();
    if (!datagram.isValid()) continue;
    handleDatagram(datagram.senderAddress(), static_cast<std::uint16_t>(datagram.senderPort()), datagram.data());
  }
}

void HartIpServer::handleDatagram(const QHostAddress& sender, std::uint16_t senderPort, const QByteArray& bytes) {
  const UdpKey key{sender.toString(), senderPort};
  const ip::DecodedMessage decoded = ip::DecodeMessage(View(bytes));
  auto found = udpPeers_.find(key);
  if (!decoded) {
    if (found != udpPeers_.end()) endUdp(key, std::string("malformed message: ") + decoded.description());
    return;
  }
  if (found == udpPeers_.end()) {
    // Only a session initiate opens a session; anything else from a stranger
    // is not worth remembering.
    if (decoded.message.header.id != ip::MessageId::SessionInitiate) return;
    auto peer = std::make_unique<UdpPeer>(device_, this);
    connect(peer->inactivity.timer, &QTimer::timeout, this, [this, key] { endUdp(key, "inactivity timer ran out"); });
    found = udpPeers_.emplace(key, std::move(peer)).first;
  }
  UdpPeer& peer = *found->second;
  const ServerAnswer answer = peer.session.handle(decoded.message, now_(), full());
  if (answer.reply) udp_.writeDatagram(ToQt(ip::EncodeMessage(*answer.reply)), sender, senderPort);
  if (answer.endSession) return endUdp(key, answer.why);
  restartTimer(*peer.inactivity.timer, peer.session);
}

void HartIpServer::endUdp(const UdpKey& key, const std::string& why) {
  if (udpPeers_.erase(key) != 0 && sessionEnd_) sessionEnd_("UDP session ended: " + why);
}

}  // namespace zolin6::transport
