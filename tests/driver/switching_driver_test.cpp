// Changing the device under a registered control: the old device is heard
// to go, the new one to come, and requests reach only the present one.

#include <gtest/gtest.h>

#include "driver/switching_driver.h"
#include "fakes/answer_log.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"
#include "transport/simulated_device.h"

namespace zolin6::driver {
namespace {

using fakes::AnswerLog;

TEST(SwitchingDriver, TheControlHearsTheOldDeviceGoAndTheNewOneCome) {
  toolkit::Clock clock;
  AnswerLog log;
  int secondReads = 0;
  DriverObserver counting;
  counting.request = [&](const std::string& kind, const std::string&, const std::string&) {
    secondReads += kind == "read" ? 1 : 0;
  };
  auto first = std::make_shared<transport::SimulatedDevice>(clock);
  auto second = std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{}, counting);
  auto switching = std::make_shared<SwitchingDriver>(clock, first);
  bool result = false;
  switching->RegisterControl("control", "invoke-1", &log, 0, result);
  clock.advance(1000);
  switching->Switch(second);
  clock.advance(1000);
  std::string answer;
  const std::string document = "<ViewData><ControlData/></ViewData>";
  switching->ReadRequest("1", document, answer);
  clock.advance(1000);
  switching->Switch(nullptr);
  switching->ReadRequest("1", document, answer);
  clock.advance(1000);

  const std::vector<std::int32_t> reasons = {0, 0, 0, 100, 0, 0};
  ASSERT_EQ(log.answers.size(), reasons.size());
  for (std::size_t i = 0; i < reasons.size(); ++i) EXPECT_EQ(log.answers[i].first, reasons[i]) << i;
  EXPECT_EQ(log.answers[1].second, framelink::kOfflineState);
  EXPECT_EQ(log.answers[2].second, framelink::kOnlineState);
  EXPECT_EQ(log.answers[5].second, framelink::kOfflineState);
  EXPECT_EQ(secondReads, 1);
}

}  // namespace
}  // namespace zolin6::driver
