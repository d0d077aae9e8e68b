#include "device/in_process_hart.h"

namespace zolin6::device {

namespace {

// The transmitter and the device that answers for it live and die together.
struct SimulatedFieldDevice {
  explicit SimulatedFieldDevice(std::uint32_t seed)
      : transmitter(seed, HartDevice::kRestartTime), device(transmitter) {}
  driver::SimulatedTransmitter transmitter;
  HartDevice device;
};

}  // namespace

InProcessHart MakeInProcessHart(toolkit::Clock& clock, std::uint32_t seed, driver::SimObserver observer) {
  auto field = std::make_shared<SimulatedFieldDevice>(seed);
  InProcessHart hart;
  hart.transmitter = &field->transmitter;
  hart.link = std::make_shared<InProcessLink>(clock, std::shared_ptr<HartDevice>(field, &field->device));
  hart.driver = std::make_shared<driver::HartDriver>(clock, hart.link, hart::MasterSettings{}, std::move(observer));
  hart.driver->Start();
  return hart;
}

}  // namespace zolin6::device
