#pragma once
// --calibration-report FILE.pdf --from-history ID: the certificate of a
// calibration kept in the device history, made again without a window.
// Answers the program's exit status: 0 when written, 2 (after a message on
// standard error) for an unknown id, a store that cannot be read or a file
// that cannot be written.

#include <QString>

#include "history/store_location.h"

namespace zolin6::app {

int WriteCalibrationReport(const history::StoreLocation& store, const QString& file, const QString& id);

}  // namespace zolin6::app
