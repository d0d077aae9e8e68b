#pragma once
// A channel calibration kept in the device history: a record of its own
// kind ("calibration"), beside the writes, whose one value holds the whole
// calibration record as JSON. It goes through the same queue and store as
// every other record, so it waits like them when the store is away, and the
// History window lists it with its verdict.

#include <cstdint>
#include <string>
#include <vector>

#include "history/history_record.h"
#include "history/sql_store.h"

namespace zolin6::history {

inline constexpr const char* kCalibrationOperation = "calibration";
inline constexpr const char* kCalibrationValueName = "calibration record";

struct CalibrationEntry {
  std::string number;   // the certificate number: the record's key
  std::string json;     // the calibration record
  std::string summary;  // the outcome text the list shows ("channel 2: passed")
  DeviceIdentity device;
  std::int64_t timeUtc = 0;  // ms since 1970 UTC
  std::string user;          // the login name
};

// The history record of a calibration; its key is the certificate number.
Record MakeCalibrationRecord(const CalibrationEntry& entry);

// The calibration JSON of the record whose id (in decimal) or certificate
// number is `which`, among `records`; fails when there is no such record or
// it is no calibration.
Result<std::string> FindCalibration(const std::vector<Record>& records, const std::string& which);

// The same, read from `store`.
Result<std::string> ReadCalibration(SqlHistoryStore& store, const std::string& which);

}  // namespace zolin6::history
