#pragma once
// Device > Calibrate Channel…: the technician's calibration of one channel.
// He names the channel, the test points, the tolerance, himself, the
// ambient temperature and his reference instrument; then, at each point,
// he applies the value, enters what the reference reads and the wizard
// reads the transmitter beside it (as found). He may trim the channel on
// the trim pages of the main window, which stays usable, and then tests it
// again (as left). The record goes to the device history; its certificate
// is saved as a PDF.
//
// Each reading goes over the control's own link, lent by the tap, while the
// window's event loop runs; the certificate file is written on a thread of
// its own and the history through its worker, so the window never waits
// for a file or the store.

#include <QWizard>
#include <functional>
#include <memory>

#include "calibration/calibration.h"
#include "calibration/channel_reader.h"
#include "configuration/link_client.h"
#include "history/record_store.h"
#include "link/link_tap.h"
#include "link/wall_time.h"
#include "platform/result.h"
#include "platform/toolkit/clock.h"

namespace zolin6::desktop {

class CalibrationWizard : public QWizard {
 public:
  // `wait` lets the host's time run while a reading is awaited.
  CalibrationWizard(QWidget* parent, toolkit::Clock& clock, configuration::Wait wait,
                    std::shared_ptr<link::LinkTap> tap, history::RecordSink& history, link::WallTime wallTime);

  calibration::CalibrationRecord& record() { return record_; }
  // The test points of the chosen count, in % of the range.
  const std::vector<double>& percents() const { return percents_; }
  void setPercents(std::vector<double> percents) { percents_ = std::move(percents); }

  // Runs `work` with a reader of the record's channel on a link client of
  // its own; the wizard takes no input meanwhile. A failure is shown.
  bool withReader(const std::function<Result<bool>(calibration::ChannelReader&)>& work);

  // Keeps the record in the device history and closes; stays open (after
  // saying why) when the history cannot take it.
  void accept() override;

 private:
  toolkit::Clock& clock_;
  configuration::Wait wait_;
  std::shared_ptr<link::LinkTap> tap_;
  history::RecordSink& history_;
  link::WallTime wallTime_;
  calibration::CalibrationRecord record_;
  std::vector<double> percents_;
};

// Opens the wizard, one at a time, over `parent`, waiting for readings on
// the window's event loop.
void OpenCalibrationWizard(QWidget* parent, toolkit::Clock& clock, std::shared_ptr<link::LinkTap> tap,
                           history::RecordSink& history, link::WallTime wallTime);

}  // namespace zolin6::desktop
