// The HART driver over the HART-IP client to the HART-IP server serving the
// simulated transmitter: on line, one read and one write, over TCP and UDP.

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "device/hart_device.h"
#include "driver/device_documents.h"
#include "driver/hart_driver.h"
#include "hart_ip_support.h"
#include "platform/fdt/dtm_activex_control.h"
#include "transport/hart_ip_client.h"
#include "transport/hart_ip_server.h"

namespace zolin6::transport {
namespace {

// Stands in for the control: keeps every answer.
class AnswerLog : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant& details) override {
    answers.emplace_back(reason, details.text().value_or(""));
  }
  std::vector<std::pair<std::int32_t, std::string>> answers;
};

class HartIpEndToEnd : public ::testing::TestWithParam<IpProtocol> {};

TEST_P(HartIpEndToEnd, DriverGoesOnLineReadsAndWrites) {
  testing::EnsureEventLoop();
  driver::SimulatedTransmitter transmitter(6, device::HartDevice::kRestartTime);
  device::HartDevice field(transmitter);
  HartIpServer server(field);
  const Result<std::uint16_t> port = server.listen(QHostAddress::LocalHost, 0);
  ASSERT_TRUE(port) << port.error().message;

  toolkit::Clock clock;
  auto client = std::make_shared<HartIpClient>(clock, HartIpEndpoint{"127.0.0.1", *port, GetParam()});
  auto hart = std::make_shared<driver::HartDriver>(clock, client, hart::MasterSettings{.link = hart::kHartIpTiming});
  hart->Start();
  AnswerLog log;
  bool registered = false;
  hart->RegisterControl("control", "invoke-1", &log, 0, registered);
  ASSERT_TRUE(registered);

  // The driver's timers run on the manual clock; keep it with real time.
  QElapsedTimer real;
  real.start();
  const auto keepTime = [&] { clock.advance(real.elapsed() - clock.now()); };
  const auto answered = [&](std::size_t count) {
    return testing::RunUntil([&] { return log.answers.size() >= count; }, 15000, keepTime);
  };
  ASSERT_TRUE(answered(1));
  EXPECT_TRUE(hart->online());

  std::string result;
  hart->ReadRequest("3", "<ViewData><ControlData/></ViewData>", result);
  ASSERT_TRUE(answered(2));
  EXPECT_EQ(log.answers[1].first, 300);
  hart->WriteRequest("6",
                     R"(<ViewData><ControlData Attribute1="00" Attribute2="20" Attribute3="42C80000" )"
                     R"(Attribute4="00000000"/></ViewData>)",
                     result);
  ASSERT_TRUE(answered(3));
  EXPECT_EQ(log.answers[2], std::make_pair(4000, driver::ResponseDocument(0)));
  EXPECT_EQ(client->state(), HartIpClient::State::Connected);
}

INSTANTIATE_TEST_SUITE_P(Protocols, HartIpEndToEnd, ::testing::Values(IpProtocol::Tcp, IpProtocol::Udp),
                         [](const ::testing::TestParamInfo<IpProtocol>& protocol) {
                           return protocol.param == IpProtocol::Tcp ? "Tcp" : "Udp";
                         });

}  // namespace
}  // namespace zolin6::transport
