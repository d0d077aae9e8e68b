#pragma once
// One HART device served over HART-IP, on TCP and UDP at the same port:
// several sessions at once (a TCP connection each, UDP sessions by the
// client's address and port), all sharing the one device. A session that
// stays quiet past its inactivity timer, or sends a malformed message, is
// closed; the others carry on.

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <QUdpSocket>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "device/hart_device.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::transport {

class ServerSession;

// Gateways keep a handful; a few more lets tests and tools share one device.
inline constexpr int kMaxServerSessions = 16;

class HartIpServer : public QObject {
  Q_OBJECT

 public:
  // The device's time, ms; by default the time since the server was made.
  using TimeSource = std::function<toolkit::Millis()>;

  explicit HartIpServer(device::HartDevice& device, TimeSource now = {}, QObject* parent = nullptr);
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

 private:
  struct TcpPeer;
  struct UdpPeer;
  using UdpKey = std::pair<QString, std::uint16_t>;

  void acceptConnections();
  void readTcp(QTcpSocket* socket);
  void endTcp(QTcpSocket* socket, const std::string& why);
  void readDatagrams();
  void handleDatagram(const QHostAddress& sender, std::uint16_t senderPort, const QByteArray& bytes);
  void endUdp(const UdpKey& key, const std::string& why);
  void restartTimer(QTimer& timer, const ServerSession& session);
  // No further session may be initiated.
  bool full() const;

  device::HartDevice& device_;
  TimeSource now_;
  QTcpServer tcp_;
  QUdpSocket udp_;
  std::uint16_t port_ = 0;
  std::map<QTcpSocket*, std::unique_ptr<TcpPeer>> tcpPeers_;
  std::map<UdpKey, std::unique_ptr<UdpPeer>> udpPeers_;
  std::function<void(const std::string&)> sessionEnd_;
};

}  // namespace zolin6::transport
