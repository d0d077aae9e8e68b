#include "device/change_counters.h"

#include <algorithm>
#include <array>

namespace zolin6::device {

namespace {

using Differs = bool (*)(const DeviceState&, const DeviceState&);

// Whether any of the six items compares unequal by `same`.
template <class Item, std::size_t N, class Same>
bool AnyDiffers(const std::array<Item, N>& a, const std::array<Item, N>& b, Same same) {
  return !std::ranges::equal(a, b, same);
}

bool SameRange(const SensorChannel& a, const SensorChannel& b) {
  return a.upperRangeValue == b.upperRangeValue && a.lowerRangeValue == b.lowerRangeValue;
}
bool SameTrim(const SensorChannel& a, const SensorChannel& b) {
  return a.trimGain == b.trimGain && a.trimOffset == b.trimOffset;
}
bool SameSensor(const SensorChannel& a, const SensorChannel& b) {
  return a.type == b.type && a.connection == b.connection;
}
bool SameUnit(const SensorChannel& a, const SensorChannel& b) { return a.unit == b.unit; }
bool SameColdJunction(const SensorChannel& a, const SensorChannel& b) { return a.coldJunction == b.coldJunction; }
bool SameCurrentTrim(const LoopOutput& a, const LoopOutput& b) {
  return a.trimGain == b.trimGain && a.trimOffset == b.trimOffset;
}
bool SameCoefficients(const SensorParameters& a, const SensorParameters& b) {
  return a.coeffA == b.coeffA && a.coeffB == b.coeffB && a.coeffC == b.coeffC && a.coeffR0 == b.coeffR0;
}

// One row per counter of command 140, in its order.
constexpr std::array<Differs, kChangeCounterCount> kCounters{
    [](const DeviceState& a, const DeviceState& b) { return AnyDiffers(a.channels, b.channels, SameRange); },
    [](const DeviceState& a, const DeviceState& b) {
      return AnyDiffers(a.channels, b.channels, SameTrim) || a.factoryTrimMv != b.factoryTrimMv ||
             a.factoryTrimOhm != b.factoryTrimOhm;
    },
    [](const DeviceState& a, const DeviceState& b) { return AnyDiffers(a.channels, b.channels, SameSensor); },
    [](const DeviceState& a, const DeviceState& b) { return AnyDiffers(a.channels, b.channels, SameUnit); },
    [](const DeviceState& a, const DeviceState& b) { return a.sensorParameters.damping != b.sensorParameters.damping; },
    [](const DeviceState& a, const DeviceState& b) { return AnyDiffers(a.channels, b.channels, SameColdJunction); },
    [](const DeviceState& a, const DeviceState& b) { return AnyDiffers(a.outputs, b.outputs, SameCurrentTrim); },
    [](const DeviceState& a, const DeviceState& b) { return a.localTempOffset != b.localTempOffset; },
    [](const DeviceState& a, const DeviceState& b) { return a.localTempUnit != b.localTempUnit; },
    [](const DeviceState& a, const DeviceState& b) { return a.writeProtect != b.writeProtect; },
    [](const DeviceState& a, const DeviceState& b) { return a.displays != b.displays; },
    [](const DeviceState& a, const DeviceState& b) { return a.loopAlarm != b.loopAlarm; },
    [](const DeviceState& a, const DeviceState& b) {
      return a.identification.pollingAddress != b.identification.pollingAddress ||
             a.loopCurrentMode != b.loopCurrentMode;
    },
    [](const DeviceState& a, const DeviceState& b) {
      return !SameCoefficients(a.sensorParameters, b.sensorParameters);
    },
};

constexpr int kCounterMask = 0xFFFF;

}  // namespace

void CountChanges(const DeviceState& before, DeviceState& after) {
  for (std::size_t i = 0; i < kCounters.size(); ++i) {
    if (kCounters[i](before, after)) after.changeCounters[i] = (after.changeCounters[i] + 1) & kCounterMask;
  }
}

void CountConfigurationChange(DeviceState& state) {
  state.configChangeCounter = (state.configChangeCounter + 1) & kCounterMask;
  state.configChanged = true;
}

}  // namespace zolin6::device
