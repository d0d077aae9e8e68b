#pragma once
// The device history in a window: every recorded change, newest first, with
// its values before and after and the device's verdict; filtered by device,
// date and outcome, and exported as CSV. It reads through the history's own
// thread: a store that is slow or hung leaves the window "Reading".

#include <QWidget>
#include <optional>
#include <vector>

#include "history/history_worker.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace zolin6::desktop {

class HistoryWindow : public QWidget {
 public:
  explicit HistoryWindow(history::HistoryWorker& history, QWidget* parent = nullptr);

  // Reads the records again with the filter on show; they are shown when
  // the history's thread answers.
  void reload();
  // Writes the records on show to `path` as CSV; false (after saying why in
  // the window) when it cannot.
  bool exportTo(const QString& path);
  // Prints the records on show, every value of each, to `path` as PDF; the
  // window's status says when the file is written, or why it is not.
  void exportPdfTo(const QString& path);

  // Lists exactly the device `key`'s records (whatever its tag was), named
  // `name` in the device box; a device typed there later lists by text again.
  void showDevice(const history::DeviceKey& key, const QString& name);

  history::HistoryFilter filter() const;
  const std::vector<history::Record>& records() const { return records_; }

 private:
  void exportChosen();
  void exportPdfChosen();
  void listed(const Result<std::vector<history::Record>>& records);
  void fill(const std::vector<history::Record>& records);

  history::HistoryWorker& history_;
  QLineEdit* device_;
  QDateEdit* from_;
  QDateEdit* to_;
  QComboBox* outcome_;
  QTableWidget* table_;
  QLabel* status_;
  std::vector<history::Record> records_;
  std::optional<history::DeviceKey> exactDevice_;
};

}  // namespace zolin6::desktop
