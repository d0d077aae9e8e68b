#pragma once
// One test of the calibration wizard (as found or as left): a row per test
// point with the value to apply, the reference reading the technician
// types, and what the transmitter read with its errors and verdict.

#include <QWizardPage>
#include <vector>

#include "calibration/calibration.h"

class QLabel;
class QTableWidget;

namespace zolin6::desktop {

class CalibrationWizard;

class CalibrationPointsPage : public QWizardPage {
 public:
  CalibrationPointsPage(CalibrationWizard& wizard, bool asLeft);

  void initializePage() override;
  bool isComplete() const override;

 private:
  std::vector<calibration::TestPoint>& points();
  void measureSelected();
  void referenceChanged(int row, double value);
  void showRow(int row);

  CalibrationWizard& wizard_;
  bool asLeft_;
  QLabel* heading_;
  QTableWidget* table_;
  std::vector<bool> measured_;
};

}  // namespace zolin6::desktop
