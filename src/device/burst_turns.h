#pragma once
// When a device in burst mode may start its next burst frame on a line it
// shares with a primary and a secondary master (times in ms, passed in):
//
//   after its own reply            so that its first byte has arrived BT
//                                  (73 ms) after, before the masters' quiet
//                                  time (RT2, 75 ms) ends and one may start
//   after its own burst frame      RT1 + HOLD: the master whose bit it carried
//                                  waits RT1, the other may start at once;
//                                  both get their turn before the device
//   after a request it did not     RT1 + HOLD: another device answers first
//   answer, or anything else
//
// and never while a frame is on the line.

#include <chrono>

#include "device/device_time.h"
#include "hart/link_timing.h"

namespace zolin6::device {

inline constexpr Millis kBurstAfterReply =
    hart::kBurstTimeFsk.count() - std::chrono::ceil<hart::Millis>(hart::kCharacterTimeFsk).count();
inline constexpr Millis kBurstAfterOthers = (hart::kReplyTimeoutFsk + hart::kHoldTimeFsk).count();

class BurstTurns {
 public:
  // A frame occupies the line until `end`; `next` is the device's wait after it.
  void replied(Millis end) { pass(end, kBurstAfterReply); }
  void published(Millis end) { pass(end, kBurstAfterOthers); }
  void heardOthers(Millis end) { pass(end, kBurstAfterOthers); }
  // Whether a frame is still on the line at `now`.
  bool lineBusy(Millis now) const { return now < lineFreeAt_; }
  // The first moment at or after `now` at which the device may start.
  Millis nextStart(Millis now) const { return now < startAt_ ? startAt_ : now; }

 private:
  // A frame that ended inside another (a request lost in a burst frame)
  // changes nothing.
  void pass(Millis end, Millis wait) {
    if (end < lineFreeAt_) return;
    lineFreeAt_ = end;
    startAt_ = end + wait;
  }

  Millis lineFreeAt_ = 0;
  Millis startAt_ = 0;
};

}  // namespace zolin6::device
