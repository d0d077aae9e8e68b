#pragma once
// The values a published frame carries (a bursting device's command 1, 2, 3
// or 9), decoded once, as every listener of the link sees them.

#include <cstdint>
#include <string>
#include <vector>

#include "hart/master.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::link {

// The device variable codes the values go by: the device's own (0..) for
// command 9, and the standard codes of the dynamic variables otherwise.
inline constexpr std::uint8_t kPercentOfRangeCode = 244;
inline constexpr std::uint8_t kLoopCurrentCode = 245;
inline constexpr std::uint8_t kPrimaryVariableCode = 246;  // then SV, TV and QV
inline constexpr std::uint8_t kMilliampereUnits = 39;
inline constexpr std::uint8_t kPercentUnits = 57;

struct PublishedValue {
  std::uint8_t variable = 0;  // device variable code
  std::uint8_t units = 0;     // HART unit code
  double value = 0;           // NaN when the device has no value now
  bool operator==(const PublishedValue&) const = default;
};

struct Published {
  toolkit::Millis at = 0;     // when the frame was heard, on the host's clock
  std::uint16_t command = 0;  // the command the device published
  std::vector<PublishedValue> values;
};

// The values of a burst frame; fails naming the command when it is none
// of 1, 2, 3 and 9, when the frame says the device failed, or when its data
// is short.
Result<Published> DecodePublished(const hart::HeardBurst& burst);

}  // namespace zolin6::link
