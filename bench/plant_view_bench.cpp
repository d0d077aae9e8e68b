// The plant view with a thousand devices, offscreen: what a new list costs
// the window (a whole new list, and the same devices with new values), and
// the process's resident memory with it on show (goal: 150 MB at most),
// and its PDF.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>

#include <memory>

#include "desktop/plant_export.h"
#include "desktop/plant_window.h"

namespace {

using namespace zolin6;

constexpr std::uint32_t kDevices = 1000;

desktop::PlantRows Plant(std::uint32_t firstId) {
  desktop::PlantRows rows;
  rows.reserve(kDevices);
  for (std::uint32_t i = 0; i < kDevices; ++i) {
    plant::PlantDevice device;
    device.endpoint = "hart-ip://10.0." + std::to_string(i / 64) + "." + std::to_string(i % 64) + ":5094";
    device.subDevice = static_cast<std::uint16_t>(i % 16);
    device.tag = "TT-" + std::to_string(firstId + i);
    device.longTag = "Temperature of line " + std::to_string(i);
    device.manufacturer = 24593;
    device.deviceType = 58113;
    device.deviceId = firstId + i;
    device.health = static_cast<plant::Health>(i % 4);
    device.pv = static_cast<float>(i) / 8.0F;
    device.unit = "°C";
    device.lastSeenUtc = 1796630400000 + i;
    device.answering = i % 10 != 0;
    rows.push_back(std::move(device));
  }
  return rows;
}

// The process's resident memory, MB, from /proc/self/status.
double ResidentMb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
  }
  return 0;
}

// One application for every benchmark, offscreen unless a platform was chosen.
void EnsureApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "plant_view_bench";
  static char* argv[] = {name, nullptr};
  static const std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
}

// `arg` 0: another plant each time (the table is replaced); 1: the same
// devices with new values (only the cells are redrawn).
void BM_PlantViewTakesAThousandDevices(benchmark::State& state) {
  EnsureApplication();
  desktop::PlantWindow window(nullptr, nullptr, {});
  window.resize(1200, 700);
  window.show();
  const desktop::PlantRows plants[2] = {Plant(1), Plant(state.range(0) == 0 ? 5001 : 1)};
  int turn = 0;
  for (auto _ : state) {
    window.showRows(plants[turn ^= 1]);
    QApplication::processEvents();
  }
  state.counters["rss_mb"] = ResidentMb();
}
BENCHMARK(BM_PlantViewTakesAThousandDevices)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The PDF of a thousand devices, laid out on the window's thread.
void BM_PlantPdfOfAThousandDevices(benchmark::State& state) {
  EnsureApplication();
  const desktop::PlantRows rows = Plant(1);
  for (auto _ : state) benchmark::DoNotOptimize(desktop::PlantPdf(rows, 1796630400000));
}
BENCHMARK(BM_PlantPdfOfAThousandDevices)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
