#pragma once
// What a device in burst mode publishes and when: each message that is on
// falls due after its update period while its trigger holds, and after its
// maximum period whatever the trigger says. The line asks when the next one
// falls due and, at its turn, for the frame: the most overdue message,
// built as the reply to its command, with the burst bit set and the master
// bit alternating so that a primary and a secondary master take turns.
//
// Triggers, on the message's trigger value (command 9: its first variable;
// 1, 2, 3: PV), converted into the trigger's units:
//   window     it moved more than the level since it was last published
//   rising     it is at or above the level
//   falling    it is at or below the level
//   on change  any value of the message differs from the last published
//
// No I/O and no clock: the caller passes the time.

#include <array>
#include <optional>

#include "device/hart_device.h"

namespace zolin6::device {

// How often a trigger that does not hold is looked at again: the process
// steps this often.
inline constexpr Millis kTriggerCheck = 250;

class BurstPublisher {
 public:
  explicit BurstPublisher(HartDevice& device) : device_(device) {}

  // Whether any message is on.
  bool bursting() const;
  // When the next message may fall due, from `now` on; nullopt while none
  // is on. A message switched on is due at once.
  std::optional<Millis> nextDue(Millis now);
  // The burst frame of the most overdue message at `now`, or nullopt when
  // none is due; the message counts as published at `now`.
  std::optional<Reply> publish(Millis now);

 private:
  struct Sent {
    std::optional<Millis> at;         // when it was last published; none since it was switched on
    std::optional<Millis> checkedAt;  // when it was last found not due
    std::optional<float> value;
    hart::Bytes values;  // the published data without a time stamp
  };

  // Forgets what was published of a message that is off: on again, it is due at once.
  void forgetSwitchedOff();
  bool due(int message, Millis now, const Reply& frame, std::optional<float> value) const;

  HartDevice& device_;
  std::array<Sent, kBurstMessages> sent_{};
  bool primaryNext_ = true;
};

}  // namespace zolin6::device
