#pragma once
// What the desktop tells the user about the link, gathered from the tap: how
// many requests wait for their answers and since when, when each kind of
// answer last came, and the current each output was last told to hold.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "link/link_tap.h"
#include "platform/toolkit/clock.h"

namespace zolin6::link {

class LinkActivity : public LinkListener {
 public:
  explicit LinkActivity(const toolkit::Clock& clock) : clock_(clock) {}

  // Requests sent and not yet answered, and when the oldest of them went out.
  int pending() const { return pending_; }
  toolkit::Millis pendingSince() const { return pendingSince_; }
  // When a notification `reason` last came, if one has.
  std::optional<toolkit::Millis> lastAnswer(std::int32_t reason) const;
  // When the last answer to a read came, whichever read it was.
  std::optional<toolkit::Millis> lastReadAnswer() const { return lastReadAnswer_; }
  // The current output `channel` (1..6) was last told to hold, mA; none
  // before any such write.
  std::optional<double> heldCurrent(int channel) const;

  // Called after every change of the above.
  std::function<void()> changed;

  void OnRequest(RequestKind kind, const std::string& code, const std::string& document) override;
  void OnNotification(const Notification& notification) override;
  void OnSessionEnd() override;

 private:
  void notify() const;

  const toolkit::Clock& clock_;
  int pending_ = 0;
  toolkit::Millis pendingSince_ = 0;
  std::map<std::int32_t, toolkit::Millis> lastAnswers_;
  std::optional<toolkit::Millis> lastReadAnswer_;
  std::map<int, double> heldCurrents_;
};

}  // namespace zolin6::link
