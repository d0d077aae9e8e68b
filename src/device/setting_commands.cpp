// The device's settings: loop and HART settings (6, 7, 15, 38, 59, 139),
// sensor parameters (133, 134), display (135, 136), special functions
// (137, 138), change counters (140, 141) and temperature extremes (142 to
// 144).

#include <algorithm>

#include "device/command_table.h"

namespace zolin6::device {

namespace {

constexpr std::uint32_t kLargestPollingAddress = 63;
constexpr std::uint32_t kFewestPreambles = 5;
constexpr std::uint32_t kMostPreambles = 20;
constexpr std::uint32_t kLargestDisplayCode = 12;
constexpr float kLongestDamping = 32.0F;  // s
constexpr float kUnrecordedMinimum = 5000.0F;
constexpr float kUnrecordedMaximum = -5000.0F;
constexpr std::uint8_t kLinear = 0;
constexpr std::uint8_t kReserved = 250;

std::uint32_t U(int value) { return static_cast<std::uint32_t>(value); }

bool IsTemperatureUnit(std::uint32_t unit) { return UnitKind(static_cast<int>(unit)) == InputKind::Temperature; }

// A switch byte: 0 off, 1 on.
bool IsSwitch(std::uint32_t value) { return value <= 1; }

void PutExtreme(Exchange& x, const Extreme& extreme, float unrecorded, int from, int to) {
  x.putF(extreme.recorded ? static_cast<float>(ConvertValue(extreme.value, from, to)) : unrecorded);
}

}  // namespace

std::uint8_t WritePollingAddress(Exchange& x) {
  const std::uint32_t address = x.u8(0);
  // An older host sends the address alone; the loop current mode stays.
  const std::uint32_t mode = x.request.size() > 1 ? x.u8(1) : U(x.state.loopCurrentMode);
  if (address > kLargestPollingAddress || !IsSwitch(mode)) return code::kInvalidSelection;
  x.state.identification.pollingAddress = static_cast<int>(address);
  x.state.loopCurrentMode = static_cast<int>(mode);
  return ReadLoopConfiguration(x);
}

std::uint8_t ReadLoopConfiguration(Exchange& x) {
  x.put8(U(x.state.identification.pollingAddress));
  x.put8(U(x.state.loopCurrentMode));
  return code::kOk;
}

std::uint8_t ReadOutputInformation(Exchange& x) {
  const DeviceState& s = x.state;
  const SensorChannel& first = s.channels[0];
  x.put8(U(s.loopAlarm));
  x.put8(kLinear);
  x.put8(U(first.unit));
  x.putF(first.upperRangeValue);
  x.putF(first.lowerRangeValue);
  x.putF(s.sensorParameters.damping);
  x.put8(U(s.writeProtect));
  x.put8(kReserved);
  x.put8(0);  // analog channel flags
  return code::kOk;
}

std::uint8_t ResetConfigurationChanged(Exchange& x) {
  // Without the counter (an older host) the flag is reset; one byte is half a counter.
  if (x.request.size() == 1) return code::kTooFewBytes;
  if (x.request.size() >= 2 && x.unsignedAt(0, 2) != (U(x.state.configChangeCounter) & 0xFFFFU)) return code::kTooHigh;
  x.state.configChanged = false;
  x.put16(U(x.state.configChangeCounter));
  return code::kOk;
}

std::uint8_t WriteResponsePreambles(Exchange& x) {
  const std::uint32_t count = x.u8(0);
  if (count > kMostPreambles) return code::kTooLarge;
  if (count < kFewestPreambles) return code::kTooSmall;
  x.state.responsePreambles = static_cast<int>(count);
  x.echo(1);
  return code::kOk;
}

std::uint8_t ReadSensorParameters(Exchange& x) {
  const SensorParameters& p = x.state.sensorParameters;
  x.put8(U(p.unit));
  for (const float value : {p.highLimit, p.lowLimit, p.coeffA, p.coeffB, p.coeffC, p.coeffR0, p.damping}) x.putF(value);
  return code::kOk;
}

std::uint8_t WriteSensorParameters(Exchange& x) {
  constexpr int kNumbers = 7;
  std::array<float, kNumbers> v{};
  for (int i = 0; i < kNumbers; ++i) v[i] = x.f32(1 + 4 * static_cast<std::size_t>(i));
  if (!std::ranges::all_of(v, Finite)) return code::kInvalidSelection;
  const auto [high, low, a, b, c, r0, damping] = v;
  const std::uint32_t unit = x.u8(0);
  if (!IsTemperatureUnit(unit)) return code::kNotPossible;
  if (!(high > low)) return code::kInvalidSpan;
  if (damping > kLongestDamping) return code::kTooLarge;
  if (damping < 0 || r0 <= 0) return code::kTooSmall;
  x.state.sensorParameters = {high, low, static_cast<int>(unit), a, b, c, r0, damping};
  x.echo(29);
  return code::kOk;
}

std::uint8_t ReadDisplayLines(Exchange& x) {
  for (const int line : x.state.displays) x.put8(U(line));
  return code::kOk;
}

std::uint8_t WriteDisplayLines(Exchange& x) {
  const hart::ByteView lines = x.request.first(x.state.displays.size());
  if (std::ranges::any_of(lines, [](std::uint8_t c) { return c > kLargestDisplayCode; })) {
    return code::kInvalidSelection;
  }
  std::ranges::copy(lines, x.state.displays.begin());
  x.echo(lines.size());
  return code::kOk;
}

std::uint8_t ReadSpecialFunctions(Exchange& x) {
  x.put8(U(x.state.backupMode));
  x.put8(U(x.state.backupSensor));
  x.put8(U(x.state.averageMode));
  return code::kOk;
}

std::uint8_t WriteSpecialFunctions(Exchange& x) {
  const std::uint32_t backup = x.u8(0);
  const std::uint32_t sensor = x.u8(1);
  const std::uint32_t average = x.u8(2);
  if (!IsSwitch(backup) || !IsSwitch(average) || sensor < 1 || sensor > kChannels - 1) {
    return code::kInvalidSelection;
  }
  if (backup == 1 && average == 1) return code::kInvalidMode;
  x.state.backupMode = static_cast<int>(backup);
  x.state.backupSensor = static_cast<int>(sensor);
  x.state.averageMode = static_cast<int>(average);
  x.echo(3);
  return code::kOk;
}

std::uint8_t WriteProtectionAndAlarm(Exchange& x) {
  if (!IsSwitch(x.u8(0)) || !IsSwitch(x.u8(1))) return code::kInvalidSelection;
  x.state.writeProtect = static_cast<int>(x.u8(0));
  x.state.loopAlarm = static_cast<int>(x.u8(1));
  x.echo(2);
  return code::kOk;
}

std::uint8_t ReadChangeCounters(Exchange& x) {
  for (const int counter : x.state.changeCounters) x.put16(U(counter));
  return code::kOk;
}

std::uint8_t ResetChangeCounters(Exchange& x) {
  x.state.changeCounters.fill(0);
  return code::kOk;
}

std::uint8_t ReadExtremes(Exchange& x) {
  const DeviceState& s = x.state;
  const int unit = s.channels[0].unit;
  const SensorTypeInfo* type = FindSensorType(s.channels[0].type);
  const int base = BaseUnit(type != nullptr ? type->kind : InputKind::Temperature);
  PutExtreme(x, s.sensorMin, kUnrecordedMinimum, base, unit);
  PutExtreme(x, s.sensorMax, kUnrecordedMaximum, base, unit);
  PutExtreme(x, s.localMin, kUnrecordedMinimum, kUnitDegC, s.localTempUnit);
  PutExtreme(x, s.localMax, kUnrecordedMaximum, kUnitDegC, s.localTempUnit);
  x.put8(U(s.sensorMaxMin));
  x.put8(U(s.tempMaxMin));
  x.put8(U(unit));
  x.put8(U(s.localTempUnit));
  return code::kOk;
}

std::uint8_t WriteExtremeRecording(Exchange& x) {
  if (!IsSwitch(x.u8(0)) || !IsSwitch(x.u8(1))) return code::kInvalidSelection;
  x.state.sensorMaxMin = static_cast<int>(x.u8(0));
  x.state.tempMaxMin = static_cast<int>(x.u8(1));
  x.echo(2);
  return code::kOk;
}

std::uint8_t ResetExtremes(Exchange& x) {
  const std::uint32_t selection = x.u8(0);
  if (!IsSwitch(selection)) return code::kInvalidSelection;
  DeviceState& s = x.state;
  if (selection == 0) {
    s.sensorMin = s.sensorMax = {};
  } else {
    s.localMin = s.localMax = {};
  }
  x.echo(1);
  return code::kOk;
}

}  // namespace zolin6::device
