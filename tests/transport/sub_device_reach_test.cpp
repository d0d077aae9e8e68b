// A device behind an I/O system reached as any other: zolin6-device with
// three transmitters behind it, over a real loopback socket. By long frames
// when the I/O system passes them, through command 77 when it does not;
// the driver reads the same either way. A name it does not have fails the
// connect with a sentence.

#include <gtest/gtest.h>

#include "driver/hart_driver.h"
#include "fakes/answer_log.h"
#include "hart_ip_device_program.h"
#include "platform/framelink/contract.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::transport {
namespace {

using testing::DeviceProgram;
using testing::RunUntil;

struct Reached {
  std::string way;                                          // what the opening said
  std::vector<std::pair<std::int32_t, std::string>> reads;  // the answers, on line first
};

// Connects to `device` behind a fresh I/O system and reads identity (1, 2)
// and the process values (24).
Reached Reach(const QStringList& routing, const std::string& device) {
  DeviceProgram program;
  EXPECT_TRUE(program.start(QStringList{"--listen", "127.0.0.1:0", "--gateway", "3"} + routing));
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  const std::string url = "hart-ip://127.0.0.1:" + std::to_string(program.port) + "/" + device;
  Reached reached;
  Result<OpenedLink> opened =
      OpenLink(ParseConnection(url).value(), ticker, [&reached](const std::string& text) { reached.way = text; });
  EXPECT_TRUE(opened) << opened.error().message;
  if (!opened) return reached;
  auto driver =
      std::make_shared<driver::HartDriver>(clock, opened->link, driver::HartDriverOptions{opened->settings, {}});
  driver->Start();
  fakes::AnswerLog log;
  bool registered = false;
  driver->RegisterControl("control", "invoke-1", &log, 0, registered);
  std::string result;
  const std::string empty = "<ViewData><ControlData/></ViewData>";
  for (const char* code : {"1", "2", "24"}) driver->ReadRequest(code, empty, result);
  EXPECT_TRUE(RunUntil([&] { return log.answers.size() >= 4; }, 30000, [&] { ticker.catchUp(); }));
  reached.reads = log.answers;
  driver->UnregisterControl("invoke-1", true, registered);
  return reached;
}

TEST(SubDeviceReach, DirectlyOrThroughCommand77TheDriverReadsTheSame) {
  const Reached direct = Reach({}, "2");
  EXPECT_NE(direct.way.find("TT-002 reached by long frames"), std::string::npos) << direct.way;
  const Reached carried = Reach({"--gateway-routing", "77"}, "TT-002");
  EXPECT_NE(carried.way.find("TT-002 reached through the I/O system (command 77)"), std::string::npos) << carried.way;
  ASSERT_EQ(direct.reads.size(), 4U);
  EXPECT_EQ(direct.reads[0], std::make_pair(0, std::string(framelink::kOnlineState)));
  EXPECT_EQ(direct.reads[1].first, 100);
  EXPECT_NE(direct.reads[1].second.find("54542D303032"), std::string::npos);  // "TT-002" in the long tag
  EXPECT_EQ(direct.reads[3].first, 2400);
  EXPECT_EQ(carried.reads, direct.reads);
}

TEST(SubDeviceReach, ANameThatIsNotThereFailsTheConnect) {
  DeviceProgram program;
  ASSERT_TRUE(program.start({"--listen", "127.0.0.1:0", "--gateway", "3"}));
  DeviceProgram plain;
  ASSERT_TRUE(plain.start({"--listen", "127.0.0.1:0"}));
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  const std::string gateway = "hart-ip://127.0.0.1:" + std::to_string(program.port);
  const std::string device = "hart-ip://127.0.0.1:" + std::to_string(plain.port);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {gateway + "/TT-9", ": no device 'TT-9' behind this I/O system"},
      {gateway + "/4", ": no device 4 behind this I/O system"},
      {device + "/1", ": not an I/O system: it refuses command 74"},
  };
  for (const auto& [url, why] : cases) {
    const Result<ConnectionTarget> target = ParseConnection(url);
    ASSERT_TRUE(target);
    const Result<OpenedLink> opened = OpenLink(*target, ticker);
    ASSERT_FALSE(opened) << url;
    EXPECT_EQ(opened.error().message, target->url() + why);
  }
}

}  // namespace
}  // namespace zolin6::transport
