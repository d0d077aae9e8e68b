#include "calibration_report.h"

#include <QCoreApplication>
#include <QTimer>
#include <iostream>
#include <optional>

#include "calibration/calibration_json.h"
#include "history/calibration_records.h"
#include "history/command_history.h"
#include "history/history_worker.h"
#include "report/calibration_certificate.h"

namespace zolin6::app {

namespace {

int Refuse(const std::string& why) {
  std::cerr << "zolin6: " << why << '\n';
  return 2;
}

// The history's records, read through its thread as the export reads them
// (what an earlier run kept is stored first).
Result<std::vector<history::Record>> ReadHistory(const history::StoreLocation& store) {
  history::HistoryWorker worker(store, {{}, false}, {});
  std::optional<Result<std::vector<history::Record>>> listed;
  worker.List({}, [&listed](const Result<std::vector<history::Record>>& records) {
    listed = records;
    QCoreApplication::quit();
  });
  QTimer::singleShot(history::kCommandHistoryWait, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  if (const std::string said = worker.Stop().Describe(); !said.empty()) std::cerr << "zolin6: " << said << '\n';
  return listed.value_or(
      Error{"no answer within " + std::to_string(history::kCommandHistoryWait.count() / 1000) + " s"});
}

}  // namespace

int WriteCalibrationReport(const history::StoreLocation& store, const QString& file, const QString& id) {
  if (id.trimmed().isEmpty()) {
    return Refuse("--from-history needs the id or the certificate number of a calibration in the history");
  }
  const Result<std::vector<history::Record>> records = ReadHistory(store);
  if (!records) {
    return Refuse("cannot read the history " + store.describe().toStdString() + ": " + records.error().message);
  }
  const Result<std::string> json = history::FindCalibration(*records, id.trimmed().toStdString());
  if (!json) return Refuse(json.error().message);
  const Result<calibration::CalibrationRecord> record = calibration::FromJson(*json);
  if (!record) return Refuse("history record " + id.toStdString() + ": " + record.error().message);
  if (auto written = report::WriteCertificatePdf(*record, file.toStdString()); !written) {
    return Refuse(written.error().message);
  }
  std::cerr << "zolin6: the certificate " << record->number << " is in " << file.toStdString() << '\n';
  return 0;
}

}  // namespace zolin6::app
