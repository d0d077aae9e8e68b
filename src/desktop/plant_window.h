#pragma once
// View > Plant: every HART device behind the plant's endpoints, one row
// each, as the last survey or refresh found it. The list comes from the
// device history when the window opens and goes back to it after each
// survey or refresh, so stations sharing a history see the same plant.
// Surveys run in the background with their progress and a Cancel; a row
// opens its device in the window, or its records in the History window.

#include <QWidget>

#include <unordered_set>

#include "desktop/plant_sources.h"
#include "desktop/plant_table.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace zolin6::desktop {

class PlantWindow : public QWidget {
 public:
  // `scanner` and `store` may be null: what needs them is then disabled.
  PlantWindow(PlantScanner* scanner, PlantListStore* store, PlantActions actions, QWidget* parent = nullptr);

  // Reads the plant list from the device history again.
  void load();
  // The plant file the next survey reads.
  void setPlantFile(const QString& path);
  void survey();
  void refresh();
  void cancel();
  // Writes the rows on show, in their order, as CSV or PDF; the status line says how it went.
  void exportCsvTo(const QString& path);
  void exportPdfTo(const QString& path);
  void openSelected();
  void showSelectedHistory();

  // Shows `rows`, the selected devices still selected wherever they now are.
  void showRows(PlantRows rows);
  PlantRows rowsOnShow() const;
  // The devices selected, by key.
  std::unordered_set<PlantKey> selectedKeys() const;
  void selectKeys(const std::unordered_set<PlantKey>& keys);

  PlantTableModel& table() { return table_; }
  PlantFilterModel& filter() { return filter_; }
  QTableView* view() const { return view_; }
  QString statusText() const;

 private:
  void build();
  QWidget* buildActions();
  void run(bool surveying);
  void scanned(const Result<PlantRows>& rows, bool surveying);
  void showRunning(bool running);
  void sayCount();
  void exportChosen(bool pdf);
  const plant::PlantDevice* current() const;

  PlantScanner* scanner_;
  PlantListStore* store_;
  PlantActions actions_;
  PlantTableModel table_;
  PlantFilterModel filter_;
  QString plantFile_;
  QTableView* view_ = nullptr;
  QLineEdit* text_ = nullptr;
  QComboBox* health_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* survey_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
  bool running_ = false;  // a survey or refresh is under way
};

}  // namespace zolin6::desktop
