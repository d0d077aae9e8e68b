#pragma once
// The values the observation page shows, taken from the notifications that
// fill it: loop current, percent of range, PV, SV and TV (2400), and the
// eight chosen variables (3200), each with its unit.

#include <functional>
#include <string>
#include <vector>

#include "link/link_tap.h"
#include "platform/toolkit/clock.h"

namespace zolin6::trend {

struct ObservedValue {
  std::string name;  // "Loop current", "PV", "Var 3", ...
  std::string unit;  // "mA", "%", "°C", ... as the page's unit label shows it
  double value;      // NaN when the device reports no number

  bool operator==(const ObservedValue&) const = default;
};

// The values of one notification; empty for any other notification, and
// for one whose document lacks a value or a unit. `variables` names the
// eight chosen variables ("Sensor 3", "Local Temp"); an empty name leaves
// "Var N".
std::vector<ObservedValue> ObservedValues(const link::Notification& notification,
                                          const std::vector<std::string>& variables = {});

// The names of the eight variables a read of the second observation tab
// asks for, from the codes of its request document.
std::vector<std::string> ChosenVariables(const std::string& document);

// The values of a published frame, named as the observation page names
// them ("PV", "Loop current", "Sensor 3"), with the page's unit texts.
std::vector<ObservedValue> ObservedValues(const link::Published& published);

// Hands the observed values of each notification, with the clock's time,
// and those of each published frame, with the time it was heard, to
// whoever subscribed: the trend, the recorder. A value the device published
// since the last notification with values is left out of that
// notification's: the page goes on polling it, and the published one is
// fresher, so polling fills in only what is not published.
class ObservationFeed : public link::LinkListener {
 public:
  using Subscriber = std::function<void(toolkit::Millis time, const std::vector<ObservedValue>& values)>;
  enum class Source { PolledAndPublished, PublishedOnly };

  explicit ObservationFeed(const toolkit::Clock& clock) : clock_(clock) {}
  // Subscribers live as long as the feed.
  void Subscribe(Subscriber subscriber, Source source = Source::PolledAndPublished) {
    subscribers_.push_back({std::move(subscriber), source});
  }

  void OnRequest(link::RequestKind kind, const std::string& code, const std::string& document) override;
  void OnNotification(const link::Notification& notification) override;
  void OnPublished(const link::Published& published) override;

 private:
  void Hand(toolkit::Millis time, const std::vector<ObservedValue>& values, bool published) const;

  struct Subscription {
    Subscriber subscriber;
    Source source;
  };
  const toolkit::Clock& clock_;
  std::vector<Subscription> subscribers_;
  std::vector<std::string> variables_;       // the eight variables last asked for
  std::vector<std::string> publishedSince_;  // names published since the last polled values
};

}  // namespace zolin6::trend
