// Cost of the conversions a write page runs per field: the float hex encoder
// over typical typed values, and packing / unpacking of the 32-character
// message.

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>

#include "codecs/float_ieee.h"
#include "codecs/functions_hart.h"
#include "platform/locale.h"

namespace {

using namespace zolin6;

// Range values, limits, damping times and trim points as users type them.
constexpr std::array<std::string_view, 10> kTypedNumbers{"20",      "4",   "-40", "0.5",      "1000.75",
                                                         "12.3456", "0.1", "850", "-200.125", "0,001"};

void BM_ConvertFloatToHex(benchmark::State& state) {
  platform::SetUserLocale({'.'});
  std::size_t index = 0;
  for (auto _ : state) {
    std::string text(kTypedNumbers[index]);
    index = (index + 1) % kTypedNumbers.size();
    auto hex = codecs::ConvertFloatToHex(text);
    benchmark::DoNotOptimize(hex);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertFloatToHex);

constexpr std::string_view kMessage = "CALIBRATED 2024-05 OVEN ZONE 3 ";

void BM_PackAsciiMessage(benchmark::State& state) {
  for (auto _ : state) {
    std::string text(kMessage);
    auto packed = codecs::PackAscii(text, 32);
    benchmark::DoNotOptimize(packed);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PackAsciiMessage);

void BM_UnpackAsciiMessage(benchmark::State& state) {
  std::string text(kMessage);
  const std::string packed = codecs::PackAscii(text, 32);
  for (auto _ : state) {
    auto unpacked = codecs::UnpackAscii(packed, 24, 32);
    benchmark::DoNotOptimize(unpacked);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UnpackAsciiMessage);

}  // namespace

BENCHMARK_MAIN();
