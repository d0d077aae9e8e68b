// The history's own thread against stores that fail, are away or hang: the
// caller's thread never waits, the user is told, and nothing is lost, also
// over the end of the program.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <chrono>

#include "device_bench.h"
#include "history/history_worker.h"
#include "history/waiting_file.h"

namespace zolin6::history::testing {
namespace {

using namespace std::chrono_literals;

// The worker delivers through the application's event loop.
class CoreApplication : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[14] = "history_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const kApp = ::testing::AddGlobalTestEnvironment(new CoreApplication);

Record Keyed(const std::string& key, Outcome outcome = Outcome::Pending) {
  Record record;
  record.key = key;
  record.timeUtc = kEpoch;
  record.device.tag = "TT-" + key;
  record.values = {{"Damping", "1.000", "2.000"}};
  record.outcome = outcome;
  record.outcomeText = OutcomeName(outcome);
  return record;
}

class HungServer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server = PgServer::Get(why);
    ASSERT_NE(server, nullptr) << why;
    location = server->NewDatabase(why);
    ASSERT_TRUE(why.empty()) << why;
  }
  void TearDown() override {
    if (server != nullptr) server->Resume();
  }

  // A worker whose connection is open: one record stored before the server hangs.
  std::unique_ptr<HistoryWorker> Connected() {
    auto worker = std::make_unique<HistoryWorker>(location, WorkerOptions{folder.path().toStdString()}, Told());
    EXPECT_TRUE(worker->Add(Keyed("before")));
    EXPECT_TRUE(RunUntil([&] { return worker->waiting() == 0; }));
    return worker;
  }
  WorkerEvents Told() {
    return {[this](bool ok, const std::string& why) { told.push_back((ok ? "ok " : "down ") + why); }};
  }
  std::vector<Record> Stored() {
    SqlHistoryStore store(location);
    Result<std::vector<Record>> records = store.List({});
    EXPECT_TRUE(records) << records.error().message;
    return records ? *records : std::vector<Record>{};
  }

  PgServer* server = nullptr;
  StoreLocation location;
  QTemporaryDir folder;
  std::vector<std::string> told;
};

TEST_F(HungServer, HoldsUpNeitherTheWritesNorTheCallersThread) {
  std::unique_ptr<HistoryWorker> worker = Connected();
  std::string why;
  ASSERT_TRUE(server->Pause(why)) << why;

  ASSERT_TRUE(worker->Add(Keyed("during")));
  bool listed = false;
  std::size_t count = 0;
  worker->List({}, [&](const Result<std::vector<Record>>& records) {
    listed = true;
    count = records ? records->size() : 0;
  });
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(10);
  ASSERT_TRUE(RunUntil([&ticks] { return ticks >= 50; }));
  EXPECT_EQ(worker->waiting(), 1U);  // the server holds it
  EXPECT_FALSE(listed);
  EXPECT_TRUE(told.empty());  // a hung server does not fail: it keeps the worker waiting

  server->Resume();
  ASSERT_TRUE(RunUntil([&listed] { return listed; }));
  EXPECT_EQ(count, 2U);
  EXPECT_EQ(worker->waiting(), 0U);
}

// The end waits a little, then keeps what the hung server holds in a file;
// the next start stores it first, once, and removes the file.
TEST_F(HungServer, WhatItHoldsAtTheEndIsStoredAtTheNextStart) {
  std::unique_ptr<HistoryWorker> worker = Connected();
  std::string why;
  ASSERT_TRUE(server->Pause(why)) << why;
  ASSERT_TRUE(worker->Add(Keyed("during")));
  worker->Complete(Keyed("during", Outcome::Accepted));
  const WorkerEnd end = worker->Stop(200ms);
  EXPECT_EQ(end.kept, 1U);
  ASSERT_TRUE(end.fileProblem.empty()) << end.fileProblem;
  EXPECT_EQ(QFileInfo(QString::fromStdString(end.file)).absolutePath(), folder.path());
  EXPECT_NE(end.Describe().find("1 record of the device history could not be stored"), std::string::npos)
      << end.Describe();
  EXPECT_NE(end.Describe().find(end.file), std::string::npos);

  // The held thread finishes its insert when the server continues, and
  // stops there; the next start stores the record again, which counts once.
  server->Resume();
  HistoryWorker next(location, {folder.path().toStdString()}, Told());
  ASSERT_TRUE(RunUntil([&] { return next.waiting() == 0 && !QFile::exists(QString::fromStdString(end.file)); }));
  const std::vector<Record> stored = Stored();
  ASSERT_EQ(stored.size(), 2U);
  EXPECT_EQ(stored[0].key, "during");
  EXPECT_EQ(stored[0].outcome, Outcome::Accepted);
  EXPECT_EQ(stored[0].values, Keyed("during").values);
}

// A store that refuses (here a folder that is not there yet): the user is
// told once, the limit keeps the oldest, and all is stored when it is back.
TEST(HistoryWorker, TellsWhenTheStoreFailsAndWritesWhenItIsBack) {
  QTemporaryDir folder;
  const QString missing = folder.filePath("not yet");
  const StoreLocation location{"QSQLITE", missing + "/history.sqlite", {}, {}, {}, -1};
  std::vector<std::string> told;
  WorkerOptions options{folder.path().toStdString(), true, 2, 50ms};
  HistoryWorker worker(location, options,
                       {[&told](bool ok, const std::string&) { told.push_back(ok ? "ok" : "down"); }});
  ASSERT_TRUE(RunUntil([&told] { return !told.empty(); }));
  EXPECT_TRUE(worker.Add(Keyed("a")));
  EXPECT_TRUE(worker.Add(Keyed("b")));
  EXPECT_FALSE(worker.Add(Keyed("c")));
  worker.Complete(Keyed("a", Outcome::Refused));

  ASSERT_TRUE(QDir().mkpath(missing));
  ASSERT_TRUE(RunUntil([&] { return worker.waiting() == 0 && told.size() == 2; }));
  EXPECT_EQ(told, (std::vector<std::string>{"down", "ok"}));
  const WorkerEnd end = worker.Stop();
  EXPECT_EQ(end.Describe(), "1 change was not recorded in the device history: too many waited for its store");
  Result<std::vector<Record>> stored = SqlHistoryStore(location).List({});
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 2U);
  EXPECT_EQ(stored->at(1).outcome, Outcome::Refused);  // "a", the older
}

// The end wakes a worker that waits to try a failing store again, for one
// last try.
TEST(HistoryWorker, TheEndGivesAFailingStoreALastTry) {
  QTemporaryDir folder;
  const QString missing = folder.filePath("not yet");
  const StoreLocation location{"QSQLITE", missing + "/history.sqlite", {}, {}, {}, -1};
  HistoryWorker worker(location, {folder.path().toStdString(), true, kMaxWaitingWrites, 1h}, {});
  ASSERT_TRUE(worker.Add(Keyed("a")));
  ASSERT_TRUE(QDir().mkpath(missing));
  const WorkerEnd end = worker.Stop(30s);
  EXPECT_EQ(end.kept, 0U) << end.Describe();
  Result<std::vector<Record>> stored = SqlHistoryStore(location).List({});
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->size(), 1U);
}

// Left unwritable at the end: kept beside the history; and when even that
// fails, said as lost.
TEST(HistoryWorker, KeepsWhatIsLeftOrSaysItIsLost) {
  QTemporaryDir folder;
  const StoreLocation location{"QSQLITE", folder.filePath("no/history.sqlite"), {}, {}, {}, -1};
  HistoryWorker kept(location, {folder.path().toStdString(), false}, {});
  ASSERT_TRUE(kept.Add(Keyed("a")));
  const WorkerEnd end = kept.Stop();
  EXPECT_EQ(end.kept, 1U);
  EXPECT_NE(end.storeProblem.find("cannot open the history"), std::string::npos) << end.storeProblem;
  const KeptWrites restored = LoadWaiting(folder.path().toStdString(), location);
  ASSERT_EQ(restored.files, std::vector<std::string>{end.file});
  EXPECT_EQ(restored.writes.at(0).record, Keyed("a"));

  HistoryWorker lost(location, {folder.filePath("gone").toStdString(), false}, {});
  ASSERT_TRUE(lost.Add(Keyed("b")));
  const WorkerEnd nowhere = lost.Stop();
  EXPECT_NE(nowhere.Describe().find("could not be kept either"), std::string::npos) << nowhere.Describe();
}

}  // namespace
}  // namespace zolin6::history::testing
