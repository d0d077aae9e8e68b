#pragma once
// The device history of a command without a window (a download, a
// recording): the records go to the history's own thread as in the window,
// and the end of the command waits for the store to take them. What it
// could not store is kept for the next start and said; the command then
// fails, its own work done and kept.

#include <chrono>
#include <functional>
#include <string>

#include "history/history_recorder.h"
#include "history/history_worker.h"

namespace zolin6::history {

// How long the end of a command waits for the store: no window waits, so
// longer than the window's end does.
inline constexpr std::chrono::milliseconds kCommandHistoryWait{30000};

class CommandHistory {
 public:
  // The store is opened with the first record: a command that changes
  // nothing does not need it. `operation`: as RecorderContext has it.
  CommandHistory(StoreLocation location, toolkit::Clock& clock, std::function<std::string()> page,
                 std::string operation = {});

  // The listener to put on the link.
  HistoryRecorder& recorder() { return recorder_; }
  // Where records of the command's own go (burst settings).
  RecordSink& sink() { return worker_; }

  // Writes still unanswered become "no answer"; waits up to `wait` for the
  // store. What the user is told; empty when every record is stored.
  std::string Close(std::chrono::milliseconds wait = kCommandHistoryWait);

 private:
  HistoryWorker worker_;
  HistoryRecorder recorder_;
};

}  // namespace zolin6::history
