#pragma once
// What the desktop tells the user about the link, gathered from the tap: how
// many requests wait for their answers and since when, when each kind of
// answer last came, and which outputs the device holds at a fixed current.
// An output counts as held from the moment a hold is asked for until the
// device confirms its release: a hold or a release whose answer never came
// leaves it held, as it may well be.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

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
  // The current output `channel` (1..6) is held at, mA; none while it is
  // free (before any hold, and once the device confirmed its release).
  std::optional<double> heldCurrent(int channel) const;
  // Every output held now, by channel.
  const std::map<int, double>& heldOutputs() const { return heldCurrents_; }

  // Called after every change of the above.
  std::function<void()> changed;

  void OnRequest(RequestKind kind, const std::string& code, const std::string& document) override;
  void OnNotification(const Notification& notification) override;
  void OnSessionEnd() override;

 private:
  void notify() const;
  static std::optional<std::pair<int, double>> HoldOf(const std::string& code, const std::string& document);
  void SettleHold(const Notification& notification);

  const toolkit::Clock& clock_;
  int pending_ = 0;
  toolkit::Millis pendingSince_ = 0;
  std::map<std::int32_t, toolkit::Millis> lastAnswers_;
  std::optional<toolkit::Millis> lastReadAnswer_;
  std::map<int, double> heldCurrents_;
  // Writes sent and not yet answered, oldest first: for a hold or a release
  // its channel and current (0 for a release), 0 for a reset, -1 for any
  // other write.
  std::vector<std::pair<int, double>> unanswered_;
};

}  // namespace zolin6::link
