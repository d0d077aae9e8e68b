// `zolin6 --survey PLANT.json --out FILE.csv` against transmitters served
// by the test: the CSV's columns and rows, and the exit status for a plant
// in order (0), a device in failure (1) and an endpoint not reached (2).

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <memory>

#include "platform/atomic_file.h"
#include "served_plant.h"
#include "trend/csv.h"

#ifdef ZOLIN6_PROGRAM

namespace zolin6::plant {
namespace {

using testing::ServedTransmitter;

struct Outcome {
  int status = -1;
  std::string err;
  std::vector<std::vector<std::string>> csv;
};

// Runs the program while the test's event loop serves the transmitters;
// the plant list is kept in the history file `history`.
Outcome Survey(const std::vector<std::string>& addresses, const QString& history) {
  QTemporaryDir dir;
  const std::string plantFile = dir.filePath("plant.json").toStdString();
  const std::string csvFile = dir.filePath("plant.csv").toStdString();
  std::string json = R"({"endpoints": [)";
  for (const std::string& address : addresses) json += (json.back() == '[' ? "\"" : ",\"") + address + "\"";
  std::ofstream(plantFile) << json << "]}";
  QProcess program;
  program.start(ZOLIN6_PROGRAM, {"--survey", QString::fromStdString(plantFile), "--out",
                                 QString::fromStdString(csvFile), "--history", history});
  Outcome run;
  if (!transport::testing::RunUntil([&] { return program.state() == QProcess::NotRunning; }, 60000)) return run;
  run.status = program.exitCode();
  run.err = program.readAllStandardError().toStdString();
  if (const Result<std::string> text = platform::ReadWholeFile(csvFile)) run.csv = trend::ParseCsv(*text);
  return run;
}

TEST(SurveyCommand, ExitStatusSaysHowThePlantIs) {
  QTemporaryDir dir;
  const QString history = dir.filePath("history.sqlite");
  auto healthy = std::make_unique<ServedTransmitter>(4001);
  const std::string healthyAddress = healthy->address();
  const Outcome ok = Survey({healthyAddress}, history);
  EXPECT_EQ(ok.status, 0) << ok.err;
  ASSERT_EQ(ok.csv.size(), 2U);
  EXPECT_EQ(ok.csv[0],
            (std::vector<std::string>{"endpoint", "sub-device", "tag", "long tag", "manufacturer", "device type",
                                      "device id", "status", "answering", "pv", "unit", "last seen"}));
  EXPECT_EQ(ok.csv[1][0], healthyAddress);
  EXPECT_EQ(ok.csv[1][2], "TT-4001");
  EXPECT_EQ(ok.csv[1][5], "ZOLIN-6");
  EXPECT_EQ(ok.csv[1][6], "4001");
  EXPECT_EQ(ok.csv[1][7], "OK");
  EXPECT_NO_THROW((void)std::stof(ok.csv[1][9])) << ok.csv[1][9];
  EXPECT_EQ(ok.csv[1][10], "°C");
  EXPECT_TRUE(ok.csv[1][11].ends_with("Z")) << ok.csv[1][11];

  ServedTransmitter failing(4002);
  failing.transmitter.mutableState().forcedDeviceStatus = 0x80;
  const Outcome failure = Survey({healthyAddress, failing.address()}, history);
  EXPECT_EQ(failure.status, 1) << failure.err;
  EXPECT_EQ(failure.csv.size(), 3U);

  // Gone since: the history's list keeps it, not answering, and its last answer.
  healthy.reset();
  const Outcome gone = Survey({healthyAddress}, history);
  EXPECT_EQ(gone.status, 2);
  ASSERT_EQ(gone.csv.size(), 2U);
  EXPECT_EQ(gone.csv[1][2], "TT-4001");
  EXPECT_EQ(gone.csv[1][8], "no");
  ASSERT_EQ(failure.csv[1][2], "TT-4001");
  EXPECT_EQ(gone.csv[1][11], failure.csv[1][11]);

  const std::string down = "hart-ip://127.0.0.1:" + std::to_string(testing::SilentPort());
  const Outcome unreached = Survey({down, failing.address()}, dir.filePath("other.sqlite"));
  EXPECT_EQ(unreached.status, 2);
  EXPECT_NE(unreached.err.find("zolin6: " + down + ": not reached: "), std::string::npos) << unreached.err;
  ASSERT_EQ(unreached.csv.size(), 2U);  // the other endpoint's device is still written
  EXPECT_EQ(unreached.csv[1][7], "failure");
}

}  // namespace
}  // namespace zolin6::plant

#endif
