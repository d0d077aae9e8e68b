#include "driver/device_writes.h"

#include <algorithm>
#include <set>

#include "driver/device_changes.h"
#include "driver/device_write_fields.h"

namespace zolin6::driver {

namespace {

// Write codes that change the configuration: they raise the configuration
// change counter and set "Configuration Changed".
const std::set<int> kConfigurationWrites{1, 2, 3, 4, 5, 6, 10, 13, 14, 15, 16, 17, 20, 21, 23, 24, 26, 27, 28, 29};
// Writes the device carries out while write protection is on: the reset,
// and the loop test and fixed currents, which change no configuration.
const std::set<int> kUnprotectedWrites{9, 11, 12, 22};

// The limits of the device temperature trim and the damping.
constexpr double kLargestTemperatureTrim = 10.0;  // °C
constexpr float kLongestDamping = 32.0F;          // s

// A channel code "00" to "05" (sensors) or "01" to "05" (outputs 2 to 6).
bool ValidChannel(int channel, int first) { return channel >= first && channel <= kChannels - 1; }

// What one write carries and the state it changes.
struct Write {
  int code;
  Fields& f;
  const RequestAttributes& a;
  DeviceState& s;
  const ProcessSimulation& process;
};

// Identification, HART settings, the status resets, device reset and factory configuration.
int CarrySettings(const Write& w) {
  const auto& [code, f, a, s, process] = w;
  switch (code) {
    case 1: {  // identification record, message, long tag, final assembly number
      std::string tag = f.packed(1, 6, 8);
      std::string descriptor = f.packed(2, 12, 16);
      const std::uint32_t date = f.hex(3, 6);
      std::string message = f.packed(4, 24, 32);
      std::string longTag = f.latin32(5);
      const std::uint32_t assembly = f.hex(6, 6);
      if (f.error() != 0) return f.error();
      Identification& id = s.identification;
      id.tag = std::move(tag);
      id.descriptor = std::move(descriptor);
      id.day = static_cast<int>(date >> 16);
      id.month = static_cast<int>((date >> 8) & 0xFF);
      id.year = 1900 + static_cast<int>(date & 0xFF);
      id.message = std::move(message);
      id.longTag = std::move(longTag);
      id.finalAssembly = assembly;
      return 0;
    }
    case 2: {  // HART settings
      const int mode = f.code(1);
      const int address = f.code(2);
      const int preambles = f.code(3);
      const int protect = f.code(4);
      const int alarm = f.code(5);
      if (f.error() != 0) return f.error();
      if (mode > 1 || protect > 1 || alarm > 1) return kResponseInvalidSelection;
      if (address > 63 || preambles > 20) return kResponseTooLarge;
      if (preambles < 5) return kResponseTooSmall;
      s.loopCurrentMode = mode;
      s.identification.pollingAddress = address;
      s.responsePreambles = preambles;
      s.writeProtect = protect;
      s.loopAlarm = alarm;
      return 0;
    }
    case 7: {  // reset "Configuration Changed", given the counter the user saw
      const int counter = f.code(1);
      if (f.error() != 0) return f.error();
      if (counter != (s.configChangeCounter & 0xFFFF)) return kResponseTooHigh;
      s.configChanged = false;
      return 0;
    }
    case 8:  // reset the change counters
      s.changeCounters.fill(0);
      return 0;
    case 9:  // device reset
      for (LoopOutput& output : s.outputs) output.fixed = false;
      s.coldStart = true;
      return 0;
    case 10:  // factory configuration
      RestoreFactoryConfiguration(s);
      s.coldStart = true;
      return 0;
    default: return kResponseNotImplemented;
  }
}

// The sensor channels: configuration, unit and range, one channel's or copied to all.
int CarryChannels(const Write& w) {
  const auto& [code, f, a, s, process] = w;
  switch (code) {
    case 3: {  // one channel's sensor; channel 1's write also carries the temperature limits
      const int channel = f.code(1);
      const int type = f.code(2);
      const int connection = f.code(3);
      const int coldJunction = f.code(4);
      if (f.error() != 0) return f.error();
      if (!ValidChannel(channel, 0)) return kResponseInvalidSelection;
      if (int refused = ConfigureSensor(s.channels[channel], type, connection, coldJunction)) return refused;
      if (channel == 0) {
        Fields limits(a);
        const float high = limits.real(5);
        const float low = limits.real(6);
        const int unit = limits.code(7);
        if (limits.error() == 0) TakeTemperatureLimits(s.sensorParameters, high, low, unit);
      }
      return 0;
    }
    case 4: {  // a unit: "0C" the device temperature's, "00".."05" a sensor's
      const int target = f.code(1);
      const int unit = f.code(2);
      if (f.error() != 0) return f.error();
      if (target == 12) {
        if (UnitKind(unit) != InputKind::Temperature) return kResponseNotPossible;
        s.localTempUnit = unit;
        return 0;
      }
      if (!ValidChannel(target, 0)) return kResponseInvalidSelection;
      if (s.backupMode == 1 || !UnitFitsSensor(unit, s.channels[target].type)) return kResponseNotPossible;
      ChangeChannelUnit(s.channels[target], unit);
      return 0;
    }
    case 6: {  // one channel's range
      const int channel = f.code(1);
      const int unit = f.code(2);
      const float upper = f.real(3);
      const float lower = f.real(4);
      if (f.error() != 0) return f.error();
      if (!ValidChannel(channel, 0)) return kResponseInvalidSelection;
      return SetRange(s.channels[channel], unit, upper, lower);
    }
    case 27: {  // sensor 1's configuration to every channel
      const int type = f.code(1);
      const int connection = f.code(2);
      const int coldJunction = f.code(3);
      if (f.error() != 0) return f.error();
      for (SensorChannel& channel : s.channels) {
        if (int refused = ConfigureSensor(channel, type, connection, coldJunction)) return refused;
      }
      Fields limits(a);
      const float high = limits.real(4);
      const float low = limits.real(5);
      const int unit = limits.code(6);
      if (limits.error() == 0) TakeTemperatureLimits(s.sensorParameters, high, low, unit);
      return 0;
    }
    case 28: {  // sensor 1's range to every channel
      const int unit = f.code(1);
      const float upper = f.real(2);
      const float lower = f.real(3);
      if (f.error() != 0) return f.error();
      for (SensorChannel& channel : s.channels) {
        if (int refused = SetRange(channel, unit, upper, lower)) return refused;
      }
      return 0;
    }
    default: return kResponseNotImplemented;
  }
}

// The display lines, backup and average, the extremes and the sensor parameters.
int CarryDeviceSettings(const Write& w) {
  const auto& [code, f, a, s, process] = w;
  switch (code) {
    case 5: {  // the six display lines
      std::array<int, 6> lines{};
      for (int i = 0; i < 6; ++i) lines[i] = f.code(i + 1);
      if (f.error() != 0) return f.error();
      if (std::ranges::any_of(lines, [](int v) { return v > 12; })) return kResponseInvalidSelection;
      s.displays = lines;
      return 0;
    }
    case 16: {  // backup and average
      const int backup = f.code(1);
      const int sensor = f.code(2);
      const int average = f.code(3);
      if (f.error() != 0) return f.error();
      if (backup > 1 || average > 1 || sensor < 1 || sensor > 5) return kResponseInvalidSelection;
      if (backup == 1 && average == 1) return kResponseInvalidMode;
      s.backupMode = backup;
      s.backupSensor = sensor;
      s.averageMode = average;
      return 0;
    }
    case 17: {  // extreme tracking switches
      const int sensor = f.code(1);
      const int local = f.code(2);
      if (f.error() != 0) return f.error();
      if (sensor > 1 || local > 1) return kResponseInvalidSelection;
      s.sensorMaxMin = sensor;
      s.tempMaxMin = local;
      return 0;
    }
    case 18: s.sensorMin = s.sensorMax = {}; return 0;
    case 19: s.localMin = s.localMax = {}; return 0;
    case 26: {  // sensor parameters
      const float high = f.real(1);
      const float low = f.real(2);
      const int unit = f.code(3);
      SensorParameters next = s.sensorParameters;
      next.coeffA = f.real(4);
      next.coeffB = f.real(5);
      next.coeffC = f.real(6);
      next.coeffR0 = f.real(7);
      next.damping = f.real(8);
      if (f.error() != 0) return f.error();
      if (UnitKind(unit) != InputKind::Temperature) return kResponseNotPossible;
      if (!(high > low)) return kResponseInvalidSpan;
      if (next.damping > kLongestDamping) return kResponseTooLarge;
      if (next.damping < 0 || next.coeffR0 <= 0) return kResponseTooSmall;
      next.highLimit = high;
      next.lowLimit = low;
      next.unit = unit;
      s.sensorParameters = next;
      return 0;
    }
    default: return kResponseNotImplemented;
  }
}

// The loop outputs: loop test, fixed currents and the 4 / 20 mA trims.
int CarryOutputs(const Write& w) {
  const auto& [code, f, a, s, process] = w;
  switch (code) {
    case 11: {  // loop test of output 1
      const float current = f.real(1);
      if (f.error() != 0) return f.error();
      return FixCurrent(s, s.outputs[0], true, current);
    }
    case 12: {  // fixed current of output 1, with the trim point (1: 4 mA, 2: 20 mA, 0: leave)
      const float current = f.real(1);
      const int point = f.code(2);
      if (f.error() != 0) return f.error();
      if (point > 2) return kResponseInvalidSelection;
      return FixCurrent(s, s.outputs[0], true, current);
    }
    case 13:
    case 14: {  // 4 / 20 mA trim of output 1
      const float reading = f.real(1);
      if (f.error() != 0) return f.error();
      return TrimCurrent(s.outputs[0], code == 13 ? 4.0F : 20.0F, reading);
    }
    case 22: {  // fixed current of outputs 2 to 6
      const int channel = f.code(1);
      const float current = f.real(2);
      if (f.error() != 0) return f.error();
      if (!ValidChannel(channel, 1)) return kResponseInvalidSelection;
      return FixCurrent(s, s.outputs[channel], false, current);
    }
    case 23:
    case 24: {  // 4 / 20 mA trim of outputs 2 to 6
      const int channel = f.code(1);
      const float reading = f.real(2);
      if (f.error() != 0) return f.error();
      if (!ValidChannel(channel, 1)) return kResponseInvalidSelection;
      return TrimCurrent(s.outputs[channel], code == 23 ? 4.0F : 20.0F, reading);
    }
    default: return kResponseNotImplemented;
  }
}

// The temperature trims of sensor 1 and of the device temperature, and the factory trim.
int CarryTrims(const Write& w) {
  const auto& [code, f, a, s, process] = w;
  switch (code) {
    case 15: {  // temperature trim of the device temperature
      const int unit = f.code(1);
      const float value = f.real(2);
      if (f.error() != 0) return f.error();
      const std::optional<double> raw = process.LocalRaw();
      if (UnitKind(unit) != InputKind::Temperature || !raw) return kResponseNotPossible;
      const double offset = ConvertValue(value, unit, kUnitDegC) - *raw;
      if (offset > kLargestTemperatureTrim) return kResponseTooLarge;
      if (offset < -kLargestTemperatureTrim) return kResponseTooSmall;
      s.localTempOffset = static_cast<float>(offset);
      return 0;
    }
    case 20:
    case 21: {  // sensor 1 lower / upper trim
      const int unit = f.code(1);
      const float value = f.real(2);
      if (f.error() != 0) return f.error();
      return TrimSensor(s.channels[0], process, unit, value, code == 21);
    }
    case 29: {  // factory trim: 1 the resistance input, 0 the millivolt input
      const int input = f.code(1);
      const float value = f.real(2);
      if (f.error() != 0) return f.error();
      if (input > 1) return kResponseInvalidSelection;
      const float highest = input == 1 ? 4000.0F : 1000.0F;
      const float lowest = input == 1 ? 0.0F : -100.0F;
      if (value > highest) return kResponseTooLarge;
      if (value < lowest) return kResponseTooSmall;
      (input == 1 ? s.factoryTrimOhm : s.factoryTrimMv) = value;
      return 0;
    }
    default: return kResponseNotImplemented;
  }
}

int Carry(int code, const RequestAttributes& a, DeviceState& s, const ProcessSimulation& process) {
  Fields f(a);
  const Write write{code, f, a, s, process};
  // Each group answers the codes it knows and 64 to the rest.
  for (int (*carry)(const Write&) : {CarrySettings, CarryChannels, CarryDeviceSettings, CarryOutputs, CarryTrims}) {
    const int response = carry(write);
    if (response != kResponseNotImplemented) return response;
  }
  return kResponseNotImplemented;
}

}  // namespace

WriteResult ApplyWrite(int code, const RequestAttributes& attributes, DeviceState& state,
                       const ProcessSimulation& process) {
  if (state.writeProtect != 0 && !kUnprotectedWrites.contains(code)) {
    // Write protection can always be switched off again.
    const bool unprotects = code == 2 && attributes[3] == "00";
    if (!unprotects) return {kResponseWriteProtected, false};
  }
  DeviceState next = state;
  const int response = Carry(code, attributes, next, process);
  if (response != 0) return {response, false};
  CountChanges(state, next);
  // Sensor 1's recorded extremes mean nothing once it measures another kind
  // of input.
  const SensorTypeInfo* was = FindSensorType(state.channels[0].type);
  const SensorTypeInfo* is = FindSensorType(next.channels[0].type);
  if (was != nullptr && is != nullptr && was->kind != is->kind) next.sensorMin = next.sensorMax = {};
  if (kConfigurationWrites.contains(code)) {
    next.configChangeCounter = (next.configChangeCounter + 1) & 0xFFFF;
    next.configChanged = true;
  }
  state = std::move(next);
  return {0, code == 9 || code == 10};
}

}  // namespace zolin6::driver
