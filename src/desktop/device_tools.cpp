#include "desktop/device_tools.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <iostream>

#include <array>
#include <string_view>

#include "desktop/calibration_wizard.h"
#include "desktop/history_window.h"
#include "desktop/trend_chart.h"
#include "view/main_window.h"

namespace zolin6::desktop {

namespace {

constexpr int kTrendLeastHeight = 150;                   // px: the legend and a few ticks
constexpr int kTrendShare = 45;                          // % of the window's height the trend takes when it first shows
constexpr std::string_view kObservePage = "frmObserve";  // the only page whose values the trend draws

// How often a recording takes a line: every answer of the observation page
// (its polling, about every 3 s), or at most once a period.
struct RecordPeriod {
  const char* name;
  toolkit::Millis ms;
};
constexpr std::array<RecordPeriod, 5> kRecordPeriods{{{"every answer (about every 3 s)", 0},
                                                      {"every 10 s", 10'000},
                                                      {"every 30 s", 30'000},
                                                      {"every minute", 60'000},
                                                      {"every 5 minutes", 300'000}}};

QStringList RecordPeriodNames() {
  QStringList names;
  for (const RecordPeriod& period : kRecordPeriods) names << period.name;
  return names;
}

toolkit::Millis RecordPeriodOf(const QString& name) {
  for (const RecordPeriod& period : kRecordPeriods) {
    if (name == period.name) return period.ms;
  }
  return 0;
}

}  // namespace

DeviceTools::DeviceTools(view::MainWindow& window, UserCntrl& control, toolkit::Clock& clock,
                         std::shared_ptr<link::LinkTap> tap, link::WallTime wallTime, history::StoreLocation store)
    : QObject(&window),
      window_(window),
      clock_(clock),
      tap_(std::move(tap)),
      wallTime_(wallTime),
      feed_(clock),
      worker_(std::move(store), {},
              {[this](bool ok, const std::string& why) { storeState(ok, why); },
               [this](const std::string& problem) {
                 warn("Device History", QString::fromStdString(problem), "HistoryFileProblem");
               }}),
      history_(worker_, history::RecorderContext{
                            clock, wallTime, history::LoginName(), [&control] { return control.state().sPage; },
                            [this](const history::Record& record) { notKept(record); }, [this] { historyChanged(); }}) {
  feed_.Subscribe(
      [this](toolkit::Millis time, const std::vector<trend::ObservedValue>& values) { observed(time, values); });
  tap_->AddListener(&history_);
  tap_->AddListener(&feed_);
  tap_->AddListener(&rate_);

  chart_ = new TrendChart(buffer_, wallTime_);
  dock_ = new QDockWidget("Trend", &window_);
  dock_->setObjectName("TrendDock");
  dock_->setWidget(chart_);
  // Small enough that the window never has to grow past the screen for it.
  dock_->setMinimumHeight(kTrendLeastHeight);
  window_.addDockWidget(Qt::BottomDockWidgetArea, dock_);
  dock_->hide();
  connect(dock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    // Closed by the user on the observation page: put away until asked for.
    if (!placing_ && !visible && window_.frameShown() == kObservePage) setTrendWanted(false);
  });
  window_.onPageShown([this](bool) { placeTrend(); });

  recordingStatus_ = new QLabel;
  recordingStatus_->setObjectName("RecordingStatus");
  historyStatus_ = new QLabel;
  historyStatus_->setObjectName("HistoryStatus");
  publishedRate_ = new QLabel;
  publishedRate_->setObjectName("PublishedRate");
  publishedRate_->setToolTip("The device publishes the observed values unasked (burst mode)");
  publishedRate_->hide();
  window_.statusBar()->addPermanentWidget(publishedRate_);
  window_.statusBar()->addPermanentWidget(historyStatus_);
  window_.statusBar()->addPermanentWidget(recordingStatus_);
  recordingStatus_->hide();
  historyStatus_->hide();
  buildMenus();

  housekeeping_ = new QTimer(this);
  connect(housekeeping_, &QTimer::timeout, this, [this] { housekeeping(); });
  housekeeping_->start(kHousekeepingMs);
}

DeviceTools::~DeviceTools() {
  tap_->RemoveListener(&feed_);
  tap_->RemoveListener(&rate_);
  stopRecording();
  // The status bar goes with the window: the end is said where it stays.
  if (const std::string said = closeHistory(); !said.empty()) std::cerr << "zolin6: " << said << '\n';
}

std::string DeviceTools::closeHistory() {
  if (historyClosed_) return {};
  historyClosed_ = true;
  tap_->RemoveListener(&history_);
  history_.OnSessionEnd();  // writes still unanswered now stay so
  std::string said = worker_.Stop().Describe();
  if (!said.empty()) window_.statusBar()->showMessage(QString::fromStdString(said));
  return said;
}

void DeviceTools::buildMenus() {
  QMenu* file = window_.menu("File");
  start_ = file->addAction("Start &Recording\u2026");
  start_->setObjectName("actionStartRecording");
  stop_ = file->addAction("&Stop Recording");
  stop_->setObjectName("actionStopRecording");
  stop_->setEnabled(false);
  connect(start_, &QAction::triggered, this, [this] {
    const QString path =
        QFileDialog::getSaveFileName(&window_, "Record the observed values", "recording.csv", "CSV files (*.csv)");
    if (path.isEmpty()) return;
    bool chosen = false;
    const QString period = QInputDialog::getItem(&window_, "Record the observed values",
                                                 "Record a line:", RecordPeriodNames(), 0, false, &chosen);
    if (chosen) startRecording(path, RecordPeriodOf(period));
  });
  connect(stop_, &QAction::triggered, this, [this] { stopRecording(); });

  QMenu* view = window_.menu("View");
  trendAction_ = view->addAction("&Trend");
  trendAction_->setObjectName("actionTrend");
  trendAction_->setCheckable(true);
  trendAction_->setChecked(trendWanted_);
  trendAction_->setToolTip("The trend of the observed values, under the Observe page");
  connect(trendAction_, &QAction::triggered, this, [this](bool on) { setTrendWanted(on); });
  QAction* historyAction = view->addAction("&History");
  historyAction->setObjectName("actionHistory");
  connect(historyAction, &QAction::triggered, this, [this] { showHistory(); });
  QAction* calibrate = window_.menu("Device")->addAction("&Calibrate Channel\u2026");
  calibrate->setObjectName("actionCalibrateChannel");
  connect(calibrate, &QAction::triggered, this,
          [this] { OpenCalibrationWizard(&window_, clock_, tap_, worker_, wallTime_); });
}

void DeviceTools::observed(toolkit::Millis time, const std::vector<trend::ObservedValue>& values) {
  buffer_.Append(time, values);
  if (recorder_ != nullptr && (!lastRecorded_ || time - *lastRecorded_ >= recordPeriod_)) {
    recorder_->Append(time, values);
    lastRecorded_ = time;
    recorder_->failed() ? stopRecording() : showRecording();
  }
  if (dock_->isVisible()) chart_->refresh();
  showPublishedRate();
}

// Said while the Observe page is on show, and gone a few periods after
// the last frame.
void DeviceTools::showPublishedRate() {
  const bool observing = !window_.ownPageShown() && window_.frameShown() == kObservePage;
  const QString text = observing ? rate_.text(clock_.now()) : QString();
  publishedRate_->setText(text);
  publishedRate_->setVisible(!text.isEmpty());
  const std::optional<toolkit::Millis> stops = rate_.nextStop(clock_.now());
  if (!stops || (rateCheck_ && *rateCheck_ <= *stops)) return;
  rateCheck_ = stops;
  clock_.callAt(*stops, [this, alive = std::weak_ptr<int>(alive_), stops] {
    if (alive.expired() || rateCheck_ != stops) return;
    rateCheck_.reset();
    showPublishedRate();
  });
}

void DeviceTools::setTrendWanted(bool wanted) {
  trendWanted_ = wanted;
  if (trendAction_->isChecked() != wanted) trendAction_->setChecked(wanted);
  placeTrend();
}

// Shown on the observation page when wanted, hidden everywhere else. The
// first time it takes a share of the window's height instead of growing
// the window, which may already fill the screen.
void DeviceTools::placeTrend() {
  showPublishedRate();
  const bool show = trendWanted_ && !window_.ownPageShown() && window_.frameShown() == kObservePage;
  if (show == dock_->isVisible()) return;
  placing_ = true;
  dock_->setVisible(show);
  placing_ = false;
  if (!show) return;
  chart_->refresh();
  if (!trendSized_) {
    trendSized_ = true;
    window_.resizeDocks({dock_}, {window_.height() * kTrendShare / 100}, Qt::Vertical);
  }
}

bool DeviceTools::startRecording(const QString& path, toolkit::Millis period) {
  stopRecording();
  recordPeriod_ = period;
  lastRecorded_.reset();
  auto started = trend::CsvRecorder::Start(path.toStdString(), wallTime_, QDateTime::currentDateTime().offsetFromUtc(),
                                           [this](const std::string& reason) { recordingFailed(reason); });
  if (!started) {
    QMessageBox::warning(&window_, "Recording", QString::fromStdString(started.error().message));
    return false;
  }
  recorder_ = std::move(started).value();
  start_->setEnabled(false);
  stop_->setEnabled(true);
  recordingStatus_->show();
  housekeeping();
  return true;
}

void DeviceTools::stopRecording() {
  if (recorder_ == nullptr) return;
  // A write error was told when it happened.
  if (auto stopped = recorder_->Stop(); !stopped && !recorder_->failed()) {
    QMessageBox::warning(&window_, "Recording", QString::fromStdString(stopped.error().message));
  }
  recorder_.reset();
  start_->setEnabled(true);
  stop_->setEnabled(false);
  recordingStatus_->hide();
}

HistoryWindow* DeviceTools::showHistory() {
  if (historyWindow_ == nullptr) historyWindow_ = new HistoryWindow(worker_, &window_);
  historyWindow_->reload();
  historyWindow_->show();
  historyWindow_->raise();
  return historyWindow_;
}

void DeviceTools::housekeeping() {
  showPublishedRate();
  if (recorder_ != nullptr) {
    recorder_->FlushIfDue();
    recorder_->failed() ? stopRecording() : showRecording();
  }
  // A record waits for a moment only, unless the store is slow, away or hung.
  const std::size_t waiting = worker_.waiting();
  if (waiting > 0 && waitedBefore_) {
    showWaiting();
  } else if (waiting == 0 && !storeFailing_ && worker_.refused() == 0) {
    historyStatus_->hide();
  }
  waitedBefore_ = waiting > 0;
}

void DeviceTools::showWaiting() {
  QString text = QString("History: %1 waiting").arg(worker_.waiting());
  if (worker_.refused() > 0) text += QString(", %1 not recorded").arg(worker_.refused());
  historyStatus_->setText(text);
  historyStatus_->show();
}

void DeviceTools::historyChanged() {
  // An open History window shows each change as it happens.
  if (historyWindow_ != nullptr && historyWindow_->isVisible()) historyWindow_->reload();
}

void DeviceTools::showRecording() {
  recordingStatus_->setText(QString("Recording %1 (%2)")
                                .arg(QFileInfo(QString::fromStdString(recorder_->path())).fileName(),
                                     QLocale().formattedDataSize(recorder_->bytesWritten())));
}

void DeviceTools::storeState(bool ok, const std::string& reason) {
  storeFailing_ = !ok;
  historyStatus_->setVisible(!ok);
  if (ok) return;
  historyStatus_->setText("History not saved");
  warn("Device History",
       "The device history cannot be written: " + QString::fromStdString(reason) +
           "\nThe changes are kept and written when it is back.",
       "HistoryProblem");
}

void DeviceTools::notKept(const history::Record& record) {
  showWaiting();
  if (worker_.refused() > 1) return;  // said once; the status bar counts the rest
  warn("Device History",
       QString("%1 records wait for the device history's store (%2). The %3 of %4 at %5 (UTC) is not recorded, "
               "nor any further change until the store takes them.")
           .arg(worker_.waiting())
           .arg(worker_.location().describe(), QString::fromStdString(record.operation),
                QString::fromStdString(record.device.tag), QString::fromStdString(history::IsoUtc(record.timeUtc))),
       "HistoryFull");
}

void DeviceTools::recordingFailed(const std::string& reason) {
  window_.statusBar()->showMessage("Recording stopped: " + QString::fromStdString(reason));
  warn("Recording", "The recording stopped: " + QString::fromStdString(reason), "RecordingProblem");
}

// Not modal: the device operation that found the problem goes on.
void DeviceTools::warn(const QString& title, const QString& text, const char* name) {
  auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, &window_);
  box->setObjectName(name);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

}  // namespace zolin6::desktop
