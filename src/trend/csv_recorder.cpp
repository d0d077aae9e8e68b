#include "trend/csv_recorder.h"

#include <QDateTime>
#include <algorithm>

#include "trend/csv.h"

namespace zolin6::trend {

std::string IsoLocal(std::int64_t timeUtc, int utcOffset) {
  return QDateTime::fromMSecsSinceEpoch(timeUtc, Qt::OffsetFromUTC, utcOffset)
      .toString(Qt::ISODateWithMs)
      .toStdString();
}

CsvRecorder::CsvRecorder(std::string path, link::WallTime wallTime, int utcOffset)
    : path_(std::move(path)), wallTime_(wallTime), utcOffset_(utcOffset), lastFlush_(wallTime.clock().now()) {}

CsvRecorder::~CsvRecorder() { (void)Stop(); }

Result<std::unique_ptr<CsvRecorder>> CsvRecorder::Start(const std::string& path, link::WallTime wallTime,
                                                        int utcOffset) {
  std::unique_ptr<CsvRecorder> recorder(new CsvRecorder(path, wallTime, utcOffset));
  recorder->file_.open(path, std::ios::binary | std::ios::trunc);
  if (!recorder->file_) return Error{"cannot write " + path};
  return recorder;
}

void CsvRecorder::Write(const std::string& text) {
  file_ << text;
  bytes_ += static_cast<std::int64_t>(text.size());
}

void CsvRecorder::Append(toolkit::Millis time, const std::vector<ObservedValue>& values) {
  if (!file_.is_open()) return;
  if (columns_.empty()) {
    std::vector<std::string> header{"time"};
    for (const ObservedValue& value : values) {
      columns_.emplace_back(value.name, value.unit);
      header.push_back(value.unit.empty() ? value.name : value.name + " [" + value.unit + "]");
    }
    Write(CsvLine(header));
  }
  std::vector<std::string> fields(columns_.size() + 1);
  fields[0] = IsoLocal(wallTime_.at(time), utcOffset_);
  bool matched = false;
  for (const ObservedValue& value : values) {
    auto column = std::find(columns_.begin(), columns_.end(), std::pair{value.name, value.unit});
    if (column == columns_.end()) {
      ++leftOut_;
      continue;
    }
    matched = true;
    fields[static_cast<std::size_t>(column - columns_.begin()) + 1] = CsvNumber(value.value);
  }
  // A notification of the other tab alone would be a line without values.
  if (!matched) return;
  Write(CsvLine(fields));
  ++lines_;
  FlushIfDue();
}

void CsvRecorder::FlushIfDue() {
  if (!file_.is_open()) return;
  const toolkit::Millis now = wallTime_.clock().now();
  if (now - lastFlush_ < kRecordingFlushInterval) return;
  file_.flush();
  lastFlush_ = now;
}

Result<bool> CsvRecorder::Stop() {
  if (!file_.is_open()) return true;
  file_.close();
  if (!file_) return Error{"cannot write " + path_};
  return true;
}

}  // namespace zolin6::trend
