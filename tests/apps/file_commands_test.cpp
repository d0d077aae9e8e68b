// The configuration file operations from the command line: exit status,
// messages, and that a bad file or a refusal leaves the device alone.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "file_commands.h"
#include "history/sql_store.h"
#include "history/store_location.h"
#include "platform/atomic_file.h"

namespace zolin6::app {
namespace {

namespace fs = std::filesystem;

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zolin6-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  // Runs zolin6 with `arguments` against the device kept in dev.json, its
  // history in history.sqlite.
  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"zolin6", "--device", Path("dev.json"), "--history", Path("history.sqlite")});
    out_.str("");
    err_.str("");
    return RunFileCommand(arguments, out_, err_);
  }

  // Replaces `from` by `to` in a file.
  void Edit(const std::string& name, const std::string& from, const std::string& to) {
    std::string text = *platform::ReadWholeFile(Path(name));
    ASSERT_NE(text.find(from), std::string::npos) << from;
    text.replace(text.find(from), from.size(), to);
    ASSERT_TRUE(platform::WriteFileAtomically(Path(name), text));
  }

  fs::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(FileCommandsTest, UploadCompareDownloadCompare) {
  ASSERT_EQ(Run({"--upload", Path("plant.json")}), kExitSuccess) << err_.str();
  EXPECT_EQ(Run({"--compare", Path("plant.json")}), kExitSuccess) << err_.str();

  Edit("plant.json", "\"polling address\": 0", "\"polling address\": 12");
  EXPECT_EQ(Run({"--compare", Path("plant.json")}), kExitDifferences);
  EXPECT_NE(out_.str().find("hart.polling address: file 12, device 0"), std::string::npos) << out_.str();

  ASSERT_EQ(Run({"--download", Path("plant.json")}), kExitSuccess) << err_.str();
  // The device file keeps the downloaded state for the next run.
  EXPECT_EQ(Run({"--compare", Path("plant.json")}), kExitSuccess) << out_.str();

  // The download's write is in the device history, with its before and after.
  history::SqlHistoryStore store(*history::ParseStoreLocation(Path("history.sqlite")));
  const Result<std::vector<history::Record>> records = store.List({});
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 1U);
  EXPECT_EQ(records->front().operation, "download of plant.json");
  EXPECT_EQ(records->front().outcome, history::Outcome::Accepted);
  bool pollingAddress = false;
  for (const history::ValueChange& value : records->front().values) {
    pollingAddress = pollingAddress || (value.before == "0" && value.after == "12");
  }
  EXPECT_TRUE(pollingAddress);
}

// The download is done and kept; its record, which the history could not
// take, is kept beside it and said, and the command fails. The next command
// stores it.
TEST_F(FileCommandsTest, AHistoryThatCannotBeWrittenFailsTheCommandAfterItsWork) {
  ASSERT_EQ(Run({"--upload", Path("plant.json")}), kExitSuccess);
  Edit("plant.json", "\"polling address\": 0", "\"polling address\": 12");
  fs::create_directory(Path("history.sqlite"));  // no database can be opened there
  EXPECT_EQ(Run({"--download", Path("plant.json")}), kExitError);
  EXPECT_NE(out_.str().find("verified"), std::string::npos) << out_.str();
  const std::string said = err_.str();
  EXPECT_EQ(said.rfind("zolin6: 1 record of the device history could not be stored (cannot open the history", 0), 0U)
      << said;
  EXPECT_NE(said.find("kept in " + Path("history.sqlite.waiting-")), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1);                      // one line
  EXPECT_EQ(Run({"--compare", Path("plant.json")}), kExitSuccess);  // the device holds it

  fs::remove(Path("history.sqlite"));
  EXPECT_EQ(Run({"--download", Path("plant.json")}), kExitSuccess) << err_.str();  // nothing to write
  history::SqlHistoryStore store(*history::ParseStoreLocation(Path("history.sqlite")));
  const Result<std::vector<history::Record>> records = store.List({});
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 1U);
  EXPECT_EQ(records->front().outcome, history::Outcome::Accepted);
  for (const auto& entry : fs::directory_iterator(folder_)) {
    EXPECT_EQ(entry.path().string().find(".waiting-"), std::string::npos) << entry.path();
  }
}

TEST_F(FileCommandsTest, AFaultyFileIsNamedAndSendsNothing) {
  ASSERT_EQ(Run({"--upload", Path("plant.json")}), kExitSuccess);
  const std::string device = *platform::ReadWholeFile(Path("dev.json"));
  Edit("plant.json", "\"tag\": \"TT-601\"", "\"tag\": \"TT-601-OVERLONG\"");
  EXPECT_EQ(Run({"--download", Path("plant.json")}), kExitError);
  EXPECT_EQ(err_.str(), "zolin6: " + Path("plant.json") +
                            ": identification.tag: the text has 15 characters, the device keeps at most 8\n");
  EXPECT_EQ(*platform::ReadWholeFile(Path("dev.json")), device);

  EXPECT_EQ(Run({"--download", Path("missing.json")}), kExitError);
  EXPECT_EQ(err_.str().rfind("zolin6: " + Path("missing.json") + ": cannot open", 0), 0U) << err_.str();
}

TEST_F(FileCommandsTest, ARefusalSaysWhatAndWithWhichCode) {
  ASSERT_EQ(Run({"--upload", Path("plant.json")}), kExitSuccess);
  Edit("plant.json", "\"write protection\": 0", "\"write protection\": 1");
  ASSERT_EQ(Run({"--download", Path("plant.json")}), kExitSuccess) << err_.str();
  Edit("plant.json", "\"polling address\": 0", "\"polling address\": 3");
  Edit("plant.json", "\"line 1\": 0", "\"line 1\": 5");
  EXPECT_EQ(Run({"--download", Path("plant.json")}), kExitError);
  EXPECT_NE(err_.str().find("refused the local display (write 5) with response code 7 (In Write Protect Mode!)"),
            std::string::npos)
      << err_.str();
  EXPECT_NE(out_.str().find("not written: HART settings"), std::string::npos) << out_.str();
}

TEST_F(FileCommandsTest, ReportsAsPdfAndHtml) {
  ASSERT_EQ(Run({"--upload", Path("plant.json")}), kExitSuccess);
  ASSERT_EQ(Run({"--report", Path("sheet.pdf")}), kExitSuccess) << err_.str();
  EXPECT_EQ(platform::ReadWholeFile(Path("sheet.pdf"))->rfind("%PDF", 0), 0U);
  ASSERT_EQ(Run({"--report", Path("sheet.html"), "--from", Path("plant.json")}), kExitSuccess) << err_.str();
  EXPECT_NE(platform::ReadWholeFile(Path("sheet.html"))->find("TT-601"), std::string::npos);
}

TEST_F(FileCommandsTest, UsageErrorsExitTwo) {
  EXPECT_EQ(Run({"--upload", Path("a.json"), "--compare", Path("b.json")}), kExitError);
  EXPECT_EQ(Run({"--upload", Path("a.json"), "--connect", "hart"}), kExitError);
  EXPECT_EQ(err_.str(),
            "zolin6: cannot connect to \"hart\": write sim, hart-ip://HOST[:PORT][/DEVICE][?udp][&v2] or "
            "serial:PATH[?address=N]\n");
  EXPECT_FALSE(fs::exists(Path("a.json")));
}

}  // namespace
}  // namespace zolin6::app
