// The calibration wizard over the simulated transmitter: from the set-up
// through both tests to the record in the device history. Its pages are
// saved as pictures for a person to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include "calibration/calibration_json.h"
#include "desktop/calibration_wizard.h"
#include "fakes/control_harness.h"
#include "fakes/immediate_history.h"
#include "history/calibration_records.h"
#include "history/sql_store.h"
#include "transport/simulated_device.h"

namespace zolin6::desktop {
namespace {

constexpr std::int64_t kEpoch = 1788000000000;  // the clock's 0, ms since 1970

class CalibrationWizardTest : public ::testing::Test {
 protected:
  // One test at the wizard's page on show: the device brought to each
  // point, the reference reading `offset` above it.
  void MeasurePoints(double offset) {
    QWizardPage* page = wizard.currentPage();
    auto* table = page->findChild<QTableWidget*>("PointsTable");
    ASSERT_NE(table, nullptr);
    for (int row = 0; row < table->rowCount(); ++row) {
      const double applied = 100.0 * row;  // 0..200 °C in 3 points
      ASSERT_EQ(sim->transmitter().SetValue("Sns2Value", std::to_string(applied), clock.now()), "");
      page->findChild<QDoubleSpinBox*>(QString("Reference%1").arg(row + 1))->setValue(applied + offset);
      table->selectRow(row);
      EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled() && row + 1 < table->rowCount());
      page->findChild<QPushButton*>("MeasurePoint")->click();
    }
    EXPECT_TRUE(wizard.button(QWizard::NextButton)->isEnabled() || wizard.currentPage()->isFinalPage());
  }

  QTemporaryDir folder;
  history::SqlHistoryStore store{{"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1}};
  fakes::ImmediateHistory history{store, {}};
  // The control holds the link; the wizard borrows it from the tap.
  fakes::ControlHarness h;
  toolkit::Clock& clock = h.clock;
  std::shared_ptr<transport::SimulatedDevice> sim = std::make_shared<transport::SimulatedDevice>(clock);
  std::shared_ptr<link::LinkTap> tap = link::LinkTap::Wrap(sim);
  CalibrationWizard wizard{nullptr, clock,   configuration::AdvanceClock(clock),
                           tap,     history, link::WallTime(clock, kEpoch)};

  void SetUp() override {
    h.control->Init("invoke-1", "", tap);
    clock.advance(2000);
  }
  void TearDown() override { h.control->PrepareToRelease(); }
};

TEST_F(CalibrationWizardTest, FromSetUpToTheRecordInTheHistory) {
  ASSERT_EQ(sim->transmitter().SetValue("Tag", "TT-204", clock.now()), "");
  ASSERT_EQ(sim->transmitter().SetValue("Sns2LowerRangeValue", "0", clock.now()), "");
  ASSERT_EQ(sim->transmitter().SetValue("Sns2UpperRangeValue", "200", clock.now()), "");
  wizard.show();
  wizard.findChild<QSpinBox*>("Channel")->setValue(2);
  EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());  // no reference named yet
  wizard.findChild<QLineEdit*>("ReferenceName")->setText("Dry block DB-9");
  wizard.findChild<QLineEdit*>("Ambient")->setText("21 °C");
  wizard.currentPage()->grab().save("calibration-setup.png");
  wizard.next();
  ASSERT_EQ(wizard.currentPage()->objectName(), "AsFoundPage");
  MeasurePoints(3);  // 1.5 % of span off: fails
  wizard.grab().save("calibration-as-found.png");
  wizard.next();
  ASSERT_EQ(wizard.currentPage()->objectName(), "TrimPage");
  EXPECT_TRUE(wizard.currentPage()->findChild<QLabel*>("AsFoundVerdict")->text().contains("FAIL"));
  wizard.next();
  ASSERT_EQ(wizard.currentPage()->objectName(), "AsLeftPage");
  MeasurePoints(0);
  wizard.next();
  ASSERT_EQ(wizard.currentPage()->objectName(), "ResultPage");
  EXPECT_TRUE(wizard.currentPage()->findChild<QLabel*>("Verdict")->text().contains("PASS"));
  wizard.grab().save("calibration-result.png");
  const std::string number = wizard.record().number;
  EXPECT_EQ(number.rfind("CAL-TT-204-2-", 0), 0U) << number;
  wizard.accept();

  Result<std::string> json = history::ReadCalibration(store, number);
  ASSERT_TRUE(json) << json.error().message;
  Result<calibration::CalibrationRecord> record = calibration::FromJson(*json);
  ASSERT_TRUE(record) << record.error().message;
  EXPECT_EQ(record->range, (calibration::ChannelRange{0, 200, "°C"}));
  EXPECT_EQ(record->reference.name, "Dry block DB-9");
  ASSERT_EQ(record->asFound.size(), 3U);
  EXPECT_DOUBLE_EQ(record->asFound[2].reference, 203);
  EXPECT_FALSE(calibration::TestPassed(*record, record->asFound));
  EXPECT_TRUE(calibration::RecordPassed(*record));
}

TEST_F(CalibrationWizardTest, ATypedReferenceAsksForTheReadingAgain) {
  wizard.show();
  wizard.findChild<QLineEdit*>("ReferenceName")->setText("Dry block");
  wizard.next();
  ASSERT_EQ(wizard.currentPage()->objectName(), "AsFoundPage");
  MeasurePoints(0);
  EXPECT_TRUE(wizard.button(QWizard::NextButton)->isEnabled());
  wizard.currentPage()->findChild<QDoubleSpinBox*>("Reference2")->setValue(99);
  EXPECT_FALSE(wizard.button(QWizard::NextButton)->isEnabled());
  EXPECT_EQ(wizard.currentPage()->findChild<QTableWidget*>("PointsTable")->item(1, 3)->text(), "");
}

}  // namespace
}  // namespace zolin6::desktop
