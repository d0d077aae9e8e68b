#pragma once
// Where the device history is kept. The recorder only needs these two
// writes; reading back is the store's own business.

#include <cstdint>

#include "history/history_record.h"
#include "platform/result.h"

namespace zolin6::history {

class RecordStore {
 public:
  virtual ~RecordStore() = default;
  // Stores a new record with its values in one transaction; its new id.
  virtual Result<std::int64_t> Insert(const Record& record) = 0;
  // Stores the outcome of a record stored before (by its id).
  virtual Result<bool> Complete(const Record& record) = 0;
};

}  // namespace zolin6::history
