#include "history/calibration_records.h"

#include <QUuid>

namespace zolin6::history {

Record MakeCalibrationRecord(const CalibrationEntry& entry) {
  Record record;
  record.key = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
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

Result<std::string> ReadCalibration(SqlHistoryStore& store, std::int64_t id) {
  Result<std::vector<Record>> records = store.List({});
  if (!records) return records.error();
  return FindCalibration(*records, id);
}

Result<std::string> FindCalibration(const std::vector<Record>& records, std::int64_t id) {
  for (const Record& record : records) {
    if (record.id != id) continue;
    if (record.operation != kCalibrationOperation || record.values.size() != 1 ||
        record.values.front().name != kCalibrationValueName) {
      return Error{"history record " + std::to_string(id) + " is no calibration"};
    }
    return record.values.front().after;
  }
  return Error{"the history has no record " + std::to_string(id)};
}

}  // namespace zolin6::history
