#include "device_options.h"

#include <QCommandLineParser>

namespace zolin6::device_app {

Result<ListenAddress> ParseListenAddress(const QString& text) {
  const std::string shown = "--listen " + text.toStdString();
  const qsizetype colon = text.lastIndexOf(':');
  QString host = colon < 0 ? QString() : text.left(colon);
  const QString portText = colon < 0 ? text : text.mid(colon + 1);
  bool isNumber = false;
  const uint port = portText.toUInt(&isNumber);
  if (!isNumber || port > 65535) return Error{shown + ": the port is not a number from 0 to 65535"};
  ListenAddress address;
  address.port = static_cast<std::uint16_t>(port);
  if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
  if (!host.isEmpty() && host != QStringLiteral("localhost") && !address.host.setAddress(host)) {
    return Error{shown + ": " + host.toStdString() + " is not an IP address"};
  }
  return address;
}

namespace {

Result<int> ParseDeviceCount(const QString& text) {
  bool isNumber = false;
  const int count = text.toInt(&isNumber);
  if (!isNumber || count < 1 || count > device::kMaxSubDevices) {
    return Error{"--gateway " + text.toStdString() + ": give a number of devices from 1 to " +
                 std::to_string(device::kMaxSubDevices)};
  }
  return count;
}

Result<device::SubDeviceRouting> ParseRouting(const QString& text) {
  if (text == QStringLiteral("both")) return device::SubDeviceRouting::Both;
  if (text == QStringLiteral("77")) return device::SubDeviceRouting::ThroughCommand;
  if (text == QStringLiteral("direct")) return device::SubDeviceRouting::Direct;
  return Error{"--gateway-routing " + text.toStdString() + ": give 77, direct or both"};
}

// What an I/O system cannot be served with.
Result<bool> CheckGateway(const DeviceOptions& options, bool routingSet) {
  if (options.gatewayDevices && options.gatewayFile) return Error{"give --gateway or --gateway-file, not both"};
  if (routingSet && !options.gateway()) return Error{"--gateway-routing needs --gateway or --gateway-file"};
  if (!options.gateway()) return true;
  if (options.statePath) return Error{"--state keeps the one transmitter's state; an I/O system starts afresh"};
  return true;
}

}  // namespace

Result<DeviceOptions> ParseDeviceOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription("The simulated transmitter as a HART device.");
  parser.addHelpOption();
  const QCommandLineOption listen(
      "listen", "Serve HART-IP on TCP and UDP at [HOST:]PORT (host 127.0.0.1 unless given).", "address");
  const QCommandLineOption state("state", "Load the device state from FILE if it exists; save it there on exit.",
                                 "file");
  const QCommandLineOption pty("pty", "Be a serial HART device on a pseudo-terminal, linked at PATH.", "path");
  const QCommandLineOption faults(
      "faults",
      "Put a bad line in front of the device, as drop=P,corrupt=P[,delay=MS][,seed=N]: drop that share of its "
      "replies (0 to 1), flip one byte in that share, hold every reply MS ms longer. The seed (default 1) picks "
      "the faults; the same seed meets the same ones. Over HART-IP the HART replies inside the messages suffer, "
      "not the sessions.",
      "faults");
  const QCommandLineOption pskFile(
      "psk-file",
      "Grant secure HART-IP sessions (version 2, TLS with a pre-shared key, TCP) to clients with a key in FILE: "
      "one identity:hexkey line per key, readable by its owner alone.",
      "file");
  const QCommandLineOption requireSecure("require-secure", "Refuse HART-IP sessions in plain text (needs --psk-file).");
  const QCommandLineOption gateway(
      "gateway", "Be an I/O system with N (1 to 1000) transmitters behind it, one to a channel, 16 channels to a card.",
      "N");
  const QCommandLineOption gatewayFile(
      "gateway-file",
      "Be an I/O system with the devices of FILE behind it: one 'maker, device type, tag' line each (numbers "
      "decimal or 0x-hex, '#' starts a comment). Another maker's device answers no device-specific command.",
      "file");
  const QCommandLineOption routing("gateway-routing",
                                   "How the I/O system reaches its devices: 77 (through command 77 only, as a "
                                   "multiplexer), direct (by their unique addresses only) or both (the default).",
                                   "routing");
  parser.addOptions({listen, pty, state, faults, pskFile, requireSecure, gateway, gatewayFile, routing});
  if (!parser.parse(arguments)) return Error{parser.errorText().toStdString()};
  if (parser.isSet("help")) parser.showHelp(0);
  if (!parser.positionalArguments().isEmpty()) {
    return Error{"unexpected argument " + parser.positionalArguments().first().toStdString()};
  }
  DeviceOptions options;
  if (parser.isSet(listen)) {
    Result<ListenAddress> address = ParseListenAddress(parser.value(listen));
    if (!address) return address.error();
    options.listen = *address;
  }
  if (parser.isSet(pty)) options.ptyPath = parser.value(pty).toStdString();
  if (parser.isSet(state)) options.statePath = parser.value(state).toStdString();
  if (parser.isSet(faults)) {
    Result<device::FaultRates> rates = device::ParseFaultRates(parser.value(faults).toStdString());
    if (!rates) return rates.error();
    options.faults = *rates;
  }
  if (parser.isSet(pskFile)) options.keyFile = parser.value(pskFile);
  options.requireSecure = parser.isSet(requireSecure);
  if (options.requireSecure && !options.keyFile) return Error{"--require-secure needs the keys: give --psk-file FILE"};
  if (options.keyFile && !options.listen) return Error{"--psk-file secures HART-IP: give --listen [HOST:]PORT"};
  if (parser.isSet(gateway)) {
    Result<int> count = ParseDeviceCount(parser.value(gateway));
    if (!count) return count.error();
    options.gatewayDevices = *count;
  }
  if (parser.isSet(gatewayFile)) options.gatewayFile = parser.value(gatewayFile).toStdString();
  if (parser.isSet(routing)) {
    Result<device::SubDeviceRouting> how = ParseRouting(parser.value(routing));
    if (!how) return how.error();
    options.routing = *how;
  }
  if (Result<bool> fits = CheckGateway(options, parser.isSet(routing)); !fits) return fits.error();
  if (!options.listen && !options.ptyPath) {
    return Error{"nothing to serve the device on: give --listen [HOST:]PORT or --pty PATH"};
  }
  return options;
}

}  // namespace zolin6::device_app
