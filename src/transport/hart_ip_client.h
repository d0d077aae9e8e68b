#pragma once
// The HART driver's byte link over HART-IP: each request frame the master
// sends goes to the device in a pass-through request over TCP or UDP, and
// each reply frame comes back to the master's listener. The session is
// opened when told, or by the first frame, and opened again by the next
// frame after it was lost; the master's own timeouts and retries cover the
// requests that go unanswered meanwhile. Whoever watches the line's state
// hears at once when the connection closes or the session is lost, and
// when a session is open again. Runs on the Qt event loop and never waits
// on it: a host name is looked up in the background.

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "driver/byte_link.h"
#include "hart/hart_ip.h"
#include "hart/hart_ip_session.h"
#include "platform/toolkit/clock.h"
#include "transport/psk_keys.h"

class QDtls;
class QTcpSocket;
class QUdpSocket;

namespace zolin6::transport {

enum class IpProtocol : std::uint8_t { Tcp, Udp };

struct HartIpEndpoint {
  QString host = QStringLiteral("127.0.0.1");
  std::uint16_t port = hart::ip::kDefaultPort;
  IpProtocol protocol = IpProtocol::Tcp;
  std::uint32_t askedInactivityMs = hart::ip::kAskedInactivityMs;
  // Secure HART-IP (version 2) with this key; plain text without.
  std::optional<PskKey> key = std::nullopt;
};

class HartIpClient : public QObject, public driver::ByteLink {
  Q_OBJECT

 public:
  enum class State : std::uint8_t {
    Connecting,  // connecting, or waiting for the session initiate's answer
    Connected,   // the session is open
    Closed,      // no session: closed by us or the device, refused, unreachable, lost
  };
  // Every state change with a sentence for the user, and news that changes
  // no state (a request the device would not carry) with the same state.
  using StateReport = std::function<void(State state, const std::string& reason)>;

  // `clock`: the time handed to the listener with each reply, the driver's.
  HartIpClient(toolkit::Clock& clock, HartIpEndpoint endpoint, QObject* parent = nullptr);
  // Closes the session politely, without waiting for its answer.
  ~HartIpClient() override;

  // driver::ByteLink. Preambles in front of a frame are dropped: HART-IP
  // carries frames from their delimiter.
  void Send(hart::ByteView bytes, toolkit::Millis now) override;
  void Listen(Listener listener) override { listener_ = std::move(listener); }
  // Down at once when the connection is closed or refused or the session
  // ends or is lost; up when a session is open.
  void WatchState(const driver::ByteLink::StateListener& listener) override { watcher_ = listener; }
  // A secure session that is open and idle carries the requests as one
  // direct PDU.
  bool SendDirect(const hart::ip::DirectPdu& request, const DirectDone& done) override;
  // A request of version 2's own (a direct PDU, a read of the audit log)
  // in a secure session that is open and idle; false when it cannot go
  // now, else `done` hears once: the answer's body, or nothing.
  using AskDone = std::function<void(std::optional<hart::Bytes> answer)>;
  bool Ask(hart::ip::MessageId id, hart::Bytes body, AskDone done);

  void OnStateChange(StateReport listener) { stateListener_ = std::move(listener); }
  // Connects and opens a session, unless one is open or on its way.
  void Open();
  // Sends the session close and drops the connection.
  void Close();

  State state() const { return state_; }
  // The inactivity timer the device granted; 0 without a session.
  std::uint32_t grantedInactivityMs() const { return session_.grantedInactivityMs(); }
  const HartIpEndpoint& endpoint() const { return endpoint_; }
  // "TLS 1.2, PSK-AES128-GCM-SHA256" while a secure session is open; empty otherwise.
  const std::string& security() const { return security_; }

 private slots:
  void onLookedUp(const QHostInfo& info);

 private:
  hart::Millis sessionNow() const { return hart::Millis{monotonic_.elapsed()}; }
  void openUdp();
  void startUdp(const QHostAddress& address);
  void openTcp();
  // The TCP socket: plain, or ready to turn to TLS for a secure session.
  QTcpSocket* makeTcpSocket();
  void startTls();
  void startDtls();
  // A datagram from the device through DTLS: handshake, or a message.
  void readSecureDatagram(const QByteArray& bytes);
  void onTcpError();
  void readTcp();
  void readUdp();
  void apply(hart::ip::SessionStep step);
  void write(const hart::Bytes& message);
  void report(State state, const std::string& reason);
  void onSessionChange(const std::string& reason);
  void dropTransport();
  void scheduleWake();
  std::string where() const;

  toolkit::Clock& clock_;
  HartIpEndpoint endpoint_;
  hart::ip::ClientSession session_;
  QElapsedTimer monotonic_;
  QTimer wake_;
  QTimer connectTimeout_;  // a TCP connection that is not up by then is given up
  Listener listener_;
  StateReport stateListener_;
  driver::ByteLink::StateListener watcher_;
  AskDone askDone_;  // the request of version 2's own under way
  State state_ = State::Closed;
  QTcpSocket* tcp_ = nullptr;
  QUdpSocket* udp_ = nullptr;
  std::unique_ptr<QDtls> dtls_;  // a secure UDP session's, from the initiate's answer on
  hart::ip::StreamAssembler assembler_;
  int lookupId_ = -1;  // a host name being looked up for UDP
  QHostAddress peer_;
  std::uint16_t peerPort_ = 0;  // UDP: the port the device answers from
  std::string security_;
};

}  // namespace zolin6::transport
