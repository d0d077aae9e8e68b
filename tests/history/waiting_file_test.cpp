// The file of history writes kept over the end of the program: every field
// comes back, each store finds only its own files, and a damaged file is
// said and left alone.

#include <QDir>
#include <QFile>

#include "device_bench.h"
#include "history/waiting_file.h"
#include "platform/atomic_file.h"

namespace zolin6::history::testing {
namespace {

Record Full() {
  Record record;
  record.key = "0b7e";
  record.timeUtc = kEpoch + 250;
  record.user = "ana";
  record.device = {"TT, \"601\"", "24593", "230", "1001"};
  record.page = "Range Sensor";
  record.operation = "copy to all channels";
  record.writeCode = "28";
  record.values = {{"Sensor 1 Unit", "°C", "°F"}, {"Sensor 2 Lower Range Value", "", "-50.000"}};
  record.outcome = Outcome::Refused;
  record.outcomeText = "Invalid Span!";
  return record;
}

TEST(WaitingFile, EveryFieldComesBack) {
  const std::vector<WaitingWrite> writes{{Full(), true}, {Full(), false}};
  const StoreLocation location{"QSQLITE", "/var/lib/zolin6/history.sqlite", {}, {}, {}, -1};
  Result<std::vector<WaitingWrite>> read = ParseWaiting(WaitingText(location, writes));
  ASSERT_TRUE(read) << read.error().message;
  EXPECT_EQ(*read, writes);
}

TEST(WaitingFile, EachStoreFindsItsOwnFiles) {
  QTemporaryDir folder;
  const std::string path = folder.path().toStdString();
  const StoreLocation sqlite{"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1};
  const StoreLocation plant{"QPSQL", "history", "plant-db", "ana", {}, -1};
  const StoreLocation otherPort{"QPSQL", "history", "plant-db", "ana", {}, 5433};
  EXPECT_EQ(WaitingFolder(sqlite), path);
  Result<std::string> first = KeepWaiting(path, plant, {{Full(), true}});
  Result<std::string> second = KeepWaiting(path, plant, {{Full(), false}});
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(KeepWaiting(path, sqlite, {{Full(), true}}));

  const KeptWrites kept = LoadWaiting(path, plant);
  EXPECT_EQ(kept.files, (std::vector<std::string>{*first, *second}));  // oldest first
  ASSERT_EQ(kept.writes.size(), 2U);
  EXPECT_FALSE(kept.writes[1].insert);
  EXPECT_TRUE(LoadWaiting(path, otherPort).files.empty());
  EXPECT_EQ(LoadWaiting(path, sqlite).writes.size(), 1U);

  EXPECT_TRUE(RemoveWaiting(kept.files));
  EXPECT_TRUE(LoadWaiting(path, plant).files.empty());
  EXPECT_EQ(LoadWaiting(path, sqlite).files.size(), 1U);
}

TEST(WaitingFile, ADamagedFileIsSaidAndLeftAlone) {
  QTemporaryDir folder;
  const StoreLocation sqlite{"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1};
  const std::string damaged = folder.filePath("history.sqlite.waiting-1.json").toStdString();
  ASSERT_TRUE(platform::WriteFileAtomically(damaged, "{\"format\": 1, \"writes\": [{\"write\": \"record\"}]}"));
  const KeptWrites kept = LoadWaiting(folder.path().toStdString(), sqlite);
  EXPECT_TRUE(kept.files.empty());
  ASSERT_EQ(kept.problems.size(), 1U);
  EXPECT_EQ(kept.problems[0].rfind(damaged + ": not a file of waiting history writes", 0), 0U) << kept.problems[0];
  EXPECT_TRUE(QFile::exists(QString::fromStdString(damaged)));

  const std::pair<const char*, const char*> malformed[] = {
      {"", "not a file of waiting history writes"},
      {"{\"format\": 2, \"writes\": []}", "a format this program does not read"},
      {"{\"format\": 1, \"writes\": [{\"write\": \"delete\", \"record\": {}}]}", "a write of an unknown kind: delete"},
  };
  for (const auto& [text, message] : malformed) {
    Result<std::vector<WaitingWrite>> read = ParseWaiting(text);
    ASSERT_FALSE(read) << text;
    EXPECT_EQ(read.error().message.rfind(message, 0), 0U) << read.error().message;
  }
}

}  // namespace
}  // namespace zolin6::history::testing
