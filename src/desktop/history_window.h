#pragma once
// The device history in a window: every recorded change, newest first, with
// its values before and after and the device's verdict; filtered by device,
// date and outcome, and exported as CSV.

#include <QWidget>
#include <vector>

#include "history/sql_store.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace zolin6::desktop {

class HistoryWindow : public QWidget {
 public:
  explicit HistoryWindow(history::SqlHistoryStore& store, QWidget* parent = nullptr);

  // Reads the records again with the filter on show.
  void reload();
  // Writes the records on show to `path` as CSV; false (after saying why in
  // the window) when it cannot.
  bool exportTo(const QString& path);

  history::HistoryFilter filter() const;
  const std::vector<history::Record>& records() const { return records_; }

 private:
  void exportChosen();
  void fill(const std::vector<history::Record>& records);

  history::SqlHistoryStore& store_;
  QLineEdit* device_;
  QDateEdit* from_;
  QDateEdit* to_;
  QComboBox* outcome_;
  QTableWidget* table_;
  QLabel* status_;
  std::vector<history::Record> records_;
};

}  // namespace zolin6::desktop
