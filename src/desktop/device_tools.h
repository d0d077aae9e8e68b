#pragma once
// What the desktop adds around the control, all of it watching the
// framework link from outside: the live trend of the observation page, the
// recording of the observed values to CSV, and the device history with its
// window. It puts its commands into the window's menus (File: Start
// Recording..., Stop Recording; View: Trend, History) and its state into the
// status bar. The history is written and read on its own thread: the window
// never waits for its store.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "desktop/published_rate.h"
#include "history/history_recorder.h"
#include "history/history_worker.h"
#include "host/user_cntrl.h"
#include "link/link_tap.h"
#include "trend/csv_recorder.h"
#include "trend/trend_buffer.h"

class QAction;
class QDockWidget;
class QLabel;
class QTimer;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

class HistoryWindow;
class TrendChart;

// How often the desktop flushes a quiet recording and shows what waits for
// the history's store, ms.
inline constexpr int kHousekeepingMs = 1000;

class DeviceTools : public QObject {
 public:
  DeviceTools(view::MainWindow& window, UserCntrl& control, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap,
              link::WallTime wallTime, history::StoreLocation store);
  ~DeviceTools() override;

  // Starts recording to `path` (replacing it), one line at most every
  // `period` ms (0: every answer); false, after telling the user, when the
  // file cannot be written.
  bool startRecording(const QString& path, toolkit::Millis period = 0);
  void stopRecording();
  bool recording() const { return recorder_ != nullptr; }

  TrendChart* trend() const { return chart_; }
  QDockWidget* trendDock() const { return dock_; }
  // The trend is on show on the observation page, the only page whose
  // values it draws, unless the user put it away (View > Trend).
  void setTrendWanted(bool wanted);
  HistoryWindow* showHistory();
  // The operation the history gives the writes from now on; "" their own.
  void setHistoryOperation(const std::string& operation) { history_.SetOperation(operation); }
  // Where writes made outside the control (the burst settings) keep their
  // records, and the device they go to as last read.
  history::RecordSink& historySink() { return worker_; }
  // The history's thread, for what else it keeps (the plant list).
  history::HistoryWorker& historyWorker() { return worker_; }
  history::DeviceIdentity deviceIdentity() const { return history_.memory().identity(); }
  // The records waiting for the history's store.
  std::size_t historyWaiting() const { return worker_.waiting(); }
  // Lets the store take what waits (a few seconds at most) and keeps the
  // rest for the next start; what the user is told (also in the status
  // bar), empty when all is stored. The destructor does it too, and says it
  // on standard error.
  std::string closeHistory();

 private:
  void buildMenus();
  void placeTrend();
  void observed(toolkit::Millis time, const std::vector<trend::ObservedValue>& values);
  void housekeeping();
  void showRecording();
  void showWaiting();
  void showPublishedRate();
  void historyChanged();
  void storeState(bool ok, const std::string& reason);
  void notKept(const history::Record& record);
  void recordingFailed(const std::string& reason);
  void warn(const QString& title, const QString& text, const char* name);

  view::MainWindow& window_;
  toolkit::Clock& clock_;  // for the calibration's readings
  std::shared_ptr<link::LinkTap> tap_;
  link::WallTime wallTime_;
  trend::TrendBuffer buffer_;
  trend::ObservationFeed feed_;
  PublishedRate rate_;
  history::HistoryWorker worker_;
  history::HistoryRecorder history_;
  std::unique_ptr<trend::CsvRecorder> recorder_;
  toolkit::Millis recordPeriod_ = 0;             // ms between two recorded lines; 0: every answer
  std::optional<toolkit::Millis> lastRecorded_;  // when the last line was recorded
  TrendChart* chart_ = nullptr;
  QDockWidget* dock_ = nullptr;
  HistoryWindow* historyWindow_ = nullptr;
  QAction* trendAction_ = nullptr;
  QAction* start_ = nullptr;
  QAction* stop_ = nullptr;
  QLabel* recordingStatus_ = nullptr;
  QLabel* historyStatus_ = nullptr;
  QLabel* publishedRate_ = nullptr;                        // beside the Observe page while the device publishes
  std::optional<toolkit::Millis> rateCheck_;               // when the rate is looked at again: publishing may stop then
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for the callbacks on the clock
  QTimer* housekeeping_ = nullptr;
  bool storeFailing_ = false;  // the store refuses writes now
  bool waitedBefore_ = false;  // records waited at the last housekeeping too
  bool historyClosed_ = false;
  bool trendWanted_ = true;  // the user wants the trend on the observation page
  bool placing_ = false;     // the window shows or hides the trend itself
  bool trendSized_ = false;  // the trend has been given its share of the window once
};

}  // namespace zolin6::desktop
