#pragma once
// The calibration certificate of one channel: the device's identity, the
// channel and its range, the as-found and as-left tables with their errors
// in % of span against the tolerance, the verdict, the reference
// instrument, the technician, the ambient temperature and signature lines.

#include <string>

#include "calibration/calibration.h"
#include "platform/result.h"

namespace zolin6::report {

std::string CertificateHtml(const calibration::CalibrationRecord& record);

// The certificate's PDF bytes (to be written elsewhere) and its title.
std::string CertificatePdf(const calibration::CalibrationRecord& record);

// The certificate as a PDF file (A4), replacing `path` atomically.
Result<bool> WriteCertificatePdf(const calibration::CalibrationRecord& record, const std::string& path);

}  // namespace zolin6::report
