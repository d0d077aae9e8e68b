// zolin6-device: the simulated transmitter as a HART device for the window
// and the tools to talk to, over HART-IP (TCP and UDP on one port) and, with
// --pty, as a serial HART device on a pseudo-terminal, with --faults behind
// a bad line, with --psk-file granting secure HART-IP sessions, with --gateway
// or --gateway-file as an I/O system with transmitters behind it. Prints one line when it is ready and one on standard
// error for each HART-IP session that ends; stops on SIGINT or SIGTERM, saving the device state and the HART-IP audit
// log when --state names a file.

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/hart_device.h"
#include "device/io_system.h"
#include "device/simulated_transmitter.h"
#include "device_options.h"
#include "device_state.h"
#include "platform/atomic_file.h"
#include "stop_signals.h"
#include "transport/hart_ip_server.h"
#include "transport/psk_keys.h"
#include "transport/serial_device.h"
#include "transport/session_audit.h"

namespace {

using namespace zolin6;

constexpr int kBadUsage = 2;

int Fail(const std::string& message, int status = kBadUsage) {
  std::cerr << "zolin6-device: " << message << std::endl;
  return status;
}

std::string Shown(const device_app::ListenAddress& address, std::uint16_t port) {
  const QString host = address.host.protocol() == QAbstractSocket::IPv6Protocol ? '[' + address.host.toString() + ']'
                                                                                : address.host.toString();
  return host.toStdString() + ":" + std::to_string(port);
}

// The devices behind the I/O system the options ask for.
Result<std::vector<device::SubDeviceEntry>> GatewayDevices(const device_app::DeviceOptions& options) {
  if (options.gatewayDevices) return device::OurTransmitters(*options.gatewayDevices);
  const Result<std::string> text = platform::ReadWholeFile(*options.gatewayFile);
  if (!text) return text.error();
  Result<std::vector<device::SubDeviceEntry>> devices = device::ParseGatewayDevices(*text);
  if (!devices) return Error{*options.gatewayFile + " " + devices.error().message};
  return devices;
}

}  // namespace

int main(int argc, char** argv) {
  if (!device_app::BlockStopSignals()) return Fail("cannot watch for SIGINT and SIGTERM", 1);
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("zolin6-device");
  Result<device_app::DeviceOptions> options = device_app::ParseDeviceOptions(QCoreApplication::arguments());
  if (!options) return Fail(options.error().message);

  device::SimulatedTransmitter transmitter(device::kDefaultSeed);
  std::optional<nlohmann::json> audit;  // kept as loaded when there is no HART-IP server
  if (options->statePath) {
    if (Result<bool> loaded = device_app::LoadStateIfPresent(transmitter, *options->statePath, audit); !loaded) {
      return Fail(loaded.error().message);
    }
  }
  auto device = std::make_shared<device::HartDevice>(transmitter);
  std::shared_ptr<device::IoSystem> ioSystem;
  if (options->gateway()) {
    Result<std::vector<device::SubDeviceEntry>> devices = GatewayDevices(*options);
    if (!devices) return Fail(devices.error().message);
    ioSystem = std::make_shared<device::IoSystem>(*devices, options->routing, options->subDeviceIdBase());
  }
  const std::shared_ptr<device::ServedDevice> served =
      ioSystem ? std::shared_ptr<device::ServedDevice>(ioSystem) : std::shared_ptr<device::ServedDevice>(device);

  std::vector<std::string> serving;
  std::unique_ptr<transport::HartIpServer> hartIp;
  if (options->listen) {
    hartIp = std::make_unique<transport::HartIpServer>(*served);
    hartIp->onSessionEnd([](const std::string& why) { std::cerr << "zolin6-device: " << why << std::endl; });
    if (audit) {
      if (Result<bool> loaded = transport::LoadSessionAudit(*audit, hartIp->audit()); !loaded) {
        return Fail(*options->statePath + ": " + loaded.error().message);
      }
    }
    if (options->faults) hartIp->setLineFaults(*options->faults);
    if (options->keyFile) {
      Result<transport::PskKeys> keys = transport::ReadPskKeyFile(*options->keyFile);
      if (!keys) return Fail(keys.error().message);
      if (Result<bool> used = hartIp->useKeys(*keys, options->requireSecure); !used) return Fail(used.error().message);
    }
    Result<std::uint16_t> port = hartIp->listen(options->listen->host, options->listen->port);
    if (!port) return Fail(port.error().message);
    serving.push_back("listening on " + Shown(*options->listen, *port) + " (TCP and UDP)");
    if (options->keyFile) serving.push_back(options->requireSecure ? "secure sessions only" : "secure sessions too");
  }

  std::unique_ptr<transport::SerialDevice> serial;
  if (options->ptyPath) {
    serial = std::make_unique<transport::SerialDevice>(served);
    if (options->faults) serial->setLineFaults(*options->faults);
    Result<bool> started = serial->Start(QString::fromStdString(*options->ptyPath));
    if (!started) return Fail(started.error().message);
    serving.push_back("serial device on " + *options->ptyPath + " (" + serial->terminalPath().toStdString() + ")");
  }

  std::string ready = "zolin6-device:";
  for (std::size_t i = 0; i < serving.size(); ++i) ready += (i == 0 ? " " : ", ") + serving[i];
  if (ioSystem) ready += ", an I/O system of " + std::to_string(ioSystem->subDeviceCount()) + " devices";
  if (options->faults) ready += ", behind a bad line";
  std::cout << ready << std::endl;

  device_app::OnStopSignal([] { QCoreApplication::quit(); });
  QCoreApplication::exec();

  if (hartIp) {
    hartIp->close();  // the sessions still open end as the server stopped
    audit = transport::SaveSessionAudit(hartIp->audit());
  }
  if (serial) serial->Stop();
  if (options->statePath) {
    if (Result<bool> saved = device_app::SaveState(transmitter, audit, *options->statePath); !saved) {
      return Fail("the device state is not saved: " + saved.error().message, 1);
    }
  }
  return 0;
}
