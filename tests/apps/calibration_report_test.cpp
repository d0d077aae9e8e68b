// --calibration-report: the certificate of a calibration kept in the
// history, made by the program itself, and what it refuses.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "calibration/calibration_json.h"
#include "history/calibration_records.h"
#include "history/sql_store.h"

namespace zolin6::app {
namespace {

struct Outcome {
  int status;
  std::string said;
};

Outcome Zolin6(const QStringList& arguments) {
  QProcess zolin6;
  zolin6.setProcessChannelMode(QProcess::MergedChannels);
  zolin6.start(QStringLiteral(ZOLIN6_PROGRAM), arguments);
  EXPECT_TRUE(zolin6.waitForFinished(60000));
  return {zolin6.exitCode(), QString::fromUtf8(zolin6.readAll()).toStdString()};
}

std::string PdfText(const QString& path) {
  QProcess text;
  text.start("pdftotext", {"-layout", path, "-"});
  EXPECT_TRUE(text.waitForFinished(20000));
  return QString::fromUtf8(text.readAllStandardOutput()).toStdString();
}

TEST(CalibrationReportCommand, WritesTheCertificateOfAStoredCalibration) {
  QTemporaryDir folder;
  const QString store = folder.filePath("history.sqlite");
  calibration::CalibrationRecord record;
  record.device = {"TT-311", "Boiler feed", "4242"};
  record.channel = 4;
  record.range = {0, 400, "°C"};
  record.asFound = {{0, 0, 0.2, 4.01}, {50, 200, 200.4, 12.02}, {100, 400, 399.1, 19.95}};
  std::int64_t id = 0;
  {
    history::SqlHistoryStore history({"QSQLITE", store, {}, {}, {}, -1});
    Result<std::int64_t> stored = history.Insert(history::MakeCalibrationRecord({"CAL-TT-311-4-20261207T100000Z",
                                                                                 calibration::ToJson(record),
                                                                                 "channel 4: passed",
                                                                                 {"TT-311", "", "", "4242"},
                                                                                 1788000000000,
                                                                                 "ana"}));
    ASSERT_TRUE(stored) << stored.error().message;
    id = *stored;
  }
  const QString pdf = folder.filePath("certificate.pdf");
  const Outcome done = Zolin6({"--history", store, "--calibration-report", pdf, "--from-history", QString::number(id)});
  ASSERT_EQ(done.status, 0) << done.said;
  const std::string text = PdfText(pdf);
  EXPECT_NE(text.find("TT-311"), std::string::npos) << text;
  EXPECT_NE(text.find("Verdict: PASS"), std::string::npos) << text;
  EXPECT_NE(text.find("399.100"), std::string::npos) << text;
  // The certificate number finds it too.
  EXPECT_EQ(Zolin6({"--history", store, "--calibration-report", pdf, "--from-history", "CAL-TT-311-4-20261207T100000Z"})
                .status,
            0);

  const Outcome unwritable = Zolin6({"--history", store, "--calibration-report", folder.filePath("none/c.pdf"),
                                     "--from-history", QString::number(id)});
  EXPECT_EQ(unwritable.status, 2) << unwritable.said;
  EXPECT_NE(unwritable.said.find("zolin6: "), std::string::npos);
  const Outcome unknown =
      Zolin6({"--history", store, "--calibration-report", pdf, "--from-history", QString::number(id + 1)});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.said.find("the history has no record"), std::string::npos) << unknown.said;
}

}  // namespace
}  // namespace zolin6::app
