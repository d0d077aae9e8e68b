#include "history/history_csv.h"

#include <QSaveFile>
#include <QString>

#include "trend/csv.h"

namespace zolin6::history {

std::string HistoryCsv(const std::vector<Record>& records) {
  std::string csv =
      trend::CsvLine({"time (UTC)", "user", "device tag", "manufacturer", "device type", "device id", "page",
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
      csv += trend::CsvLine(line);
    }
  }
  return csv;
}

Result<bool> WriteFileAtomically(const std::string& path, const std::string& text) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return Error{"cannot write " + path + ": " + file.errorString().toStdString()};
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) || !file.commit()) {
    return Error{"cannot write " + path + ": " + file.errorString().toStdString()};
  }
  return true;
}

}  // namespace zolin6::history
