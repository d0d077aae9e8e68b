#include "transport/connection_target.h"

#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace zolin6::transport {

namespace {

constexpr int kLargestPollingAddress = 63;
constexpr std::size_t kLongestTag = 32;
constexpr char kHartIpForm[] = "write hart-ip://HOST[:PORT][/DEVICE][?udp][&v2]";

Error Refused(std::string_view text, const std::string& why) {
  return Error{"cannot connect to \"" + std::string(text) + "\": " + why};
}

// The path after the host: nothing, or one device (decoded from its
// percent-encoding by QUrl).
Result<driver::SubDeviceName> ParseSubDevice(std::string_view text, const QString& path) {
  if (path.isEmpty() || path == "/") return driver::SubDeviceName{};
  const QString device = path.mid(1);
  if (device.contains('/')) return Refused(text, std::string("one device after the host; ") + kHartIpForm);
  Result<driver::SubDeviceName> name = ParseSubDeviceName(device.toStdString());
  if (!name) return Refused(text, name.error().message);
  return name;
}

Result<ConnectionTarget> ParseHartIp(std::string_view text, const QUrl& url) {
  ConnectionTarget target;
  target.kind = ConnectionTarget::Kind::HartIp;
  target.host = url.host().toStdString();
  if (target.host.empty()) return Refused(text, std::string("no host; ") + kHartIpForm);
  const int port = url.port(kHartIpPort);
  if (port <= 0) return Refused(text, "the port must be 1 to 65535");
  target.port = static_cast<std::uint16_t>(port);
  Result<driver::SubDeviceName> device = ParseSubDevice(text, url.path());
  if (!device) return device.error();
  target.subDevice = std::move(device).value();
  const QUrlQuery query(url);
  for (const auto& [key, value] : query.queryItems()) {
    if ((key != "udp" && key != "v2") || !value.isEmpty()) return Refused(text, "the options are ?udp and ?v2");
    (key == "udp" ? target.udp : target.secure) = true;
  }
  return target;
}

Result<ConnectionTarget> ParseSerial(std::string_view text, const QUrl& url) {
  ConnectionTarget target;
  target.kind = ConnectionTarget::Kind::Serial;
  target.path = url.path().toStdString();
  if (target.path.empty()) return Refused(text, "no port; write serial:PATH[?address=N]");
  const QUrlQuery query(url);
  for (const auto& [key, value] : query.queryItems()) {
    bool number = false;
    const int address = value.toInt(&number);
    if (key != "address") return Refused(text, "the only option is ?address=N");
    if (!number || address < 0 || address > kLargestPollingAddress) {
      return Refused(text, "the polling address must be 0 to 63");
    }
    target.pollingAddress = static_cast<std::uint8_t>(address);
  }
  return target;
}

// An IPv6 address in brackets, so that its colons are not taken for the port's.
std::string HostAndPort(const ConnectionTarget& target) {
  const bool v6 = target.host.find(':') != std::string::npos;
  return (v6 ? "[" + target.host + "]" : target.host) + ":" + std::to_string(target.port);
}

}  // namespace

Result<driver::SubDeviceName> ParseSubDeviceName(std::string_view device) {
  const QString text = QString::fromUtf8(device.data(), static_cast<qsizetype>(device.size()));
  driver::SubDeviceName name;
  const bool digits = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
  if (digits && !text.isEmpty()) {
    bool number = false;
    const uint index = text.toUInt(&number);
    if (!number || index < 1 || index > 0xFFFF) return Error{"a sub-device's index is 1 to 65535"};
    name.index = static_cast<std::uint16_t>(index);
    return name;
  }
  // Kept in Latin-1, as the device keeps it.
  const bool latin1 = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
  if (text.isEmpty() || !latin1 || static_cast<std::size_t>(text.size()) > kLongestTag) {
    return Error{"a long tag is 1 to 32 Latin-1 characters"};
  }
  name.longTag = text.toLatin1().toStdString();
  return name;
}

std::string ConnectionTarget::describe() const {
  switch (kind) {
    case Kind::Simulated: return "Simulated device";
    case Kind::HartIp:
      return "HART-IP " + HostAndPort(*this) + (udp ? " UDP" : "") + (secure ? " v2" : "") +
             (subDevice.index != 0 ? " device " + std::to_string(subDevice.index) : "") +
             (subDevice.longTag.empty() ? "" : " device " + QString::fromLatin1(subDevice.longTag).toStdString());
    case Kind::Serial:
      return "Serial " + path + (pollingAddress != 0 ? " address " + std::to_string(pollingAddress) : "");
  }
  return {};
}

std::string ConnectionTarget::url() const {
  switch (kind) {
    case Kind::Simulated: return "sim";
    case Kind::HartIp: {
      const std::string options = std::string(udp ? "udp" : "") + (udp && secure ? "&" : "") + (secure ? "v2" : "");
      const std::string device = subDevice.index != 0
                                     ? std::to_string(subDevice.index)
                                     : QUrl::toPercentEncoding(QString::fromLatin1(subDevice.longTag)).toStdString();
      return "hart-ip://" + HostAndPort(*this) + (device.empty() ? "" : "/" + device) +
             (options.empty() ? "" : "?" + options);
    }
    case Kind::Serial:
      return "serial:" + path + (pollingAddress != 0 ? "?address=" + std::to_string(pollingAddress) : "");
  }
  return {};
}

Result<ConnectionTarget> ParseConnection(std::string_view text) {
  if (text == "sim" || text == "simulated") return ConnectionTarget{};
  const QUrl url(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::StrictMode);
  if (!url.isValid()) return Refused(text, url.errorString().toStdString());
  if (url.scheme() == "hart-ip") return ParseHartIp(text, url);
  if (url.scheme() == "serial") return ParseSerial(text, url);
  return Refused(text, "write sim, hart-ip://HOST[:PORT][/DEVICE][?udp][&v2] or serial:PATH[?address=N]");
}

}  // namespace zolin6::transport
