#include "hart/line_arbiter.h"

#include <algorithm>

namespace zolin6::hart {

void LineArbiter::startWatching(Millis now) {
  if (watching_) return;
  watching_ = true;
  heardAt_ = now;
}

void LineArbiter::heard(Heard what, Millis now) {
  last_ = what;
  heardAt_ = now;
}

void LineArbiter::stopUsing(Millis now) {
  if (!using_) return;
  using_ = false;
  last_ = Heard::OwnReply;
  heardAt_ = now;
}

void LineArbiter::stopUsingUnanswered(Millis requestEnd) {
  if (!using_) return;
  using_ = false;
  if (heardAt_ >= requestEnd) return;  // what was heard since decides
  last_ = Heard::Talk;
  heardAt_ = requestEnd;
}

Millis LineArbiter::quietAfterTalk() const { return bursting_ ? 2 * link_.replyTimeout : link_.quietTime; }

Millis LineArbiter::nextStart(Millis notBefore) const {
  if (link_.wholeFrames) return notBefore;
  Millis wait = quietAfterTalk();
  switch (last_) {
    case Heard::OwnReply: wait = link_.quietTime; break;
    case Heard::OtherReply:
    case Heard::OtherBurst:
      // Our turn: at once, unless it passes before we are ready.
      if (notBefore <= heardAt_ + link_.holdTime) wait = Millis{0};
      break;
    case Heard::OwnBurst:
    case Heard::OtherRequest:
      // The other master's turn, or its device's, for RT1; then ours, until
      // a bursting device takes the line again HOLD later.
      if (notBefore < heardAt_ + link_.replyTimeout + link_.holdTime) wait = link_.replyTimeout;
      break;
    case Heard::Talk: break;
  }
  return std::max(notBefore, heardAt_ + wait);
}

LineState LineArbiter::state(Millis now) const {
  if (using_) return LineState::Using;
  return nextStart(now) <= now ? LineState::Enabled : LineState::Watching;
}

}  // namespace zolin6::hart
