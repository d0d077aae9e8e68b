// The commands without a window against zolin6-device over HART-IP (TCP):
// a configuration read, changed, written back and compared, its sheet and
// its history, and a recording, all through the HART driver on a socket.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>

#include <filesystem>
#include <sstream>

#include "device/burst_rules.h"
#include "file_commands.h"
#include "history/sql_store.h"
#include "history/store_location.h"
#include "platform/atomic_file.h"
#include "transport/hart_ip_device_program.h"
#include "transport/simulated_device.h"

namespace zolin6::app {
namespace {

namespace fs = std::filesystem;

class HartIpCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zolin6-hart-ip-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    ASSERT_TRUE(device_.start({"--listen", "127.0.0.1:0"})) << device_.readyLine.toStdString();
    where_ = "hart-ip://127.0.0.1:" + std::to_string(device_.port);
  }
  void TearDown() override {
    EXPECT_EQ(device_.stop(), 0);
    fs::remove_all(folder_);
  }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"zolin6", "--connect", where_, "--history", Path("history.sqlite")});
    out_.str("");
    err_.str("");
    return RunFileCommand(arguments, out_, err_);
  }

  fs::path folder_;
  transport::testing::DeviceProgram device_;
  std::string where_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(HartIpCommandsTest, UploadDownloadCompareReportAndHistory) {
  ASSERT_EQ(Run({"--upload", Path("found.json")}), kExitSuccess) << err_.str();
  std::string text = *platform::ReadWholeFile(Path("found.json"));
  const std::string message = "\"message\": \"SIMULATED TRANSMITTER\"";
  ASSERT_NE(text.find(message), std::string::npos);
  text.replace(text.find(message), message.size(), "\"message\": \"OVER HART-IP\"");
  ASSERT_TRUE(platform::WriteFileAtomically(Path("left.json"), text));

  EXPECT_EQ(Run({"--compare", Path("left.json")}), kExitDifferences);
  ASSERT_EQ(Run({"--download", Path("left.json")}), kExitSuccess) << err_.str() << out_.str();
  EXPECT_EQ(Run({"--compare", Path("left.json")}), kExitSuccess) << out_.str();
  ASSERT_EQ(Run({"--report", Path("sheet.html"), "--as-found", Path("found.json")}), kExitSuccess) << err_.str();
  EXPECT_NE(platform::ReadWholeFile(Path("sheet.html"))->find("OVER HART-IP"), std::string::npos);

  history::SqlHistoryStore store(*history::ParseStoreLocation(Path("history.sqlite")));
  const Result<std::vector<history::Record>> records = store.List({});
  ASSERT_TRUE(records && records->size() == 1U);
  EXPECT_EQ(records->front().outcome, history::Outcome::Accepted);
  EXPECT_EQ(records->front().device.tag, "TT-601");
}

// --device keeps the simulated device's state and has no meaning for a real line.
TEST_F(HartIpCommandsTest, ADeviceFileGoesWithTheSimulatedDeviceOnly) {
  EXPECT_EQ(Run({"--upload", Path("a.json"), "--device", Path("dev.json")}), kExitError);
  EXPECT_NE(err_.str().find("--device keeps the simulated device's state"), std::string::npos) << err_.str();
  EXPECT_FALSE(fs::exists(Path("a.json")));
}

TEST_F(HartIpCommandsTest, RecordsTheObservedValues) {
  QProcess zolin6;
  zolin6.setProcessChannelMode(QProcess::MergedChannels);
  zolin6.start(QStringLiteral(ZOLIN6_PROGRAM), {"--record", QString::fromStdString(Path("observed.csv")), "--duration",
                                                "4s", "--connect", QString::fromStdString(where_)});
  ASSERT_TRUE(zolin6.waitForFinished(20000));
  const QString said = QString::fromUtf8(zolin6.readAll());
  EXPECT_EQ(zolin6.exitCode(), 0) << said.toStdString();
  EXPECT_TRUE(said.contains(QRegularExpression(R"(zolin6: [1-9]\d* lines recorded)"))) << said.toStdString();
}

// The client subscribes when the session opens: a device whose burst
// message is on feeds a recording of what it publishes.
TEST_F(HartIpCommandsTest, RecordsWhatTheDevicePublishes) {
  toolkit::Clock clock;
  transport::SimulatedDevice sim(clock);
  constexpr std::uint32_t kHalfSecond = 500 * device::kBurstTicksPerMs;
  sim.transmitter().mutableState().bursts[0] = {1, 3, {0, 1, 2, 3, 250, 250, 250, 250}, kHalfSecond, kHalfSecond};
  ASSERT_TRUE(sim.SaveState(Path("bursting.json")));
  transport::testing::DeviceProgram bursting;
  ASSERT_TRUE(bursting.start({"--listen", "127.0.0.1:0", "--state", QString::fromStdString(Path("bursting.json"))}))
      << bursting.readyLine.toStdString();

  QProcess zolin6;
  zolin6.setProcessChannelMode(QProcess::MergedChannels);
  const QString where = QString("hart-ip://127.0.0.1:%1").arg(bursting.port);
  zolin6.start(QStringLiteral(ZOLIN6_PROGRAM), {"--record", QString::fromStdString(Path("published.csv")), "--duration",
                                                "4s", "--published", "--connect", where});
  ASSERT_TRUE(zolin6.waitForFinished(20000));
  const QString said = QString::fromUtf8(zolin6.readAll());
  EXPECT_EQ(zolin6.exitCode(), 0) << said.toStdString();
  EXPECT_TRUE(said.contains(QRegularExpression(R"(zolin6: ([4-9]|\d\d+) lines recorded)"))) << said.toStdString();
  const Result<std::string> csv = platform::ReadWholeFile(Path("published.csv"));
  ASSERT_TRUE(csv);
  EXPECT_EQ(csv->substr(0, csv->find("\r\n")), "time,Loop current [mA],PV [°C],SV [°C],TV [°C]");
  EXPECT_EQ(bursting.stop(), 0);
}

}  // namespace
}  // namespace zolin6::app
