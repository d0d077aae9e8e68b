// `zolin6 --record FILE --duration D --published` on the built-in device:
// the lines are the frames its burst message publishes; a device that
// publishes nothing, or --published alone, fails with a message.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>

#include "device/burst_rules.h"
#include "platform/atomic_file.h"
#include "transport/simulated_device.h"

namespace zolin6::app {
namespace {

namespace fs = std::filesystem;

struct Ran {
  int status;
  std::string said;
};

Ran Zolin6(const QStringList& arguments) {
  QProcess zolin6;
  zolin6.setProcessChannelMode(QProcess::MergedChannels);
  zolin6.start(QStringLiteral(ZOLIN6_PROGRAM), arguments);
  if (!zolin6.waitForFinished(20000)) return {-1, "did not finish"};
  return {zolin6.exitCode(), QString::fromUtf8(zolin6.readAll()).toStdString()};
}

TEST(RecordPublished, RecordsTheFramesTheDevicePublishesAndFailsWithoutThem) {
  const fs::path folder = fs::temp_directory_path() / ("zolin6-record-published-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  auto path = [&folder](const char* name) { return QString::fromStdString((folder / name).string()); };
  toolkit::Clock clock;
  transport::SimulatedDevice sim(clock);
  ASSERT_TRUE(sim.SaveState(path("quiet.json").toStdString()));
  constexpr std::uint32_t kHalfSecond = 500 * device::kBurstTicksPerMs;
  sim.transmitter().mutableState().bursts[0] = {1, 9, {0, 12, 250, 250, 250, 250, 250, 250}, kHalfSecond, kHalfSecond};
  ASSERT_TRUE(sim.SaveState(path("bursting.json").toStdString()));
  auto arguments = [&path](const char* csv, const char* state) {
    return QStringList{"--record", path(csv),     "--device",  path(state),           "--duration",
                       "3s",       "--published", "--history", path("history.sqlite")};
  };

  const Ran bursting = Zolin6(arguments("burst.csv", "bursting.json"));
  EXPECT_EQ(bursting.status, 0) << bursting.said;
  const Result<std::string> read = platform::ReadWholeFile((folder / "burst.csv").string());
  const std::string csv = read ? *read : "";
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "time,Sensor 1 [°C],Local Temp [°C]");  // CSV lines end in CRLF
  EXPECT_GE(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;  // the header and a frame every 0.5 s

  const Ran quiet = Zolin6(arguments("quiet.csv", "quiet.json"));
  EXPECT_EQ(quiet.status, 2);
  EXPECT_NE(quiet.said.find("the device published nothing in 3 s"), std::string::npos) << quiet.said;

  const Ran alone = Zolin6({"--published"});
  EXPECT_EQ(alone.status, 2);
  EXPECT_NE(alone.said.find("--published needs --record"), std::string::npos) << alone.said;
  fs::remove_all(folder);
}

}  // namespace
}  // namespace zolin6::app
