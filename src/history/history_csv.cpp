#include "history/history_csv.h"

#include "trend/csv.h"

namespace zolin6::history {

std::string HistoryCsv(const std::vector<Record>& records) {
  std::string csv =
      trend::CsvTextLine({"time (UTC)", "user", "device tag", "manufacturer", "device type", "device id", "page",
                          "operation", "write code", "outcome", "outcome text", "value", "before", "after"});
  for (const Record& record : records) {
    const std::vector<std::string> common{
        IsoUtc(record.timeUtc), record.user, record.device.tag, record.device.manufacturer, record.device.deviceType,
        record.device.deviceId, record.page, record.operation,  record.writeCode,           OutcomeName(record.outcome),
        record.outcomeText};
    std::vector<ValueChange> values = record.values;
    if (values.empty()) values.emplace_back();
    for (const ValueChange& value : values) {
      std::vector<std::string> line = common;
      line.insert(line.end(), {value.name, value.before, value.after});
      csv += trend::CsvTextLine(line);
    }
  }
  return csv;
}

}  // namespace zolin6::history
