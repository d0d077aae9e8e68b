// The six 4-20 mA outputs: output 1 through the common-practice commands
// (40, 45, 46), outputs 2-6 through 146 and 147, all six read with 145;
// and the device reset (42), which releases them.

#include "device/command_table.h"

namespace zolin6::device {

namespace {

constexpr float kLowestFixedCurrent = 3.5F;    // mA
constexpr float kHighestFixedCurrent = 23.0F;  // mA
constexpr float kLargestCurrentTrim = 1.0F;    // mA between the trim point and the measured current
constexpr float kZeroPoint = 4.0F;             // mA
constexpr float kGainPoint = 20.0F;            // mA
constexpr std::uint8_t kFlagHeld = 0x01;

// Holds an output at `current`; 0 releases it.
std::uint8_t Hold(LoopOutput& output, float current) {
  if (current == 0) {
    output.fixed = false;
    return code::kOk;
  }
  if (current > kHighestFixedCurrent) return code::kTooLarge;
  if (current < kLowestFixedCurrent) return code::kTooSmall;
  output.fixed = true;
  output.fixedCurrent = current;
  return code::kOk;
}

// A held output trimmed at its 4 mA point moves as a whole by what the
// meter showed short; at its 20 mA point it turns about the 4 mA point.
// Each trim adds to the ones before.
std::uint8_t Trim(LoopOutput& output, float point, float measured) {
  if (!Finite(measured)) return code::kInvalidSelection;
  if (!output.fixed) return code::kNotPossible;
  if (measured - point > kLargestCurrentTrim) return code::kTooLarge;
  if (point - measured > kLargestCurrentTrim) return code::kTooSmall;
  const float shortfall = point - measured;
  if (point == kZeroPoint) {
    output.trimOffset += shortfall;
  } else {
    const float turn = shortfall / (point - kZeroPoint);
    output.trimGain += turn;
    output.trimOffset -= kZeroPoint * turn;
  }
  return code::kOk;
}

// Outputs 2-6 as 146 and 147 number them: 1-5.
bool IsOtherOutput(std::uint32_t output) { return output >= 1 && output < kChannels; }

std::uint8_t TrimFirstOutput(Exchange& x, float point) {
  const std::uint8_t result = Trim(x.state.outputs[0], point, x.f32(0));
  if (result == code::kOk) x.echo(4);
  return result;
}

}  // namespace

std::uint8_t FixLoopCurrent(Exchange& x) {
  const float current = x.f32(0);
  if (!Finite(current)) return code::kInvalidSelection;
  // With the loop current mode off, loop 1 only powers the device; 0 still releases.
  if (current != 0 && x.state.loopCurrentMode == 0) return code::kNotPossible;
  const std::uint8_t result = Hold(x.state.outputs[0], current);
  if (result == code::kOk) x.echo(4);
  return result;
}

std::uint8_t ResetDevice(Exchange& x) {
  for (LoopOutput& output : x.state.outputs) output.fixed = false;
  x.restart = true;
  return code::kOk;
}

std::uint8_t TrimLoopCurrentZero(Exchange& x) { return TrimFirstOutput(x, kZeroPoint); }

std::uint8_t TrimLoopCurrentGain(Exchange& x) { return TrimFirstOutput(x, kGainPoint); }

std::uint8_t ReadOutputCurrents(Exchange& x) {
  for (int k = 0; k < kChannels; ++k) {
    x.put8(x.state.outputs[k].fixed ? kFlagHeld : 0);
    x.putF(x.measured.loopCurrent[k]);
    x.putF(x.measured.actualCurrent[k]);
  }
  return code::kOk;
}

std::uint8_t FixOutputCurrent(Exchange& x) {
  const std::uint32_t output = x.u8(0);
  const float current = x.f32(1);
  if (!IsOtherOutput(output) || !Finite(current)) return code::kInvalidSelection;
  const std::uint8_t result = Hold(x.state.outputs[output], current);
  if (result == code::kOk) x.echo(5);
  return result;
}

std::uint8_t TrimOutputCurrent(Exchange& x) {
  const std::uint32_t output = x.u8(0);
  const std::uint32_t point = x.u8(1);
  if (!IsOtherOutput(output) || (point != 1 && point != 2)) return code::kInvalidSelection;
  const std::uint8_t result = Trim(x.state.outputs[output], point == 1 ? kZeroPoint : kGainPoint, x.f32(2));
  if (result == code::kOk) x.echo(6);
  return result;
}

}  // namespace zolin6::device
