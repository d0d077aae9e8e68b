// The measured values: PV, loop current and the dynamic variables (1, 2,
// 3, 8), device variables by code (9, 33, 54), PV's transducer (14) and the
// additional status (48).

#include "device/command_table.h"
#include "device/device_variables.h"

namespace zolin6::device {

namespace {

constexpr std::size_t kMaxSlots = 8;        // command 9
constexpr std::size_t kMaxLegacySlots = 4;  // command 33
constexpr std::uint8_t kHighestCode = 250;  // codes above are refused with 2
constexpr std::uint32_t kTicksPerMs = 32;   // HART time: 1/32 ms
constexpr Millis kDay = 24LL * 60 * 60 * 1000;
constexpr std::uint8_t kTemperatureFamily = 4;
constexpr std::uint32_t kAcquisitionPeriod = 250 * kTicksPerMs;  // the process steps every 250 ms
constexpr std::uint8_t kPropertyInput = 0x01;                    // the variable is a measured input

std::uint8_t U8(int value) { return static_cast<std::uint8_t>(value); }

void PutUnitsAndValue(Exchange& x, std::uint8_t variableCode) {
  const DeviceVariable v = FindVariable(variableCode, x.state, x.measured);
  x.put8(v.units);
  x.putF(v.value);
}

bool AnyCodeAboveHighest(hart::ByteView codes) {
  for (const std::uint8_t c : codes) {
    if (c > kHighestCode) return true;
  }
  return false;
}

// The channel behind a variable with range limits: sensors 0-5, and PV (13,
// 246) with channel 1's.
const SensorChannel* ChannelOf(std::uint8_t variableCode, const DeviceState& state) {
  if (variableCode < kChannels) return &state.channels[variableCode];
  if (variableCode == kPvCode || variableCode == 246) return &state.channels[0];
  return nullptr;
}

}  // namespace

std::uint8_t ReadPrimaryVariable(Exchange& x) {
  PutUnitsAndValue(x, kPvCode);
  return code::kOk;
}

std::uint8_t ReadLoopCurrentAndPercent(Exchange& x) {
  x.putF(x.measured.loopCurrent[0]);
  x.putF(x.measured.pvPercent);
  return code::kOk;
}

std::uint8_t ReadDynamicVariables(Exchange& x) {
  x.putF(x.measured.loopCurrent[0]);
  for (const std::uint8_t dynamic : {246, 247, 248}) PutUnitsAndValue(x, dynamic);
  return code::kOk;
}

std::uint8_t ReadClassifications(Exchange& x) {
  for (const std::uint8_t dynamic : {246, 247, 248}) x.put8(FindVariable(dynamic, x.state, x.measured).classification);
  x.put8(kNotUsed);  // no QV
  return code::kOk;
}

std::uint8_t ReadVariablesWithStatus(Exchange& x) {
  const hart::ByteView codes = x.request.first(std::min(x.request.size(), kMaxSlots));
  if (AnyCodeAboveHighest(codes)) return code::kInvalidSelection;
  x.put8(0);  // extended device status
  for (const std::uint8_t c : codes) {
    const DeviceVariable v = FindVariable(c, x.state, x.measured);
    x.put8(c);
    x.put8(v.classification);
    x.put8(v.units);
    x.putF(v.value);
    x.put8(SlotStatus(v));
  }
  x.put32(static_cast<std::uint32_t>(x.now % kDay) * kTicksPerMs);
  return code::kOk;
}

std::uint8_t ReadTransducerInformation(Exchange& x) {
  const SensorChannel& c = x.state.channels[0];
  x.put24(0);  // the sensors carry no serial number
  x.put8(U8(c.unit));
  x.putF(c.upperRangeLimit);
  x.putF(c.lowerRangeLimit);
  x.putF(c.minSpan);
  return code::kOk;
}

std::uint8_t ReadVariables(Exchange& x) {
  const hart::ByteView codes = x.request.first(std::min(x.request.size(), kMaxLegacySlots));
  if (AnyCodeAboveHighest(codes)) return code::kInvalidSelection;
  for (const std::uint8_t c : codes) {
    x.put8(c);
    PutUnitsAndValue(x, c);
  }
  return code::kOk;
}

std::uint8_t ReadAdditionalStatus(Exchange& x) {
  const AdditionalStatus bytes = BuildAdditionalStatus(x.state, x.measured);
  x.reply.assign(bytes.begin(), bytes.end());
  return code::kOk;
}

std::uint8_t ReadVariableInformation(Exchange& x) {
  const std::uint8_t variableCode = x.request[0];
  const DeviceVariable v = FindVariable(variableCode, x.state, x.measured);
  if (!v.exists) return code::kInvalidSelection;
  const SensorChannel* channel = ChannelOf(variableCode, x.state);
  const float none = hart::NotANumber();
  x.put8(variableCode);
  x.put24(0);
  x.put8(v.units);
  x.putF(channel != nullptr ? channel->upperRangeLimit : none);
  x.putF(channel != nullptr ? channel->lowerRangeLimit : none);
  x.putF(x.state.sensorParameters.damping);
  x.putF(channel != nullptr ? channel->minSpan : none);
  x.put8(v.classification);
  x.put8(v.classification == kTemperatureClass ? kTemperatureFamily : kNotUsed);
  x.put32(kAcquisitionPeriod);
  const bool input = variableCode < kChannels || variableCode == kLocalTemperatureCode;
  x.put8(input ? kPropertyInput : 0);
  return code::kOk;
}

}  // namespace zolin6::device
