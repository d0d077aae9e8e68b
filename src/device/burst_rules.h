#pragma once
// What a burst message may be: the commands it can publish, the triggers
// each allows, and the periods the device keeps. Shared by the burst
// commands, the state file and the publisher.

#include <cstdint>

#include "device/device_model.h"

namespace zolin6::device {

// Periods travel in 1/32 ms.
inline constexpr std::uint32_t kBurstTicksPerMs = 32;
// The process steps every 250 ms: a faster burst would repeat its values.
inline constexpr std::uint32_t kShortestBurstPeriod = 250 * kBurstTicksPerMs;
inline constexpr std::uint32_t kLongestBurstPeriod = 3600U * 1000 * kBurstTicksPerMs;  // an hour

struct BurstPeriods {
  std::uint32_t update = 0;   // while the trigger holds
  std::uint32_t maximum = 0;  // whatever the trigger says
  bool operator==(const BurstPeriods&) const = default;
};

// The periods brought within the device's bounds, the maximum no shorter
// than the update period.
BurstPeriods AdjustPeriods(BurstPeriods asked);

// 1, 2, 3, 9 and 48: the replies the device can publish.
bool IsBurstCommand(int command);
// A trigger on a level needs a value to watch: command 48 carries none.
bool TriggerFitsCommand(int triggerMode, int command);
bool IsTemperatureUnit(int units);

// Why a burst message loaded from a file cannot be kept, or nullptr.
const char* BurstMessageProblem(const BurstMessage& message);

}  // namespace zolin6::device
