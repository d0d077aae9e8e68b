// The HART driver on a line that misbehaves: every request the control
// sends gets exactly one answer, whatever the device or the line does; a
// polling read never piles up; a lost device empties the queue and is
// looked for once; and answers reach the control from the clock, so a
// window's modal box holds them back.

#include <gtest/gtest.h>

#include "driver/hart_driver.h"
#include "fakes/answer_log.h"
#include "fakes/scripted_device_link.h"
#include "hart/link_timing.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"

namespace zolin6::driver {
namespace {

using Reaction = fakes::ScriptedDeviceLink::Reaction;

using fakes::AnswerLog;

const std::string kNoAttributes = "<ViewData><ControlData/></ViewData>";

class HartDriverAnswers : public ::testing::Test {
 protected:
  HartDriverAnswers() {
    hart::MasterSettings settings;
    settings.link = hart::kHartIpTiming;
    settings.link.replyTimeout = hart::Millis{200};
    driver = std::make_shared<HartDriver>(clock, link, HartDriverOptions{settings, {}});
    driver->Start();
    bool result = false;
    driver->RegisterControl("control", "invoke-1", &log, 0, result);
    clock.advance(100);
    log.answers.clear();
  }
  void Read(const std::string& code) {
    std::string result;
    driver->ReadRequest(code, kNoAttributes, result);
  }
  // The answers' notification codes, and whether a document carries `text`.
  std::vector<std::int32_t> Reasons() const {
    std::vector<std::int32_t> reasons;
    for (const auto& [reason, text] : log.answers) reasons.push_back(reason);
    return reasons;
  }

  toolkit::Clock clock;
  std::shared_ptr<fakes::ScriptedDeviceLink> link = std::make_shared<fakes::ScriptedDeviceLink>(clock);
  std::shared_ptr<HartDriver> driver;
  AnswerLog log;
};

TEST_F(HartDriverAnswers, EveryReadIsAnsweredWhateverTheDeviceSays) {
  struct Case {
    const char* what;
    std::uint16_t command;
    fakes::ScriptedDeviceLink::Spoil script;
    const char* read;
    std::int32_t reason;
    const char* carries;  // in the answer's text
  };
  const std::vector<Case> cases = {
      {"busy past its retries", 129, {Reaction::Refuse, 32}, "3", 300, R"("Response Code 1" value="32")"},
      {"refused", 135, {Reaction::Refuse, 2}, "17", 1700, R"("Response Code 1" value="2")"},
      {"an older device without command 9", 9, {Reaction::Refuse, 64}, "24", 2400, R"("Response Code 1" value="64")"},
      {"a reply too short for its tags", 137, {Reaction::CutShort}, "30", 3000, "<ParameterList"},
      {"silence", 142, {Reaction::Silence}, "27", 0, "state='Offline'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    link->Script(c.command, c.script);
    log.answers.clear();
    Read(c.read);
    clock.advance(20000);
    ASSERT_EQ(log.answers.size(), 1U);
    EXPECT_EQ(log.answers[0].first, c.reason);
    EXPECT_NE(log.answers[0].second.find(c.carries), std::string::npos) << log.answers[0].second;
    link->Script(c.command, {Reaction::Silence, 0, 0});
  }
  // A short reply's tags are left out: the page stops at the first one missing.
  link->Script(137, {Reaction::CutShort, 0, 1});
  log.answers.clear();
  Read("30");
  clock.advance(1000);
  EXPECT_EQ(log.answers.at(0).second.find("AverageMode"), std::string::npos);
}

TEST_F(HartDriverAnswers, ADuplicateReadWaitingIsMergedButNotAcrossAWrite) {
  Read("17");
  Read("26");
  Read("26");
  Read("26");
  std::string result;
  driver->WriteRequest("8", kNoAttributes, result);  // the counters reset
  Read("26");
  EXPECT_EQ(driver->pendingOperations(), 6);
  clock.advance(5000);
  EXPECT_EQ(Reasons(), (std::vector<std::int32_t>{1700, 2600, 2600, 2600, 4000, 2600}));
  EXPECT_EQ(link->sent(140), 2);
  EXPECT_EQ(driver->pendingOperations(), 0);
}

TEST_F(HartDriverAnswers, ALostDeviceAnswersEveryRequestOffLineAndIsLookedForOnce) {
  link->Script(129, {Reaction::Silence});
  link->Script(0, {Reaction::Silence});
  for (const char* code : {"3", "4", "17", "24"}) Read(code);
  clock.advance(20000);
  EXPECT_EQ(Reasons(), (std::vector<std::int32_t>{0, 0, 0, 0}));
  EXPECT_FALSE(driver->online());
  // The registration's, then one search: a try and the master's retries.
  EXPECT_EQ(link->sent(0), 1 + 1 + hart::kDefaultRetries);
  EXPECT_EQ(link->sent(135), 0);
}

TEST_F(HartDriverAnswers, AnswersComeFromTheClockNotFromTheLine) {
  link->Hold();
  Read("17");
  clock.advance(1);  // the request goes out
  // The reply is heard outside the clock: the control hears it only once
  // the clock runs again, as the end of a modal box lets it.
  link->Release();
  EXPECT_TRUE(log.answers.empty());
  clock.advance(0);
  EXPECT_EQ(Reasons(), std::vector<std::int32_t>{1700});
}

}  // namespace
}  // namespace zolin6::driver
