#include "desktop/calibration_points_page.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "desktop/calibration_wizard.h"

namespace zolin6::desktop {

namespace {

using calibration::TestPoint;

enum Column { kPoint, kApply, kReference, kPv, kCurrent, kPvError, kCurrentError, kResult, kColumnCount };

constexpr int kDecimals = 3;
constexpr double kLargestReading = 1e6;

QString Fixed(double value) { return QLocale().toString(value, 'f', kDecimals); }

void SetText(QTableWidget& table, int row, int column, const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  table.setItem(row, column, item);
}

}  // namespace

CalibrationPointsPage::CalibrationPointsPage(CalibrationWizard& wizard, bool asLeft)
    : wizard_(wizard), asLeft_(asLeft), heading_(new QLabel), table_(new QTableWidget(0, kColumnCount)) {
  setObjectName(asLeft ? "AsLeftPage" : "AsFoundPage");
  setTitle(asLeft ? "As-left test" : "As-found test");
  setSubTitle(
      "At each point apply the value shown, wait until the reference is steady, type its reading and press "
      "Measure Point. The transmitter's reading and loop current are read beside it.");
  heading_->setObjectName("PointsHeading");
  table_->setObjectName("PointsTable");
  table_->setHorizontalHeaderLabels(
      {"Point", "Apply", "Reference", "PV", "Loop mA", "PV error\n% of span", "mA error\n% of span", "Result"});
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  // The typed reading keeps the width of its spin box; the others share the rest.
  table_->horizontalHeader()->setSectionResizeMode(kReference, QHeaderView::Fixed);
  auto* measure = new QPushButton("&Measure Point");
  measure->setObjectName("MeasurePoint");
  connect(measure, &QPushButton::clicked, this, [this] { measureSelected(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(measure);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(table_);
  layout->addLayout(buttons);
}

std::vector<TestPoint>& CalibrationPointsPage::points() {
  return asLeft_ ? wizard_.record().asLeft : wizard_.record().asFound;
}

void CalibrationPointsPage::initializePage() {
  const calibration::CalibrationRecord& record = wizard_.record();
  const QString unit = QString::fromStdString(record.range.unit);
  heading_->setText(QString("<b>%1</b>, channel %2: range %3 to %4 %5, tolerance ±%6 % of span")
                        .arg(QString::fromStdString(record.device.tag).toHtmlEscaped())
                        .arg(record.channel)
                        .arg(Fixed(record.range.lower), Fixed(record.range.upper), unit.toHtmlEscaped(),
                             QLocale().toString(record.tolerance, 'f', 2)));
  std::vector<TestPoint>& list = points();
  list.clear();
  const std::vector<double>& percents = wizard_.percents();
  measured_.assign(percents.size(), false);
  table_->setRowCount(static_cast<int>(percents.size()));
  for (int row = 0; row < static_cast<int>(percents.size()); ++row) {
    const double applied = calibration::RangeValue(record.range, percents[row]);
    list.push_back({percents[row], applied, 0, 0});
    SetText(*table_, row, kPoint, QLocale().toString(percents[row], 'f', 0) + " %");
    SetText(*table_, row, kApply, Fixed(applied) + " " + unit);
    auto* reference = new QDoubleSpinBox;
    reference->setObjectName(QString("Reference%1").arg(row + 1));
    reference->setRange(-kLargestReading, kLargestReading);
    reference->setDecimals(kDecimals);
    reference->setValue(applied);
    reference->setSuffix(" " + unit);
    connect(reference, &QDoubleSpinBox::valueChanged, this,
            [this, row](double value) { referenceChanged(row, value); });
    table_->setCellWidget(row, kReference, reference);
    table_->setColumnWidth(kReference, std::max(table_->columnWidth(kReference), reference->sizeHint().width()));
    showRow(row);
  }
  table_->selectRow(0);
  emit completeChanged();
}

bool CalibrationPointsPage::isComplete() const {
  return !measured_.empty() && std::all_of(measured_.begin(), measured_.end(), [](bool done) { return done; });
}

void CalibrationPointsPage::measureSelected() {
  const int row = table_->currentRow();
  if (row < 0 || row >= static_cast<int>(measured_.size())) return;
  const bool done = wizard_.withReader([this, row](calibration::ChannelReader& reader) -> Result<bool> {
    Result<calibration::Measurement> measured = reader.Measure();
    if (!measured) return measured.error();
    points()[row].pv = measured->pv;
    points()[row].current = measured->current;
    return true;
  });
  if (!done) return;
  measured_[row] = true;
  showRow(row);
  if (row + 1 < table_->rowCount()) table_->selectRow(row + 1);
  emit completeChanged();
}

// A reading typed after the point was measured no longer belongs to what
// was read: the point is measured again.
void CalibrationPointsPage::referenceChanged(int row, double value) {
  points()[row].reference = value;
  measured_[row] = false;
  showRow(row);
  emit completeChanged();
}

void CalibrationPointsPage::showRow(int row) {
  if (!measured_[row]) {
    for (int column : {kPv, kCurrent, kPvError, kCurrentError, kResult}) SetText(*table_, row, column, "");
    return;
  }
  const calibration::CalibrationRecord& record = wizard_.record();
  const TestPoint& point = points()[row];
  const calibration::PointResult result = calibration::Evaluate(record.range, record.tolerance, point);
  SetText(*table_, row, kPv, Fixed(point.pv));
  SetText(*table_, row, kCurrent, Fixed(point.current));
  SetText(*table_, row, kPvError, Fixed(result.pvError));
  SetText(*table_, row, kCurrentError, Fixed(result.currentError));
  SetText(*table_, row, kResult, result.passed ? "PASS" : "FAIL");
  table_->item(row, kResult)->setForeground(result.passed ? QColor(0x1b, 0x7a, 0x2e) : QColor(0xb0, 0x1c, 0x1c));
}

}  // namespace zolin6::desktop
