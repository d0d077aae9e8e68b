// Burst against polling over HART-IP on loopback, in real time: the
// simulated transmitter served as `zolin6-device` serves it, and the host's
// whole chain (the HART-IP client on the event loop, the HART driver that
// subscribes with command 533, the link tap, the observation feed). Each run
// measures five seconds after the device is on line:
//   values_per_s     values reaching the observation feed per second
//   published_per_s  of those, the ones that came in publish messages
//   answers_per_s    reads answered per second
// Loopback has no wire time, so polling here is bound by this machine and
// the bursts by the device's period.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/burst_rules.h"
#include "device/hart_device.h"
#include "device/simulated_transmitter.h"
#include "driver/hart_driver.h"
#include "link/link_tap.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"
#include "transport/event_loop_clock.h"
#include "transport/hart_ip_server.h"
#include "transport/open_link.h"
#include "trend/observed_values.h"

namespace {

using namespace zolin6;

constexpr int kOnLineMs = 3000;  // at most, to open the session and identify the device
constexpr int kRunMs = 5000;
const std::string kNoAttributes = "<ViewData><ControlData/></ViewData>";
const std::string kObserveRead = "24";  // the observation page's read: command 9 of five values
constexpr int kNotUsed = 250;
// PV, SV, TV, percent of range, loop current: the observation page's values.
constexpr std::array<int, 5> kObservationCodes{246, 247, 248, 244, 245};

void EnsureEventLoop() {
  static int argc = 1;
  static char name[] = "burst_hart_ip_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` or `limitMs` has passed, bringing the
// host's clock up to the wall clock on every turn: the loop never blocks
// here, so it never goes idle to do so itself.
void RunFor(
    transport::EventLoopClock& ticker, int limitMs, const std::function<bool()>& done = [] { return false; }) {
  QElapsedTimer since;
  since.start();
  while (!done() && since.elapsed() < limitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.catchUp();
  }
}

// Stands in for the control: asks again as soon as each answer is in.
class Control : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant&) override {
    constexpr std::int32_t kStateElement = 0;
    if (reason == kStateElement) return;
    ++answers;
    if (onAnswer) onAnswer();
  }
  std::function<void()> onAnswer;
  int answers = 0;
};

struct Counts {
  double values = 0;
  double published = 0;
  int answers = 0;
};

// The device bursting command 9 of the five observation values every
// `periodMs` (0: not at all), the host polling the page's read back to back
// or not at all.
Counts Measure(int periodMs, bool poll) {
  EnsureEventLoop();
  device::SimulatedTransmitter transmitter(device::kDefaultSeed);
  if (periodMs > 0) {
    device::BurstMessage& m = transmitter.mutableState().bursts[0];
    m.control = 1;
    m.command = 9;
    m.variables.fill(kNotUsed);
    std::copy(kObservationCodes.begin(), kObservationCodes.end(), m.variables.begin());
    m.updatePeriod = static_cast<std::uint32_t>(periodMs) * device::kBurstTicksPerMs;
    m.maxPeriod = m.updatePeriod;
  }
  device::HartDevice field(transmitter);
  transport::HartIpServer server(field);
  const std::uint16_t port = server.listen(QHostAddress::LocalHost, 0).value();

  toolkit::Clock clock;
  transport::EventLoopClock ticker(clock);
  transport::ConnectionTarget target;
  target.kind = transport::ConnectionTarget::Kind::HartIp;
  target.host = "127.0.0.1";
  target.port = port;
  transport::OpenedLink opened = transport::OpenLink(target, ticker).value();
  auto driver = std::make_shared<driver::HartDriver>(clock, opened.link,
                                                     driver::HartDriverOptions{opened.settings, {}, opened.publishes});
  driver->Start();
  auto tap = link::LinkTap::Wrap(driver);
  trend::ObservationFeed feed(clock);
  tap->AddListener(&feed);
  Counts counts;
  bool measuring = false;
  feed.Subscribe([&](toolkit::Millis, const std::vector<trend::ObservedValue>& v) {
    if (measuring) counts.values += static_cast<double>(v.size());
  });
  feed.Subscribe(
      [&](toolkit::Millis, const std::vector<trend::ObservedValue>& v) {
        if (measuring) counts.published += static_cast<double>(v.size());
      },
      trend::ObservationFeed::Source::PublishedOnly);
  Control control;
  const auto read = [&] {
    std::string result;
    tap->channel()->ReadRequest(kObserveRead, kNoAttributes, result);
  };
  control.onAnswer = [&] {
    if (poll && measuring) read();
  };
  // Held as the control holds it: it keeps the relay the driver calls.
  const std::shared_ptr<framelink::IFrameLinkSession> session = tap->session();
  bool registered = false;
  session->RegisterControl("control", "invoke-1", &control, 0, registered);
  read();  // brings the device on line
  RunFor(ticker, kOnLineMs, [&] { return control.answers > 0; });
  RunFor(ticker, kRunMs / 10);  // the subscription's answer is in too
  measuring = true;
  const int before = control.answers;
  if (poll) read();
  RunFor(ticker, kRunMs);
  measuring = false;
  counts.answers = control.answers - before;
  bool unregistered = false;
  session->UnregisterControl("invoke-1", true, unregistered);
  tap->RemoveListener(&feed);
  return counts;
}

// Polling back to back (period 0), bursting at the shortest period and at
// 500 ms without polling, and both at once.
void BM_HartIpBurstAndPolling(benchmark::State& state) {
  const int periodMs = static_cast<int>(state.range(0));
  const bool poll = state.range(1) != 0;
  Counts counts;
  for (auto run : state) {
    (void)run;
    counts = Measure(periodMs, poll);
  }
  const double seconds = kRunMs / 1000.0;
  state.counters["values_per_s"] = counts.values / seconds;
  state.counters["published_per_s"] = counts.published / seconds;
  state.counters["answers_per_s"] = counts.answers / seconds;
}
BENCHMARK(BM_HartIpBurstAndPolling)
    ->ArgNames({"period_ms", "poll"})
    ->Args({0, 1})
    ->Args({250, 0})
    ->Args({500, 0})
    ->Args({250, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
