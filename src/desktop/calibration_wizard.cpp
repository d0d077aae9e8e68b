#include "desktop/calibration_wizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <memory>

#include "calibration/calibration_json.h"
#include "configuration/link_client.h"
#include "desktop/background_write.h"
#include "desktop/calibration_points_page.h"
#include "history/calibration_records.h"
#include "history/history_recorder.h"
#include "report/calibration_certificate.h"

namespace zolin6::desktop {

namespace {

using calibration::CalibrationRecord;

constexpr double kDefaultTolerance = 0.25;  // % of span
constexpr double kLargestTolerance = 10;    // % of span

QString Verdict(bool passed) { return passed ? "PASS" : "FAIL"; }

QLineEdit* Field(const char* name, const QString& placeholder = {}) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  edit->setPlaceholderText(placeholder);
  return edit;
}

// What is calibrated, by whom, with what, and how closely.
class SetupPage : public QWizardPage {
 public:
  explicit SetupPage(CalibrationWizard& wizard) : wizard_(wizard) {
    setObjectName("SetupPage");
    setTitle("Calibrate a channel");
    setSubTitle("Choose the channel and the test, and name the reference instrument you test it against.");
    channel_->setObjectName("Channel");
    channel_->setRange(1, calibration::kChannels);
    points_->setObjectName("TestPoints");
    points_->addItem("3 points: 0, 50, 100 %", 3);
    points_->addItem("5 points: 0, 25, 50, 75, 100 %", 5);
    tolerance_->setObjectName("Tolerance");
    tolerance_->setRange(0.01, kLargestTolerance);
    tolerance_->setValue(kDefaultTolerance);
    tolerance_->setSuffix(" % of span");
    technician_->setText(QString::fromStdString(history::LoginName()));
    dueDate_->setObjectName("ReferenceDueDate");
    dueDate_->setCalendarPopup(true);
    dueDate_->setDisplayFormat("yyyy-MM-dd");
    dueDate_->setDate(QDate::currentDate().addYears(1));

    auto* test = new QFormLayout;
    test->addRow("&Channel:", channel_);
    test->addRow("Test &points:", points_);
    test->addRow("&Tolerance:", tolerance_);
    test->addRow("T&echnician:", technician_);
    test->addRow("&Ambient temperature:", ambient_);
    auto* reference = new QGroupBox("Reference instrument");
    auto* form = new QFormLayout(reference);
    form->addRow("&Name:", name_);
    form->addRow("&Serial number:", serial_);
    form->addRow("Ce&rtificate:", certificate_);
    form->addRow("Calibration &due:", dueDate_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(test);
    layout->addWidget(reference);
    for (QLineEdit* edit : {technician_, name_})
      connect(edit, &QLineEdit::textChanged, this, [this] { emit completeChanged(); });
  }

  bool isComplete() const override {
    return !technician_->text().trimmed().isEmpty() && !name_->text().trimmed().isEmpty();
  }

  // Reads the channel's range and the device's identity before the first
  // point: a channel the device cannot report is not calibrated.
  bool validatePage() override {
    CalibrationRecord& record = wizard_.record();
    record.channel = channel_->value();
    record.tolerance = tolerance_->value();
    record.technician = technician_->text().trimmed().toStdString();
    record.ambient = ambient_->text().trimmed().toStdString();
    record.reference = {name_->text().trimmed().toStdString(), serial_->text().trimmed().toStdString(),
                        certificate_->text().trimmed().toStdString(),
                        dueDate_->date().toString(Qt::ISODate).toStdString()};
    wizard_.setPercents(calibration::TestPercents(points_->currentData().toInt()));
    const bool read = wizard_.withReader([&record](calibration::ChannelReader& reader) -> Result<bool> {
      Result<calibration::ChannelSetup> setup = reader.ReadSetup();
      if (!setup) return setup.error();
      record.device = setup->device;
      record.range = setup->range;
      return true;
    });
    if (!read) return false;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    record.performedAt = now.toString(Qt::ISODate).toStdString();
    record.number =
        calibration::CertificateNumber(record.device, record.channel, now.toString("yyyyMMddTHHmmssZ").toStdString());
    return true;
  }

 private:
  CalibrationWizard& wizard_;
  QSpinBox* channel_ = new QSpinBox;
  QComboBox* points_ = new QComboBox;
  QDoubleSpinBox* tolerance_ = new QDoubleSpinBox;
  QLineEdit* technician_ = Field("Technician");
  QLineEdit* ambient_ = Field("Ambient", "21.5 °C");
  QLineEdit* name_ = Field("ReferenceName", "Dry block calibrator");
  QLineEdit* serial_ = Field("ReferenceSerial");
  QLineEdit* certificate_ = Field("ReferenceCertificate");
  QDateEdit* dueDate_ = new QDateEdit;
};

// Between the tests: the trims are made on the main window's pages.
class TrimPage : public QWizardPage {
 public:
  explicit TrimPage(CalibrationWizard& wizard) : wizard_(wizard) {
    setObjectName("TrimPage");
    setTitle("Adjust the channel (optional)");
    verdict_->setObjectName("AsFoundVerdict");
    auto* advice = new QLabel(
        "To adjust the channel, leave this wizard open and use the trim pages of the main window: the sensor "
        "trim for the reading, the loop current trim for the output. Then tick the box below.\n\n"
        "Without an adjustment, go on: the as-left test repeats the points.");
    advice->setWordWrap(true);
    trimmed_->setObjectName("Trimmed");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(verdict_);
    layout->addWidget(advice);
    layout->addWidget(trimmed_);
    layout->addStretch();
  }

  void initializePage() override {
    const CalibrationRecord& record = wizard_.record();
    verdict_->setText("<b>As found: " + Verdict(calibration::TestPassed(record, record.asFound)) + "</b>");
  }

  bool validatePage() override {
    wizard_.record().trimmed = trimmed_->isChecked();
    return true;
  }

 private:
  CalibrationWizard& wizard_;
  QLabel* verdict_ = new QLabel;
  QCheckBox* trimmed_ = new QCheckBox("The channel was &trimmed");
};

// The verdict and the certificate.
class ResultPage : public QWizardPage {
 public:
  explicit ResultPage(CalibrationWizard& wizard) : wizard_(wizard) {
    setObjectName("ResultPage");
    setTitle("Result");
    setSubTitle("Finish keeps the calibration in the device history; its certificate can be made again from there.");
    verdict_->setObjectName("Verdict");
    // The certificate number is copied from here to find the record later.
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    saved_->setObjectName("CertificateSaved");
    saved_->setWordWrap(true);
    auto* save = new QPushButton("&Save Certificate…");
    save->setObjectName("SaveCertificate");
    connect(save, &QPushButton::clicked, this, [this] { saveCertificate(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(verdict_);
    layout->addWidget(save, 0, Qt::AlignLeft);
    layout->addWidget(saved_);
    layout->addStretch();
  }

  void initializePage() override {
    const CalibrationRecord& record = wizard_.record();
    const bool passed = calibration::RecordPassed(record);
    verdict_->setText(QString("<h2 style='color:%1'>Calibration %2</h2><p>Certificate %3<br>As found: %4 &nbsp; "
                              "As left: %5</p>")
                          .arg(passed ? "#1b7a2e" : "#b01c1c", Verdict(passed),
                               QString::fromStdString(record.number).toHtmlEscaped(),
                               Verdict(calibration::TestPassed(record, record.asFound)),
                               Verdict(calibration::TestPassed(record, record.asLeft))));
  }

 private:
  // The PDF is laid out here, on the window's thread (Qt's text layout);
  // the file is written on a worker.
  void saveCertificate() {
    const CalibrationRecord& record = wizard_.record();
    const QString path = QFileDialog::getSaveFileName(
        this, "Save the calibration certificate", QString::fromStdString(record.number) + ".pdf", "PDF files (*.pdf)");
    if (path.isEmpty()) return;
    saved_->setText("Saving " + path + "…");
    WriteInBackground(this, path.toStdString(), report::CertificatePdf(record),
                      [this, path](const Result<bool>& written) {
                        saved_->setText(written ? "Saved to " + path : QString::fromStdString(written.error().message));
                      });
  }

  CalibrationWizard& wizard_;
  QLabel* verdict_ = new QLabel;
  QLabel* saved_ = new QLabel;
};

}  // namespace

CalibrationWizard::CalibrationWizard(QWidget* parent, toolkit::Clock& clock, configuration::Wait wait,
                                     std::shared_ptr<link::LinkTap> tap, history::RecordSink& history,
                                     link::WallTime wallTime)
    : QWizard(parent),
      clock_(clock),
      wait_(std::move(wait)),
      tap_(std::move(tap)),
      history_(history),
      wallTime_(wallTime) {
  setObjectName("CalibrationWizard");
  setWindowTitle("Calibrate Channel");
  setWizardStyle(QWizard::ClassicStyle);
  setOption(QWizard::NoBackButtonOnLastPage);
  addPage(new SetupPage(*this));
  addPage(new CalibrationPointsPage(*this, false));
  addPage(new TrimPage(*this));
  addPage(new CalibrationPointsPage(*this, true));
  addPage(new ResultPage(*this));
  resize(760, 520);
}

bool CalibrationWizard::withReader(const std::function<Result<bool>(calibration::ChannelReader&)>& work) {
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  configuration::LinkClient client(clock_, wait_);
  Result<bool> done = client.Connect(tap_->Share());
  if (done) {
    calibration::ChannelReader reader(client, record_.channel);
    done = work(reader);
    client.PrepareToRelease();
  }
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  if (!done) QMessageBox::warning(this, "Calibrate Channel", QString::fromStdString(done.error().message));
  return static_cast<bool>(done);
}

void CalibrationWizard::accept() {
  const bool passed = calibration::RecordPassed(record_);
  const history::CalibrationEntry entry{record_.number,
                                        calibration::ToJson(record_),
                                        "channel " + std::to_string(record_.channel) + ": " +
                                            (passed ? "PASS" : "FAIL") + ", certificate " + record_.number,
                                        {record_.device.tag, "", "", record_.device.deviceId},
                                        wallTime_.now(),
                                        history::LoginName()};
  if (!history_.Add(history::MakeCalibrationRecord(entry))) {
    QMessageBox::warning(this, "Calibrate Channel",
                         "The device history cannot take the calibration now (too many records wait for its "
                         "store). Save its certificate, then try Finish again.");
    return;
  }
  QWizard::accept();
}

void OpenCalibrationWizard(QWidget* parent, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap,
                           history::RecordSink& history, link::WallTime wallTime) {
  if (auto* open = parent->findChild<CalibrationWizard*>("CalibrationWizard")) {
    open->raise();
    open->activateWindow();
    return;
  }
  // Sleeps until something happens (the window's clock wakes for the
  // device's answer), so the window stays responsive while it waits.
  const configuration::Wait wait = [] {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
  };
  auto* wizard = new CalibrationWizard(parent, clock, wait, std::move(tap), history, wallTime);
  wizard->setAttribute(Qt::WA_DeleteOnClose);
  wizard->show();
}

}  // namespace zolin6::desktop
