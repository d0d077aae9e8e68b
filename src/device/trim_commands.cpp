// The trims of the inputs (148 sensor, 149 device temperature, 150 factory
// trim of the input stages) and the factory restore (151).

#include <cmath>

#include "device/command_table.h"

namespace zolin6::device {

namespace {

constexpr double kLargestSensorTrim = 0.10;     // of the sensor type's measuring span
constexpr double kTrimPointsApart = 0.01;       // of that span, for the upper trim to turn the reading
constexpr double kLargestTemperatureTrim = 10;  // °C
constexpr std::uint32_t kLowerPoint = 1;
constexpr std::uint32_t kUpperPoint = 2;

struct FactoryInput {
  float lowest;   // mV or Ω
  float highest;  // mV or Ω
  float DeviceState::*reference;
};
constexpr std::array<FactoryInput, 2> kFactoryInputs{{
    {-100.0F, 1000.0F, &DeviceState::factoryTrimMv},
    {0.0F, 4000.0F, &DeviceState::factoryTrimOhm},
}};

// The sensor trim of one channel: the reading becomes `wanted` (base unit)
// at input `raw`.
void Retrim(SensorChannel& c, double raw, double wanted, bool upper, double span) {
  const bool turns = upper && c.lowerTrimDone && std::abs(raw - c.lowerTrimInput) >= kTrimPointsApart * span;
  if (turns) {
    const double gain = (wanted - c.lowerTrimValue) / (raw - c.lowerTrimInput);
    c.trimGain = static_cast<float>(gain);
    c.trimOffset = static_cast<float>(c.lowerTrimValue - gain * c.lowerTrimInput);
  } else {
    c.trimOffset = static_cast<float>(wanted - c.trimGain * raw);
  }
  if (!upper) {
    c.lowerTrimDone = true;
    c.lowerTrimInput = static_cast<float>(raw);
    c.lowerTrimValue = static_cast<float>(wanted);
  }
}

}  // namespace

std::uint8_t TrimSensor(Exchange& x) {
  const std::uint32_t channel = x.u8(0);
  const std::uint32_t point = x.u8(1);
  const int unit = static_cast<int>(x.u8(2));
  const float value = x.f32(3);
  if (channel >= kChannels || (point != kLowerPoint && point != kUpperPoint) || !Finite(value)) {
    return code::kInvalidSelection;
  }
  SensorChannel& c = x.state.channels[channel];
  const SensorTypeInfo* type = FindSensorType(c.type);
  const std::optional<double> raw = x.process.RawInput(static_cast<int>(channel));
  if (type == nullptr || UnitKind(unit) != type->kind || !raw) return code::kNotPossible;
  const double wanted = ConvertValue(value, unit, BaseUnit(type->kind));
  const double correction = wanted - (c.trimGain * *raw + c.trimOffset);
  const double span = static_cast<double>(type->upperLimit) - type->lowerLimit;
  if (correction > kLargestSensorTrim * span) return code::kTooLarge;
  if (-correction > kLargestSensorTrim * span) return code::kTooSmall;
  Retrim(c, *raw, wanted, point == kUpperPoint, span);
  x.echo(7);
  return code::kOk;
}

std::uint8_t TrimDeviceTemperature(Exchange& x) {
  const int unit = static_cast<int>(x.u8(0));
  const float value = x.f32(1);
  if (!Finite(value)) return code::kInvalidSelection;
  const std::optional<double> raw = x.process.LocalRaw();
  if (UnitKind(unit) != InputKind::Temperature || !raw) return code::kNotPossible;
  const double offset = ConvertValue(value, unit, kUnitDegC) - *raw;
  if (offset > kLargestTemperatureTrim) return code::kTooLarge;
  if (offset < -kLargestTemperatureTrim) return code::kTooSmall;
  x.state.localTempOffset = static_cast<float>(offset);
  x.echo(5);
  return code::kOk;
}

std::uint8_t FactoryTrim(Exchange& x) {
  const std::uint32_t input = x.u8(0);
  const float value = x.f32(1);
  if (input >= kFactoryInputs.size() || !Finite(value)) return code::kInvalidSelection;
  const FactoryInput& stage = kFactoryInputs[input];
  if (value > stage.highest) return code::kTooLarge;
  if (value < stage.lowest) return code::kTooSmall;
  x.state.*stage.reference = value;
  x.echo(5);
  return code::kOk;
}

std::uint8_t RestoreFactory(Exchange& x) {
  RestoreFactoryConfiguration(x.state);
  x.restart = true;
  return code::kOk;
}

}  // namespace zolin6::device
