#pragma once
// Whose turn it is on an FSK line that a primary master shares with a
// second master and a device in burst mode. The master hears every byte on
// the line and tells the arbiter what each frame was; the arbiter says when
// the master may start its next request:
//
//   after our own transaction (a reply, or giving up)   quiet time (RT2)
//   after the other master's reply (OACK)                at once, for HOLD;
//   after a burst frame for the other master (OBACK)     at once, for HOLD;
//   after a burst frame for us (BACK)                    reply timeout (RT1): the other master's turn,
//                                                        then ours for HOLD
//   after the other master's request                     reply timeout (RT1): its device answers first,
//                                                        then ours for HOLD
//   after our request went unanswered                    as after anything else: a bursting
//                                                        device takes its turn first
//   after anything else, or nothing heard yet           quiet time, 2 x RT1 with a bursting device
//
// A turn handed to us and not used within HOLD passes; the line is then
// ours again only after the quiet of "anything else". Every byte heard
// restarts the count, so nobody is interrupted mid-frame. No I/O, no clock:
// the master passes the time in.

#include <cstdint>

#include "hart/link_timing.h"

namespace zolin6::hart {

enum class LineState : std::uint8_t {
  Watching,  // the line is someone else's, or not quiet long enough
  Enabled,   // we may start a request now
  Using,     // our request is on the line or its reply is awaited
};

// What a frame heard on the line means for the turn.
enum class Heard : std::uint8_t {
  Talk,          // a byte, noise or a broken frame: someone is talking, no turn follows
  OwnReply,      // a reply with our master bit, not awaited (late, another device)
  OtherReply,    // OACK: a reply with the other master's bit
  OwnBurst,      // BACK: a burst frame with our master bit
  OtherBurst,    // OBACK: a burst frame with the other master's bit
  OtherRequest,  // the other master's request
};

class LineArbiter {
 public:
  explicit LineArbiter(const LinkTiming& link) : link_(link) {}

  // Starts watching the line at the first call; later calls change nothing.
  void startWatching(Millis now);
  // Something heard at `now`. While we use the line it counts for nothing:
  // the end of our transaction decides.
  void heard(Heard what, Millis now);
  // Our request goes out: the line is ours until stopUsing().
  void startUsing() { using_ = true; }
  // Our transaction is over at `now`, answered or not; nothing when the
  // line was not ours.
  void stopUsing(Millis now);
  // Our request, which ended at `requestEnd`, got no reply: the line is
  // nobody's turn, as after talk at its end, unless something heard since
  // gave the turn. Nothing when the line was not ours.
  void stopUsingUnanswered(Millis requestEnd);
  // A device in burst mode is on the line: it publishes at least every 2 x RT1.
  void setBursting(bool bursting) { bursting_ = bursting; }

  // The first moment at or after `notBefore` at which we may start, if
  // nothing more is heard and we are not using the line.
  Millis nextStart(Millis notBefore) const;
  LineState state(Millis now) const;
  bool bursting() const { return bursting_; }

 private:
  Millis quietAfterTalk() const;

  LinkTiming link_;
  bool watching_ = false;
  bool using_ = false;
  bool bursting_ = false;
  Heard last_ = Heard::Talk;  // the last thing heard, or Talk for nothing yet
  Millis heardAt_{0};         // when it was heard (its last byte)
};

}  // namespace zolin6::hart
