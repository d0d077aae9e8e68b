// Published values in the trend and the recording: named as the page names
// them, with the moment they were heard, polling filling in only what is
// not published.

#include <gtest/gtest.h>

#include "platform/toolkit/clock.h"
#include "trend/observed_values.h"

namespace zolin6::trend {
namespace {

link::Published Frame(toolkit::Millis at, std::vector<link::PublishedValue> values) {
  return {at, 9, std::move(values)};
}

link::Notification Observed() {
  return {2400,
          "",
          {{"LoopCurrent", "12"},
           {"PercentRange", "50"},
           {"PV", "100"},
           {"PVUnit", "32"},
           {"SV", "25"},
           {"SVUnit", "32"},
           {"TV", "30"},
           {"TVUnit", "32"}}};
}

std::vector<std::string> Names(const std::vector<ObservedValue>& values) {
  std::vector<std::string> names;
  for (const ObservedValue& value : values) names.push_back(value.name);
  return names;
}

TEST(PublishedValues, AreNamedAsThePageNamesThem) {
  const std::vector<ObservedValue> values = ObservedValues(Frame(0, {{245, 39, 12.0},
                                                                     {244, 57, 50.0},
                                                                     {246, 32, 100.0},
                                                                     {249, 33, 1.0},
                                                                     {8, 57, 3.0},
                                                                     {12, 32, 25.0},
                                                                     {13, 32, 7.0}}));
  EXPECT_EQ(values, (std::vector<ObservedValue>{{"Loop current", "mA", 12.0},
                                                {"Percent of range", "%", 50.0},
                                                {"PV", "°C", 100.0},
                                                {"QV", "°F", 1.0},
                                                {"Sensor 3%", "%", 3.0},
                                                {"Local Temp", "°C", 25.0},
                                                {"Variable 13", "°C", 7.0}}));
}

// The feed's subscribers, each writing down the times and names it got.
struct Heard {
  std::vector<std::pair<toolkit::Millis, std::vector<std::string>>> got;
  ObservationFeed::Subscriber subscriber() {
    return [this](toolkit::Millis time, const std::vector<ObservedValue>& values) {
      got.emplace_back(time, Names(values));
    };
  }
};

TEST(ObservationFeed, PollsOnlyWhatWasNotPublishedSinceTheLastPoll) {
  toolkit::Clock clock;
  clock.advance(10000);
  ObservationFeed feed(clock);
  Heard all;
  Heard published;
  feed.Subscribe(all.subscriber());
  feed.Subscribe(published.subscriber(), ObservationFeed::Source::PublishedOnly);

  feed.OnPublished(Frame(9500, {{246, 32, 100.0}, {245, 39, 12.0}}));
  feed.OnNotification(Observed());  // PV and loop current were published
  feed.OnNotification(Observed());  // nothing published since: all polled
  feed.OnPublished(Frame(9800, {}));

  using Got = std::vector<std::pair<toolkit::Millis, std::vector<std::string>>>;
  EXPECT_EQ(all.got, (Got{{9500, {"PV", "Loop current"}},
                          {10000, {"Percent of range", "SV", "TV"}},
                          {10000, {"Loop current", "Percent of range", "PV", "SV", "TV"}}}));
  EXPECT_EQ(published.got, (Got{{9500, {"PV", "Loop current"}}}));
}

}  // namespace
}  // namespace zolin6::trend
