// The HART driver over a secure HART-IP session reads the HART information
// page (six commands) in one direct PDU, and answers exactly what the same
// read by frames answers.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device/hart_device.h"
#include "driver/hart_driver.h"
#include "driver/traced_link.h"
#include "fakes/answer_log.h"
#include "hart_ip_support.h"
#include "transport/event_loop_clock.h"
#include "transport/hart_ip_client.h"
#include "transport/hart_ip_server.h"
#include "transport/open_link.h"

namespace zolin6::transport {
namespace {

using testing::RunUntil;

constexpr const char* kHartInformation = "1";
const PskKey kKey{"reader", QByteArray::fromHex("00112233445566778899aabbccddeeff")};

struct Read {
  std::string answer;
  int frames = 0;  // crossing the line during the read
};

Read ReadHartInformation(HartIpServer& server, bool secure) {
  toolkit::Clock clock;
  EventLoopClock ticker(clock);
  HartIpEndpoint endpoint{QStringLiteral("127.0.0.1"), server.port(), IpProtocol::Tcp, hart::ip::kAskedInactivityMs,
                          secure ? std::optional(kKey) : std::nullopt};
  auto client = std::make_shared<HartIpClient>(clock, endpoint);
  auto traced = std::make_shared<driver::TracedLink>(client);
  Read read;
  bool reading = false;
  traced->Trace([&](const hart::TracedFrame&) { read.frames += reading ? 1 : 0; });
  hart::MasterSettings settings;
  settings.link = hart::kHartIpTiming;
  auto hart = std::make_shared<driver::HartDriver>(clock, traced, driver::HartDriverOptions{settings, {}});
  hart->Start();
  fakes::AnswerLog control;
  bool registered = false;
  hart->RegisterControl("control", "invoke", &control, 0, registered);
  client->Open();
  EXPECT_TRUE(RunUntil([&] { return hart->online(); }, 10000, [&] { ticker.catchUp(); }));
  reading = true;
  const std::size_t before = control.answers.size();
  std::string ignored;
  hart->ReadRequest(kHartInformation, "<ViewData><ControlData/></ViewData>", ignored);
  EXPECT_TRUE(RunUntil([&] { return control.answers.size() > before; }, 10000, [&] { ticker.catchUp(); }));
  if (control.answers.size() > before) read.answer = control.answers.back().second;
  return read;
}

TEST(DirectRead, TheHartInformationPageTakesOneMessageAndReadsTheSame) {
  testing::EnsureEventLoop();
  device::SimulatedTransmitter transmitter(6, device::SimulatedTransmitter::kRestartTime);
  device::HartDevice device(transmitter);
  HartIpServer server(device);
  ASSERT_TRUE(server.useKeys(PskKeys({kKey}), false));
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  const Read byFrames = ReadHartInformation(server, false);
  const Read direct = ReadHartInformation(server, true);
  EXPECT_EQ(byFrames.frames, 12);  // six requests and their replies
  EXPECT_EQ(direct.frames, 0);
  ASSERT_NE(byFrames.answer.find("tag=\"Final Assembly\" value=\"4096\""), std::string::npos) << byFrames.answer;
  EXPECT_EQ(direct.answer, byFrames.answer);
}

}  // namespace
}  // namespace zolin6::transport
