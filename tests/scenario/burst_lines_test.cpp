// `burst on|off` lines and the `published` events they bring, behind the
// simulated device on the instant line and on the FSK line.

#include <gtest/gtest.h>

#include "runner_fixture.h"

namespace zolin6::scenario {
namespace {

using BurstLinesTest = testing::RunnerFixture;

// On the instant line each frame comes when due: the period is kept exactly.
TEST_F(BurstLinesTest, PublishedEveryPeriodUntilSwitchedOff) {
  EXPECT_EQ(Run("driver sim\ninit\nadvance 1000\nburst on 2 9 500 0 12\nadvance 1200\nburst off 2\nadvance 2000\n"), 0);
  const std::vector<Json> published = EventsOf("published");
  ASSERT_EQ(published.size(), 3U);
  for (std::size_t i = 0; i < published.size(); ++i) {
    EXPECT_EQ(published[i]["at"], 1000 + 500 * static_cast<int>(i));
    EXPECT_EQ(published[i]["command"], 9);
    EXPECT_EQ(published[i]["master"], i % 2 == 0 ? "primary" : "secondary");
    EXPECT_EQ(published[i]["values"]["device variable"], Json({0, 12}));
  }
}

TEST_F(BurstLinesTest, OnTheFskLineBurstsShareTheLineWithThePages) {
  EXPECT_EQ(Run("driver hart\ninit\nburst on 0 1 1000\nadvance 5000\n"), 0);
  const std::vector<Json> published = EventsOf("published");
  ASSERT_GE(published.size(), 3U);
  EXPECT_EQ(published[0]["values"]["pv units"], 32);
  EXPECT_FALSE(EventsOf("request").empty());
}

TEST_F(BurstLinesTest, LinesThatDoNotFitSayWhy) {
  EXPECT_EQ(Run("burst on 0 9 1000\n"), 2);
  EXPECT_EQ(Run("driver sim\ninit\nburst\nburst on 3 9 1000\nburst on 0 4 1000\nburst on 0 9 249\n"
                "burst on 0 9 3600001\nburst on 0 1 1000 5\nburst on 0 9 1000 250\nburst off\n"),
            2);
  std::vector<std::string> messages;
  for (const Json& e : EventsOf("error")) messages.push_back(e["message"]);
  const std::vector<std::string> expected{
      "no simulated transmitter: use `driver sim` or `driver hart` and `init` first",
      "bad argument: burst takes on N CMD PERIOD_MS [VARIABLE...] or off N",
      "bad argument: burst takes a message N from 0 to 2",
      "bad argument: burst on takes a command CMD of 1, 2, 3, 9 or 48",
      "bad argument: burst on takes a PERIOD_MS from 250 to 3600000",
      "bad argument: burst on takes a PERIOD_MS from 250 to 3600000",
      "bad argument: burst on takes up to eight VARIABLE codes below 250, for command 9 only",
      "bad argument: burst on takes up to eight VARIABLE codes below 250, for command 9 only",
      "bad argument: burst takes on N CMD PERIOD_MS [VARIABLE...] or off N",
  };
  EXPECT_EQ(messages, expected);
  EXPECT_TRUE(EventsOf("published").empty());
}

}  // namespace
}  // namespace zolin6::scenario
