#pragma once
// What the plant tests serve on loopback: simulated transmitters behind
// HART-IP servers in the test's own process, and plant files naming them.

#include <QHostAddress>

#include <memory>
#include <string>
#include <vector>

#include "device/hart_device.h"
#include "device/io_system.h"
#include "device/simulated_transmitter.h"
#include "plant/plant_file.h"
#include "transport/hart_ip_server.h"
#include "transport/hart_ip_support.h"

namespace zolin6::plant::testing {

// One transmitter with its own device id and tag, served at `port` (0: any free one).
struct ServedTransmitter {
  explicit ServedTransmitter(std::uint32_t deviceId, std::uint16_t at = 0) : field(transmitter), server(field) {
    transport::testing::EnsureEventLoop();
    transmitter.mutableState().identification.serialNumber = deviceId;
    transmitter.mutableState().identification.tag = "TT-" + std::to_string(deviceId);
    this->port = server.listen(QHostAddress::LocalHost, at).value();
  }
  std::string address() const { return "hart-ip://127.0.0.1:" + std::to_string(port); }

  device::SimulatedTransmitter transmitter{device::kDefaultSeed};
  device::HartDevice field;
  transport::HartIpServer server;
  std::uint16_t port = 0;
};

// An I/O system of `count` of our transmitters (device ids from 200001),
// served at `port` (0: any free one). `deviceType` tells the transmitters
// of two I/O systems apart.
struct ServedGateway {
  explicit ServedGateway(int count, std::uint16_t at = 0, int deviceType = device::Identification{}.deviceType)
      : system(Entries(count, deviceType)), server(system) {
    transport::testing::EnsureEventLoop();
    port = server.listen(QHostAddress::LocalHost, at).value();
  }
  static std::vector<device::SubDeviceEntry> Entries(int count, int deviceType) {
    std::vector<device::SubDeviceEntry> entries = device::OurTransmitters(count);
    for (device::SubDeviceEntry& entry : entries) entry.deviceType = deviceType;
    return entries;
  }
  std::string address() const { return "hart-ip://127.0.0.1:" + std::to_string(port); }

  device::IoSystem system;
  transport::HartIpServer server;
  std::uint16_t port = 0;
};

// A loopback port nobody listens on (for now).
inline std::uint16_t SilentPort() {
  device::SimulatedTransmitter transmitter{device::kDefaultSeed};
  device::HartDevice field(transmitter);
  transport::HartIpServer server(field);
  return server.listen(QHostAddress::LocalHost, 0).value();
}

inline std::vector<PlantEndpoint> Plant(const std::vector<std::string>& addresses) {
  std::string json = R"({"endpoints": [)";
  for (const std::string& address : addresses) json += (json.back() == '[' ? "\"" : ",\"") + address + "\"";
  return ParsePlantFile(json + "]}", "plant.json").value();
}

}  // namespace zolin6::plant::testing
