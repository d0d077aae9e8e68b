#pragma once
// How often the device publishes, as the window says it beside the Observe
// page ("published every 0.5 s"): the time between the last two frames of
// each command heard, the fastest of them shown. Publishing counts as
// stopped once no frame came for a few of its periods.

#include <QString>

#include <cstdint>
#include <map>
#include <optional>

#include "link/link_tap.h"
#include "platform/toolkit/clock.h"

namespace zolin6::desktop {

// Periods without a frame after which publishing counts as stopped.
inline constexpr int kStoppedAfterPeriods = 3;

class PublishedRate : public link::LinkListener {
 public:
  // link::LinkListener: only the published frames count.
  void OnRequest(link::RequestKind /*kind*/, const std::string& /*code*/, const std::string& /*document*/) override {}
  void OnNotification(const link::Notification& /*notification*/) override {}
  void OnPublished(const link::Published& published) override { heard(published.at, published.command); }

  void heard(toolkit::Millis at, std::uint16_t command);
  // The shortest period of the commands still published at `now`, ms; none
  // before two frames of one command or once they all stopped.
  std::optional<toolkit::Millis> period(toolkit::Millis now) const;
  // The next moment after `now` a stream still published counts as stopped
  // unless another frame comes; none when nothing is published.
  std::optional<toolkit::Millis> nextStop(toolkit::Millis now) const;
  // "published every 0.5 s" at `now`, empty when nothing is published.
  QString text(toolkit::Millis now) const;

 private:
  struct Stream {
    toolkit::Millis last = 0;                 // when its last frame was heard
    std::optional<toolkit::Millis> interval;  // between its last two frames
  };
  std::map<std::uint16_t, Stream> streams_;  // by published command
};

}  // namespace zolin6::desktop
