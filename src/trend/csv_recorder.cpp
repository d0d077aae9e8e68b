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

CsvRecorder::CsvRecorder(std::string path, link::WallTime wallTime, int utcOffset, Failed failed)
    : path_(std::move(path)),
      wallTime_(wallTime),
      utcOffset_(utcOffset),
      failed_(std::move(failed)),
      file_(QString::fromStdString(path_)),
      lastFlush_(wallTime.clock().now()) {}

CsvRecorder::~CsvRecorder() { (void)Stop(); }

Result<std::unique_ptr<CsvRecorder>> CsvRecorder::Start(const std::string& path, link::WallTime wallTime, int utcOffset,
                                                        Failed failed) {
  std::unique_ptr<CsvRecorder> recorder(new CsvRecorder(path, wallTime, utcOffset, std::move(failed)));
  if (!recorder->file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    return Error{"cannot write " + path + ": " + recorder->file_.errorString().toStdString()};
  }
  return recorder;
}

void CsvRecorder::Fail() {
  error_ = "cannot write " + path_ + ": " + file_.errorString().toStdString();
  file_.close();
  if (failed_) failed_(error_);
}

void CsvRecorder::Write(const std::string& text) {
  if (!file_.isOpen()) return;
  if (file_.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) return Fail();
  bytes_ += static_cast<std::int64_t>(text.size());
}

void CsvRecorder::Append(toolkit::Millis time, const std::vector<ObservedValue>& values) {
  if (!file_.isOpen()) return;
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
  if (!file_.isOpen()) return;
  ++lines_;
  FlushIfDue();
}

void CsvRecorder::FlushIfDue() {
  if (!file_.isOpen()) return;
  const toolkit::Millis now = wallTime_.clock().now();
  if (now - lastFlush_ < kRecordingFlushInterval) return;
  if (!file_.flush()) return Fail();
  lastFlush_ = now;
}

Result<bool> CsvRecorder::Stop() {
  if (file_.isOpen() && !file_.flush()) Fail();
  file_.close();
  if (failed()) return Error{error_};
  return true;
}

}  // namespace zolin6::trend
