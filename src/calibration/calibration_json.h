#pragma once
// A calibration record as JSON: how the device history keeps it and how the
// certificate is made again from it later.

#include <string>

#include "calibration/calibration.h"
#include "platform/result.h"

namespace zolin6::calibration {

std::string ToJson(const CalibrationRecord& record);

// Fails, naming what is wrong, for a text that is not such a record.
Result<CalibrationRecord> FromJson(const std::string& text);

}  // namespace zolin6::calibration
