#include "device/simulated_transmitter.h"

#include "device/bench_values.h"

namespace zolin6::device {

SimulatedTransmitter::SimulatedTransmitter(std::uint32_t seed, Millis restartTime)
    : state_(FactoryState()), process_(seed), restartTime_(restartTime) {}

Measurements SimulatedTransmitter::Measure(Millis now) {
  process_.AdvanceTo(now, state_);
  return process_.Measure(state_);
}

Measurements SimulatedTransmitter::LastMeasured() const {
  if (process_.started()) return process_.Measure(state_);
  ProcessSimulation atRest = process_;
  DeviceState state = state_;
  atRest.AdvanceTo(0, state);
  return atRest.Measure(state);
}

void SimulatedTransmitter::Restart(Millis now) {
  busyUntil_ = now + restartTime_;
  state_.coldStart = true;
}

void SimulatedTransmitter::Replace(DeviceState state) {
  state_ = std::move(state);
  state_.coldStart = true;
  for (LoopOutput& output : state_.outputs) output.fixed = false;
}

std::string SimulatedTransmitter::SetValue(const std::string& name, const std::string& value, Millis now) {
  process_.AdvanceTo(now, state_);
  return SetBenchValue(name, value, state_, process_);
}

void SimulatedTransmitter::SetBroken(int channel, bool broken) {
  if (channel == 0) {
    process_.SetLocalBroken(broken);
  } else if (channel >= 1 && channel <= kChannels) {
    process_.SetBroken(channel - 1, broken);
  }
}

}  // namespace zolin6::device
