// The plant survey against 10 HART-IP servers on loopback, each serving an
// I/O system of 20 transmitters: a full survey of the 200 devices (74, 84,
// then 13 and 3 through 77 for each) and a refresh of their status (3
// through 77 for each), four endpoints at a time.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/io_system.h"
#include "plant/survey.h"
#include "transport/hart_ip_server.h"

namespace {

using namespace zolin6;

constexpr int kGateways = 10;
constexpr int kDevicesEach = 20;
constexpr int kLimitMs = 60000;

void EnsureEventLoop() {
  static int argc = 1;
  static char name[] = "plant_survey_bench";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Runs the event loop as the program does, sleeping between due moments,
// until `done` or the limit.
bool RunUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  look.start(1);
  QTimer::singleShot(kLimitMs, &loop, &QEventLoop::quit);
  if (!done()) loop.exec();
  return done();
}

// One I/O system on loopback; its transmitters' device type tells them
// apart from the other I/O systems' (their device ids are the same).
struct Gateway {
  explicit Gateway(int number) : system(Entries(number)), server(system) {
    port = server.listen(QHostAddress::LocalHost, 0).value();
  }
  static std::vector<device::SubDeviceEntry> Entries(int number) {
    std::vector<device::SubDeviceEntry> entries = device::OurTransmitters(kDevicesEach);
    for (device::SubDeviceEntry& entry : entries) entry.deviceType = 0x1000 + number;
    return entries;
  }
  device::IoSystem system;
  transport::HartIpServer server;
  std::uint16_t port = 0;
};

struct Plant {
  Plant() {
    EnsureEventLoop();
    std::string json = R"({"endpoints": [)";
    for (int i = 0; i < kGateways; ++i) {
      gateways.push_back(std::make_unique<Gateway>(i));
      json +=
          (i == 0 ? "\"" : ",\"") + std::string("hart-ip://127.0.0.1:") + std::to_string(gateways.back()->port) + "\"";
    }
    endpoints = plant::ParsePlantFile(json + "]}", "bench").value();
  }
  std::vector<std::unique_ptr<Gateway>> gateways;
  std::vector<plant::PlantEndpoint> endpoints;
};

// Runs a survey or a refresh to its end; false when it did not end or
// found fewer than every device.
bool Run(plant::Survey& survey, bool& finished, bool refresh) {
  finished = false;
  refresh ? survey.Refresh() : survey.Start();
  if (!RunUntil([&] { return finished; })) return false;
  int answering = 0;
  for (const plant::PlantDevice& row : survey.rows()) answering += row.answering ? 1 : 0;
  return answering == kGateways * kDevicesEach;
}

void BM_FullSurvey(benchmark::State& state) {
  Plant plant;
  for (auto _ : state) {
    bool finished = false;
    plant::Survey survey(plant.endpoints, {{}, [&finished](bool) { finished = true; }});
    if (!Run(survey, finished, false)) return state.SkipWithError("the survey did not find every device");
  }
  state.counters["devices"] = kGateways * kDevicesEach;
}
BENCHMARK(BM_FullSurvey)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatusRefresh(benchmark::State& state) {
  Plant plant;
  bool finished = false;
  plant::Survey survey(plant.endpoints, {{}, [&finished](bool) { finished = true; }});
  if (!Run(survey, finished, false)) return state.SkipWithError("the survey did not find every device");
  for (auto _ : state) {
    if (!Run(survey, finished, true)) return state.SkipWithError("the refresh did not read every device");
  }
  state.counters["devices"] = kGateways * kDevicesEach;
}
BENCHMARK(BM_StatusRefresh)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
