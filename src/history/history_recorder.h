#pragma once
// Keeps the device history: every write the control sends becomes a record
// before it reaches the driver, and the device's answer completes it. It
// watches the framework link like any other listener and never holds up a
// request: when the store cannot be written the record waits in memory and
// the user is told.

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "history/device_memory.h"
#include "history/write_queue.h"
#include "link/link_tap.h"
#include "link/wall_time.h"
#include "platform/toolkit/clock.h"

namespace zolin6::history {

// How long a write may wait for the device's answer before its record says
// "no answer", ms. The slowest device commands answer within a few seconds.
inline constexpr toolkit::Millis kAnswerTimeout = 30000;

// The login name of the user the records name.
std::string LoginName();

struct RecorderContext {
  toolkit::Clock& clock;              // the control's clock (for the answer timeout)
  link::WallTime wallTime;            // the records' time
  std::string user;                   // the user's login name
  std::function<std::string()> page;  // the page on screen
  // Told when the store stops taking writes (ok false, with the reason) and
  // when it takes them again (ok true).
  std::function<void(bool ok, const std::string& reason)> storeState;
  // Told after a record was added or completed (may be left empty).
  std::function<void()> changed = {};
  // The operation of every record when it is not the write's own (a
  // configuration file's download); empty: the write's own.
  std::string operation = {};
};

class HistoryRecorder : public link::LinkListener {
 public:
  HistoryRecorder(RecordStore& store, RecorderContext context);
  ~HistoryRecorder() override;
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  void OnRequest(link::RequestKind kind, const std::string& code, const std::string& document) override;
  void OnNotification(const link::Notification& notification) override;
  void OnSessionEnd() override;

  // Tries again to write what waits (the desktop calls it now and then).
  void Retry();

  std::size_t waitingForStore() const { return queue_.size(); }
  std::size_t waitingForDevice() const { return awaiting_.size(); }
  const DeviceMemory& memory() const { return memory_; }

 private:
  void Finish(const std::shared_ptr<Record>& record, Outcome outcome, const std::string& text);
  void TimeOut(const std::shared_ptr<Record>& record);

  RecorderContext context_;
  DeviceMemory memory_;
  WriteQueue queue_;
  std::deque<std::shared_ptr<Record>> awaiting_;  // sent, oldest first
  bool storeFailing_ = false;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // for the timeouts on the clock
};

}  // namespace zolin6::history
