// The six sensor channels: read one (129), write its sensor (130), its
// range (131) and a variable's unit (132). Channel 255 configures all six
// together; the first channel refused refuses the whole command, which the
// device keeps by changing nothing unless the command answers 0.

#include "device/command_table.h"

namespace zolin6::device {

namespace {

constexpr std::uint32_t kAllChannels = 255;
constexpr std::size_t kSensorWithLimits = 13;
constexpr std::size_t kSensorOnly = 4;

std::uint32_t U(int value) { return static_cast<std::uint32_t>(value); }

bool IsChannel(std::uint32_t channel) { return channel < kChannels; }
bool IsChannelOrAll(std::uint32_t channel) { return IsChannel(channel) || channel == kAllChannels; }

// The channels a request names: one, or all six for 255.
std::span<SensorChannel> Named(DeviceState& state, std::uint32_t channel) {
  if (channel == kAllChannels) return state.channels;
  return std::span(state.channels).subspan(channel, 1);
}

bool IsThermocouple(std::uint32_t type) { return type >= 131 && type <= 148; }
bool IsMillivolt(std::uint32_t type) { return type >= 128 && type <= 130; }
// Three- and four-wire connections.
bool NeedsWires(std::uint32_t connection) { return connection == 3 || connection == 4; }

bool IsColdJunction(std::uint32_t value) { return value == 1 || value == 2 || value == kUnitNotUsed; }

InputKind KindOf(int type) {
  const SensorTypeInfo* info = FindSensorType(type);
  return info != nullptr ? info->kind : InputKind::Temperature;
}

// The alarm limits of 130, taken only when they make a pair of finite
// temperature limits, else left alone without a code.
void TakeLimits(Exchange& x) {
  const float high = x.f32(4);
  const float low = x.f32(8);
  const std::uint32_t unit = x.u8(12);
  if (UnitKind(static_cast<int>(unit)) != InputKind::Temperature) return;
  if (!Finite(high) || !Finite(low) || !(high > low)) return;
  SensorParameters& p = x.state.sensorParameters;
  p.highLimit = high;
  p.lowLimit = low;
  p.unit = static_cast<int>(unit);
}

std::uint8_t SetRange(SensorChannel& c, int unit, float upper, float lower) {
  if (!UnitFitsSensor(unit, c.type)) return code::kNotPossible;
  ChangeChannelUnit(c, unit);
  if (upper > c.upperRangeLimit || lower > c.upperRangeLimit) return code::kTooHigh;
  if (upper < c.lowerRangeLimit || lower < c.lowerRangeLimit) return code::kTooLow;
  if (!(upper > lower)) return code::kInvalidSpan;
  if (upper - lower < c.minSpan) return code::kSpanTooSmall;
  c.upperRangeValue = upper;
  c.lowerRangeValue = lower;
  return code::kOk;
}

}  // namespace

std::uint8_t ReadChannel(Exchange& x) {
  const std::uint32_t channel = x.u8(0);
  if (!IsChannel(channel)) return code::kInvalidSelection;
  const SensorChannel& c = x.state.channels[channel];
  x.put8(channel);
  x.put8(U(c.type));
  x.put8(U(c.connection));
  x.put8(U(c.coldJunction));
  x.put8(U(c.unit));
  for (const float value : {c.upperRangeLimit, c.lowerRangeLimit, c.upperRangeValue, c.lowerRangeValue, c.minSpan}) {
    x.putF(value);
  }
  return code::kOk;
}

std::uint8_t WriteChannelSensor(Exchange& x) {
  const std::uint32_t channel = x.u8(0);
  const std::uint32_t type = x.u8(1);
  const std::uint32_t connection = x.u8(2);
  const std::uint32_t coldJunction = x.u8(3);
  if (!IsChannelOrAll(channel) || FindSensorType(static_cast<int>(type)) == nullptr || connection < 2 ||
      connection > 9 || !IsColdJunction(coldJunction)) {
    return code::kInvalidSelection;
  }
  if ((IsThermocouple(type) || IsMillivolt(type)) && NeedsWires(connection)) return code::kInvalidMode;
  const InputKind firstKind = KindOf(x.state.channels[0].type);
  for (SensorChannel& c : Named(x.state, channel)) {
    if (U(c.type) != type) ChangeSensorType(c, static_cast<int>(type));
    c.connection = static_cast<int>(connection);
    c.coldJunction = static_cast<int>(coldJunction);
  }
  // Sensor 1's extremes mean nothing once it measures another kind of input.
  if (KindOf(x.state.channels[0].type) != firstKind) x.state.sensorMin = x.state.sensorMax = {};
  const bool withLimits = x.request.size() >= kSensorWithLimits && (channel == 0 || channel == kAllChannels);
  if (withLimits) TakeLimits(x);
  x.echo(x.request.size() >= kSensorWithLimits ? kSensorWithLimits : kSensorOnly);
  return code::kOk;
}

std::uint8_t WriteChannelRange(Exchange& x) {
  const std::uint32_t channel = x.u8(0);
  const int unit = static_cast<int>(x.u8(1));
  const float upper = x.f32(2);
  const float lower = x.f32(6);
  if (!IsChannelOrAll(channel) || !Finite(upper) || !Finite(lower)) return code::kInvalidSelection;
  x.echo(10);
  for (SensorChannel& c : Named(x.state, channel)) {
    if (const std::uint8_t refused = SetRange(c, unit, upper, lower)) return refused;
  }
  return code::kOk;
}

std::uint8_t WriteVariableUnit(Exchange& x) {
  constexpr std::uint32_t kDeviceTemperature = 12;
  const std::uint32_t variable = x.u8(0);
  const int unit = static_cast<int>(x.u8(1));
  if (!IsChannel(variable) && variable != kDeviceTemperature) return code::kInvalidSelection;
  if (variable == kDeviceTemperature) {
    if (UnitKind(unit) != InputKind::Temperature) return code::kNotPossible;
    x.state.localTempUnit = unit;  // its extremes stay in °C
  } else {
    SensorChannel& c = x.state.channels[variable];
    if (x.state.backupMode == 1 || !UnitFitsSensor(unit, c.type)) return code::kNotPossible;
    ChangeChannelUnit(c, unit);
  }
  x.echo(2);
  return code::kOk;
}

}  // namespace zolin6::device
