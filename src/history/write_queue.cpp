#include "history/write_queue.h"

#include <algorithm>

namespace zolin6::history {

bool WriteQueue::Add(const Record& record) {
  const std::lock_guard lock(mutex_);
  if (waiting_.size() >= limit_) return false;
  waiting_.push_back({record, true});
  return true;
}

void WriteQueue::Complete(const Record& record) {
  const std::lock_guard lock(mutex_);
  // The newest first: an outcome follows its insert closely.
  const auto first = waiting_.begin() + (writingFront_ ? 1 : 0);
  auto found = std::find_if(std::make_reverse_iterator(waiting_.end()), std::make_reverse_iterator(first),
                            [&](const WaitingWrite& write) { return write.insert && write.record.key == record.key; });
  if (found != std::make_reverse_iterator(first)) {
    found->record.outcome = record.outcome;
    found->record.outcomeText = record.outcomeText;
    return;
  }
  waiting_.push_back({record, false});
}

void WriteQueue::Restore(const std::vector<WaitingWrite>& writes) {
  const std::lock_guard lock(mutex_);
  const auto at = waiting_.begin() + (writingFront_ ? 1 : 0);
  waiting_.insert(at, writes.begin(), writes.end());
}

Result<bool> WriteQueue::Flush(RecordStore& store, const std::function<bool()>& stop) {
  while (!stop || !stop()) {
    WaitingWrite next;
    {
      const std::lock_guard lock(mutex_);
      if (waiting_.empty()) return true;
      writingFront_ = true;
      next = waiting_.front();
    }
    Result<bool> done = true;
    if (next.insert) {
      if (Result<std::int64_t> id = store.Insert(next.record); !id) done = id.error();
    } else {
      done = store.Complete(next.record);
    }
    const std::lock_guard lock(mutex_);
    writingFront_ = false;
    if (!done) return done;
    waiting_.pop_front();
  }
  return true;
}

std::vector<WaitingWrite> WriteQueue::Waiting() const {
  const std::lock_guard lock(mutex_);
  return {waiting_.begin(), waiting_.end()};
}

std::size_t WriteQueue::size() const {
  const std::lock_guard lock(mutex_);
  return waiting_.size();
}

}  // namespace zolin6::history
