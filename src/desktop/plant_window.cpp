#include "desktop/plant_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "desktop/background_write.h"
#include "desktop/plant_export.h"
#include "plant/plant_csv.h"

namespace zolin6::desktop {

PlantWindow::PlantWindow(PlantScanner* scanner, PlantListStore* store, PlantActions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), scanner_(scanner), store_(store), actions_(std::move(actions)) {
  setObjectName("PlantWindow");
  setWindowTitle("Plant");
  filter_.setSourceModel(&table_);
  build();
  resize(1250, 520);
  load();
}

QWidget* PlantWindow::buildActions() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  const auto button = [row, this](const QString& text, const char* name, void (PlantWindow::*act)()) {
    auto* made = new QPushButton(text);
    made->setObjectName(name);
    connect(made, &QPushButton::clicked, this, [this, act] { (this->*act)(); });
    row->addWidget(made);
    return made;
  };
  auto* open = new QPushButton("Open Plant File\u2026");
  open->setObjectName("plantOpen");
  connect(open, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getOpenFileName(this, "Open a plant file", {}, "Plant files (*.json)");
    if (!path.isEmpty()) setPlantFile(path);
  });
  row->addWidget(open);
  survey_ = button("Survey", "plantSurvey", &PlantWindow::survey);
  refresh_ = button("Refresh", "plantRefresh", &PlantWindow::refresh);
  progress_ = new QProgressBar;
  progress_->setObjectName("plantProgress");
  row->addWidget(progress_, 1);
  cancel_ = button("Cancel", "plantCancel", &PlantWindow::cancel);
  row->addStretch();
  button("Open Device", "plantOpenDevice", &PlantWindow::openSelected);
  button("History of This Device", "plantHistory", &PlantWindow::showSelectedHistory);
  auto* csv = new QPushButton("Export CSV\u2026");
  csv->setObjectName("plantCsv");
  connect(csv, &QPushButton::clicked, this, [this] { exportChosen(false); });
  row->addWidget(csv);
  auto* pdf = new QPushButton("Export PDF\u2026");
  pdf->setObjectName("plantPdf");
  connect(pdf, &QPushButton::clicked, this, [this] { exportChosen(true); });
  row->addWidget(pdf);
  open->setEnabled(scanner_ != nullptr);
  if (scanner_ == nullptr) open->setToolTip("This program cannot survey a plant");
  return bar;
}

void PlantWindow::build() {
  text_ = new QLineEdit;
  text_->setObjectName("plantFilter");
  text_->setPlaceholderText("Filter: a text in any column");
  text_->setClearButtonEnabled(true);
  connect(text_, &QLineEdit::textChanged, this, [this](const QString& text) {
    filter_.setText(text);
    sayCount();
  });
  health_ = new QComboBox;
  health_->setObjectName("plantHealth");
  health_->addItem("All devices", static_cast<int>(HealthFilter::All));
  health_->addItem("Not OK", static_cast<int>(HealthFilter::NotOk));
  health_->addItem("Failure", static_cast<int>(HealthFilter::Failure));
  health_->addItem("Maintenance required", static_cast<int>(HealthFilter::MaintenanceRequired));
  connect(health_, &QComboBox::currentIndexChanged, this, [this] {
    filter_.setHealth(static_cast<HealthFilter>(health_->currentData().toInt()));
    sayCount();
  });
  auto* filters = new QHBoxLayout;
  filters->addWidget(text_, 1);
  filters->addWidget(health_);

  view_ = new QTableView;
  view_->setObjectName("plantTable");
  view_->setModel(&filter_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(static_cast<int>(PlantColumn::Endpoint), Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->verticalHeader()->setVisible(false);
  view_->setWordWrap(false);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view_->horizontalHeader()->setStretchLastSection(true);
  connect(view_, &QTableView::doubleClicked, this, [this] { openSelected(); });
  status_ = new QLabel;
  status_->setObjectName("plantStatus");

  auto* column = new QVBoxLayout(this);
  column->addWidget(buildActions());
  column->addLayout(filters);
  column->addWidget(view_, 1);
  column->addWidget(status_);
  showRunning(false);
}

void PlantWindow::load() {
  // A survey under way brings a newer list than the history's.
  if (store_ == nullptr || running_) return;
  status_->setText("Reading the plant list from the device history\u2026");
  store_->load([window = QPointer<PlantWindow>(this)](const Result<PlantRows>& rows) {
    if (!window) return;
    if (!rows) {
      window->status_->setText("The plant list cannot be read: " + QString::fromStdString(rows.error().message));
      return;
    }
    window->showRows(*rows);
  });
}

void PlantWindow::setPlantFile(const QString& path) {
  plantFile_ = path;
  showRunning(false);
  status_->setText("Plant file " + path + ": Survey finds its devices");
}

void PlantWindow::survey() { run(true); }
void PlantWindow::refresh() { run(false); }

void PlantWindow::cancel() {
  if (scanner_ != nullptr) scanner_->cancel();
}

void PlantWindow::run(bool surveying) {
  if (scanner_ == nullptr) return;
  showRunning(true);
  progress_->setRange(0, 0);  // busy until the first progress says how much there is
  status_->setText(surveying ? "Surveying " + plantFile_ + "\u2026" : "Refreshing the devices\u2026");
  const QPointer<PlantWindow> window(this);
  PlantScanEvents events{[window](std::size_t done, std::size_t total) {
                           if (!window) return;
                           window->progress_->setRange(0, static_cast<int>(total));
                           window->progress_->setValue(static_cast<int>(done));
                         },
                         [window, surveying](const Result<PlantRows>& rows) {
                           if (window) window->scanned(rows, surveying);
                         }};
  if (surveying) {
    scanner_->survey(plantFile_.toStdString(), table_.rows(), std::move(events));
  } else {
    scanner_->refresh(table_.rows(), std::move(events));
  }
}

void PlantWindow::scanned(const Result<PlantRows>& rows, bool surveying) {
  showRunning(false);
  const QString what = surveying ? "survey" : "refresh";
  if (!rows) {
    status_->setText("The " + what + " stopped: " + QString::fromStdString(rows.error().message));
    return;
  }
  showRows(*rows);
  if (store_ == nullptr) return;
  store_->save(*rows, [window = QPointer<PlantWindow>(this)](const Result<bool>& saved) {
    if (window && !saved) {
      window->status_->setText("The plant list is not saved in the device history: " +
                               QString::fromStdString(saved.error().message));
    }
  });
}

void PlantWindow::showRunning(bool running) {
  running_ = running;
  survey_->setEnabled(!running && scanner_ != nullptr && !plantFile_.isEmpty());
  refresh_->setEnabled(!running && scanner_ != nullptr);
  cancel_->setVisible(running);
  progress_->setVisible(running);
}

void PlantWindow::showRows(PlantRows rows) {
  const std::unordered_set<PlantKey> keep = selectedKeys();
  const bool first = table_.rows().empty();
  table_.setRows(std::move(rows));
  selectKeys(keep);
  if (first) view_->resizeColumnsToContents();
  sayCount();
}

std::unordered_set<PlantKey> PlantWindow::selectedKeys() const {
  std::unordered_set<PlantKey> keys;
  for (const QModelIndex& shown : view_->selectionModel()->selectedRows()) {
    keys.insert(KeyOf(table_.rows()[static_cast<std::size_t>(filter_.mapToSource(shown).row())]));
  }
  return keys;
}

void PlantWindow::selectKeys(const std::unordered_set<PlantKey>& keys) {
  QItemSelection selection;
  for (const PlantKey key : keys) {
    const std::optional<int> row = table_.rowOf(key);
    if (!row) continue;
    const QModelIndex shown = filter_.mapFromSource(table_.index(*row, 0));
    if (shown.isValid()) selection.select(shown, shown);
  }
  view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

PlantRows PlantWindow::rowsOnShow() const {
  PlantRows rows;
  rows.reserve(static_cast<std::size_t>(filter_.rowCount()));
  for (int row = 0; row < filter_.rowCount(); ++row) {
    rows.push_back(table_.rows()[static_cast<std::size_t>(filter_.mapToSource(filter_.index(row, 0)).row())]);
  }
  return rows;
}

void PlantWindow::sayCount() {
  std::size_t notOk = 0;
  std::size_t silent = 0;
  for (const plant::PlantDevice& device : table_.rows()) {
    notOk += device.health == plant::Health::Ok ? 0 : 1;
    silent += device.answering ? 0 : 1;
  }
  status_->setText(QString("%1 devices, %2 not OK, %3 not answering; %4 on show")
                       .arg(table_.rows().size())
                       .arg(notOk)
                       .arg(silent)
                       .arg(filter_.rowCount()));
}

QString PlantWindow::statusText() const { return status_->text(); }

const plant::PlantDevice* PlantWindow::current() const {
  const QModelIndex shown = view_->currentIndex();
  if (!shown.isValid()) return nullptr;
  return &table_.rows()[static_cast<std::size_t>(filter_.mapToSource(shown).row())];
}

void PlantWindow::openSelected() {
  const plant::PlantDevice* device = current();
  if (device != nullptr && actions_.openDevice) actions_.openDevice(ConnectionText(*device));
}

void PlantWindow::showSelectedHistory() {
  const plant::PlantDevice* device = current();
  if (device != nullptr && actions_.showHistory) actions_.showHistory(*device);
}

void PlantWindow::exportCsvTo(const QString& path) {
  status_->setText("Exporting to " + path + "\u2026");
  WriteInBackground(this, path.toStdString(), plant::PlantCsv(rowsOnShow()), [this, path](const Result<bool>& written) {
    status_->setText(written ? "Exported to " + path
                             : "Cannot export: " + QString::fromStdString(written.error().message));
  });
}

void PlantWindow::exportPdfTo(const QString& path) {
  status_->setText("Exporting to " + path + "\u2026");
  // A thousand devices take a second to lay out: not on the window's thread.
  auto make = [rows = rowsOnShow(), now = QDateTime::currentMSecsSinceEpoch()] { return PlantPdf(rows, now); };
  MakeAndWriteInBackground(this, path.toStdString(), make, [this, path](const Result<bool>& written) {
    status_->setText(written ? "Exported to " + path
                             : "Cannot export: " + QString::fromStdString(written.error().message));
  });
}

void PlantWindow::exportChosen(bool pdf) {
  const QString path =
      pdf ? QFileDialog::getSaveFileName(this, "Print the plant to PDF", "plant.pdf", "PDF files (*.pdf)")
          : QFileDialog::getSaveFileName(this, "Export the plant", "plant.csv", "CSV files (*.csv)");
  if (path.isEmpty()) return;
  pdf ? exportPdfTo(path) : exportCsvTo(path);
}

}  // namespace zolin6::desktop
