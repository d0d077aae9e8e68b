// The runner end to end: lines in, JSON events out. The first read's
// framework calls, show and state keys and the message box queue are
// pinned by the example outputs (first-read, current-trim, sim-tour).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "event_output.h"
#include "platform/locale.h"
#include "runner_fixture.h"

namespace zolin6::scenario {
namespace {

class RunnerTest : public testing::RunnerFixture {
 protected:
  void TearDown() override { platform::SetUserLocale({'.'}); }
};

// A scenario saved in Latin-1 reaches the runner with bytes that are no
// UTF-8: in a line the control refuses, and in a device text saved to a file.
TEST_F(RunnerTest, TextsThatAreNotUtf8StillBecomeLines) {
  const std::string file = ::testing::TempDir() + "latin1-device.json";
  Run("tree \"Parametriza\xe7\xe3o OnLine\"\ndriver sim\ninit\nsim set \"Long Tag\" \"Caf\xe9\"\nsim save " + file +
      "\n");
  ASSERT_FALSE(events_.empty());
  EXPECT_NE(EventLine(events_.front()).find("Parametriza\uFFFD\uFFFD"), std::string::npos)
      << EventLine(events_.front());
  for (const Json& event : events_) EXPECT_FALSE(EventLine(event).empty());
  EXPECT_TRUE(EventsOf("error").size() == 1) << "only the unknown tree node is refused";
  EXPECT_TRUE(std::filesystem::exists(file));
  std::remove(file.c_str());
}

TEST_F(RunnerTest, DriverChoicesDecideInit) {
  Run("driver notready\ninit\ndriver bare\ninit\n");
  auto inits = EventsOf("init");
  ASSERT_EQ(inits.size(), 2u);
  EXPECT_EQ(inits[0]["result"], false);
  EXPECT_EQ(inits[1]["result"], false);
}

// GetChannelCode is called in the first-read example.
TEST_F(RunnerTest, CallReachesThePublicFunctions) {
  Run("set txtParameter(51) 1/2/2000\ncall GetConverteDate\nset txtParameter(51) 25-12-2022\ncall GetConverteDate\n");
  auto calls = EventsOf("call");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0]["result"], "010264");
  EXPECT_TRUE(calls[1].contains("error"));
}

TEST_F(RunnerTest, BadLinesAreReportedAndTheRestStillRuns) {
  EXPECT_EQ(Run("bogus\nadvance x\nshow nothingHere\nclick cmdNope\nlocale ;\ninit\n"), 2);
  auto errors = EventsOf("error");
  ASSERT_EQ(errors.size(), 5u);
  EXPECT_EQ(errors[0]["line"], 1);
  EXPECT_EQ(errors[4]["line"], 5);
  EXPECT_EQ(EventsOf("init").size(), 1u);
}

// Numbers the fuzz targets found reaching the clock or an encoder unchecked:
// time beyond the clock's range (undefined behaviour, or hours of ticks) and
// a count that made the encoder pad a text to gigabytes.
TEST_F(RunnerTest, LinesWithoutBoundsAreRefused) {
  EXPECT_EQ(Run("advance 9223372036854775807\nadvance 86400001\ncall PackAscii A 2000000000\n"
                "call AsciiToHex A 100000000\ndriver sim\ninit\nsim latency 9223372036854775000\nadvance 86400000\n"),
            2);
  EXPECT_EQ(EventsOf("error").size(), 5U);
}

TEST_F(RunnerTest, DestroyedControlRefusesFurtherWork) {
  EXPECT_EQ(Run("destroy\nstate\n"), 2);
  EXPECT_EQ(EventsOf("error").at(0)["line"], 2);
}

}  // namespace
}  // namespace zolin6::scenario
