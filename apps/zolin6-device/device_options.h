#pragma once
// The command line of zolin6-device: what to serve the simulated
// transmitter on, and where its state is kept between runs. Each way of
// serving it is one optional field, so another (a serial device on a
// pseudo-terminal) is one more option and one more field.

#include <QHostAddress>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

#include "device/io_system.h"
#include "device/line_faults.h"
#include "platform/result.h"

namespace zolin6::device_app {

struct ListenAddress {
  QHostAddress host{QHostAddress::LocalHost};
  std::uint16_t port = 0;
};

struct DeviceOptions {
  std::optional<ListenAddress> listen;       // HART-IP on TCP and UDP
  std::optional<std::string> ptyPath;        // a serial HART device on a pseudo-terminal linked here
  std::optional<std::string> statePath;      // loaded at start when it exists, saved on exit
  std::optional<device::FaultRates> faults;  // a bad line in front of the device, on every way it is served
  std::optional<QString> keyFile;            // secure HART-IP (version 2) with the keys in it
  bool requireSecure = false;                // no session in plain text
  // An I/O system with devices behind it instead of the one transmitter:
  // that many of our transmitters, or the devices of a gateway file.
  std::optional<int> gatewayDevices;
  std::optional<std::string> gatewayFile;
  device::SubDeviceRouting routing = device::SubDeviceRouting::Both;
  bool gateway() const { return gatewayDevices || gatewayFile; }
};

// `PORT` or `HOST:PORT` (`[V6]:PORT` for an IPv6 address).
Result<ListenAddress> ParseListenAddress(const QString& text);

// The options of `arguments` (program name first), or what is wrong with
// them. Help and version requests are answered by the parser itself.
Result<DeviceOptions> ParseDeviceOptions(const QStringList& arguments);

}  // namespace zolin6::device_app
