#pragma once
// The records and outcomes not yet in the store. A store that cannot be
// written (disk full, locked, server away or hung) must neither hold up the
// device operation nor lose its record: the record waits here, in order,
// and goes to the store as soon as it takes writes again. The window's
// thread adds while the history's own thread writes: every member is safe
// to call from either, and no lock is held while the store works.

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "history/record_store.h"

namespace zolin6::history {

// How many writes may wait for the store before a new record is refused:
// hours of work at the pace a technician writes, and a bound on the memory
// an unreachable store can take.
inline constexpr std::size_t kMaxWaitingWrites = 1000;

// One write still to be made.
struct WaitingWrite {
  Record record;  // as it is to be stored
  bool insert;    // true: the whole record; false: only its outcome

  bool operator==(const WaitingWrite&) const = default;
};

class WriteQueue : public RecordSink {
 public:
  explicit WriteQueue(std::size_t limit = kMaxWaitingWrites) : limit_(limit) {}

  // Refused (false) when `limit` writes wait already: the oldest are kept,
  // as the start of an unbroken history, and the caller tells the user.
  bool Add(const Record& record) override;
  // Goes into the record's insert while that still waits (and is not being
  // written); waits as a write of its own otherwise. Never refused: an
  // outcome lost would leave its record "pending" for ever.
  void Complete(const Record& record) override;
  // Writes kept from an earlier run, ahead of everything, whatever the limit.
  void Restore(const std::vector<WaitingWrite>& writes);

  // Writes what waits, oldest first, and stops at the first failure (whose
  // reason it answers); everything from there keeps waiting. `stop` is asked
  // before each write.
  Result<bool> Flush(RecordStore& store, const std::function<bool()>& stop = {});

  // What waits, in order, the write under way included.
  std::vector<WaitingWrite> Waiting() const;
  std::size_t size() const;

 private:
  std::size_t limit_;
  mutable std::mutex mutex_;
  std::deque<WaitingWrite> waiting_;
  bool writingFront_ = false;  // the first write is with the store now
};

}  // namespace zolin6::history
