#include "history/write_queue.h"

#include <algorithm>

namespace zolin6::history {

void WriteQueue::Add(std::shared_ptr<Record> record) { waiting_.push_back({std::move(record), false}); }

void WriteQueue::Changed(const std::shared_ptr<Record>& record) {
  const bool insertWaits = std::any_of(waiting_.begin(), waiting_.end(), [&](const Waiting& waiting) {
    return waiting.record == record && !waiting.inserted;
  });
  if (!insertWaits) waiting_.push_back({record, true});
}

Result<bool> WriteQueue::Flush() {
  while (!waiting_.empty()) {
    Waiting& next = waiting_.front();
    if (next.inserted) {
      if (auto done = store_.Complete(*next.record); !done) return done.error();
    } else {
      Result<std::int64_t> id = store_.Insert(*next.record);
      if (!id) return id.error();
      next.record->id = *id;
    }
    waiting_.pop_front();
  }
  return true;
}

}  // namespace zolin6::history
