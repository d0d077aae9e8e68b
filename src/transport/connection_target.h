#pragma once
// Where the device is: the built-in simulated transmitter, a HART-IP device
// or gateway, or a HART modem on a serial port. Given by the user as
// `sim`, `hart-ip://HOST[:PORT][/DEVICE][?udp][&v2]` or
// `serial:PATH[?address=N]`, and remembered in the same form. DEVICE names
// a device behind a HART-IP I/O system: its index (1 to 65535, digits only)
// or its long tag, percent-encoded where it needs to be. Secure HART-IP (v2) takes its key from
// a key file named apart, never in the address.

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/sub_device_finder.h"
#include "hart/hart_ip.h"
#include "platform/result.h"

namespace zolin6::transport {

inline constexpr std::uint16_t kHartIpPort = hart::ip::kDefaultPort;

struct ConnectionTarget {
  enum class Kind : std::uint8_t { Simulated, HartIp, Serial };

  Kind kind = Kind::Simulated;
  std::string host;                  // HART-IP: name or address of the device or gateway
  std::uint16_t port = kHartIpPort;  // HART-IP
  bool udp = false;                  // HART-IP over UDP instead of TCP
  bool secure = false;               // HART-IP version 2: TLS with a pre-shared key
  std::string keyFile;               // secure HART-IP: the key file, not part of the address
  std::string typedKey;              // or an `identity:hexkey` the user typed, kept nowhere
  std::string path;                  // serial: the port, e.g. /dev/ttyUSB0
  std::uint8_t pollingAddress = 0;   // serial: where the device answers command 0
  driver::SubDeviceName subDevice;   // HART-IP: a device behind the I/O system; none when all()

  bool behindIoSystem() const { return kind == Kind::HartIp && !subDevice.all(); }

  // What the status bar shows: "HART-IP 10.0.0.5:5094", "HART-IP 10.0.0.5:5094 UDP v2",
  // "HART-IP 10.0.0.5:5094 device TT-101", "HART-IP 10.0.0.5:5094 device 2", "Serial /dev/ttyUSB0", "Serial
  // /dev/ttyUSB0 address 3", "Simulated device".
  std::string describe() const;
  // The form `ParseConnection` reads back.
  std::string url() const;
};

// Reads the forms above; an error names what is wrong with `text`.
Result<ConnectionTarget> ParseConnection(std::string_view text);
// A DEVICE as the user gives it, decoded (UTF-8): digits are an index,
// anything else a long tag; the error says what is wrong with it.
Result<driver::SubDeviceName> ParseSubDeviceName(std::string_view device);

}  // namespace zolin6::transport
