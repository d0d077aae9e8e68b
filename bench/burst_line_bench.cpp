// Burst against polling on the simulated 1200 baud line, in simulated time
// on the manual clock, so the figures are the protocol's and not this
// machine's. The whole chain runs: the bursting transmitter, the FSK line
// with its wire time and turns, the HART driver's master, the link tap and
// the observation feed that fills the trend. Each run lasts a minute of line
// time after the device is on line; every figure is a counter:
//   values_per_s     values reaching the observation feed per second
//   published_per_s  of those, the ones the device published
//   frames_per_s     burst frames heard per second
//   burst_gap_ms     mean and worst time between two burst frames' starts
//   burst_frame_ms   one burst frame's wire time (preambles included)
//   line_left        share of the line's time no burst frame occupies
//   answer_*_ms      a read's request to its answer, best and worst
//   wait_worst_ms    the worst answer less a status read's on a quiet line
//   request_share    reads answered back to back while bursting, against
//                    the same on a quiet line: the line left for requests

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/burst_rules.h"
#include "hart/link_timing.h"
#include "link/link_tap.h"
#include "platform/fdt/dtm_activex_control.h"
#include "platform/framelink/framelink.h"
#include "transport/simulated_device.h"
#include "trend/observed_values.h"

namespace {

using namespace zolin6;

constexpr toolkit::Millis kOnLine = 3000;  // command 0 and the first answers are over by then
constexpr toolkit::Millis kSettle = 2000;  // bursts on this long before the measuring starts
constexpr toolkit::Millis kRun = 60'000;   // the line time measured
constexpr toolkit::Millis kStep = 10;      // how finely the clock moves
const std::string kNoAttributes = "<ViewData><ControlData/></ViewData>";
// The observation page's read: command 9 of PV, SV, TV, percent of range
// and loop current, every 3 s while the page is shown.
const std::string kObserveRead = "24";
constexpr toolkit::Millis kObserveTimer = 3000;
// A read that asks the device something the bursts do not carry (command 48).
const std::string kStatusRead = "25";
constexpr int kNotUsed = 250;
// PV, SV, TV, percent of range, loop current: the observation page's values.
constexpr std::array<int, 5> kObservationCodes{246, 247, 248, 244, 245};

// Stands in for the control: notes when each answer arrives.
class AnswerClock : public fdt::IDtmActiveXControl, public framelink::IUpdateUI {
 public:
  bool Init(const std::string&, const std::string&, std::shared_ptr<framelink::DtmObject>) override { return true; }
  bool PrepareToRelease() override { return true; }
  void UpdateUI(std::int32_t reason, const framelink::Variant&) override {
    constexpr std::int32_t kStateElement = 0;
    if (reason != kStateElement && onAnswer) onAnswer();
  }
  std::function<void()> onAnswer;
};

struct Burst {
  int command = 0;  // 0: no burst
  int variables = 0;
  std::uint32_t period = device::kShortestBurstPeriod;
};

enum class Requests { None, ObservePage, StatusEvery, StatusBackToBack, ObserveBackToBack };

struct Figures {
  double values = 0;
  double published = 0;
  std::vector<toolkit::Millis> burstStarts;
  toolkit::Millis burstWire = 0;
  toolkit::Millis burstFrameWire = 0;
  std::vector<toolkit::Millis> answers;  // request to answer, each read
};

// One minute of the line with the device bursting as `burst` says and the
// host reading as `requests` says.
class ObservedLine {
 public:
  // `settle`: how long before the measuring the bursts start.
  ObservedLine(Burst burst, Requests requests, toolkit::Millis settle = kSettle)
      : burst_(burst), requests_(requests), settle_(settle) {
    tap_->AddListener(&feed_);
    feed_.Subscribe([this](toolkit::Millis, const std::vector<trend::ObservedValue>& v) { Count(figures_.values, v); });
    feed_.Subscribe(
        [this](toolkit::Millis, const std::vector<trend::ObservedValue>& v) { Count(figures_.published, v); },
        trend::ObservationFeed::Source::PublishedOnly);
    control_.onAnswer = [this] { Answered(); };
    sim_->link().Trace([this](transport::FrameDirection direction, toolkit::Millis at, hart::ByteView bytes) {
      if (direction != transport::FrameDirection::Burst || !measuring_) return;
      const toolkit::Millis wire = hart::WireTime(hart::kFskTiming, bytes.size()).count();
      figures_.burstStarts.push_back(at - wire);
      figures_.burstWire += wire;
      figures_.burstFrameWire = wire;
    });
    bool registered = false;
    session_->RegisterControl("control", "invoke-1", &control_, 0, registered);
  }
  ObservedLine(const ObservedLine&) = delete;
  ObservedLine& operator=(const ObservedLine&) = delete;
  ~ObservedLine() {
    bool unregistered = false;
    session_->UnregisterControl("invoke-1", true, unregistered);
    tap_->RemoveListener(&feed_);
  }

  Figures Run() {
    Read(kStatusRead);  // brings the device on line
    Advance(kOnLine - settle_);
    if (burst_.command != 0) StartBurst();
    Advance(settle_);
    measuring_ = true;
    figures_ = {};
    if (requests_ != Requests::None) Tick();
    Advance(kRun);
    measuring_ = false;
    return figures_;
  }

 private:
  void StartBurst() {
    device::BurstMessage& m = sim_->transmitter().mutableState().bursts[0];
    m.control = 1;
    m.command = burst_.command;
    m.variables.fill(kNotUsed);
    std::copy_n(kObservationCodes.begin(), burst_.variables, m.variables.begin());
    m.updatePeriod = burst_.period;
    m.maxPeriod = burst_.period;
    sim_->link().WakeBursts();
  }

  // The next read: the page's timer, a status read now and then, or one
  // after the other.
  void Tick() {
    if (!measuring_) return;
    switch (requests_) {
      case Requests::ObservePage:
        Read(kObserveRead);
        clock_.callAt(clock_.now() + kObserveTimer, [this] { Tick(); });
        break;
      case Requests::StatusEvery:
        // Not a multiple of any burst period, so the reads meet the bursts
        // at every phase.
        Read(kStatusRead);
        clock_.callAt(clock_.now() + kStatusSpacing, [this] { Tick(); });
        break;
      case Requests::StatusBackToBack: Read(kStatusRead); break;
      case Requests::ObserveBackToBack: Read(kObserveRead); break;
      case Requests::None: break;
    }
  }

  void Read(const std::string& code) {
    if (asked_) return;  // the page's timer skips a tick while its read is out
    asked_ = clock_.now();
    std::string result;
    tap_->channel()->ReadRequest(code, kNoAttributes, result);
  }

  void Answered() {
    if (!asked_) return;
    if (measuring_) figures_.answers.push_back(clock_.now() - *asked_);
    asked_.reset();
    if (requests_ == Requests::StatusBackToBack || requests_ == Requests::ObserveBackToBack) Tick();
  }

  void Advance(toolkit::Millis span) {
    for (toolkit::Millis t = 0; t < span; t += kStep) clock_.advance(kStep);
  }

  static void Count(double& count, const std::vector<trend::ObservedValue>& values) {
    count += static_cast<double>(values.size());
  }

  static constexpr toolkit::Millis kStatusSpacing = 2317;
  Burst burst_;
  Requests requests_;
  toolkit::Millis settle_;
  toolkit::Clock clock_;
  std::shared_ptr<transport::SimulatedDevice> sim_ =
      std::make_shared<transport::SimulatedDevice>(clock_, transport::SimOptions{.line = transport::LineKind::Fsk});
  std::shared_ptr<link::LinkTap> tap_ = link::LinkTap::Wrap(sim_);
  // Held as the control holds it: it keeps the relay the driver calls.
  std::shared_ptr<framelink::IFrameLinkSession> session_ = tap_->session();
  trend::ObservationFeed feed_{clock_};
  AnswerClock control_;
  Figures figures_;
  std::optional<toolkit::Millis> asked_;
  bool measuring_ = false;
};

Figures Measure(benchmark::State& state, Burst burst, Requests requests, toolkit::Millis settle = kSettle) {
  Figures figures;
  for (auto run : state) {
    (void)run;
    ObservedLine line(burst, requests, settle);
    figures = line.Run();
    benchmark::DoNotOptimize(figures.values);
  }
  return figures;
}

double Seconds(toolkit::Millis ms) { return static_cast<double>(ms) / 1000.0; }

void ReportValues(benchmark::State& state, const Figures& f) {
  state.counters["values_per_s"] = f.values / Seconds(kRun);
  state.counters["published_per_s"] = f.published / Seconds(kRun);
}

// Status reads back to back on a quiet line: what the bursts are measured against.
const Figures& QuietLine() {
  static const Figures quiet = ObservedLine({}, Requests::StatusBackToBack).Run();
  return quiet;
}

void ReportAnswers(benchmark::State& state, const std::vector<toolkit::Millis>& answers) {
  if (answers.empty()) return;
  state.counters["answers"] = static_cast<double>(answers.size());
  state.counters["answer_worst_ms"] = static_cast<double>(*std::ranges::max_element(answers));
  state.counters["answer_best_ms"] = static_cast<double>(*std::ranges::min_element(answers));
}

// How much longer than on a quiet line a status read waited at worst.
void ReportWait(benchmark::State& state, const std::vector<toolkit::Millis>& answers) {
  const std::vector<toolkit::Millis>& quiet = QuietLine().answers;
  if (answers.empty() || quiet.empty()) return;
  state.counters["wait_worst_ms"] =
      static_cast<double>(*std::ranges::max_element(answers) - *std::ranges::min_element(quiet));
}

void ReportBursts(benchmark::State& state, const Figures& f) {
  const std::vector<toolkit::Millis>& starts = f.burstStarts;
  state.counters["frames_per_s"] = static_cast<double>(starts.size()) / Seconds(kRun);
  state.counters["burst_frame_ms"] = static_cast<double>(f.burstFrameWire);
  state.counters["line_left"] = 1.0 - static_cast<double>(f.burstWire) / static_cast<double>(kRun);
  if (starts.size() < 2) return;
  toolkit::Millis worst = 0;
  for (std::size_t i = 1; i < starts.size(); ++i) worst = std::max(worst, starts[i] - starts[i - 1]);
  state.counters["burst_gap_ms"] =
      static_cast<double>(starts.back() - starts.front()) / static_cast<double>(starts.size() - 1);
  state.counters["burst_gap_worst_ms"] = static_cast<double>(worst);
}

// (a) Polling as the observation page does: its read every 3 s, and the
// same read back to back, the most polling can give.
void BM_FskObservePolling(benchmark::State& state) {
  const auto requests = state.range(0) == 0 ? Requests::ObservePage : Requests::ObserveBackToBack;
  const Figures f = Measure(state, {}, requests);
  ReportValues(state, f);
  ReportAnswers(state, f.answers);
}
BENCHMARK(BM_FskObservePolling)->ArgName("back_to_back")->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond);

// (b, c) A burst of command 9 (with the first N observation values) or of
// command 3 at the period asked, alone or with a status read every 2.3 s
// taking its turns: what reaches the feed, how regular the bursts stay, and
// the worst wait of a read behind them.
void BM_FskBurst(benchmark::State& state) {
  const Burst burst{static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                    static_cast<std::uint32_t>(state.range(2)) * device::kBurstTicksPerMs};
  const Figures f = Measure(state, burst, state.range(3) != 0 ? Requests::StatusEvery : Requests::None);
  ReportValues(state, f);
  ReportBursts(state, f);
  ReportAnswers(state, f.answers);
  ReportWait(state, f.answers);
}
BENCHMARK(BM_FskBurst)
    ->ArgNames({"cmd", "vars", "period_ms", "reads"})
    ->Args({9, 5, 250, 0})
    ->Args({9, 5, 250, 1})
    ->Args({9, 5, 500, 1})
    ->Args({9, 4, 250, 0})
    ->Args({9, 4, 250, 1})
    ->Args({9, 2, 250, 1})
    ->Args({9, 1, 250, 0})
    ->Args({9, 1, 250, 1})
    ->Args({3, 0, 250, 0})
    ->Args({3, 0, 250, 1})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// The line left for requests: status reads back to back, on a quiet line
// (cmd 0) and while the device bursts; request_share is the reads answered
// against those on a quiet line.
void BM_FskRequestsWhileBursting(benchmark::State& state) {
  const Burst burst{static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                    static_cast<std::uint32_t>(state.range(2)) * device::kBurstTicksPerMs};
  const Figures f = Measure(state, burst, Requests::StatusBackToBack);
  state.counters["answers_per_s"] = static_cast<double>(f.answers.size()) / Seconds(kRun);
  state.counters["request_share"] =
      static_cast<double>(f.answers.size()) / static_cast<double>(QuietLine().answers.size());
  ReportValues(state, f);
  ReportBursts(state, f);
  ReportAnswers(state, f.answers);
  ReportWait(state, f.answers);
}
BENCHMARK(BM_FskRequestsWhileBursting)
    ->ArgNames({"cmd", "vars", "period_ms"})
    ->Args({0, 0, 0})
    ->Args({9, 5, 250})
    ->Args({9, 4, 250})
    ->Args({9, 2, 250})
    ->Args({3, 0, 250})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// A status read asked at the moment the device switches its burst on: the
// request and the first burst frame start together and are lost, and the
// master's resends after its reply timeout go out at once, into the next
// burst frames, until one meets a gap.
void BM_FskReadAsBurstStarts(benchmark::State& state) {
  const Figures f = Measure(state, {9, 5, device::kShortestBurstPeriod}, Requests::StatusEvery, 0);
  state.counters["first_answer_ms"] = f.answers.empty() ? 0.0 : static_cast<double>(f.answers.front());
  ReportWait(state, f.answers);
}
BENCHMARK(BM_FskReadAsBurstStarts)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
