// Secure HART-IP (version 2, TLS with a pre-shared key) against plain
// version 1, on loopback in real time: the simulated transmitter served as
// `zolin6-device` serves it, and the host's HART-IP client.
//   BM_OpenSession/V/U     from Open() to the session being up (TCP's
//                          connection, the initiate, then for version 2 the
//                          TLS or DTLS handshake)
//   BM_Command3/V/U        one command 3 request and its answer once the
//                          session is up
//   BM_HartInformation/V   the HART driver's read of the HART information
//                          page (six commands): by frames over version 1,
//                          as one direct PDU over version 2 (TCP)
// V: 0 version 1, 1 version 2; U: 0 TCP, 1 UDP.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>

#include <functional>
#include <optional>

#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "driver/hart_driver.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"
#include "transport/event_loop_clock.h"
#include "transport/hart_ip_client.h"
#include "transport/hart_ip_server.h"

namespace {

using namespace zolin6;

constexpr int kLimitMs = 5000;
const transport::PskKey kKey{"bench", QByteArray::fromHex("00112233445566778899aabbccddeeff")};

void EnsureEventLoop() {
  static int argc = 1;
  static char name[] = "secure_hart_ip_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

bool RunUntil(const std::function<bool()>& done) {
  QElapsedTimer since;
  since.start();
  while (!done()) {
    if (since.elapsed() > kLimitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// A device served with a key, and the endpoint of a client to it.
struct Bench {
  Bench() : field(transmitter), server(field) {
    EnsureEventLoop();
    (void)server.useKeys(transport::PskKeys({kKey}), false);
    port = server.listen(QHostAddress::LocalHost, 0).value();
  }
  transport::HartIpEndpoint endpoint(bool secure, transport::IpProtocol protocol) const {
    return {QStringLiteral("127.0.0.1"), port, protocol, hart::ip::kAskedInactivityMs,
            secure ? std::optional<transport::PskKey>(kKey) : std::nullopt};
  }
  hart::Bytes command3() const {
    hart::Frame frame;
    frame.address = field.uniqueAddress();
    frame.address.primaryMaster = true;
    frame.command = 3;
    hart::Bytes out;
    (void)hart::EncodeFrame(frame, 0, out);
    return out;
  }
  device::SimulatedTransmitter transmitter{device::kDefaultSeed};
  device::HartDevice field;
  transport::HartIpServer server;
  std::uint16_t port = 0;
  toolkit::Clock clock;
};

transport::IpProtocol ProtocolOf(const benchmark::State& state) {
  return state.range(1) != 0 ? transport::IpProtocol::Udp : transport::IpProtocol::Tcp;
}

void BM_OpenSession(benchmark::State& state) {
  Bench bench;
  const bool secure = state.range(0) != 0;
  for (auto _ : state) {
    transport::HartIpClient client(bench.clock, bench.endpoint(secure, ProtocolOf(state)));
    client.Open();
    if (!RunUntil([&] { return client.state() == transport::HartIpClient::State::Connected; })) {
      state.SkipWithError("the session did not open");
      return;
    }
    state.PauseTiming();
    client.Close();
    RunUntil([&] { return bench.server.sessionCount() == 0; });
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenSession)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

void RoundTrips(benchmark::State& state, bool secure, transport::IpProtocol protocol) {
  Bench bench;
  transport::HartIpClient client(bench.clock, bench.endpoint(secure, protocol));
  int replies = 0;
  client.Listen([&replies](hart::ByteView, toolkit::Millis) { ++replies; });
  client.Open();
  if (!RunUntil([&] { return client.state() == transport::HartIpClient::State::Connected; })) {
    state.SkipWithError("the session did not open");
    return;
  }
  const hart::Bytes request = bench.command3();
  for (auto _ : state) {
    const int before = replies;
    client.Send(request, 0);
    if (!RunUntil([&] { return replies > before; })) {
      state.SkipWithError("no answer");
      return;
    }
  }
}

void BM_Command3(benchmark::State& state) { RoundTrips(state, state.range(0) != 0, ProtocolOf(state)); }
BENCHMARK(BM_Command3)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond)->UseRealTime();

// Stands in for the control: counts the driver's answers.
class Control : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t /*reason*/, const framelink::Variant& /*details*/) override { ++answers; }
  int answers = 0;
};

void BM_HartInformation(benchmark::State& state) {
  Bench bench;
  const bool secure = state.range(0) != 0;
  transport::EventLoopClock ticker(bench.clock);
  auto client =
      std::make_shared<transport::HartIpClient>(bench.clock, bench.endpoint(secure, transport::IpProtocol::Tcp));
  hart::MasterSettings settings;
  settings.link = hart::kHartIpTiming;
  auto driver = std::make_shared<driver::HartDriver>(bench.clock, client, driver::HartDriverOptions{settings, {}});
  driver->Start();
  Control control;
  bool registered = false;
  driver->RegisterControl("control", "invoke", &control, 0, registered);
  client->Open();
  const auto until = [&ticker](const std::function<bool()>& done) {
    return RunUntil([&] {
      ticker.catchUp();
      return done();
    });
  };
  if (!until([&] { return driver->online(); })) {
    state.SkipWithError("the device did not come on line");
    return;
  }
  std::string ignored;
  for (auto _ : state) {
    const int before = control.answers;
    driver->ReadRequest("1", "<ViewData><ControlData/></ViewData>", ignored);
    if (!until([&] { return control.answers > before; })) {
      state.SkipWithError("no answer");
      return;
    }
  }
}
BENCHMARK(BM_HartInformation)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
