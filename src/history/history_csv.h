#pragma once
// The device history as CSV, for a plant's records: one line per changed
// value, with the record it belongs to repeated on each line (a record that
// changes no value, such as a device reset, has one line with the value
// columns empty). A text that a spreadsheet would run as a formula (a tag
// or value beginning with "=", "+", "-" or "@") is written as a text with an
// apostrophe before it; a negative number stays a number.

#include <string>
#include <vector>

#include "history/history_record.h"
#include "platform/result.h"

namespace zolin6::history {

std::string HistoryCsv(const std::vector<Record>& records);

}  // namespace zolin6::history
