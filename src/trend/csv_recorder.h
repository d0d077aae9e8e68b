#pragma once
// Records the observed values to a CSV file: one line per notification,
// the time in ISO 8601 with milliseconds and the time zone's offset, one
// column per value with its unit in the header, "." as decimal separator
// and an empty field for a value the device reported as no number.
//
// The columns are those of the first notification recorded (the tab on
// show when the recording starts); values of other columns are counted and
// left out. The file is flushed at least every 5 s of the clock, so a crash
// loses no more than that, and not on every line. A write that fails is
// told at once (when the line or the flush fails), not at the stop; the
// recording writes nothing more after it.

#include <QFile>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/wall_time.h"
#include "platform/result.h"
#include "trend/observed_values.h"

namespace zolin6::trend {

inline constexpr toolkit::Millis kRecordingFlushInterval = 5000;  // ms, the most a crash may lose

// The time as the recording writes it, at `utcOffset` seconds from UTC
// ("2026-08-29T12:40:00.250+02:00").
std::string IsoLocal(std::int64_t timeUtc, int utcOffset);

class CsvRecorder {
 public:
  // Told once, with the reason, when a write fails.
  using Failed = std::function<void(const std::string& reason)>;

  // Creates (or replaces) the file. `utcOffset`: the user's time zone, in
  // seconds east of UTC.
  static Result<std::unique_ptr<CsvRecorder>> Start(const std::string& path, link::WallTime wallTime, int utcOffset,
                                                    Failed failed = {});
  ~CsvRecorder();

  void Append(toolkit::Millis time, const std::vector<ObservedValue>& values);
  // Flushes when the last flush is 5 s ago; the desktop calls it now and then
  // so that a recording whose values stopped coming is on disk too.
  void FlushIfDue();
  // Flushes and closes the file; the first write error, if any.
  Result<bool> Stop();
  // A write failed (and was told).
  bool failed() const { return !error_.empty(); }

  const std::string& path() const { return path_; }
  std::int64_t bytesWritten() const { return bytes_; }
  std::int64_t lines() const { return lines_; }
  std::int64_t leftOut() const { return leftOut_; }  // values outside the columns

 private:
  CsvRecorder(std::string path, link::WallTime wallTime, int utcOffset, Failed failed);
  void Write(const std::string& text);
  void Fail();

  std::string path_;
  link::WallTime wallTime_;
  int utcOffset_;
  Failed failed_;
  QFile file_;
  std::string error_;                                         // the first write error
  std::vector<std::pair<std::string, std::string>> columns_;  // name, unit
  std::int64_t bytes_ = 0;
  std::int64_t lines_ = 0;
  std::int64_t leftOut_ = 0;
  toolkit::Millis lastFlush_;
};

}  // namespace zolin6::trend
