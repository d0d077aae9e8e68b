#pragma once
// The simulated transmitter itself, without any link: its state, the
// process it measures, and one transaction at a time turned into the
// answer the device gives. How transactions reach it and when the answers
// go out is the driver's business (sim_driver.h).

#include <cstdint>
#include <optional>
#include <string>

#include "driver/device_documents.h"
#include "driver/device_model.h"
#include "driver/process_simulation.h"

namespace zolin6::driver {

// One answer of the device: the notification code and its text.
struct Answer {
  std::int32_t reason;  // 100 times the read code, or 4000 for a write
  std::string details;  // the parameter document
};

class SimulatedTransmitter {
 public:
  // `restartTime`: how long the device stays busy after a reset or a
  // factory restore, ms.
  SimulatedTransmitter(std::uint32_t seed, Millis restartTime);

  // The answer to read `code` (a decimal text) at `now`; nullopt for a code
  // the device does not answer.
  std::optional<Answer> Read(const std::string& code, const RequestAttributes& attributes, Millis now);
  // The answer to write `code` at `now`: notification 4000 with the
  // response code. While the device restarts every write is refused as
  // busy.
  Answer Write(const std::string& code, const RequestAttributes& attributes, Millis now);

  // What the device measures at `now`.
  Measurements Measure(Millis now);

  // Changes a device value by its tag (see SetDeviceValue); the empty text
  // or why not.
  std::string SetValue(const std::string& tag, const std::string& value, Millis now);
  // Breaks or repairs sensor `channel` (1..6), or the device's own
  // temperature sensor for channel 0.
  void SetBroken(int channel, bool broken);

  const DeviceState& state() const { return state_; }
  // For a front end that answers another protocol on the same device (the
  // HART device of src/device): the state its commands change, and the
  // process its trims read the inputs from. Call Measure first to bring the
  // process up to the moment.
  DeviceState& mutableState() { return state_; }
  const ProcessSimulation& process() const { return process_; }
  // Replaces the whole device state, as after a power cycle with another
  // configuration: the device starts cold.
  void Replace(DeviceState state);

 private:
  DeviceState state_;
  ProcessSimulation process_;
  Millis restartTime_;
  Millis busyUntil_ = -1;  // the device restarts until then
};

}  // namespace zolin6::driver
