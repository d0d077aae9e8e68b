#include "desktop/history_window.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>

#include "desktop/background_write.h"
#include "history/calibration_records.h"
#include "history/history_csv.h"
#include "platform/atomic_file.h"
#include "report/html_pdf.h"

namespace zolin6::desktop {

namespace {

const QStringList kColumns{"Time (UTC)", "User", "Device", "Page", "Operation", "Values (before \u2192 after)",
                           "Outcome"};
constexpr int kValuesColumn = 5;

QString Device(const history::DeviceIdentity& device) {
  QString text = QString::fromStdString(device.tag);
  if (!device.deviceId.empty()) text += QString(" (id %1)").arg(QString::fromStdString(device.deviceId));
  return text;
}

// A row shows this many of a write's values; the rest are in its tooltip,
// so a copy to all channels does not take the height of the window.
constexpr int kValuesShown = 3;

QStringList ValueLines(const history::Record& record) {
  // A calibration's one value is its whole record: the list names its
  // certificate, which --calibration-report prints.
  if (record.operation == history::kCalibrationOperation) {
    return {"certificate " + QString::fromStdString(record.key)};
  }
  QStringList lines;
  for (const history::ValueChange& value : record.values) {
    lines << QString("%1: %2 \u2192 %3")
                 .arg(QString::fromStdString(value.name),
                      value.before.empty() ? QString("?") : QString::fromStdString(value.before),
                      QString::fromStdString(value.after));
  }
  return lines;
}

QString ShownValues(const QStringList& lines) {
  if (lines.size() <= kValuesShown) return lines.join('\n');
  return (lines.mid(0, kValuesShown) << QString("\u2026 and %1 more").arg(lines.size() - kValuesShown)).join('\n');
}

// A record's cells in the order of kColumns, with `values` as its values.
QStringList Cells(const history::Record& record, const QString& values) {
  return {QString::fromStdString(history::IsoUtc(record.timeUtc)),
          QString::fromStdString(record.user),
          Device(record.device),
          QString::fromStdString(record.page),
          QString::fromStdString(record.operation),
          values,
          QString::fromStdString(record.outcomeText)};
}

// The list as printed: every value of every record, under what was asked.
std::string ListHtml(const std::vector<history::Record>& records, const QString& asked) {
  QString html = "<h2>Device History</h2><p>" + asked.toHtmlEscaped() +
                 "</p><table border='1' cellspacing='0' cellpadding='3' width='100%'><tr>";
  for (const QString& column : kColumns) html += "<th>" + column.toHtmlEscaped() + "</th>";
  html += "</tr>";
  for (const history::Record& record : records) {
    html += "<tr>";
    for (const QString& cell : Cells(record, ValueLines(record).join('\n'))) {
      html += "<td>" + cell.toHtmlEscaped().replace('\n', "<br>") + "</td>";
    }
    html += "</tr>";
  }
  return (html + "</table>").toStdString();
}

}  // namespace

HistoryWindow::HistoryWindow(history::HistoryWorker& history, QWidget* parent)
    : QWidget(parent, Qt::Window),
      history_(history),
      device_(new QLineEdit),
      from_(new QDateEdit),
      to_(new QDateEdit),
      outcome_(new QComboBox),
      table_(new QTableWidget(0, static_cast<int>(kColumns.size()))),
      status_(new QLabel) {
  setObjectName("HistoryWindow");
  setWindowTitle("Device History");
  device_->setObjectName("historyDevice");
  device_->setPlaceholderText("Tag or device id");
  device_->setClearButtonEnabled(true);
  for (QDateEdit* date : {from_, to_}) {
    date->setCalendarPopup(true);
    date->setDisplayFormat("yyyy-MM-dd");
    date->setSpecialValueText("any");
  }
  from_->setObjectName("historyFrom");
  to_->setObjectName("historyTo");
  from_->setMinimumDate(QDate(2000, 1, 1));
  from_->setDate(from_->minimumDate());  // "any"
  to_->setMinimumDate(QDate(2000, 1, 1));
  to_->setDate(to_->minimumDate());  // "any"
  outcome_->setObjectName("historyOutcome");
  outcome_->addItem("All outcomes");
  for (auto outcome :
       {history::Outcome::Accepted, history::Outcome::Refused, history::Outcome::NoAnswer, history::Outcome::Pending}) {
    outcome_->addItem(history::OutcomeName(outcome), static_cast<int>(outcome));
  }
  auto* refresh = new QPushButton("Refresh");
  refresh->setObjectName("historyRefresh");
  auto* exportButton = new QPushButton("Export CSV\u2026");
  exportButton->setObjectName("historyExport");
  connect(refresh, &QPushButton::clicked, this, [this] { reload(); });
  connect(exportButton, &QPushButton::clicked, this, [this] { exportChosen(); });
  auto* pdfButton = new QPushButton("Export PDF\u2026");
  pdfButton->setObjectName("historyPdf");
  connect(pdfButton, &QPushButton::clicked, this, [this] { exportPdfChosen(); });
  connect(device_, &QLineEdit::returnPressed, this, [this] { reload(); });
  connect(device_, &QLineEdit::textEdited, this, [this] { exactDevice_.reset(); });
  connect(outcome_, &QComboBox::currentIndexChanged, this, [this] { reload(); });
  connect(from_, &QDateEdit::dateChanged, this, [this] { reload(); });
  connect(to_, &QDateEdit::dateChanged, this, [this] { reload(); });

  auto* filters = new QHBoxLayout;
  filters->addWidget(new QLabel("Device:"));
  filters->addWidget(device_, 1);
  filters->addWidget(new QLabel("From:"));
  filters->addWidget(from_);
  filters->addWidget(new QLabel("To:"));
  filters->addWidget(to_);
  filters->addWidget(outcome_);
  filters->addWidget(refresh);
  filters->addWidget(exportButton);
  filters->addWidget(pdfButton);

  table_->setObjectName("historyTable");
  table_->setHorizontalHeaderLabels(kColumns);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(true);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(false);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(kValuesColumn, QHeaderView::Stretch);
  status_->setObjectName("historyStatus");

  auto* column = new QVBoxLayout(this);
  column->addLayout(filters);
  column->addWidget(table_, 1);
  column->addWidget(status_);
  resize(1000, 480);
  reload();
}

history::HistoryFilter HistoryWindow::filter() const {
  history::HistoryFilter filter;
  if (exactDevice_) {
    filter.exactDevice = exactDevice_;
  } else {
    filter.device = device_->text().trimmed().toStdString();
  }
  if (from_->date() != from_->minimumDate()) {
    filter.from = QDateTime(from_->date(), QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
  }
  if (to_->date() != to_->minimumDate()) {
    filter.to = QDateTime(to_->date().addDays(1), QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch() - 1;
  }
  if (outcome_->currentIndex() > 0) filter.outcome = static_cast<history::Outcome>(outcome_->currentData().toInt());
  return filter;
}

void HistoryWindow::showDevice(const history::DeviceKey& key, const QString& name) {
  exactDevice_ = key;
  device_->setText(name);
  reload();
}

void HistoryWindow::reload() {
  status_->setText("Reading the history\u2026");
  history_.List(filter(),
                [window = QPointer<HistoryWindow>(this)](const Result<std::vector<history::Record>>& records) {
                  if (window) window->listed(records);
                });
}

void HistoryWindow::listed(const Result<std::vector<history::Record>>& records) {
  if (!records) {
    status_->setText("The history cannot be read: " + QString::fromStdString(records.error().message));
    fill({});
    return;
  }
  fill(*records);
  status_->setText(QString("%1 %2 in %3")
                       .arg(records_.size())
                       .arg(records_.size() == 1 ? "record" : "records", history_.location().describe()));
}

void HistoryWindow::fill(const std::vector<history::Record>& records) {
  records_ = records;
  table_->setRowCount(static_cast<int>(records_.size()));
  for (int row = 0; row < static_cast<int>(records_.size()); ++row) {
    const history::Record& record = records_[static_cast<std::size_t>(row)];
    const QStringList cells = Cells(record, ShownValues(ValueLines(record)));
    for (int column = 0; column < cells.size(); ++column) {
      table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table_->item(row, kValuesColumn)->setToolTip(ValueLines(record).join('\n'));
  }
  table_->resizeRowsToContents();
}

bool HistoryWindow::exportTo(const QString& path) {
  Result<bool> written = platform::WriteFileAtomically(path.toStdString(), history::HistoryCsv(records_));
  status_->setText(written ? "Exported to " + path
                           : "Cannot export: " + QString::fromStdString(written.error().message));
  return written.ok();
}

void HistoryWindow::exportPdfTo(const QString& path) {
  const std::string pdf = report::HtmlPdf(ListHtml(records_, status_->text()), "Device History");
  status_->setText("Exporting to " + path + "\u2026");
  WriteInBackground(this, path.toStdString(), pdf, [this, path](const Result<bool>& written) {
    status_->setText(written ? "Exported to " + path
                             : "Cannot export: " + QString::fromStdString(written.error().message));
  });
}

void HistoryWindow::exportPdfChosen() {
  const QString path =
      QFileDialog::getSaveFileName(this, "Print the device history to PDF", "history.pdf", "PDF files (*.pdf)");
  if (!path.isEmpty()) exportPdfTo(path);
}

void HistoryWindow::exportChosen() {
  const QString path =
      QFileDialog::getSaveFileName(this, "Export the device history", "history.csv", "CSV files (*.csv)");
  if (!path.isEmpty()) exportTo(path);
}

}  // namespace zolin6::desktop
