#include "device/burst_rules.h"

#include <algorithm>

#include "device/device_variables.h"

namespace zolin6::device {

namespace {

constexpr int kReadAdditionalStatus = 48;

}  // namespace

BurstPeriods AdjustPeriods(BurstPeriods asked) {
  const std::uint32_t update = std::clamp(asked.update, kShortestBurstPeriod, kLongestBurstPeriod);
  return {update, std::clamp(asked.maximum, update, kLongestBurstPeriod)};
}

bool IsBurstCommand(int command) {
  return command == 1 || command == 2 || command == 3 || command == 9 || command == kReadAdditionalStatus;
}

bool TriggerFitsCommand(int triggerMode, int command) {
  if (triggerMode == kTriggerContinuous || triggerMode == kTriggerOnChange) return true;
  return triggerMode <= kTriggerFalling && triggerMode >= kTriggerWindow && command != kReadAdditionalStatus;
}

bool IsTemperatureUnit(int units) { return units >= kUnitDegC && units <= kUnitKelvin; }

const char* BurstMessageProblem(const BurstMessage& message) {
  if (message.control != 0 && message.control != 1) return "a burst message's control is neither 0 nor 1";
  if (!IsBurstCommand(message.command)) return "a burst message's command is not 1, 2, 3, 9 or 48";
  if (!TriggerFitsCommand(message.triggerMode, message.command)) return "a burst message's trigger does not fit";
  if (message.variables[0] == kNotUsed) return "a burst message's first variable is not used";
  if (AdjustPeriods({message.updatePeriod, message.maxPeriod}) != BurstPeriods{message.updatePeriod, message.maxPeriod})
    return "a burst message's periods are out of bounds";
  return nullptr;
}

}  // namespace zolin6::device
