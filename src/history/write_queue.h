#pragma once
// The records and outcomes not yet in the store. A store that cannot be
// written (disk full, locked, server away) must neither block the device
// operation nor lose its record: the record waits here, in order, and goes
// to the store as soon as it takes writes again.

#include <deque>
#include <memory>

#include "history/record_store.h"

namespace zolin6::history {

class WriteQueue {
 public:
  explicit WriteQueue(RecordStore& store) : store_(store) {}

  // A new record, to be inserted.
  void Add(std::shared_ptr<Record> record);
  // The record's outcome changed, to be stored (with the insert itself when
  // that is still waiting).
  void Changed(const std::shared_ptr<Record>& record);
  // Writes what waits, oldest first, and stops at the first failure (whose
  // reason it answers); everything after it keeps waiting.
  Result<bool> Flush();

  std::size_t size() const { return waiting_.size(); }

 private:
  struct Waiting {
    std::shared_ptr<Record> record;
    bool inserted;  // only the outcome is still to be stored
  };
  RecordStore& store_;
  std::deque<Waiting> waiting_;
};

}  // namespace zolin6::history
