#include "device/device_variables.h"

#include "hart/status.h"

namespace zolin6::device {

namespace {

namespace bits = hart::device_status;

constexpr int kChannelVariables = kChannels;  // 0-5 readings, 6-11 percent
constexpr std::uint8_t kPercentOfRange = 244;
constexpr std::uint8_t kLoopCurrent = 245;
constexpr std::uint8_t kPv = 246;
constexpr std::uint8_t kSv = 247;
constexpr std::uint8_t kTv = 248;
constexpr std::uint8_t kSensor2 = 1;
constexpr float kFourMilliamps = 4.0F;
constexpr float kMilliampsPerPercent = 0.16F;

std::uint8_t ClassOf(int unit) { return UnitKind(unit) == InputKind::Temperature ? kTemperatureClass : 0; }

std::uint8_t U8(int value) { return static_cast<std::uint8_t>(value); }

bool OutsideLimits(const std::optional<float>& value, const SensorChannel& channel) {
  return !value || *value > channel.upperRangeLimit || *value < channel.lowerRangeLimit;
}

}  // namespace

DeviceVariable FindVariable(std::uint8_t code, const DeviceState& state, const Measurements& m) {
  if (code == kPv) code = kPvCode;
  if (code == kSv) code = kSensor2;
  if (code == kTv) code = kLocalTemperatureCode;
  if (code < kChannelVariables) {
    const int unit = state.channels[code].unit;
    return {true, m.reading[code], U8(unit), ClassOf(unit)};
  }
  if (code < 2 * kChannelVariables) return {true, m.percent[code - kChannelVariables], kUnitPercent, 0};
  if (code == kLocalTemperatureCode) {
    return {true, m.localTemp, U8(state.localTempUnit), ClassOf(state.localTempUnit)};
  }
  if (code == kPvCode) {
    const int unit = state.channels[0].unit;
    return {true, m.pv, U8(unit), ClassOf(unit)};
  }
  if (code == kPercentOfRange) return {true, m.pvPercent, kUnitPercent, 0};
  if (code == kLoopCurrent) return {true, m.loopCurrent[0], kUnitMilliamp, 0};
  return {};
}

std::uint8_t SlotStatus(const DeviceVariable& variable) {
  constexpr std::uint8_t kGood = 0xC0;
  constexpr std::uint8_t kBad = 0x00;
  constexpr std::uint8_t kNoVariable = 0x30;
  if (!variable.exists) return kNoVariable;
  return variable.value ? kGood : kBad;
}

AdditionalStatus BuildAdditionalStatus(const DeviceState& state, const Measurements& m) {
  constexpr std::size_t kSaturatedByte = 10;
  constexpr std::size_t kFixedByte = 13;
  const std::uint8_t status = BaseDeviceStatus(state, m);
  AdditionalStatus bytes{};
  bytes[0] = U8(m.diagStatus);
  bytes[1] = U8(m.diagStatusByte1);
  bytes[kStatusCounterAt] = U8(state.configChangeCounter >> 8);
  bytes[kStatusCounterAt + 1] = U8(state.configChangeCounter);
  bytes[kSaturatedByte] = (status & bits::kLoopCurrentSaturated) != 0 ? 1 : 0;
  bytes[kFixedByte] = (status & bits::kLoopCurrentFixed) != 0 ? 1 : 0;
  return bytes;
}

bool StatusNews(AdditionalStatus now, AdditionalStatus lastRead) {
  for (AdditionalStatus* bytes : {&now, &lastRead}) (*bytes)[kStatusCounterAt] = (*bytes)[kStatusCounterAt + 1] = 0;
  return now != lastRead;
}

std::uint8_t BaseDeviceStatus(const DeviceState& state, const Measurements& m) {
  int status = 0;
  if (!m.pv) status |= bits::kMalfunction;
  if (state.configChanged) status |= bits::kConfigurationChanged;
  if (state.coldStart) status |= bits::kColdStart;
  const LoopOutput& first = state.outputs[0];
  const bool follows = !first.fixed && state.loopCurrentMode == 1;
  if (!follows) status |= bits::kLoopCurrentFixed;
  if (follows && m.pvPercent) {
    const float wanted = kFourMilliamps + kMilliampsPerPercent * *m.pvPercent;
    if (wanted < kSaturationLow || wanted > kSaturationHigh) status |= bits::kLoopCurrentSaturated;
  }
  for (int i = 1; i < kChannels; ++i) {
    if (OutsideLimits(m.reading[i], state.channels[i])) status |= bits::kNonPrimaryOutOfLimits;
  }
  if (OutsideLimits(m.pv, state.channels[0])) status |= bits::kPrimaryOutOfLimits;
  return U8((status | state.forcedDeviceStatus) & 0xFF);
}

}  // namespace zolin6::device
