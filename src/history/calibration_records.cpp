#include "history/calibration_records.h"

namespace zolin6::history {

Record MakeCalibrationRecord(const CalibrationEntry& entry) {
  Record record;
  record.key = entry.number;
  record.timeUtc = entry.timeUtc;
  record.user = entry.user;
  record.device = entry.device;
  record.page = "Calibrate Channel";
  record.operation = kCalibrationOperation;
  record.values = {{kCalibrationValueName, "", entry.json}};
  // Nothing was sent to the device for it: the record is complete as made.
  record.outcome = Outcome::Accepted;
  record.outcomeText = entry.summary;
  return record;
}

Result<std::string> ReadCalibration(SqlHistoryStore& store, const std::string& which) {
  Result<std::vector<Record>> records = store.List({});
  if (!records) return records.error();
  return FindCalibration(*records, which);
}

Result<std::string> FindCalibration(const std::vector<Record>& records, const std::string& which) {
  for (const Record& record : records) {
    if (std::to_string(record.id) != which && record.key != which) continue;
    if (record.operation != kCalibrationOperation || record.values.size() != 1 ||
        record.values.front().name != kCalibrationValueName) {
      return Error{"history record " + which + " is no calibration"};
    }
    return record.values.front().after;
  }
  return Error{"the history has no record " + which};
}

}  // namespace zolin6::history
