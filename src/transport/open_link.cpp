#include "transport/open_link.h"

#include "transport/hart_ip_client.h"
#include "transport/serial_modem.h"
#include "transport/sub_device_open.h"

namespace zolin6::transport {

namespace {

// Hands on what the transport hears at the wall clock's time (see OpenLink).
class WallClockLink : public driver::ByteLink {
 public:
  WallClockLink(std::shared_ptr<driver::ByteLink> inner, EventLoopClock& ticker)
      : inner_(std::move(inner)), ticker_(ticker) {}

  void Send(hart::ByteView bytes, toolkit::Millis now) override { inner_->Send(bytes, now); }
  void Listen(Listener listener) override {
    if (!listener) return inner_->Listen({});
    inner_->Listen([&ticker = ticker_, listener = std::move(listener)](hart::ByteView bytes, toolkit::Millis) {
      ticker.catchUp();
      listener(bytes, ticker.clock().now());
    });
  }
  bool SendDirect(const hart::ip::DirectPdu& request, const DirectDone& done) override {
    return inner_->SendDirect(request, done);
  }
  void WatchState(const StateListener& listener) override {
    if (!listener) return inner_->WatchState({});
    inner_->WatchState([&ticker = ticker_, listener](bool up, toolkit::Millis) {
      ticker.catchUp();
      listener(up, ticker.clock().now());
    });
  }

 private:
  std::shared_ptr<driver::ByteLink> inner_;
  EventLoopClock& ticker_;
};

Result<OpenedLink> OpenSerial(const ConnectionTarget& target, EventLoopClock& ticker, const LinkReport& report) {
  auto modem = std::make_shared<SerialModem>(ticker.clock());
  Result<bool> opened = modem->Open(QString::fromStdString(target.path));
  if (!opened) return opened.error();
  if (report) {
    QObject::connect(modem.get(), &SerialModem::failed, modem.get(),
                     [report](const QString& message) { report(message.toStdString()); });
  }
  hart::MasterSettings settings;
  settings.link = hart::kFskTiming;
  settings.pollingAddress = target.pollingAddress;
  return OpenedLink{std::make_shared<WallClockLink>(modem, ticker), settings};
}

Result<OpenedLink> OpenHartIp(const ConnectionTarget& target, EventLoopClock& ticker, const LinkReport& report) {
  Result<HartIpEndpoint> endpoint = HartIpEndpointOf(target);
  if (!endpoint) return endpoint.error();
  auto client = std::make_shared<HartIpClient>(ticker.clock(), *endpoint);
  auto lastNews = std::make_shared<std::string>();
  client->OnStateChange([report, lastNews, where = target.describe()](HartIpClient::State, const std::string& reason) {
    *lastNews = reason;
    if (report) report(where + ": " + reason);
  });
  hart::MasterSettings settings;
  settings.link = hart::kHartIpTiming;
  const std::weak_ptr<HartIpClient> weak = client;
  OpenedLink opened{std::make_shared<WallClockLink>(client, ticker), settings, true, [weak] {
                      const std::shared_ptr<HartIpClient> open = weak.lock();
                      return open ? open->security() : std::string();
                    }};
  if (!target.behindIoSystem()) return opened;
  return ReachSubDevice(
      target, std::move(opened), ticker, [lastNews] { return *lastNews; }, report);
}

}  // namespace

Result<HartIpEndpoint> HartIpEndpointOf(const ConnectionTarget& target) {
  HartIpEndpoint endpoint{QString::fromStdString(target.host), target.port,
                          target.udp ? IpProtocol::Udp : IpProtocol::Tcp, hart::ip::kAskedInactivityMs, std::nullopt};
  if (target.secure) {
    if (target.keyFile.empty() && target.typedKey.empty()) {
      return Error{target.describe() + ": secure HART-IP needs a key file (--psk-file)"};
    }
    Result<PskKeys> keys = target.typedKey.empty() ? ReadPskKeyFile(QString::fromStdString(target.keyFile))
                                                   : ParsePskKeys(target.typedKey);
    if (!keys) return Error{target.describe() + ": " + keys.error().message};
    endpoint.key = keys->own();
  }
  return endpoint;
}

Result<OpenedLink> OpenLink(const ConnectionTarget& target, EventLoopClock& ticker, const LinkReport& report) {
  switch (target.kind) {
    case ConnectionTarget::Kind::Serial: return OpenSerial(target, ticker, report);
    case ConnectionTarget::Kind::HartIp: return OpenHartIp(target, ticker, report);
    case ConnectionTarget::Kind::Simulated: break;
  }
  return Error{target.describe() + ": not a line to open"};
}

}  // namespace zolin6::transport
