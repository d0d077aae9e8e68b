#pragma once
// The device history as CSV, for a plant's records: one line per changed
// value, with the record it belongs to repeated on each line (a record that
// changes no value, such as a device reset, has one line with the value
// columns empty).

#include <string>
#include <vector>

#include "history/history_record.h"
#include "platform/result.h"

namespace zolin6::history {

std::string HistoryCsv(const std::vector<Record>& records);

}  // namespace zolin6::history
