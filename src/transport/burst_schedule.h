#pragma once
// When a simulated device in burst mode puts its next burst frame on a
// line, for every line that carries one: the device's burst publisher says
// which message falls due when, and on a line where frames take time the
// device also waits for its turn (device/burst_turns.h), which the line
// keeps up to date with every frame that passes. Times in ms, passed in.

#include <optional>

#include "device/burst_publisher.h"
#include "device/burst_turns.h"
#include "device/hart_device.h"

namespace zolin6::transport {

class BurstSchedule {
 public:
  // `takesTurns`: false on a line whose frames take no time, where a
  // message goes out as soon as it falls due.
  BurstSchedule(device::HartDevice& device, bool takesTurns) : publisher_(device), takesTurns_(takesTurns) {}

  // The line reports each frame through these.
  device::BurstTurns& turns() { return turns_; }

  // When to look for the next burst frame, from `now` on; nullopt while no
  // message is on.
  std::optional<device::Millis> nextTry(device::Millis now) {
    const std::optional<device::Millis> due = publisher_.nextDue(now);
    if (!due || !takesTurns_) return due;
    return turns_.nextStart(*due);
  }
  // The burst frame to start at `now`, counted as published; nullopt when
  // the line is not the device's or no message is due.
  std::optional<device::Reply> take(device::Millis now) {
    if (takesTurns_ && (turns_.lineBusy(now) || turns_.nextStart(now) > now)) return std::nullopt;
    return publisher_.publish(now);
  }

 private:
  device::BurstPublisher publisher_;
  device::BurstTurns turns_;
  bool takesTurns_;
};

}  // namespace zolin6::transport
