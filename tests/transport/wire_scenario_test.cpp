// The whole way to a device on a real line: zolin6-device serving the
// simulated transmitter over HART-IP (TCP and UDP) and on a pseudo-terminal,
// reached by the runner's `driver` lines and by the HART driver the window
// uses. Every page is read, a range written, a refused write answered.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <sstream>

#include "driver/hart_driver.h"
#include "fakes/answer_log.h"
#include "hart_ip_device_program.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/contract.h"
#include "scenario_runner.h"
#include "transport/event_loop_clock.h"
#include "transport/open_link.h"

namespace zolin6::transport {
namespace {

using testing::DeviceProgram;
using testing::RunUntil;

using fakes::AnswerLog;

enum class Line { Tcp, Udp, Serial };

class WireTest : public ::testing::TestWithParam<Line> {
 protected:
  void SetUp() override {
    pty_ = folder_.filePath("modem");
    ASSERT_TRUE(device_.start({"--listen", "127.0.0.1:0", "--pty", pty_})) << device_.readyLine.toStdString();
  }
  // The runner's `driver` line and --connect's form of the same line.
  std::string where(bool url) const {
    const std::string hostPort = "127.0.0.1:" + std::to_string(device_.port);
    switch (GetParam()) {
      case Line::Tcp: return url ? "hart-ip://" + hostPort : "hart-ip " + hostPort;
      case Line::Udp: return url ? "hart-ip://" + hostPort + "?udp" : "hart-ip " + hostPort + " udp";
      case Line::Serial: return (url ? "serial:" : "serial ") + pty_.toStdString();
    }
    return {};
  }

  QTemporaryDir folder_;
  QString pty_;
  DeviceProgram device_;
};

TEST_P(WireTest, TheRunnerShowsTheDevicesTag) {
  std::vector<scenario::Json> shown;
  scenario::ScenarioRunner runner([&](const scenario::Json& e) { shown.push_back(e); }, ZOLIN6_ASSETS_DIR);
  std::istringstream script("driver " + where(false) + "\ninit\nadvance 5000\nshow txtParameter(0)\n");
  EXPECT_EQ(runner.Run(script), 0);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back()["text"], "TT-601  ");
}

TEST_P(WireTest, EveryPageIsReadAndARangeWritten) {
  constexpr int kLastReadCode = 33;
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  Result<ConnectionTarget> target = ParseConnection(where(true));
  ASSERT_TRUE(target) << target.error().message;
  Result<OpenedLink> opened = OpenLink(*target, ticker);
  ASSERT_TRUE(opened) << opened.error().message;
  auto driver =
      std::make_shared<driver::HartDriver>(clock, opened->link, driver::HartDriverOptions{opened->settings, {}});
  driver->Start();
  AnswerLog log;
  bool registered = false;
  driver->RegisterControl("control", "invoke-1", &log, 0, registered);
  std::string result;
  const std::string empty = "<ViewData><ControlData/></ViewData>";
  for (int code = 1; code <= kLastReadCode; ++code) driver->ReadRequest(std::to_string(code), empty, result);
  // Channel 1 to 100 .. 0, then a refused write.
  driver->WriteRequest(
      "6",
      R"(<ViewData><ControlData Attribute1="00" Attribute2="20" Attribute3="42C80000" Attribute4="00000000"/></ViewData>)",
      result);
  driver->WriteRequest(
      "2",
      R"(<ViewData><ControlData Attribute1="2" Attribute2="0" Attribute3="5" Attribute4="0" Attribute5="0"/></ViewData>)",
      result);
  const std::size_t expected = 1 + kLastReadCode + 2;
  // processEvents() never sleeps, so the clock is moved on each turn.
  ASSERT_TRUE(RunUntil([&] { return log.answers.size() >= expected; }, 60000, [&] { ticker.catchUp(); }))
      << log.answers.size() << " answers";
  EXPECT_EQ(log.answers[0], std::make_pair(0, std::string(std::string(framelink::kOnlineState))));
  for (int code = 1; code <= kLastReadCode; ++code) EXPECT_EQ(log.answers[code].first, 100 * code);
  EXPECT_EQ(log.answers[kLastReadCode + 1], std::make_pair(4000, driver::ResponseDocument(0)));
  EXPECT_EQ(log.answers[kLastReadCode + 2].first, 4000);
  EXPECT_NE(log.answers[kLastReadCode + 2].second, driver::ResponseDocument(0));
  driver->UnregisterControl("invoke-1", true, registered);
}

INSTANTIATE_TEST_SUITE_P(Lines, WireTest, ::testing::Values(Line::Tcp, Line::Udp, Line::Serial),
                         [](const ::testing::TestParamInfo<Line>& line) {
                           return std::string(line.param == Line::Tcp   ? "HartIpTcp"
                                              : line.param == Line::Udp ? "HartIpUdp"
                                                                        : "SerialPty");
                         });

}  // namespace
}  // namespace zolin6::transport
