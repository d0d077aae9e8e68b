#include <QNetworkDatagram>
#include <QSslPreSharedKeyAuthenticator>

#include "transport/hart_ip_server.h"
#include "transport/hart_ip_server_peers.h"
#include "transport/tls_psk.h"

// The server's UDP half: a session per client address and port, and for a
// secure session DTLS on the same port after the plain-text initiate.

namespace zolin6::transport {

using hart::ip::SessionEnd;

namespace {

hart::ByteView View(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

void HartIpServer::readDatagrams() {
  while (udp_.hasPendingDatagrams()) {
    const QNetworkDatagram datagram = udp_.receiveDatagram();
    if (!datagram.isValid()) continue;
    handleDatagram(datagram.senderAddress(), static_cast<std::uint16_t>(datagram.senderPort()), datagram.data());
  }
}

void HartIpServer::handleDatagram(const QHostAddress& sender, std::uint16_t senderPort, const QByteArray& bytes) {
  const UdpKey key{sender.toString(), senderPort};
  auto found = udpPeers_.find(key);
  if (found != udpPeers_.end() && found->second->dtls) return handleSecureDatagram(key, *found->second, bytes);
  handleMessage(key, bytes);
}

// A message in plain text, or one DTLS has decrypted.
void HartIpServer::handleMessage(const UdpKey& key, const QByteArray& bytes) {
  const QHostAddress sender(key.first);
  const ip::DecodedMessage decoded = ip::DecodeMessage(View(bytes));
  auto found = udpPeers_.find(key);
  if (!decoded) {
    if (found != udpPeers_.end()) endUdp(key, std::string("malformed message: ") + decoded.description());
    return;
  }
  if (found == udpPeers_.end()) {
    // Only a session initiate opens a session; anything else from a stranger
    // is not worth remembering, nor is an address whose handshakes keep failing.
    if (decoded.message.header.id != ip::MessageId::SessionInitiate) return;
    if (handshakes_.refuses(key.first.toStdString(), now_())) return auditHandshakeRefusal();
    auto peer = std::make_unique<UdpPeer>(device_, security(false), &audit_, this);
    connect(peer->quiet.timer, &QTimer::timeout, this, [this, key] {
      auto peerFound = udpPeers_.find(key);
      if (peerFound != udpPeers_.end() && quietTooLong(peerFound->second->quiet, peerFound->second->session)) {
        endUdp(key, "inactivity timer ran out", SessionEnd::InactivityTimer);
      }
    });
    found = udpPeers_.emplace(key, std::move(peer)).first;
  }
  UdpPeer& peer = *found->second;
  const ServerAnswer answer = peer.session.handle(decoded.message, now_(), full());
  audited(peer.record, peer.session, decoded.message, answer, {nullptr, sender, key.second});
  if (answer.reply) sendAnswer({nullptr, sender, key.second}, answer);
  if (answer.endSession) return endUdp(key, answer.why, answer.endedBy);
  if (answer.startSecurity) startDtls(peer, sender, key.second);
  heard(peer.quiet, peer.session);
  burstTimer_.start(0);
}

void HartIpServer::startDtls(UdpPeer& peer, const QHostAddress& sender, std::uint16_t senderPort) {
  peer.quiet.securing = true;
  peer.dtls = std::make_unique<QDtls>(QSslSocket::SslServerMode);
  peer.dtls->setPeer(sender, senderPort);
  peer.dtls->setDtlsConfiguration(*secure_->datagrams);
  connect(peer.dtls.get(), &QDtls::pskRequired, this,
          [this](QSslPreSharedKeyAuthenticator* question) { AnswerAsDevice(*question, secure_->keys); });
  connect(peer.dtls.get(), &QDtls::handshakeTimeout, this,
          [this, dtls = peer.dtls.get()] { dtls->handleTimeout(&udp_); });
}

void HartIpServer::handleSecureDatagram(const UdpKey& key, UdpPeer& peer, const QByteArray& bytes) {
  QDtls& dtls = *peer.dtls;
  if (dtls.isConnectionEncrypted()) {
    const QByteArray plain = dtls.decryptDatagram(&udp_, bytes);
    if (dtls.dtlsError() == QDtlsError::RemoteClosedConnectionError) {
      return endUdp(key, "the client closed DTLS", SessionEnd::ClosedByClient);
    }
    if (!plain.isEmpty()) handleMessage(key, plain);
    return;
  }
  // A client whose initiate's answer was lost sends the initiate again: it
  // gets the same answer, in plain text as before.
  if (const ip::DecodedMessage plain = ip::DecodeMessage(View(bytes));
      plain && plain.message.header.id == ip::MessageId::SessionInitiate) {
    const ServerAnswer again = peer.session.handle(plain.message, now_(), full());
    if (again.reply && !again.endSession) {
      const hart::Bytes answer = ip::EncodeMessage(*again.reply);
      udp_.writeDatagram(reinterpret_cast<const char*>(answer.data()), static_cast<qint64>(answer.size()),
                         QHostAddress(key.first), key.second);
    }
    return;
  }
  // The first hello is answered with a cookie and only a hello that brings
  // it back goes on, so a forged sender address gets no handshake sent to
  // it. Anything else before the handshake, plain text included, is dropped.
  const QHostAddress sender(key.first);
  if (!peer.helloVerified && !verifier_->verifyClient(&udp_, bytes, sender, key.second)) return;
  peer.helloVerified = true;
  heard(peer.quiet, peer.session);
  if (!dtls.doHandshake(&udp_, bytes)) {
    return endUdp(key, "DTLS handshake failed: " + dtls.dtlsErrorString().toStdString(), SessionEnd::HandshakeFailed);
  }
  if (!dtls.isConnectionEncrypted()) return;
  peer.quiet.securing = false;
  heard(peer.quiet, peer.session);
  handshakes_.succeeded(key.first.toStdString());
}

void HartIpServer::endUdp(const UdpKey& key, const std::string& why, SessionEnd reason) {
  auto found = udpPeers_.find(key);
  if (found == udpPeers_.end()) return;
  const bool securing = found->second->quiet.securing;
  if (securing) handshakes_.failed(key.first.toStdString(), now_());
  auditEnd(found->second->record, securing ? SessionEnd::HandshakeFailed : reason);
  udpPeers_.erase(found);
  ended("UDP session ended: " + why);
}

void HartIpServer::sendDatagram(const QHostAddress& address, std::uint16_t port, const QByteArray& bytes) {
  auto found = udpPeers_.find({address.toString(), port});
  QDtls* dtls = found == udpPeers_.end() ? nullptr : found->second->dtls.get();
  if (dtls == nullptr) {
    udp_.writeDatagram(bytes, address, port);
  } else if (dtls->isConnectionEncrypted()) {
    dtls->writeDatagramEncrypted(&udp_, bytes);
  }
}

}  // namespace zolin6::transport
