#pragma once
// Where the device history is kept, and what the recorder hands its records
// to. The recorder only needs the two writes; reading back is the store's
// own business.

#include <cstdint>

#include "history/history_record.h"
#include "platform/result.h"

namespace zolin6::history {

class RecordStore {
 public:
  virtual ~RecordStore() = default;
  // Stores a new record with its values in one transaction; its id. A record
  // whose key is stored already is not stored again (its id is answered): a
  // record kept over a restart may have reached the store before.
  virtual Result<std::int64_t> Insert(const Record& record) = 0;
  // Stores the outcome of a record stored before (by its key).
  virtual Result<bool> Complete(const Record& record) = 0;
};

// Takes records to be stored later, without waiting for the store.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // A new record; false when it cannot be kept (too many wait already).
  virtual bool Add(const Record& record) = 0;
  // The outcome of a record added before.
  virtual void Complete(const Record& record) = 0;
};

}  // namespace zolin6::history
