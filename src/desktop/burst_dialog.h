#pragma once
// Device > Burst Mode…: the device's three burst messages, read with
// command 105, each with its command, variables, period, trigger and
// whether it is published; Apply sends one command per changed setting
// (burst_settings.h), each kept in the device history with what it changed
// and the device's answer in words, then reads the messages again to show
// what the device keeps. The transactions go out among the control's own
// on the same line; the window never waits for them, and the dialog takes
// no input while one is outstanding. Each gets its answer or, after a
// while, a clear failure.

#include <QDialog>
#include <QGridLayout>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <optional>

#include "desktop/burst_settings.h"
#include "driver/hart_driver.h"
#include "history/record_store.h"
#include "link/wall_time.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zolin6::view {
class MainWindow;
}  // namespace zolin6::view

namespace zolin6::desktop {

// The way to the device's HART commands.
struct BurstLine {
  // Why the device cannot be asked now ("no device on line"); empty when it can.
  std::function<QString()> unavailable;
  // Sends one transaction; false when no device is there to send it to.
  std::function<bool(driver::HartRequest request, driver::HartDriver::TransactionDone done)> send;
};

// Where the changes are recorded.
struct BurstRecords {
  history::RecordSink& sink;
  std::function<history::DeviceIdentity()> device;  // as last read
  link::WallTime wallTime;
};

class BurstDialog : public QDialog {
 public:
  BurstDialog(QWidget* parent, BurstLine line, BurstRecords records);

  // Reads the three messages again.
  void readAll();
  // Sends what the user changed, then reads the messages again.
  void apply();
  bool busy() const { return !steps_.empty() || awaiting_; }
  const std::optional<BurstMessage>& message(int number) const { return read_.at(static_cast<std::size_t>(number)); }

 protected:
  void reject() override;

 private:
  struct Row {
    QCheckBox* on = nullptr;
    QComboBox* command = nullptr;
    QLineEdit* variables = nullptr;
    QDoubleSpinBox* period = nullptr;
    QComboBox* trigger = nullptr;
    QDoubleSpinBox* level = nullptr;
    QLabel* note = nullptr;
  };
  struct Step {
    driver::HartRequest request;
    QString doing;                       // said while it is outstanding
    std::function<void()> sending = {};  // just before it goes out
    std::function<void(const hart::Completion& completion)> then;
  };

  void buildRow(int number);
  void queueReads();
  bool queueChanges(int number);
  void sendNext();
  void answered(const hart::Completion& completion);
  void timedOut();
  void updateControls();
  void fill(int number);
  void fitRowToCommand(int number);
  // The message as the row has it; none when a value does not fit (said).
  std::optional<BurstMessage> wanted(int number);

  BurstLine line_;
  BurstRecords records_;
  std::array<Row, kBurstMessageCount> rows_;
  std::array<std::optional<BurstMessage>, kBurstMessageCount> read_;
  std::deque<Step> steps_;
  std::optional<Step> current_;
  bool awaiting_ = false;
  unsigned sent_ = 0;  // numbers the transactions, so a late answer is let go
  QStringList outcomes_;
  QLabel* status_ = nullptr;
  QLabel* outcome_ = nullptr;
  QPushButton* readButton_ = nullptr;
  QPushButton* applyButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QWidget* form_ = nullptr;
  QGridLayout* grid_ = nullptr;  // form_'s: a row per message
  QTimer timeout_;
};

// Device > Burst Mode…, disabled with the reason while the device cannot be asked.
void AddBurstCommand(view::MainWindow& window, const BurstLine& line, const BurstRecords& records);

}  // namespace zolin6::desktop
