#include "driver/device_changes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "driver/device_writes.h"

namespace zolin6::driver {

namespace {

// The limits a trim or a fixed current may take.
constexpr float kLowestFixedCurrent = 3.5F;    // mA
constexpr float kHighestFixedCurrent = 23.0F;  // mA
constexpr float kLargestCurrentTrim = 1.0F;    // mA between the held point and the reading
constexpr double kLargestSensorTrim = 0.1;     // of the sensor's measuring span

bool IsThermocouple(int type) { return type >= 131 && type <= 148; }
bool IsMillivolt(int type) { return type >= 128 && type <= 130; }

}  // namespace

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

}  // namespace zolin6::driver
