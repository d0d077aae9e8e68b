#pragma once
// Keeps the device history: every write the control sends becomes a record
// before it reaches the driver, and the device's answer completes it. It
// watches the framework link like any other listener and never holds up a
// request: it hands the record to a sink (the history's own thread) that
// stores it when it can.

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "history/device_memory.h"
#include "history/record_store.h"
#include "link/link_tap.h"
#include "link/wall_time.h"
#include "platform/toolkit/clock.h"

namespace zolin6::history {

// How long a write may wait for the device's answer before its record says
// "no answer", ms. The slowest device commands answer within a few seconds.
inline constexpr toolkit::Millis kAnswerTimeout = 30000;

// The login name of the user the records name.
std::string LoginName();

// The operation of the writes of a configuration file's download, naming
// the file ("download of plant.json").
std::string DownloadOperation(const std::string& fileName);

struct RecorderContext {
  toolkit::Clock& clock;              // the control's clock (for the answer timeout)
  link::WallTime wallTime;            // the records' time
  std::string user;                   // the user's login name
  std::function<std::string()> page;  // the page on screen
  // Told of a record the sink refused (too many wait for the store): the
  // write goes to the device all the same, without its record.
  std::function<void(const Record& record)> notKept;
  // Told after a record was added or completed (may be left empty).
  std::function<void()> changed = {};
  // The operation of every record when it is not the write's own (a
  // configuration file's download); empty: the write's own.
  std::string operation = {};
};

class HistoryRecorder : public link::LinkListener {
 public:
  HistoryRecorder(RecordSink& sink, RecorderContext context);
  ~HistoryRecorder() override;
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  void OnRequest(link::RequestKind kind, const std::string& code, const std::string& document) override;
  void OnNotification(const link::Notification& notification) override;
  void OnSessionEnd() override;

  // Names the operation of the writes from now on (a download the window
  // runs); empty gives each write its own again.
  void SetOperation(std::string operation) { context_.operation = std::move(operation); }

  std::size_t waitingForDevice() const { return awaiting_.size(); }
  const DeviceMemory& memory() const { return memory_; }

 private:
  // A write sent, waiting for its answer; `kept` false when the sink
  // refused its record (the answer is still matched to it, in order).
  struct Sent {
    std::shared_ptr<Record> record;
    bool kept;
  };

  void Finish(const Sent& sent, Outcome outcome, const std::string& text);
  void TimeOut(const std::shared_ptr<Record>& record);

  RecorderContext context_;
  RecordSink& sink_;
  DeviceMemory memory_;
  std::deque<Sent> awaiting_;                              // oldest first
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for the timeouts on the clock
};

}  // namespace zolin6::history
