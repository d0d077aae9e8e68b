#include "device/device_model.h"

#include <algorithm>

namespace zolin6::device {

namespace {

using K = InputKind;

// Every sensor type of the transmitter, with its measuring limits, smallest
// span and the range it starts with, in the base unit of its kind.
constexpr std::array<SensorTypeInfo, 35> kSensorTypes{{
    {0, K::Resistance, 0, 100, 5, 0, 100},             // Ohm 100
    {1, K::Resistance, 0, 400, 10, 0, 400},            // Ohm 400
    {2, K::Resistance, 0, 2000, 50, 0, 2000},          // Ohm 2000
    {3, K::Temperature, -200, 850, 10, 0, 100},        // Callendar Van Dusen
    {12, K::Temperature, -200, 850, 10, 0, 100},       // Pt 100 IEC
    {13, K::Temperature, -200, 850, 10, 0, 100},       // Pt 200 IEC
    {14, K::Temperature, -200, 850, 10, 0, 100},       // Pt 500 IEC
    {15, K::Temperature, -200, 850, 10, 0, 100},       // Pt 1000 IEC
    {22, K::Temperature, -200, 645, 10, 0, 100},       // Pt 100 JIS
    {23, K::Temperature, -200, 645, 10, 0, 100},       // Pt 200 JIS
    {63, K::Temperature, -80, 260, 10, 0, 100},        // Ni 120 DIN
    {91, K::Temperature, -70, 150, 10, 0, 100},        // Cu 10 SAMA
    {92, K::Temperature, -50, 200, 10, 0, 100},        // Cu 100 GOST (426)
    {103, K::Temperature, -50, 200, 10, 0, 100},       // Cu 50 GOST (426)
    {104, K::Temperature, -180, 200, 10, 0, 100},      // Cu 50 GOST (428)
    {105, K::Temperature, -180, 200, 10, 0, 100},      // Cu 100 GOST (428)
    {106, K::Temperature, -200, 850, 10, 0, 100},      // Pt 50 GOST (391)
    {107, K::Temperature, -200, 850, 10, 0, 100},      // Pt 100 GOST (391)
    {128, K::Millivolt, -10, 25, 2.5F, 0, 25},         // mV 25
    {129, K::Millivolt, -10, 100, 5, 0, 100},          // mV 100
    {130, K::Millivolt, -100, 500, 20, 0, 500},        // mV 500
    {131, K::Temperature, 100, 1820, 100, 400, 1600},  // T/C Type B IEC
    {132, K::Temperature, 0, 2315, 50, 0, 2000},       // T/C Type W5 ASTM
    {133, K::Temperature, 0, 2315, 50, 0, 2000},       // T/C Type W3 ASTM
    {134, K::Temperature, -200, 1000, 25, 0, 600},     // T/C Type E IEC
    {136, K::Temperature, -210, 1200, 25, 0, 600},     // T/C Type J IEC
    {137, K::Temperature, -200, 1372, 25, 0, 600},     // T/C Type K IEC
    {138, K::Temperature, -200, 1300, 25, 0, 800},     // T/C Type N IEC
    {139, K::Temperature, -50, 1768, 50, 0, 1400},     // T/C Type R IEC
    {140, K::Temperature, -50, 1768, 50, 0, 1400},     // T/C Type S IEC
    {141, K::Temperature, -200, 400, 25, 0, 200},      // T/C Type T IEC
    {142, K::Temperature, -200, 900, 25, 0, 600},      // T/C Type L DIN
    {143, K::Temperature, -200, 600, 25, 0, 400},      // T/C Type U DIN
    {148, K::Temperature, -200, 800, 25, 0, 600},      // T/C Type L GOST
    {249, K::Current, 3.5F, 23, 1, 4, 20},             // 4-20mA Input
}};

// The temperature units on one scale: kelvin = (value + offset) * factor.
struct TemperatureScale {
  int unit;
  double offset;
  double factor;
};
constexpr std::array<TemperatureScale, 4> kTemperatureScales{{
    {kUnitDegC, 273.15, 1.0},
    {kUnitDegF, 459.67, 5.0 / 9.0},
    {kUnitDegR, 0.0, 5.0 / 9.0},
    {kUnitKelvin, 0.0, 1.0},
}};

const TemperatureScale* FindScale(int unit) {
  for (const auto& scale : kTemperatureScales) {
    if (scale.unit == unit) return &scale;
  }
  return nullptr;
}

struct ChannelDefaults {
  int type;
  int connection;
  int coldJunction;
  float lower;
  float upper;
};
// Two resistance thermometers, two thermocouples, a Pt 1000 and a type N
// thermocouple, as the demonstration unit leaves the factory.
constexpr std::array<ChannelDefaults, kChannels> kChannelDefaults{{
    {12, 3, 250, 0, 100},
    {12, 2, 250, 0, 150},
    {137, 2, 1, 0, 600},
    {136, 2, 1, 0, 400},
    {15, 3, 250, 0, 200},
    {138, 2, 1, 0, 800},
}};

// The output stages' own errors: each one a little off, as real ones are.
constexpr std::array<std::pair<float, float>, kChannels> kDacErrors{{
    {1.0015F, -0.012F},
    {0.9990F, 0.008F},
    {1.0008F, 0.015F},
    {0.9994F, -0.006F},
    {1.0011F, 0.004F},
    {0.9987F, -0.010F},
}};

}  // namespace

const SensorTypeInfo* FindSensorType(int code) {
  auto it = std::ranges::find(kSensorTypes, code, &SensorTypeInfo::code);
  return it == kSensorTypes.end() ? nullptr : &*it;
}

std::optional<InputKind> UnitKind(int unit) {
  if (FindScale(unit) != nullptr) return InputKind::Temperature;
  switch (unit) {
    case kUnitMillivolt: return InputKind::Millivolt;
    case kUnitOhm: return InputKind::Resistance;
    case kUnitMilliamp: return InputKind::Current;
    default: return std::nullopt;
  }
}

int BaseUnit(InputKind kind) {
  switch (kind) {
    case InputKind::Millivolt: return kUnitMillivolt;
    case InputKind::Resistance: return kUnitOhm;
    case InputKind::Current: return kUnitMilliamp;
    case InputKind::Temperature: break;
  }
  return kUnitDegC;
}

bool UnitFitsSensor(int unit, int type) {
  const SensorTypeInfo* info = FindSensorType(type);
  return info != nullptr && UnitKind(unit) == info->kind;
}

double ConvertValue(double value, int from, int to) {
  const TemperatureScale* a = FindScale(from);
  const TemperatureScale* b = FindScale(to);
  if (a == nullptr || b == nullptr || a == b) return value;
  return (value + a->offset) * a->factor / b->factor - b->offset;
}

double ConvertSpan(double span, int from, int to) {
  const TemperatureScale* a = FindScale(from);
  const TemperatureScale* b = FindScale(to);
  if (a == nullptr || b == nullptr) return span;
  return span * a->factor / b->factor;
}

void ChangeChannelUnit(SensorChannel& channel, int unit) {
  auto value = [&](float v) { return static_cast<float>(ConvertValue(v, channel.unit, unit)); };
  channel.upperRangeLimit = value(channel.upperRangeLimit);
  channel.lowerRangeLimit = value(channel.lowerRangeLimit);
  channel.upperRangeValue = value(channel.upperRangeValue);
  channel.lowerRangeValue = value(channel.lowerRangeValue);
  channel.minSpan = static_cast<float>(ConvertSpan(channel.minSpan, channel.unit, unit));
  channel.unit = unit;
}

void ChangeSensorType(SensorChannel& channel, int type) {
  const SensorTypeInfo* info = FindSensorType(type);
  if (info == nullptr) return;
  const int keptUnit = channel.unit;
  channel.type = type;
  channel.unit = BaseUnit(info->kind);
  channel.upperRangeLimit = info->upperLimit;
  channel.lowerRangeLimit = info->lowerLimit;
  channel.upperRangeValue = info->defaultUpper;
  channel.lowerRangeValue = info->defaultLower;
  channel.minSpan = info->minSpan;
  channel.trimGain = 1;
  channel.trimOffset = 0;
  channel.lowerTrimDone = false;
  if (UnitFitsSensor(keptUnit, type)) ChangeChannelUnit(channel, keptUnit);
}

DeviceState FactoryState() {
  DeviceState state;
  RestoreFactoryConfiguration(state);
  for (int i = 0; i < kChannels; ++i) {
    state.outputs[i].dacGain = kDacErrors[i].first;
    state.outputs[i].dacOffset = kDacErrors[i].second;
  }
  return state;
}

void RestoreFactoryConfiguration(DeviceState& state) {
  const DeviceState fresh;
  state.requestPreambles = fresh.requestPreambles;
  state.responsePreambles = fresh.responsePreambles;
  state.writeProtect = fresh.writeProtect;
  state.loopCurrentMode = fresh.loopCurrentMode;
  state.loopAlarm = fresh.loopAlarm;
  state.identification.pollingAddress = fresh.identification.pollingAddress;
  for (int i = 0; i < kChannels; ++i) {
    SensorChannel& channel = state.channels[i];
    const ChannelDefaults& d = kChannelDefaults[i];
    channel = SensorChannel{};
    ChangeSensorType(channel, d.type);
    channel.connection = d.connection;
    channel.coldJunction = d.coldJunction;
    channel.lowerRangeValue = d.lower;
    channel.upperRangeValue = d.upper;
    LoopOutput& output = state.outputs[i];
    output.fixed = false;
    output.fixedCurrent = 0;
    output.trimGain = 1;
    output.trimOffset = 0;
  }
  state.sensorParameters = fresh.sensorParameters;
  state.localTempUnit = fresh.localTempUnit;
  state.displays = fresh.displays;
  state.backupMode = fresh.backupMode;
  state.backupSensor = fresh.backupSensor;
  state.averageMode = fresh.averageMode;
  state.sensorMaxMin = fresh.sensorMaxMin;
  state.tempMaxMin = fresh.tempMaxMin;
  state.localTempOffset = 0;
  state.factoryTrimOhm = 0;
  state.factoryTrimMv = 0;
}

}  // namespace zolin6::device
