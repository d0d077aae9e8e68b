#include "transport/simulated_device.h"

#include "device/device_state_file.h"
#include "platform/atomic_file.h"

namespace zolin6::transport {

namespace {

driver::HartDriverOptions DriverOptions(const SimOptions& options) {
  driver::HartDriverOptions driver;
  driver.master.link = LineTiming(options.line);
  if (options.line == LineKind::Instant) {
    // The device's busy after a restart is answered as the device gives it:
    // the paced answer is one transaction, as it always was.
    driver.master.busyResends = 0;
    // A device file may have moved the device to another polling address;
    // on an instant line looking at every address costs nothing.
    driver.master.scanPollingAddresses = true;
    driver.pacing = driver::AnswerPacing{options.latency, options.onlineDelay};
  }
  return driver;
}

}  // namespace

SimulatedDevice::SimulatedDevice(toolkit::Clock& clock, SimOptions options, driver::DriverObserver observer)
    : field_(std::make_shared<FieldDevice>(options.seed)),
      link_(std::make_shared<InProcessLink>(clock, std::shared_ptr<device::HartDevice>(field_, &field_->device),
                                            options.line)),
      driver_(std::make_shared<driver::HartDriver>(clock, link_, DriverOptions(options), std::move(observer))) {
  driver_->Start();
}

bool SimulatedDevice::SetLatency(toolkit::Millis latency) {
  if (link_->kind() != LineKind::Instant) return false;
  driver_->SetLatency(latency);
  return true;
}

Result<bool> SimulatedDevice::SaveState(const std::string& path) const {
  return SaveTransmitterState(field_->transmitter, path);
}

Result<bool> SimulatedDevice::LoadState(const std::string& path) {
  return LoadTransmitterState(field_->transmitter, path);
}

Result<bool> SaveTransmitterState(const device::SimulatedTransmitter& transmitter, const std::string& path) {
  // A failed save leaves the previous state file as it was.
  return platform::WriteFileAtomically(path, device::SaveDeviceState(transmitter.state()));
}

Result<bool> LoadTransmitterState(device::SimulatedTransmitter& transmitter, const std::string& path) {
  Result<std::string> text = platform::ReadWholeFile(path);
  if (!text) return text.error();
  Result<device::DeviceState> state = device::LoadDeviceState(*text);
  if (!state) return Error{path + ": " + state.error().message};
  transmitter.Replace(std::move(state).value());
  return true;
}

}  // namespace zolin6::transport
