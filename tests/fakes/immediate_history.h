#pragma once
// Stands in for the history's own thread: each record goes to the store at
// once, on the caller's thread, through the same ordered queue, so that the
// tests of what a record holds need no thread. It leaves out the bound on
// what waits, the retry timer (Retry() is called by hand) and the file kept
// at the end.

#include <functional>
#include <string>

#include "history/write_queue.h"

namespace zolin6::fakes {

class ImmediateHistory : public history::RecordSink {
 public:
  // `told`: the store stopped taking writes (ok false, with why) or takes them again.
  ImmediateHistory(history::RecordStore& store, std::function<void(bool ok, const std::string& why)> told)
      : store_(store), told_(std::move(told)) {}

  bool Add(const history::Record& record) override {
    queue_.Add(record);
    Retry();
    return true;
  }
  void Complete(const history::Record& record) override {
    queue_.Complete(record);
    Retry();
  }
  void Retry() {
    const Result<bool> flushed = queue_.Flush(store_);
    if (flushed.ok() != failing_) return;
    failing_ = !flushed.ok();
    if (told_) told_(flushed.ok(), flushed ? std::string() : flushed.error().message);
  }
  std::size_t waiting() const { return queue_.size(); }

 private:
  history::RecordStore& store_;
  std::function<void(bool, const std::string&)> told_;
  history::WriteQueue queue_{static_cast<std::size_t>(-1)};
  bool failing_ = false;
};

}  // namespace zolin6::fakes
