// One endpoint's device misbehaving command by command: what the survey
// then says of the endpoint and of the device.

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "fakes/scripted_device_link.h"
#include "hart/command_numbers.h"
#include "hart/sub_device.h"
#include "plant/endpoint_survey.h"

namespace zolin6::plant {
namespace {

using Spoil = fakes::ScriptedDeviceLink::Spoil;
using Reaction = fakes::ScriptedDeviceLink::Reaction;

std::optional<EndpointReport> SurveyOf(std::uint16_t command, Spoil spoil) {
  toolkit::Clock clock;
  auto link = std::make_shared<fakes::ScriptedDeviceLink>(clock);
  link->Script(command, spoil);
  hart::MasterSettings settings;
  settings.link = hart::kHartIpTiming;
  std::optional<EndpointReport> report;
  auto survey = std::make_shared<EndpointSurvey>(clock, link, settings, "hart-ip://127.0.0.1:5094",
                                                 [&report](const EndpointReport& done) { report = done; });
  survey->Start();
  for (int step = 0; step < 1000 && !report; ++step) clock.advance(100);
  return report;
}

TEST(EndpointSurvey, SaysWhatAnswerWasMissing) {
  struct Case {
    std::uint16_t command;
    Spoil spoil;
    bool reached;
    const char* why;  // the start of the reason, when not reached
    bool answering;   // the device's row, when reached
  };
  const Case cases[] = {
      {hart::kFirstDeviceSpecificCommand, {Reaction::Silence}, true, "", true},  // one it never sends
      {hart::kReadIoSystemCapabilities, {Reaction::Silence}, false, "command 74: ", false},
      {hart::kReadTag, {Reaction::Silence}, true, "", false},
      {hart::kReadDynamicVariables, {Reaction::Silence}, true, "", false},
      {hart::kReadDynamicVariables, {Reaction::Refuse, 32, 2}, true, "", true},  // busy twice, then answered
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "command " << c.command);
    const std::optional<EndpointReport> report = SurveyOf(c.command, c.spoil);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->reached, c.reached) << report->why;
    if (!c.reached) {
      EXPECT_EQ(report->why.rfind(c.why, 0), 0U) << report->why;
      continue;
    }
    ASSERT_EQ(report->devices.size(), 1U);
    EXPECT_EQ(report->devices[0].row.answering, c.answering);
  }
}

}  // namespace
}  // namespace zolin6::plant
