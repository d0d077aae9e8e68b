#include "headless.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QTimer>
#include <iostream>

#include "history/command_history.h"
#include "history/history_csv.h"
#include "history/history_worker.h"
#include "host/user_cntrl.h"
#include "link/link_tap.h"
#include "platform/atomic_file.h"
#include "transport/event_loop_clock.h"
#include "trend/csv_recorder.h"

namespace zolin6::app {

namespace {

constexpr int kFlushCheckMs = 1000;
constexpr int kConnectCheckMs = 100;

// Without a window nobody answers a question: say it and take the safe
// answer (No, or OK for a notice).
class StandardErrorBoxes : public toolkit::MessageBoxes {
 public:
  toolkit::Answer show(const std::string& text, const std::string& title, toolkit::Buttons buttons,
                       toolkit::Icon) override {
    std::cerr << "zolin6: " << title << ": " << text << '\n';
    return buttons == toolkit::Buttons::YesNo ? toolkit::Answer::No : toolkit::Answer::Ok;
  }
};

void OpenObservation(UserCntrl& control) {
  const auto& tree = control.form().get<toolkit::TreeView>("TreeView");
  for (int i = 1; i <= static_cast<int>(tree.nodes().size()); ++i) {
    if (tree.node(i).text == "Observe") return tree.clickNode(i);
  }
}

}  // namespace

std::optional<toolkit::Millis> ParseDuration(const QString& text) {
  static const QRegularExpression pattern("^(\\d{1,9})([smh])$");
  const QRegularExpressionMatch match = pattern.match(text.trimmed());
  if (!match.hasMatch()) return std::nullopt;
  const toolkit::Millis count = match.captured(1).toLongLong();
  const QString unit = match.captured(2);
  const toolkit::Millis scale = unit == "s" ? 1000 : unit == "m" ? 60 * 1000 : 60 * 60 * 1000;
  if (count <= 0) return std::nullopt;
  return count * scale;
}

int ExportHistory(const history::StoreLocation& store, const QString& file) {
  // Through the history's thread, which first stores what an earlier run kept.
  history::HistoryWorker history(store, {{}, false}, {});
  std::optional<Result<std::vector<history::Record>>> listed;
  history.List({}, [&listed](const Result<std::vector<history::Record>>& records) {
    listed = records;
    QCoreApplication::quit();
  });
  QTimer::singleShot(history::kCommandHistoryWait, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  const Result<std::vector<history::Record>> records =
      listed.value_or(Error{"no answer within " + std::to_string(history::kCommandHistoryWait.count() / 1000) + " s"});
  if (const std::string said = history.Stop().Describe(); !said.empty()) std::cerr << "zolin6: " << said << '\n';
  if (!records) {
    std::cerr << "zolin6: cannot read the history " << store.describe().toStdString() << ": " << records.error().message
              << '\n';
    return 2;
  }
  if (auto written = platform::WriteFileAtomically(file.toStdString(), history::HistoryCsv(*records)); !written) {
    std::cerr << "zolin6: " << written.error().message << '\n';
    return 2;
  }
  std::cerr << "zolin6: " << records->size() << " records exported to " << file.toStdString() << '\n';
  return 0;
}

int RecordObservation(OpenedDevice& device, const QString& iconFolder, const QString& file, toolkit::Millis duration,
                      const history::StoreLocation& store, bool published) {
  toolkit::Clock& clock = device.clock();
  const link::WallTime wallTime(clock, QDateTime::currentMSecsSinceEpoch() - clock.now());
  // A write error ends the recording at once; what was written stays.
  auto failed = [](const std::string& reason) {
    std::cerr << "zolin6: " << reason << '\n';
    QCoreApplication::quit();
  };
  auto started =
      trend::CsvRecorder::Start(file.toStdString(), wallTime, QDateTime::currentDateTime().offsetFromUtc(), failed);
  if (!started) {
    std::cerr << "zolin6: " << started.error().message << '\n';
    return 2;
  }
  std::unique_ptr<trend::CsvRecorder> recorder = std::move(started).value();
  StandardErrorBoxes boxes;
  UserCntrl control(HostServices{clock, boxes, QDir::toNativeSeparators(iconFolder).toStdString()});
  auto tap = link::LinkTap::Wrap(device.driver());
  // Whatever the control writes while it records goes to the device history.
  history::CommandHistory history(store, clock, [&control] { return control.state().sPage; });
  tap->AddListener(&history.recorder());
  trend::ObservationFeed feed(clock);
  feed.Subscribe(
      [&recorder](toolkit::Millis time, const std::vector<trend::ObservedValue>& values) {
        recorder->Append(time, values);
      },
      published ? trend::ObservationFeed::Source::PublishedOnly : trend::ObservationFeed::Source::PolledAndPublished);
  tap->AddListener(&feed);
  transport::EventLoopClock& ticker = device.ticker();
  control.Init("invoke-1", "", tap);

  // The observation page opens as soon as the device is on line; recording
  // what is published, it stays closed, so the line is the device's.
  QTimer connect;
  QObject::connect(&connect, &QTimer::timeout, [&] {
    if (control.state().sConnState != "Connected") return;
    connect.stop();
    ticker.catchUp();
    if (!published) OpenObservation(control);
  });
  connect.start(kConnectCheckMs);
  QTimer flush;
  QObject::connect(&flush, &QTimer::timeout, [&recorder] { recorder->FlushIfDue(); });
  flush.start(kFlushCheckMs);
  QTimer end;
  end.setSingleShot(true);
  QObject::connect(&end, &QTimer::timeout, QCoreApplication::instance(), &QCoreApplication::quit);
  end.start(std::chrono::milliseconds(duration));
  QCoreApplication::exec();

  control.PrepareToRelease();
  tap->RemoveListener(&feed);
  tap->RemoveListener(&history.recorder());
  const Result<bool> stopped = recorder->Stop();
  if (!stopped && !recorder->failed()) std::cerr << "zolin6: " << stopped.error().message << '\n';
  std::cerr << "zolin6: " << recorder->lines() << " lines recorded to " << file.toStdString() << '\n';
  const bool heard = !published || recorder->lines() > 0;
  if (!heard) {
    std::cerr << "zolin6: the device published nothing in " << duration / 1000
              << " s: switch its burst mode on, or record without --published\n";
  }
  const std::string said = history.Close();
  if (!said.empty()) std::cerr << "zolin6: " << said << '\n';
  return stopped && heard && said.empty() ? 0 : 2;
}

}  // namespace zolin6::app
