#pragma once
// What the desktop adds around the control, all of it watching the
// framework link from outside: the live trend of the observation page, the
// recording of the observed values to CSV, and the device history with its
// window. It puts its commands into the window's menus (File: Start
// Recording..., Stop Recording; View: Trend, History) and its state into the
// status bar.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "history/history_recorder.h"
#include "history/sql_store.h"
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

// How often the desktop flushes a quiet recording and retries a history
// that could not be written, ms.
inline constexpr int kHousekeepingMs = 1000;
inline constexpr int kHistoryRetryMs = 10000;

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
  history::SqlHistoryStore& store() { return store_; }

 private:
  void buildMenus();
  void placeTrend();
  void observed(toolkit::Millis time, const std::vector<trend::ObservedValue>& values);
  void housekeeping();
  void showRecording();
  void historyChanged();
  void storeState(bool ok, const std::string& reason);

  view::MainWindow& window_;
  std::shared_ptr<link::LinkTap> tap_;
  link::WallTime wallTime_;
  trend::TrendBuffer buffer_;
  trend::ObservationFeed feed_;
  history::SqlHistoryStore store_;
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
  QTimer* housekeeping_ = nullptr;
  int sinceRetry_ = 0;       // ms since the history was last retried
  bool trendWanted_ = true;  // the user wants the trend on the observation page
  bool placing_ = false;     // the window shows or hides the trend itself
  bool trendSized_ = false;  // the trend has been given its share of the window once
};

}  // namespace zolin6::desktop
