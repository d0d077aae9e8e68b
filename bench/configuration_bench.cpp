// Cost of the configuration file operations that do not wait for the
// device: reading and checking a file, writing its text, comparing two
// configurations, and a whole upload over the link with the simulated
// transmitter answering at once.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "configuration/compare.h"
#include "configuration/config_file.h"
#include "configuration/transfer.h"
#include "transport/simulated_device.h"

namespace {

using namespace zolin6;

// The factory configuration of the simulated transmitter, uploaded once.
configuration::Configuration Factory() {
  toolkit::Clock clock;
  auto sim = std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{.latency = 0, .onlineDelay = 0});
  configuration::LinkClient link(clock, configuration::AdvanceClock(clock));
  (void)link.Connect(sim);
  return *configuration::Upload(link, {});
}

void BM_ParseAndValidateFile(benchmark::State& state) {
  const std::string text = configuration::FormatConfiguration(Factory());
  for (auto _ : state) {
    auto read = configuration::ParseConfiguration(text, "plant.json");
    benchmark::DoNotOptimize(read);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseAndValidateFile);

void BM_FormatFile(benchmark::State& state) {
  const configuration::Configuration factory = Factory();
  for (auto _ : state) {
    std::string text = configuration::FormatConfiguration(factory);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_FormatFile);

void BM_CompareConfigurations(benchmark::State& state) {
  const configuration::Configuration left = Factory();
  configuration::Configuration right = left;
  right.values["channel 3.upper range value"] = 321.0;
  right.values["identification.tag"] = std::string("TT-7");
  for (auto _ : state) {
    auto comparison = configuration::Compare(left, right);
    benchmark::DoNotOptimize(comparison);
  }
}
BENCHMARK(BM_CompareConfigurations);

// Every read the upload sends, parsed and decoded; the link answers without
// latency, so this is the component's own share of an upload.
void BM_UploadOverTheLink(benchmark::State& state) {
  toolkit::Clock clock;
  auto sim = std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{.latency = 0, .onlineDelay = 0});
  configuration::LinkClient link(clock, configuration::AdvanceClock(clock));
  (void)link.Connect(sim);
  for (auto _ : state) {
    auto uploaded = configuration::Upload(link, {});
    benchmark::DoNotOptimize(uploaded);
  }
}
BENCHMARK(BM_UploadOverTheLink);

}  // namespace

BENCHMARK_MAIN();
