// Cost of one observation notification on its way to the trend and the
// recording, and of recording a write in the device history: what the tap
// adds to every notification and every write.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <string>

#include "history/history_recorder.h"
#include "history/sql_store.h"
#include "history/write_queue.h"
#include "link/link_activity.h"
#include "link/link_tap.h"
#include "link/published.h"
#include "trend/csv_recorder.h"
#include "trend/trend_buffer.h"

namespace {

using namespace zolin6;

// The observation answer (notification 2400) as the driver sends it.
const char* kObservation =
    "<DeviceData><Parameter tag=\"LoopCurrent\" value=\"7.4399996\"/><Parameter tag=\"PercentRange\" value=\"21.5\"/>"
    "<Parameter tag=\"PV\" value=\"21.5\"/><Parameter tag=\"SV\" value=\"43.18931\"/>"
    "<Parameter tag=\"TV\" value=\"28.019587\"/><Parameter tag=\"PVUnit\" value=\"32\"/>"
    "<Parameter tag=\"SVUnit\" value=\"32\"/><Parameter tag=\"TVUnit\" value=\"32\"/></DeviceData>";

// Parse once, read the values, keep them in the trend.
void BM_TrendAppendNotification(benchmark::State& state) {
  trend::TrendBuffer buffer;
  toolkit::Millis time = 0;
  for (auto _ : state) {
    const link::Notification notification = link::ParseNotification(2400, kObservation);
    buffer.Append(time += 3000, trend::ObservedValues(notification));
  }
}
BENCHMARK(BM_TrendAppendNotification);

// A bursting device's command 3 frame (loop current, PV, SV) turned into the
// values it carries: what every published frame costs before the trend.
void BM_DecodePublishedFrame(benchmark::State& state) {
  hart::HeardBurst burst{hart::Millis{0}, {}, {0x41, 0x80, 0, 0, 0x20, 0x42, 0xC8, 0, 0, 0x21, 0x43, 0x54, 0, 0}};
  burst.frame.type = hart::FrameType::Burst;
  burst.frame.command = 3;
  for (auto _ : state) benchmark::DoNotOptimize(link::DecodePublished(burst));
}
BENCHMARK(BM_DecodePublishedFrame);

// One request and its answer through the tap while a configuration download
// borrows the link: the answer is matched to its request and shown to the
// window's activity listener (one parse for all listeners).
void BM_TapRoutesAnAnswer(benchmark::State& state) {
  class NoDriver : public framelink::DtmObject {
   public:
    std::shared_ptr<framelink::IFrameLinkSession> session() override { return nullptr; }
    std::shared_ptr<framelink::IFrameLinkChannel> channel() override { return nullptr; }
  };
  class Borrower : public framelink::IUpdateUI {
   public:
    void UpdateUI(std::int32_t, const framelink::Variant&) override {}
  } borrower;
  auto tap = link::LinkTap::Wrap(std::make_shared<NoDriver>());
  toolkit::Clock clock;
  link::LinkActivity activity(clock);
  tap->AddListener(&activity);
  tap->ControlRegistered(true);
  tap->Lend(&borrower);
  tap->Request(link::LinkTap::Origin::Borrower, link::RequestKind::Read, "3", "");
  for (auto _ : state) {
    tap->Request(link::LinkTap::Origin::Control, link::RequestKind::Read, "24", "");
    benchmark::DoNotOptimize(tap->Notify(2400, kObservation));
  }
  tap->RemoveListener(&activity);
}
BENCHMARK(BM_TapRoutesAnAnswer);

// The values of one notification to a line of the recording.
void BM_RecorderAppend(benchmark::State& state) {
  QTemporaryDir folder;
  toolkit::Clock clock;
  auto recorder =
      trend::CsvRecorder::Start(folder.filePath("bench.csv").toStdString(), link::WallTime(clock, 0), 3600).value();
  const std::vector<trend::ObservedValue> values = trend::ObservedValues(link::ParseNotification(2400, kObservation));
  for (auto _ : state) {
    clock.advance(3000);
    recorder->Append(clock.now(), values);
  }
}
BENCHMARK(BM_RecorderAppend);

// A range write recorded and completed in an SQLite history (two
// transactions, each synchronised to disk), written as the history's
// thread writes it.
void BM_HistoryRangeWrite(benchmark::State& state) {
  QTemporaryDir folder;
  history::SqlHistoryStore store({"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1});
  history::WriteQueue queue;
  toolkit::Clock clock;
  history::HistoryRecorder recorder(queue,
                                    {clock, link::WallTime(clock, 0), "bench", [] { return "Range Sensor"; }, {}});
  const std::string request =
      "<ViewData><ControlData Attribute1=\"01\" Attribute2=\"20\" Attribute3=\"43160000\" Attribute4=\"00000000\"/>"
      "</ViewData>";
  const link::Notification accepted =
      link::ParseNotification(4000, "<DeviceData><Parameter tag=\"Response Code 1\" value=\"0\"/></DeviceData>");
  for (auto _ : state) {
    recorder.OnRequest(link::RequestKind::Write, "6", request);
    (void)queue.Flush(store);
    recorder.OnNotification(accepted);
    (void)queue.Flush(store);
    clock.advance(history::kAnswerTimeout);  // its answer timeout, now idle, goes
  }
}
BENCHMARK(BM_HistoryRangeWrite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
