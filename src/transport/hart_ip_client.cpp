#include "transport/hart_ip_client.h"

#include <QDtls>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QSslPreSharedKeyAuthenticator>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>

#include "transport/tls_psk.h"

namespace zolin6::transport {

namespace ip = hart::ip;

namespace {

// A TCP connection that is not made by then will not be.
constexpr int kConnectTimeoutMs = 5000;
// How long a closing connection may take to hand over its last message.
constexpr int kCloseGraceMs = 1000;

hart::ByteView View(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

QByteArray ToQt(const hart::Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

HartIpClient::HartIpClient(toolkit::Clock& clock, HartIpEndpoint endpoint, QObject* parent)
    : QObject(parent),
      clock_(clock),
      endpoint_(std::move(endpoint)),
      session_(endpoint_.protocol == IpProtocol::Udp ? ip::Framing::Datagram : ip::Framing::Stream,
               endpoint_.askedInactivityMs, endpoint_.key ? ip::kSecureVersion : ip::kVersion) {
  monotonic_.start();
  wake_.setSingleShot(true);
  connect(&wake_, &QTimer::timeout, this, [this] { apply(session_.poll(sessionNow())); });
  connectTimeout_.setSingleShot(true);
  connect(&connectTimeout_, &QTimer::timeout, this, [this] {
    if (tcp_ == nullptr || tcp_->state() == QAbstractSocket::ConnectedState) return;
    dropTransport();
    report(State::Closed, "unreachable: no connection to " + where());
  });
}

HartIpClient::~HartIpClient() {
  // Whoever listened may be going too. Over UDP the close goes out once.
  listener_ = nullptr;
  stateListener_ = nullptr;
  watcher_ = nullptr;
  askDone_ = nullptr;
  Close();
}

std::string HartIpClient::where() const {
  return endpoint_.host.toStdString() + ":" + std::to_string(endpoint_.port) +
         (endpoint_.protocol == IpProtocol::Udp ? " over UDP" : " over TCP") + (endpoint_.key ? " (secure)" : "");
}

void HartIpClient::Send(hart::ByteView bytes, toolkit::Millis /*now*/) {
  const auto frameStart = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0xFF; });
  if (frameStart == bytes.end()) return;  // no frame: the device would end the session over it
  // A close still waiting for its answer gives way to a new session.
  if (session_.state() == ip::SessionState::Closing) (void)session_.lost("closed");
  apply(session_.submit(hart::ByteView(frameStart, bytes.end()), sessionNow()));
  if (session_.state() == ip::SessionState::Closed) Open();
}

bool HartIpClient::SendDirect(const hart::ip::DirectPdu& request, const DirectDone& done) {
  Result<hart::Bytes> body = ip::EncodeDirectRequest(request);
  if (!body) return false;
  return Ask(ip::MessageId::DirectPdu, std::move(body).value(), [done](std::optional<hart::Bytes> answer) {
    Result<ip::DirectPdu> decoded = answer ? ip::DecodeDirectResponse(*answer) : Result<ip::DirectPdu>(Error{});
    done(decoded ? std::optional(std::move(decoded).value()) : std::nullopt);
  });
}

bool HartIpClient::Ask(hart::ip::MessageId id, hart::Bytes body, AskDone done) {
  if (!session_.canAsk() || askDone_) return false;
  askDone_ = std::move(done);
  apply(session_.ask(id, std::move(body), sessionNow()));
  return true;
}

void HartIpClient::Open() {
  if (state_ != State::Closed) return;
  if (session_.state() == ip::SessionState::Closing) (void)session_.lost("closed");
  dropTransport();
  assembler_ = {};
  report(State::Connecting, "connecting to " + where());
  if (endpoint_.protocol == IpProtocol::Udp) {
    openUdp();
  } else {
    openTcp();
  }
}

QTcpSocket* HartIpClient::makeTcpSocket() {
  if (!endpoint_.key) return new QTcpSocket(this);
  auto* socket = new QSslSocket(this);
  connect(socket, &QSslSocket::preSharedKeyAuthenticationRequired, this,
          [this](QSslPreSharedKeyAuthenticator* question) { AnswerAsClient(*question, *endpoint_.key); });
  connect(socket, &QSslSocket::encrypted, this, [this, socket] {
    security_ = DescribeTls(*socket);
    apply(session_.secured(sessionNow()));
  });
  return socket;
}

// The initiate was answered in plain text; nothing more goes until TLS is up.
void HartIpClient::startTls() {
  auto* socket = qobject_cast<QSslSocket*>(tcp_);
  Result<QSslConfiguration> tls = PskTlsConfiguration(Transport::Stream);
  if (socket == nullptr || !tls) return apply(session_.lost(tls ? "no TLS on this connection" : tls.error().message));
  socket->setSslConfiguration(*tls);
  socket->startClientEncryption();
}

void HartIpClient::startDtls() {
  Result<QSslConfiguration> dtls = PskTlsConfiguration(Transport::Datagrams);
  if (udp_ == nullptr || !dtls) return apply(session_.lost(dtls ? "no DTLS on this connection" : dtls.error().message));
  dtls_ = std::make_unique<QDtls>(QSslSocket::SslClientMode);
  dtls_->setPeer(peer_, peerPort_);
  dtls_->setDtlsConfiguration(*dtls);
  connect(dtls_.get(), &QDtls::pskRequired, this,
          [this](QSslPreSharedKeyAuthenticator* question) { AnswerAsClient(*question, *endpoint_.key); });
  connect(dtls_.get(), &QDtls::handshakeTimeout, this, [this] {
    if (dtls_ && udp_ != nullptr) dtls_->handleTimeout(udp_);
  });
  if (!dtls_->doHandshake(udp_)) {
    apply(session_.lost("the DTLS handshake could not start: " + dtls_->dtlsErrorString().toStdString()));
  }
}

void HartIpClient::openTcp() {
  tcp_ = makeTcpSocket();
  QTcpSocket* socket = tcp_;
  connect(socket, &QTcpSocket::connected, this, [this, socket] {
    // One small request at a time, each waiting for its answer: no batching.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    apply(session_.open(sessionNow()));
  });
  connect(socket, &QTcpSocket::readyRead, this, &HartIpClient::readTcp);
  connect(socket, &QTcpSocket::errorOccurred, this, &HartIpClient::onTcpError);
  connect(socket, &QTcpSocket::disconnected, this, &HartIpClient::onTcpError);
  connectTimeout_.start(kConnectTimeoutMs);
  socket->connectToHost(endpoint_.host, endpoint_.port);
}

void HartIpClient::onTcpError() {
  if (tcp_ == nullptr) return;
  std::string reason;
  switch (tcp_->error()) {
    case QAbstractSocket::ConnectionRefusedError: reason = "refused: nothing accepts connections at " + where(); break;
    case QAbstractSocket::HostNotFoundError:
      reason = "unreachable: host " + endpoint_.host.toStdString() + " not found";
      break;
    case QAbstractSocket::RemoteHostClosedError:
      reason = session_.state() == ip::SessionState::Securing ? "the device ended the TLS handshake: wrong key?"
                                                              : "closed by the device";
      break;
    case QAbstractSocket::SslHandshakeFailedError:
      reason = "the TLS handshake failed (is the key the device's?): " + tcp_->errorString().toStdString();
      break;
    default:
      reason = tcp_->state() == QAbstractSocket::ConnectedState || session_.state() != ip::SessionState::Closed
                   ? "connection lost: " + tcp_->errorString().toStdString()
                   : "unreachable: " + tcp_->errorString().toStdString();
  }
  if (session_.state() == ip::SessionState::Closed) {
    dropTransport();
    report(State::Closed, reason);
  } else {
    apply(session_.lost(reason));
  }
}

void HartIpClient::openUdp() {
  const QHostAddress literal(endpoint_.host);
  if (!literal.isNull()) return startUdp(literal);
  // UDP needs the address to compare answers against; the name is looked
  // up in the background and the session starts when it is known.
  // By the slot's name: the functor form's slot object trips the leak check.
  lookupId_ = QHostInfo::lookupHost(endpoint_.host, this, SLOT(onLookedUp(QHostInfo)));
}

void HartIpClient::onLookedUp(const QHostInfo& info) {
  if (info.lookupId() != lookupId_) return;  // given up on since
  lookupId_ = -1;
  const QList<QHostAddress> found = info.addresses();
  if (found.isEmpty()) return report(State::Closed, "unreachable: host " + endpoint_.host.toStdString() + " not found");
  const auto v4 = std::find_if(found.begin(), found.end(),
                               [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
  startUdp(v4 != found.end() ? *v4 : found.first());
}

void HartIpClient::startUdp(const QHostAddress& address) {
  peer_ = address;
  peerPort_ = endpoint_.port;
  udp_ = new QUdpSocket(this);
  const bool v6 = peer_.protocol() == QAbstractSocket::IPv6Protocol;
  if (!udp_->bind(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
    const std::string why = udp_->errorString().toStdString();
    dropTransport();
    return report(State::Closed, "cannot open a UDP socket: " + why);
  }
  connect(udp_, &QUdpSocket::readyRead, this, &HartIpClient::readUdp);
  apply(session_.open(sessionNow()));
}

void HartIpClient::readTcp() {
  if (tcp_ == nullptr) return;
  assembler_.feed(View(tcp_->readAll()));
  while (tcp_ != nullptr) {
    std::optional<ip::DecodedMessage> decoded = assembler_.next();
    if (!decoded) break;
    if (!*decoded) return apply(session_.lost(std::string("protocol error: ") + decoded->description()));
    apply(session_.receive(decoded->message, sessionNow()));
  }
}

void HartIpClient::readUdp() {
  while (udp_ != nullptr && udp_->hasPendingDatagrams()) {
    const QNetworkDatagram datagram = udp_->receiveDatagram();
    if (!datagram.senderAddress().isEqual(peer_, QHostAddress::ConvertV4MappedToIPv4)) continue;
    if (dtls_) {
      readSecureDatagram(datagram.data());
      continue;
    }
    const ip::DecodedMessage decoded = ip::DecodeMessage(View(datagram.data()));
    if (!decoded) continue;  // not a message for us; the master times out if it was the reply
    // The device may answer the session initiate from another port: the
    // session goes on with that port.
    const std::uint16_t before = peerPort_;
    const bool initiating = session_.state() == ip::SessionState::Initiating;
    if (initiating && decoded.message.header.id == ip::MessageId::SessionInitiate) {
      peerPort_ = static_cast<std::uint16_t>(datagram.senderPort());
    }
    apply(session_.receive(decoded.message, sessionNow()));
    if (initiating && session_.state() == ip::SessionState::Initiating) peerPort_ = before;
  }
}

void HartIpClient::readSecureDatagram(const QByteArray& bytes) {
  // A late plain answer (to an initiate sent again) is not DTLS's to read.
  if (ip::DecodeMessage(View(bytes))) return;
  if (!dtls_->isConnectionEncrypted()) {
    if (!dtls_->doHandshake(udp_, bytes)) {
      return apply(session_.lost("the DTLS handshake failed (is the key the device's?): " +
                                 dtls_->dtlsErrorString().toStdString()));
    }
    if (!dtls_->isConnectionEncrypted()) return;
    security_ = DescribeTls(*dtls_);
    return apply(session_.secured(sessionNow()));
  }
  const QByteArray plain = dtls_->decryptDatagram(udp_, bytes);
  if (dtls_->dtlsError() == QDtlsError::RemoteClosedConnectionError)
    return apply(session_.lost("closed by the device"));
  const ip::DecodedMessage decoded = ip::DecodeMessage(View(plain));
  if (decoded) apply(session_.receive(decoded.message, sessionNow()));
}

void HartIpClient::apply(ip::SessionStep step) {
  if (!step.transmit.empty()) write(step.transmit);
  if (step.startSecurity && udp_ != nullptr) startDtls();
  if (step.startSecurity && tcp_ != nullptr) startTls();
  if (step.changed) onSessionChange(step.reason);
  if (!step.notice.empty() && stateListener_) stateListener_(state_, step.notice);
  scheduleWake();
  if ((step.answer || step.answerLost) && askDone_) std::exchange(askDone_, nullptr)(std::move(step.answer));
  if (step.reply && listener_) {
    // The master's receiver finds a frame after two preambles, as on a
    // serial line; a pass-through reply comes without them.
    hart::Bytes line{0xFF, 0xFF};
    line.insert(line.end(), step.reply->begin(), step.reply->end());
    listener_(line, clock_.now());
  }
}

void HartIpClient::onSessionChange(const std::string& reason) {
  switch (session_.state()) {
    case ip::SessionState::Open:
      return report(State::Connected, security_.empty() ? reason : reason + ", " + security_);
    case ip::SessionState::Initiating:
    case ip::SessionState::Securing:
      return;  // said when the connection was begun
    // Ended as far as the user knows; the close goes again until answered.
    case ip::SessionState::Closing: security_.clear(); return report(State::Closed, reason);
    case ip::SessionState::Closed:
      dropTransport();
      if (state_ != State::Closed) report(State::Closed, reason);
      return;
  }
}

void HartIpClient::write(const hart::Bytes& message) {
  if (tcp_ != nullptr) {
    // One whole message per write: some devices read one message per read.
    tcp_->write(ToQt(message));
    tcp_->flush();
  } else if (udp_ != nullptr && !dtls_) {
    udp_->writeDatagram(ToQt(message), peer_, peerPort_);
  } else if (udp_ != nullptr && dtls_->isConnectionEncrypted()) {
    dtls_->writeDatagramEncrypted(udp_, ToQt(message));
  }
}

void HartIpClient::report(State state, const std::string& reason) {
  const State before = std::exchange(state_, state);
  if (stateListener_) stateListener_(state, reason);
  if (!watcher_ || state == before) return;
  if (state == State::Connected) watcher_(true, clock_.now());
  if (state == State::Closed) watcher_(false, clock_.now());
}

void HartIpClient::dropTransport() {
  security_.clear();
  wake_.stop();
  connectTimeout_.stop();
  if (lookupId_ != -1) QHostInfo::abortHostLookup(std::exchange(lookupId_, -1));
  if (tcp_ != nullptr) {
    QTcpSocket* socket = std::exchange(tcp_, nullptr);
    socket->disconnect(this);
    // The close message already written still goes out.
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto* grace = new QTimer(socket);
    grace->setSingleShot(true);
    connect(grace, &QTimer::timeout, socket, &QObject::deleteLater);
    grace->start(kCloseGraceMs);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
  }
  if (dtls_) {
    // Tells the device the secure session is over; the close went before it.
    if (udp_ != nullptr && dtls_->isConnectionEncrypted()) dtls_->shutdown(udp_);
    dtls_->disconnect(this);
    dtls_.reset();
  }
  if (udp_ != nullptr) {
    QUdpSocket* socket = std::exchange(udp_, nullptr);
    socket->disconnect(this);
    socket->deleteLater();
  }
}

void HartIpClient::scheduleWake() {
  const std::optional<hart::Millis> at = session_.wakeAt();
  if (!at) return wake_.stop();
  const auto wait = std::max<std::int64_t>(0, (*at - sessionNow()).count());
  wake_.start(static_cast<int>(wait));
}

void HartIpClient::Close() {
  switch (session_.state()) {
    case ip::SessionState::Open: return apply(session_.close(sessionNow()));
    case ip::SessionState::Initiating:
    case ip::SessionState::Securing: return apply(session_.lost("closed"));
    case ip::SessionState::Closing: return;
    case ip::SessionState::Closed: break;
  }
  if (state_ != State::Closed) {
    dropTransport();
    report(State::Closed, "closed");
  }
}

}  // namespace zolin6::transport
