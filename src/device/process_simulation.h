#pragma once
// The process the transmitter measures, and what it makes of it: each
// sensor input follows its own level with a slow random wander and a little
// noise (deterministic from a seed), damped by the device's damping; the
// device derives PV, SV, TV, percent of range, the six loop currents and
// its status bytes from the readings and its configuration.
//
// Time moves in fixed steps of 250 ms, so the same seed and the same
// moments of asking give the same values.

#include <array>
#include <cstdint>
#include <optional>
#include <random>

#include "device/device_model.h"
#include "device/device_time.h"

namespace zolin6::device {

// Loop currents the device drives, mA.
inline constexpr float kSaturationLow = 3.8F;    // lowest current while measuring
inline constexpr float kSaturationHigh = 20.5F;  // highest current while measuring
inline constexpr float kAlarmHigh = 21.75F;      // fault current, alarm direction high
inline constexpr float kAlarmLow = 3.6F;         // fault current, alarm direction low

// Everything the device reports about the process at one moment. A reading
// that is not valid (a broken sensor) is nullopt; the documents show it as
// the device's not-a-number text.
struct Measurements {
  std::array<std::optional<float>, kChannels> reading;  // each sensor, in its channel's unit
  std::array<std::optional<float>, kChannels> percent;  // each sensor, percent of its range
  std::optional<float> localTemp;                       // the device's own temperature, in its unit
  std::optional<float> pv;                              // primary variable, in sensor 1's unit
  std::optional<float> pvPercent;                       // PV in percent of sensor 1's range
  std::optional<float> sv;                              // secondary variable: sensor 2
  std::optional<float> tv;                              // tertiary variable: the device temperature
  std::array<float, kChannels> loopCurrent{};           // the current each output drives, mA
  std::array<float, kChannels> actualCurrent{};         // the current reaching each loop, mA
  bool backupActive = false;                            // PV comes from the backup sensor
  int deviceStatus = 0;                                 // HART device status byte
  int diagStatus = 0;                                   // sensor alerts
  int diagStatusByte1 = 0;                              // limit alarms, backup
};

class ProcessSimulation {
 public:
  static constexpr Millis kStep = 250;

  explicit ProcessSimulation(std::uint32_t seed);

  // Runs the process up to `now` and records the extremes the device tracks
  // in `state`.
  void AdvanceTo(Millis now, DeviceState& state);
  // Whether the process has run at all: it starts at the first AdvanceTo.
  bool started() const { return time_ >= 0; }
  Measurements Measure(const DeviceState& state) const;

  // A broken sensor (channel 0..5) reads nothing until repaired; the
  // device's own temperature sensor breaks the same way.
  void SetBroken(int channel, bool broken) { inputs_[channel].broken = broken; }
  bool broken(int channel) const { return inputs_[channel].broken; }
  void SetLocalBroken(bool broken) { local_.broken = broken; }

  // Moves the level a sensor wanders around to `value` in the channel's
  // unit (as shown, trims included), at once.
  void SetLevel(int channel, double value, const DeviceState& state);
  // The same for the device temperature, in its unit.
  void SetLocalLevel(double value, const DeviceState& state);

  // A sensor's input before the sensor trim, in the base unit of its kind;
  // nullopt when broken. The trims work from it.
  std::optional<double> RawInput(int channel) const;
  // The device temperature before the temperature trim, °C.
  std::optional<double> LocalRaw() const;

 private:
  struct Input {
    int type = -1;        // the sensor type the input was set up for
    double level = 0;     // where the process sits, base unit
    double wander = 0;    // slow departure from the level
    double noise = 0;     // this step's noise
    double filtered = 0;  // the damped input, base unit
    bool broken = false;
  };

  void SetUp(int channel, const DeviceState& state);
  void Step(DeviceState& state);
  void Move(Input& input, double scale, double noise, double damping);
  double Uniform();  // in [-1, 1]

  std::array<Input, kChannels> inputs_;
  Input local_;
  std::mt19937 random_;
  Millis time_ = -1;
};

}  // namespace zolin6::device
