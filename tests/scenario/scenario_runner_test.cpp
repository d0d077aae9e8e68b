// The runner end to end: lines in, JSON events out.

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

TEST_F(RunnerTest, FirstReadSessionReportsEveryFrameworkCall) {
  EXPECT_EQ(Run("init\nadvance 1200\nnotify 0 <DTMInfo state='Online' />\nrelease\ndestroy\n"), 0);
  ASSERT_EQ(EventsOf("init").size(), 1u);
  EXPECT_EQ(EventsOf("init")[0]["result"], true);

  auto sessions = EventsOf("session");
  ASSERT_EQ(sessions.size(), 3u);
  EXPECT_EQ(sessions[0]["call"], "IsReady");
  EXPECT_EQ(sessions[1]["args"], Json({"PrjKOVAR4DTM.UserCntrl", "invoke-1", "control", "0"}));
  EXPECT_EQ(sessions[2]["call"], "UnregisterControl");

  auto requests = EventsOf("request");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0]["at"], 1200);
  EXPECT_EQ(requests[0]["kind"], "read");
  EXPECT_EQ(requests[0]["code"], "1");
  EXPECT_EQ(requests[0]["attributes"], Json(std::vector<std::string>(22, "None")));
  EXPECT_EQ(requests[1]["code"], "1");  // repeated once on line
  EXPECT_EQ(EventsOf("notify")[0]["reason"], 0);
}

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

TEST_F(RunnerTest, ShowAndStatePrintTheDocumentedKeys) {
  Run("show TimerInit StatusBar(1) sPage cmdBack frmInfo\nstate\n");
  auto shown = EventsOf("show");
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].dump(), R"({"event":"show","name":"TimerInit","enabled":true,"interval":1200})");
  EXPECT_EQ(shown[1]["text"], "Disconnected");
  EXPECT_EQ(shown[2]["value"], "Information");
  EXPECT_EQ(shown[3]["caption"], "Back");
  EXPECT_EQ(shown[4]["visible"], true);
  auto state = EventsOf("state").at(0);
  EXPECT_EQ(state["timers"].size(), 9u);
  EXPECT_EQ(state["statusBar"], Json({"Disconnected", "", "", ""}));
  EXPECT_EQ(state["visibleFrames"], Json({"frmInfo"}));
}

TEST_F(RunnerTest, CallReachesThePublicFunctions) {
  Run("set txtParameter(51) 1/2/2000\ncall GetConverteDate\nset txtParameter(51) 25-12-2022\ncall GetConverteDate\n"
      "call GetChannelCode \"Trim 4mA Channel 4\"\n");
  auto calls = EventsOf("call");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0]["result"], "010264");
  EXPECT_TRUE(calls[1].contains("error"));
  EXPECT_EQ(calls[2]["result"], "03");
}

TEST_F(RunnerTest, MessageBoxesAnswerFromTheQueue) {
  // With nothing queued an OK box answers ok; a queued answer is used once.
  const std::string codes = R"(<P><E tag="Response Code 1" value="7"/><E tag="Response Code 2" value="0"/>)"
                            R"(<E tag="Response Code 3" value="0"/><E tag="Response Code 4" value="0"/>)"
                            R"(<E tag="Response Code 5" value="0"/></P>)";
  Run("notify 4000 " + codes + "\nanswer ok\nnotify 4000 " + codes + "\n");
  auto boxes = EventsOf("msgbox");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].dump(), R"({"event":"msgbox","at":0,"title":"Response Code","text":"In Write Protect Mode!",)"
                             R"("buttons":"ok","icon":"critical","answer":"ok","queued":false})");
  EXPECT_EQ(boxes[1]["queued"], true);
}

TEST_F(RunnerTest, BadLinesAreReportedAndTheRestStillRuns) {
  EXPECT_EQ(Run("bogus\nadvance x\nshow nothingHere\nclick cmdNope\nlocale ;\ninit\n"), 2);
  auto errors = EventsOf("error");
  ASSERT_EQ(errors.size(), 5u);
  EXPECT_EQ(errors[0]["line"], 1);
  EXPECT_EQ(errors[4]["line"], 5);
  EXPECT_EQ(EventsOf("init").size(), 1u);
}

TEST_F(RunnerTest, DestroyedControlRefusesFurtherWork) {
  EXPECT_EQ(Run("destroy\nstate\n"), 2);
  EXPECT_EQ(EventsOf("error").at(0)["line"], 2);
}

}  // namespace
}  // namespace zolin6::scenario
