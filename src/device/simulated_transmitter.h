#pragma once
// The simulated transmitter itself, without any protocol: its state, the
// process it measures, and its restarts. The HART device (hart_device.h)
// answers commands on it; a bench (`sim` lines, zolin6-device's state file)
// changes it from outside.

#include <cstdint>
#include <string>

#include "device/device_model.h"
#include "device/process_simulation.h"

namespace zolin6::device {

// The process simulation's seed, unless a bench asks for another: the same
// device values in every program that simulates the transmitter.
inline constexpr std::uint32_t kDefaultSeed = 6;

class SimulatedTransmitter {
 public:
  // How long the device refuses writes as busy after a reset or a factory
  // restore, ms.
  static constexpr Millis kRestartTime = 2000;

  explicit SimulatedTransmitter(std::uint32_t seed, Millis restartTime = kRestartTime);

  // What the device measures at `now`; the process runs up to then first.
  Measurements Measure(Millis now);
  // What it measured last, the process left where it is (at rest when it
  // never ran).
  Measurements LastMeasured() const;

  const DeviceState& state() const { return state_; }
  // The state a command changes; call Measure first to bring the process up
  // to the moment.
  DeviceState& mutableState() { return state_; }
  // The process, for the trims that read its raw inputs.
  const ProcessSimulation& process() const { return process_; }

  // The device restarts (a reset, a factory restore): cold, and busy for
  // its restart time from `now`.
  void Restart(Millis now);
  // Whether it is still restarting at `now`.
  bool Restarting(Millis now) const { return now < busyUntil_; }
  // Replaces the whole device state, as after a power cycle with another
  // configuration: the device starts cold and no output stays held.
  void Replace(DeviceState state);

  // From the bench: changes a device value by the name the scenarios use
  // (bench_values.h); the empty text or why not.
  std::string SetValue(const std::string& name, const std::string& value, Millis now);
  // Breaks or repairs sensor `channel` (1..6), or the device's own
  // temperature sensor for channel 0.
  void SetBroken(int channel, bool broken);

 private:
  DeviceState state_;
  ProcessSimulation process_;
  Millis restartTime_;
  Millis busyUntil_ = -1;
};

}  // namespace zolin6::device
