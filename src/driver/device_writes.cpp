#include "driver/device_writes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <set>

#include "codecs/functions_hart.h"

namespace zolin6::driver {

namespace {

// Write codes that change the configuration: they raise the configuration
// change counter and set "Configuration Changed".
const std::set<int> kConfigurationWrites{1, 2, 3, 4, 5, 6, 10, 13, 14, 15, 16, 17, 20, 21, 23, 24, 26, 27, 28, 29};
// Writes the device carries out while write protection is on: the reset,
// and the loop test and fixed currents, which change no configuration.
const std::set<int> kUnprotectedWrites{9, 11, 12, 22};

// The limits a trim or a fixed current may take.
constexpr float kLowestFixedCurrent = 3.5F;       // mA
constexpr float kHighestFixedCurrent = 23.0F;     // mA
constexpr float kLargestCurrentTrim = 1.0F;       // mA between the held point and the reading
constexpr double kLargestSensorTrim = 0.1;        // of the sensor's measuring span
constexpr double kLargestTemperatureTrim = 10.0;  // °C
constexpr float kLongestDamping = 32.0F;          // s

// The request's attributes, read one after the other; the first one that
// cannot be read decides the response code, and later reads change nothing.
class Fields {
 public:
  explicit Fields(const RequestAttributes& attributes) : a_(attributes) {}

  // A code of one to four hexadecimal digits. A missing attribute is
  // "too few data bytes"; the empty text (a choice without a code) or other
  // text, a sign included, is an invalid selection.
  int code(int n) {
    const std::string& text = a_[n - 1];
    if (text == "None") return fail(kResponseTooFewBytes);
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || text.size() > 4 || ec != std::errc() || end != text.data() + text.size()) {
      return fail(kResponseInvalidSelection);
    }
    return static_cast<int>(value);
  }

  // A number: the 8 hexadecimal digits of its IEEE single-precision bits.
  float real(int n) {
    const std::string& text = a_[n - 1];
    std::uint32_t bits = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
    if (text.size() != 8 || ec != std::errc() || end != text.data() + text.size()) {
      fail(kResponseTooFewBytes);
      return 0;
    }
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) fail(kResponseInvalidSelection);
    return value;
  }

  // Packed ASCII of exactly `bytes` bytes.
  std::string packed(int n, int bytes, int characters) {
    const std::string& text = a_[n - 1];
    if (static_cast<int>(text.size()) != 2 * bytes) return failText();
    Result<std::string> unpacked = codecs::UnpackAscii(text, bytes, characters);
    return unpacked ? *unpacked : failText();
  }

  // One byte per character, 32 characters.
  std::string latin32(int n) {
    const std::string& text = a_[n - 1];
    if (text.size() != 64) return failText();
    Result<std::string> decoded = codecs::HexToText32(text);
    return decoded ? *decoded : failText();
  }

  // An unsigned number of exactly `digits` hexadecimal digits.
  std::uint32_t hex(int n, std::size_t digits) {
    const std::string& text = a_[n - 1];
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != digits || ec != std::errc() || end != text.data() + text.size()) {
      fail(kResponseTooFewBytes);
      return 0;
    }
    return value;
  }

  // The response code of the first attribute that could not be read, or 0.
  int error() const { return error_; }

 private:
  int fail(int response) {
    if (error_ == 0) error_ = response;
    return 0;
  }
  std::string failText() {
    fail(kResponseTooFewBytes);
    return {};
  }

  const RequestAttributes& a_;
  int error_ = 0;
};

bool IsThermocouple(int type) { return type >= 131 && type <= 148; }
bool IsMillivolt(int type) { return type >= 128 && type <= 130; }

// A sensor channel's type, connection and cold junction. Thermocouples and
// millivolt inputs have two wires; a channel function (differential,
// maximum, minimum, backup, average) goes with any sensor.
int ConfigureSensor(SensorChannel& channel, int type, int connection, int coldJunction) {
  if (FindSensorType(type) == nullptr || connection < 2 || connection > 9 ||
      (coldJunction != 1 && coldJunction != 2 && coldJunction != 250)) {
    return kResponseInvalidSelection;
  }
  if ((IsThermocouple(type) || IsMillivolt(type)) && (connection == 3 || connection == 4)) return kResponseInvalidMode;
  if (type != channel.type) ChangeSensorType(channel, type);
  channel.connection = connection;
  channel.coldJunction = coldJunction;
  return 0;
}

// The sensor temperature limits and their unit, as the channel 1 sensor
// write and the copy of the sensor configuration carry them. The page sends
// them whether or not they were ever read, so they are taken only when they
// make a pair of temperature limits; otherwise they are left alone.
void TakeTemperatureLimits(SensorParameters& p, float high, float low, int unit) {
  if (UnitKind(unit) != InputKind::Temperature || !(high > low)) return;
  p.highLimit = high;
  p.lowLimit = low;
  p.unit = unit;
}

// A channel's range in `unit`: the unit must fit the sensor, both values
// lie within the limits, the upper above the lower by at least the
// minimum span.
int SetRange(SensorChannel& channel, int unit, float upper, float lower) {
  if (!UnitFitsSensor(unit, channel.type)) return kResponseNotPossible;
  ChangeChannelUnit(channel, unit);
  if (upper > channel.upperRangeLimit || lower > channel.upperRangeLimit) return kResponseTooHigh;
  if (lower < channel.lowerRangeLimit || upper < channel.lowerRangeLimit) return kResponseTooLow;
  if (upper <= lower) return kResponseInvalidSpan;
  if (upper - lower < channel.minSpan) return kResponseSpanTooSmall;
  channel.upperRangeValue = upper;
  channel.lowerRangeValue = lower;
  return 0;
}

// Holds an output at `current`, or lets it go for a current of 0.
int FixCurrent(const DeviceState& state, LoopOutput& output, bool first, float current) {
  if (current == 0) {
    output.fixed = false;
    return 0;
  }
  // With the loop current mode off the first loop only powers the device.
  if (first && state.loopCurrentMode == 0) return kResponseNotPossible;
  if (current > kHighestFixedCurrent) return kResponseTooLarge;
  if (current < kLowestFixedCurrent) return kResponseTooSmall;
  output.fixed = true;
  output.fixedCurrent = current;
  return 0;
}

// Trims an output held at its 4 mA or 20 mA point with the current the
// user measured there. The 4 mA trim moves the whole output; the 20 mA
// trim turns it about the 4 mA point.
int TrimCurrent(LoopOutput& output, float point, float reading) {
  if (!output.fixed) return kResponseNotPossible;
  if (reading - point > kLargestCurrentTrim) return kResponseTooLarge;
  if (point - reading > kLargestCurrentTrim) return kResponseTooSmall;
  if (point < 10) {
    output.trimOffset += point - reading;
  } else {
    const float turn = (point - reading) / (point - 4.0F);
    output.trimGain += turn;
    output.trimOffset -= 4.0F * turn;
  }
  return 0;
}

// Sensor 1's lower (0 %) or upper (100 %) trim: the value the device is to
// read now, in `unit`. The lower trim shifts the reading; the upper one
// turns it about the lower trim point when the input has moved far enough
// from it, and shifts it otherwise.
int TrimSensor(SensorChannel& channel, const ProcessSimulation& process, int unit, float value, bool upper) {
  const SensorTypeInfo* info = FindSensorType(channel.type);
  const std::optional<double> raw = process.RawInput(0);
  if (info == nullptr || UnitKind(unit) != info->kind || !raw) return kResponseNotPossible;
  const int base = BaseUnit(info->kind);
  const double wanted = ConvertValue(value, unit, base);
  const double reading = channel.trimGain * *raw + channel.trimOffset;
  const double largest = kLargestSensorTrim * (info->upperLimit - info->lowerLimit);
  if (wanted - reading > largest) return kResponseTooLarge;
  if (reading - wanted > largest) return kResponseTooSmall;
  const double apart = 0.01 * (info->upperLimit - info->lowerLimit);
  if (upper && channel.lowerTrimDone && std::abs(*raw - channel.lowerTrimInput) >= apart) {
    const double gain = (wanted - channel.lowerTrimValue) / (*raw - channel.lowerTrimInput);
    channel.trimGain = static_cast<float>(gain);
    channel.trimOffset = static_cast<float>(channel.lowerTrimValue - gain * channel.lowerTrimInput);
  } else {
    channel.trimOffset = static_cast<float>(wanted - channel.trimGain * *raw);
  }
  if (!upper) {
    channel.lowerTrimDone = true;
    channel.lowerTrimInput = static_cast<float>(*raw);
    channel.lowerTrimValue = static_cast<float>(wanted);
  }
  return 0;
}

// A channel code "00" to "05" (sensors) or "01" to "05" (outputs 2 to 6).
bool ValidChannel(int channel, int first) { return channel >= first && channel <= kChannels - 1; }

int Carry(int code, const RequestAttributes& a, DeviceState& s, const ProcessSimulation& process) {
  Fields f(a);
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
    case 5: {  // the six display lines
      std::array<int, 6> lines{};
      for (int i = 0; i < 6; ++i) lines[i] = f.code(i + 1);
      if (f.error() != 0) return f.error();
      if (std::ranges::any_of(lines, [](int v) { return v > 12; })) return kResponseInvalidSelection;
      s.displays = lines;
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
    case 20:
    case 21: {  // sensor 1 lower / upper trim
      const int unit = f.code(1);
      const float value = f.real(2);
      if (f.error() != 0) return f.error();
      return TrimSensor(s.channels[0], process, unit, value, code == 21);
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

// Raises each change counter whose part of the configuration differs.
void CountChanges(const DeviceState& before, DeviceState& after) {
  auto any = [&](auto differs) {
    for (int i = 0; i < kChannels; ++i) {
      if (differs(before.channels[i], after.channels[i])) return true;
    }
    return false;
  };
  const SensorParameters& p = before.sensorParameters;
  const SensorParameters& q = after.sensorParameters;
  const std::array<bool, kChangeCounterCount> changed{
      any([](const SensorChannel& x, const SensorChannel& y) {
        return x.upperRangeValue != y.upperRangeValue || x.lowerRangeValue != y.lowerRangeValue;
      }),
      any([](const SensorChannel& x, const SensorChannel& y) {
        return x.trimGain != y.trimGain || x.trimOffset != y.trimOffset;
      }) ||
          before.factoryTrimOhm != after.factoryTrimOhm || before.factoryTrimMv != after.factoryTrimMv,
      any([](const SensorChannel& x, const SensorChannel& y) {
        return x.type != y.type || x.connection != y.connection;
      }),
      any([](const SensorChannel& x, const SensorChannel& y) { return x.unit != y.unit; }),
      p.damping != q.damping,
      any([](const SensorChannel& x, const SensorChannel& y) { return x.coldJunction != y.coldJunction; }),
      !std::ranges::equal(
          before.outputs, after.outputs,
          [](const auto& x, const auto& y) { return x.trimGain == y.trimGain && x.trimOffset == y.trimOffset; }),
      before.localTempOffset != after.localTempOffset,
      before.localTempUnit != after.localTempUnit,
      before.writeProtect != after.writeProtect,
      before.displays != after.displays,
      before.loopAlarm != after.loopAlarm,
      before.identification.pollingAddress != after.identification.pollingAddress ||
          before.loopCurrentMode != after.loopCurrentMode,
      p.coeffA != q.coeffA || p.coeffB != q.coeffB || p.coeffC != q.coeffC || p.coeffR0 != q.coeffR0,
  };
  for (int i = 0; i < kChangeCounterCount; ++i) {
    if (changed[i]) after.changeCounters[i] = (after.changeCounters[i] + 1) & 0xFFFF;
  }
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
