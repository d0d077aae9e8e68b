#include "device/process_simulation.h"

#include <algorithm>
#include <cmath>

namespace zolin6::device {

namespace {

constexpr double kStepSeconds = static_cast<double>(ProcessSimulation::kStep) / 1000.0;
// How long the wander takes to forget where it was, s.
constexpr double kWanderTime = 120.0;
// Where each channel's process sits, as a fraction of its sensor type's
// starting range: sensor 1 at room temperature, the others in a process.
constexpr std::array<double, kChannels> kLevelFraction{0.215, 0.43, 0.41, 0.45, 0.45, 0.51};
constexpr double kLocalLevel = 28.0;  // the electronics' temperature, °C

// Typical wander and noise of an input of each kind, in its base unit.
struct Agitation {
  double wander;  // standard deviation of the slow wander
  double noise;   // largest step noise
};
Agitation AgitationOf(InputKind kind) {
  switch (kind) {
    case InputKind::Millivolt: return {0.05, 0.002};
    case InputKind::Resistance: return {0.3, 0.01};
    case InputKind::Current: return {0.05, 0.002};
    case InputKind::Temperature: break;
  }
  return {0.8, 0.03};
}

std::optional<float> Percent(const std::optional<float>& value, const SensorChannel& channel) {
  const double span = static_cast<double>(channel.upperRangeValue) - channel.lowerRangeValue;
  if (!value || span == 0) return std::nullopt;
  return static_cast<float>((*value - channel.lowerRangeValue) / span * 100.0);
}

bool Outside(const std::optional<float>& value, const SensorChannel& channel) {
  return !value || *value > channel.upperRangeLimit || *value < channel.lowerRangeLimit;
}

void Record(Extreme& low, Extreme& high, double value) {
  const auto v = static_cast<float>(value);
  if (!low.recorded || v < low.value) low = {true, v};
  if (!high.recorded || v > high.value) high = {true, v};
}

}  // namespace

ProcessSimulation::ProcessSimulation(std::uint32_t seed) : random_(seed) {}

double ProcessSimulation::Uniform() {
  // The engine's output is the same everywhere; the distributions of the
  // standard library are not, so the draw is made by hand.
  return static_cast<double>(random_()) / 4294967295.0 * 2.0 - 1.0;
}

void ProcessSimulation::SetUp(int channel, const DeviceState& state) {
  Input& input = inputs_[channel];
  const SensorTypeInfo* info = FindSensorType(state.channels[channel].type);
  input.type = state.channels[channel].type;
  input.level =
      info == nullptr ? 0.0 : info->defaultLower + kLevelFraction[channel] * (info->defaultUpper - info->defaultLower);
  input.wander = 0;
  input.noise = 0;
  input.filtered = input.level;
}

void ProcessSimulation::Move(Input& input, double scale, double noise, double damping) {
  // A mean-reverting random walk: uniform steps scaled to unit variance.
  const double sigma = scale / std::sqrt(kWanderTime / 2.0);
  input.wander += -input.wander * kStepSeconds / kWanderTime + sigma * std::sqrt(3.0 * kStepSeconds) * Uniform();
  input.noise = noise * Uniform();
  const double raw = input.level + input.wander + input.noise;
  const double alpha = damping <= 0 ? 1.0 : 1.0 - std::exp(-kStepSeconds / damping);
  input.filtered += alpha * (raw - input.filtered);
}

void ProcessSimulation::Step(DeviceState& state) {
  for (int i = 0; i < kChannels; ++i) {
    if (inputs_[i].type != state.channels[i].type) SetUp(i, state);
    const SensorTypeInfo* info = FindSensorType(state.channels[i].type);
    const Agitation a = AgitationOf(info == nullptr ? InputKind::Temperature : info->kind);
    Move(inputs_[i], a.wander, a.noise, state.sensorParameters.damping);
  }
  Move(local_, 0.3, 0.02, 0.0);

  if (state.sensorMaxMin == 1) {
    if (auto raw = RawInput(0)) {
      const SensorChannel& c = state.channels[0];
      Record(state.sensorMin, state.sensorMax, c.trimGain * *raw + c.trimOffset);
    }
  }
  if (state.tempMaxMin == 1) {
    if (auto raw = LocalRaw()) Record(state.localMin, state.localMax, *raw + state.localTempOffset);
  }
}

void ProcessSimulation::AdvanceTo(Millis now, DeviceState& state) {
  if (time_ < 0) {
    for (int i = 0; i < kChannels; ++i) SetUp(i, state);
    local_.level = local_.filtered = kLocalLevel;
    time_ = now;
  }
  // A sensor of another type measures another input from the moment it is
  // configured, not from the next step.
  for (int i = 0; i < kChannels; ++i) {
    if (inputs_[i].type != state.channels[i].type) SetUp(i, state);
  }
  while (time_ + kStep <= now) {
    Step(state);
    time_ += kStep;
  }
}

std::optional<double> ProcessSimulation::RawInput(int channel) const {
  if (inputs_[channel].broken) return std::nullopt;
  return inputs_[channel].filtered;
}

std::optional<double> ProcessSimulation::LocalRaw() const {
  if (local_.broken) return std::nullopt;
  return local_.filtered;
}

void ProcessSimulation::SetLevel(int channel, double value, const DeviceState& state) {
  const SensorChannel& c = state.channels[channel];
  const SensorTypeInfo* info = FindSensorType(c.type);
  if (info == nullptr) return;
  if (inputs_[channel].type != c.type) SetUp(channel, state);
  const double base = ConvertValue(value, c.unit, BaseUnit(info->kind));
  Input& input = inputs_[channel];
  input.level = c.trimGain == 0 ? base : (base - c.trimOffset) / c.trimGain;
  input.wander = input.noise = 0;
  input.filtered = input.level;
}

void ProcessSimulation::SetLocalLevel(double value, const DeviceState& state) {
  local_.level = ConvertValue(value, state.localTempUnit, kUnitDegC) - state.localTempOffset;
  local_.wander = local_.noise = 0;
  local_.filtered = local_.level;
}

Measurements ProcessSimulation::Measure(const DeviceState& state) const {
  Measurements m;
  for (int i = 0; i < kChannels; ++i) {
    const SensorChannel& c = state.channels[i];
    const SensorTypeInfo* info = FindSensorType(c.type);
    auto raw = RawInput(i);
    if (raw && info != nullptr) {
      const double base = c.trimGain * *raw + c.trimOffset;
      m.reading[i] = static_cast<float>(ConvertValue(base, BaseUnit(info->kind), c.unit));
    }
    m.percent[i] = Percent(m.reading[i], c);
  }
  if (auto raw = LocalRaw()) {
    m.localTemp = static_cast<float>(ConvertValue(*raw + state.localTempOffset, kUnitDegC, state.localTempUnit));
  }

  // PV: sensor 1, or the backup sensor while sensor 1 is broken, or the
  // average of the two. The backup's reading counts only in a unit of the
  // same kind as sensor 1's.
  const SensorChannel& first = state.channels[0];
  const int backup = std::clamp(state.backupSensor, 1, kChannels - 1);
  std::optional<float> backupReading;
  if (m.reading[backup] && UnitKind(state.channels[backup].unit) == UnitKind(first.unit)) {
    backupReading = static_cast<float>(ConvertValue(*m.reading[backup], state.channels[backup].unit, first.unit));
  }
  m.pv = m.reading[0];
  if (state.averageMode == 1) {
    if (m.pv && backupReading)
      m.pv = (*m.pv + *backupReading) / 2.0F;
    else if (!m.pv)
      m.pv = backupReading;
  } else if (state.backupMode == 1 && !m.pv && backupReading) {
    m.pv = backupReading;
    m.backupActive = true;
  }
  m.pvPercent = Percent(m.pv, first);
  m.sv = m.reading[1];
  m.tv = m.localTemp;

  bool saturated = false;
  for (int i = 0; i < kChannels; ++i) {
    const LoopOutput& out = state.outputs[i];
    const std::optional<float>& percent = i == 0 ? m.pvPercent : m.percent[i];
    float current = 4.0F;
    if (out.fixed) {
      current = out.fixedCurrent;
    } else if (i == 0 && state.loopCurrentMode == 0) {
      current = 4.0F;  // the loop only powers the device; HART carries the values
    } else if (!percent) {
      current = state.loopAlarm == 1 ? kAlarmLow : kAlarmHigh;
    } else {
      const float unclamped = 4.0F + 0.16F * *percent;
      current = std::clamp(unclamped, kSaturationLow, kSaturationHigh);
      if (i == 0) saturated = current != unclamped;
    }
    m.loopCurrent[i] = current;
    m.actualCurrent[i] = out.dacGain * (out.trimGain * current + out.trimOffset) + out.dacOffset;
  }

  for (int i = 0; i < kChannels; ++i) {
    if (inputs_[i].broken) m.diagStatus |= 1 << i;
  }
  if (local_.broken) m.diagStatus |= 0x40;
  m.diagStatus |= state.forcedDiagStatus;

  const SensorParameters& p = state.sensorParameters;
  if (m.reading[0] && UnitKind(first.unit) == InputKind::Temperature && UnitKind(p.unit) == InputKind::Temperature) {
    const double t = ConvertValue(*m.reading[0], first.unit, p.unit);
    if (t > p.highLimit) m.diagStatusByte1 |= 0x04;
    if (t < p.lowLimit) m.diagStatusByte1 |= 0x08;
  }
  if (m.backupActive) m.diagStatusByte1 |= 0x10;
  m.diagStatusByte1 |= state.forcedDiagStatusByte1;

  int status = 0;
  if (Outside(m.pv, first)) status |= 0x01;
  for (int i = 1; i < kChannels; ++i) {
    if (Outside(m.reading[i], state.channels[i])) status |= 0x02;
  }
  if (saturated) status |= 0x04;
  if (state.outputs[0].fixed || state.loopCurrentMode == 0) status |= 0x08;
  if (m.diagStatus != 0 || m.diagStatusByte1 != 0) status |= 0x10;
  if (state.coldStart) status |= 0x20;
  if (state.configChanged) status |= 0x40;
  if (!m.pv) status |= 0x80;
  m.deviceStatus = (status | state.forcedDeviceStatus) & 0xFF;
  return m;
}

}  // namespace zolin6::device
