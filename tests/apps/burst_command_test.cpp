// `zolin6 --burst` and `--burst-show` against zolin6-device over HART-IP:
// the settings go out as HART commands and come back as the device keeps
// them, each change in the device history; what is not a change is refused
// before anything is sent.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>

#include <filesystem>

#include "history/sql_store.h"
#include "history/store_location.h"
#include "transport/hart_ip_device_program.h"

namespace zolin6::app {
namespace {

namespace fs = std::filesystem;

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

class BurstCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zolin6-burst-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    ASSERT_TRUE(device_.start({"--listen", "127.0.0.1:0"})) << device_.readyLine.toStdString();
  }
  void TearDown() override {
    EXPECT_EQ(device_.stop(), 0);
    fs::remove_all(folder_);
  }
  std::string History() const { return (folder_ / "history.sqlite").string(); }
  Ran Run(const QStringList& arguments) const {
    QProcess zolin6;
    zolin6.start(QStringLiteral(ZOLIN6_PROGRAM),
                 QStringList{"--connect", QString("hart-ip://127.0.0.1:%1").arg(device_.port), "--history",
                             QString::fromStdString(History())} +
                     arguments);
    if (!zolin6.waitForFinished(30000)) return {};
    return {zolin6.exitCode(), zolin6.readAllStandardOutput().toStdString(),
            zolin6.readAllStandardError().toStdString()};
  }
  std::vector<history::Record> Records() const {
    history::SqlHistoryStore store(*history::ParseStoreLocation(History()));
    Result<std::vector<history::Record>> listed = store.List({});
    return listed ? std::move(listed).value() : std::vector<history::Record>{};
  }

  fs::path folder_;
  transport::testing::DeviceProgram device_;
};

TEST_F(BurstCommandTest, ChangesGoOutAsCommandsAndEachIsKeptInTheHistory) {
  // 0.1 s is offered; the device keeps a quarter of a second and says so.
  const Ran on = Run({"--burst", "on 1 9 100 0 12"});
  ASSERT_EQ(on.status, 0) << on.err;
  EXPECT_NE(on.out.find("Burst message 1 period: "), std::string::npos) << on.out;
  EXPECT_NE(on.out.find("the device adjusted the period to one it keeps (0.25 s)"), std::string::npos) << on.out;
  EXPECT_NE(on.out.find("burst message 1: on, command 9 (variables 0 12), every 0.25 s"), std::string::npos) << on.out;
  std::vector<history::Record> records = Records();
  ASSERT_FALSE(records.empty());
  for (const history::Record& record : records) {
    EXPECT_EQ(record.outcome, history::Outcome::Accepted) << record.outcomeText;
    EXPECT_EQ(record.device.tag, "TT-601");
    EXPECT_EQ(record.page, "Burst Mode");
  }
  const std::size_t changes = records.size();

  // The device holds it: shown again, and asking for it again sends nothing.
  const Ran shown = Run({"--burst-show"});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("burst message 1: on, command 9"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("burst message 0: off"), std::string::npos) << shown.out;
  EXPECT_EQ(Run({"--burst", "on 1 9 250 0 12"}).status, 0);
  EXPECT_EQ(Records().size(), changes);

  // A variable the device does not have is refused: said, kept, and the
  // message stays as it was.
  const Ran refused = Run({"--burst", "on 1 9 250 200"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("zolin6: Burst message 1 variables: "), std::string::npos) << refused.err;
  EXPECT_NE(refused.out.find("burst message 1: on, command 9 (variables 0 12)"), std::string::npos) << refused.out;
  records = Records();
  ASSERT_EQ(records.size(), changes + 1);
  EXPECT_EQ(records.front().outcome, history::Outcome::Refused);  // newest first

  const Ran off = Run({"--burst", "off 1"});
  EXPECT_EQ(off.status, 0) << off.err;
  EXPECT_NE(off.out.find("burst message 1: off"), std::string::npos) << off.out;
}

// Words that are not a change are refused before the device is opened.
TEST_F(BurstCommandTest, WordsOutsideTheirRangesAreRefusedWithWhatIsWrong) {
  const struct {
    const char* words;
    const char* said;
  } cases[] = {
      {"off", "takes \"on N CMD PERIOD_MS"},
      {"on 0 9", "takes \"on N CMD PERIOD_MS"},
      {"off 3", "the message N is 0, 1 or 2"},
      {"on 0 7 500", "the command CMD is 1, 2, 3, 9 or 48"},
      {"on 0 9 99", "the period PERIOD_MS"},
      {"on 0 9 3600001", "the period PERIOD_MS"},
      {"on 0 9 500 250", "the variables are"},
      {"on 0 3 500 1", "the variables are"},
      {"on 0 9 500 1 2 3 4 5 6 7 8 9", "the variables are"},
  };
  for (const auto& c : cases) {
    const Ran ran = Run({"--burst", c.words});
    EXPECT_EQ(ran.status, 2) << c.words;
    EXPECT_NE(ran.err.find(std::string("zolin6: --burst: ") + c.said), std::string::npos) << c.words << ran.err;
  }
  EXPECT_TRUE(Records().empty());
}

}  // namespace
}  // namespace zolin6::app
