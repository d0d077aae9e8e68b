#pragma once
// The built-in simulated device: the simulated transmitter as a HART
// device, on an in-process line to the HART driver the control is handed.
// What the window starts with, what `driver sim` and `driver hart` of the
// scenario runner hand over, and what the file commands use when no real
// device is named.
//
// Behind `driver sim` the line is instant and the driver paces its
// answers: the device comes on line shortly after the control registers,
// and each request is answered a fixed latency after the line is free, one
// at a time, as a transmitter on a 1200 baud line answers one operation.
// Behind `driver hart` the line is a 1200 baud FSK line with its wire time.
// Either way every answer is made by the HART driver from the device's HART
// replies.

#include <cstdint>
#include <memory>
#include <optional>

#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "driver/hart_driver.h"
#include "platform/framelink/framelink.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"
#include "transport/in_process_link.h"

namespace zolin6::transport {

struct SimOptions {
  LineKind line = LineKind::Instant;
  toolkit::Millis latency = 300;              // instant line: one operation, ms (a 1200 baud exchange)
  toolkit::Millis onlineDelay = 100;          // instant line: from the control's registration to the on-line state, ms
  std::uint32_t seed = device::kDefaultSeed;  // the process simulation's seed
};

class SimulatedDevice : public framelink::DtmObject {
 public:
  SimulatedDevice(toolkit::Clock& clock, SimOptions options = {}, driver::DriverObserver observer = {});

  // framelink::DtmObject: the HART driver's interfaces.
  std::shared_ptr<framelink::IFrameLinkSession> session() override { return driver_->session(); }
  std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return driver_->channel(); }

  // Unplugs the device's line or plugs it back in. On the instant line the
  // driver hears it at once and tells the control; on the FSK line it learns
  // it from its unanswered requests.
  void SetOnline(bool online) { link_->SetConnected(online); }
  bool online() const { return link_->connected(); }
  // The time of one operation from now on; false on the FSK line, whose
  // time is its wire time.
  bool SetLatency(toolkit::Millis latency);
  // Requests sent and not yet answered.
  int pendingTransactions() const { return driver_->pendingOperations(); }
  // Whether a control is registered to receive answers.
  bool registered() const { return driver_->registered(); }

  device::SimulatedTransmitter& transmitter() { return field_->transmitter; }
  const device::SimulatedTransmitter& transmitter() const { return field_->transmitter; }
  driver::HartDriver& driver() { return *driver_; }
  InProcessLink& link() { return *link_; }

  // The device state in a file (JSON, the files of `zolin6 --device`), so a
  // configured device survives a restart. Loading starts the device cold
  // with that configuration; a file that is not a device state leaves the
  // device as it was. Errors name the file.
  Result<bool> SaveState(const std::string& path) const;
  Result<bool> LoadState(const std::string& path);

 private:
  // The transmitter and the HART device that answers for it live and die
  // together, held by the line.
  struct FieldDevice {
    explicit FieldDevice(std::uint32_t seed) : transmitter(seed), device(transmitter) {}
    device::SimulatedTransmitter transmitter;
    device::HartDevice device;
  };

  std::shared_ptr<FieldDevice> field_;
  std::shared_ptr<InProcessLink> link_;
  std::shared_ptr<driver::HartDriver> driver_;
};

// A device state to the file `path` (atomically) and back; a file that is
// not a device state leaves the device as it was. Errors name the file.
Result<bool> SaveTransmitterState(const device::SimulatedTransmitter& transmitter, const std::string& path);
Result<bool> LoadTransmitterState(device::SimulatedTransmitter& transmitter, const std::string& path);

}  // namespace zolin6::transport
