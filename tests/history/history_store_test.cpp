// The store itself: what survives a restart or a crash, the schema version,
// the filters, the export, and a store that cannot be written.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include "device_bench.h"
#include "history/history_csv.h"
#include "history/plant_store.h"
#include "platform/atomic_file.h"
#include "trend/csv.h"

namespace zolin6::history::testing {
namespace {

Record Sample(std::int64_t time, const std::string& tag, Outcome outcome) {
  Record record;
  record.timeUtc = time;
  record.user = "ana";
  record.device = {tag, "24593", "230", "1001"};
  record.page = "Range Sensor";
  record.operation = "write";
  record.writeCode = "6";
  record.values = {{"Sensor 1 Unit", "°C", "°F"}, {"Sensor 1 Upper Range Value", "100.000", "150.000"}};
  record.outcome = outcome;
  record.outcomeText = OutcomeName(outcome);
  return record;
}

// Runs SQL on the store's file itself, as an older or a newer program would.
bool ExecDirect(const StoreLocation& location, const std::vector<QString>& statements) {
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "direct");
    db.setDatabaseName(location.database);
    ok = db.open();
    QSqlQuery query(db);
    for (const QString& statement : statements) ok = ok && query.exec(statement);
  }
  QSqlDatabase::removeDatabase("direct");
  return ok;
}

class HistoryStore : public ::testing::TestWithParam<Backend> {
 protected:
  StoreFolder folder;
  StoreLocation location = folder.NewStore(GetParam());
};

TEST_P(HistoryStore, RecordsSurviveARestartAndComeBackNewestFirst) {
  {
    SqlHistoryStore store(location);
    DeviceBench bench(store);
    bench.h.ClickTree("Configuration");
    bench.h.clock.advance(1000);
    bench.h.type("txtParameter", 40, "120");
    bench.h.Click("cmdWriteParameter");
    bench.Settle();
    bench.h.type("cmbPVUnits", 0, "°F");
    bench.h.Click("cmdChangeSensorUnit", 0);
    bench.Settle();
  }
  SqlHistoryStore reopened(location);
  Result<std::vector<Record>> records = reopened.List({});
  ASSERT_TRUE(records) << records.error().message;
  ASSERT_EQ(records->size(), 2U);
  EXPECT_EQ(records->at(0).operation, "unit change");
  EXPECT_EQ(records->at(1).values.at(1).after, "120.000");
  EXPECT_EQ(records->at(1).outcome, Outcome::Accepted);
  EXPECT_EQ(reopened.SchemaVersion().value(), kSchemaVersion);
}

// A plant row's filter lists its device's records only, not those of
// another device that has the same tag.
TEST_P(HistoryStore, FiltersByDeviceDateAndOutcome) {
  SqlHistoryStore store(location);
  ASSERT_TRUE(store.Insert(Sample(kEpoch, "TT-101", Outcome::Accepted)));
  ASSERT_TRUE(store.Insert(Sample(kEpoch + 1000, "TT-102", Outcome::Refused)));
  ASSERT_TRUE(store.Insert(Sample(kEpoch + 2000, "TT-101", Outcome::NoAnswer)));
  Record twin = Sample(kEpoch + 3000, "TT-101", Outcome::Accepted);
  twin.device.deviceId = "1002";
  ASSERT_TRUE(store.Insert(twin));
  plant::PlantDevice row;
  row.manufacturer = 24593;
  row.deviceType = 230;
  row.deviceId = 1001;
  struct FilterCase {
    HistoryFilter filter;
    std::vector<std::int64_t> times;  // newest first
  };
  const FilterCase cases[] = {
      {{}, {kEpoch + 3000, kEpoch + 2000, kEpoch + 1000, kEpoch}},
      {{"101", {}, {}, {}, {}}, {kEpoch + 3000, kEpoch + 2000, kEpoch}},
      {{"", kEpoch + 500, kEpoch + 1500, {}, {}}, {kEpoch + 1000}},
      {{"", {}, {}, Outcome::Refused, {}}, {kEpoch + 1000}},
      {{"TT-103", {}, {}, {}, {}}, {}},
      {DeviceHistory(row), {kEpoch + 2000, kEpoch + 1000, kEpoch}},
      {{"", {}, {}, {}, DeviceKey{24593, 230, 1002}}, {kEpoch + 3000}},
      {{"", {}, {}, {}, DeviceKey{24593, 231, 1001}}, {}},
  };
  for (const FilterCase& c : cases) {
    Result<std::vector<Record>> records = store.List(c.filter);
    ASSERT_TRUE(records);
    std::vector<std::int64_t> times;
    for (const Record& record : *records) times.push_back(record.timeUtc);
    EXPECT_EQ(times, c.times) << "filter " << c.filter.device;
  }
}

// A record written again (kept over a restart after a write that went
// unanswered) is stored once; its outcome is found by its key.
TEST_P(HistoryStore, KeepsEachKeyOnce) {
  SqlHistoryStore store(location);
  Record record = Sample(kEpoch, "TT-101", Outcome::Pending);
  record.key = "5f1c";
  Result<std::int64_t> first = store.Insert(record);
  ASSERT_TRUE(first) << first.error().message;
  Record other = Sample(kEpoch + 1, "TT-102", Outcome::Pending);
  other.key = "77aa";
  ASSERT_TRUE(store.Insert(other));
  Result<std::int64_t> again = store.Insert(record);
  ASSERT_TRUE(again) << again.error().message;
  EXPECT_EQ(*again, *first);
  record.outcome = Outcome::Refused;
  record.outcomeText = "Invalid Span!";
  ASSERT_TRUE(store.Complete(record));

  Result<std::vector<Record>> records = store.List({});
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 2U);
  EXPECT_EQ(records->at(1).key, "5f1c");
  EXPECT_EQ(records->at(1).values.size(), 2U);  // not doubled either
  EXPECT_EQ(records->at(1).outcomeText, "Invalid Span!");
  EXPECT_EQ(records->at(0).outcome, Outcome::Pending);  // only its own outcome
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryStore, ::testing::Values(Backend::Sqlite, Backend::PostgreSql),
                         [](const auto& backend) {
                           return backend.param == Backend::Sqlite ? "Sqlite" : "PostgreSql";
                         });

// A process killed in the middle of a record leaves the file with every
// record committed before it, whole, and nothing of the one it was writing.
TEST(SqliteHistory, IsConsistentAfterACrashMidRecord) {
  StoreFolder folder;
  const StoreLocation location = folder.NewStore(Backend::Sqlite);
  constexpr int kCommitted = 20;
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    SqlHistoryStore store(location);
    for (int i = 0; i < kCommitted; ++i) {
      if (!store.Insert(Sample(kEpoch + i, "TT-101", Outcome::Accepted))) _exit(3);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "crash");
    db.setDatabaseName(location.database);
    if (!db.open() || !db.transaction()) _exit(4);
    QSqlQuery half(db);
    half.exec(
        "INSERT INTO device_changes (time_ms, time_utc, user_name, device_tag, manufacturer, device_type, device_id, "
        "page, operation, write_code, outcome, outcome_text) VALUES (1, '', '', '', '', '', '', '', '', '', '', '')");
    raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with " << WEXITSTATUS(status);

  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName(location.database);
    ASSERT_TRUE(db.open());
    QSqlQuery check(db);
    ASSERT_TRUE(check.exec("PRAGMA integrity_check") && check.next());
    EXPECT_EQ(check.value(0).toString(), "ok");
  }
  QSqlDatabase::removeDatabase("check");
  SqlHistoryStore store(location);
  Result<std::vector<Record>> records = store.List({});
  ASSERT_TRUE(records) << records.error().message;
  ASSERT_EQ(records->size(), static_cast<std::size_t>(kCommitted));
  for (const Record& record : *records) EXPECT_EQ(record.values.size(), 2U);
}

TEST(SqliteHistory, RefusesASchemaFromANewerProgram) {
  StoreFolder folder;
  const StoreLocation location = folder.NewStore(Backend::Sqlite);
  ASSERT_TRUE(SqlHistoryStore(location).Open());
  ASSERT_TRUE(
      ExecDirect(location, {QString("INSERT INTO history_schema (version) VALUES (%1)").arg(kSchemaVersion + 1)}));
  Result<bool> opened = SqlHistoryStore(location).Open();
  ASSERT_FALSE(opened);
  EXPECT_NE(opened.error().message.find("newer"), std::string::npos);
}

// A store of the first version (without keys) keeps its records, takes
// keyed ones and gets the plant list.
TEST(SqliteHistory, MigratesAStoreOfTheFirstVersion) {
  StoreFolder folder;
  const StoreLocation location = folder.NewStore(Backend::Sqlite);
  const char* const changes =
      "CREATE TABLE device_changes (id INTEGER PRIMARY KEY AUTOINCREMENT, time_ms BIGINT NOT NULL, "
      "time_utc TEXT NOT NULL, user_name TEXT NOT NULL, device_tag TEXT NOT NULL, manufacturer TEXT NOT NULL, "
      "device_type TEXT NOT NULL, device_id TEXT NOT NULL, page TEXT NOT NULL, operation TEXT NOT NULL, "
      "write_code TEXT NOT NULL, outcome TEXT NOT NULL, outcome_text TEXT NOT NULL)";
  const char* const values =
      "CREATE TABLE changed_values (change_id BIGINT NOT NULL REFERENCES device_changes (id), "
      "position INTEGER NOT NULL, name TEXT NOT NULL, before_text TEXT NOT NULL, after_text TEXT NOT NULL, "
      "PRIMARY KEY (change_id, position))";
  ASSERT_TRUE(ExecDirect(
      location,
      {"CREATE TABLE history_schema (version INTEGER NOT NULL)", "INSERT INTO history_schema (version) VALUES (1)",
       changes, values,
       "INSERT INTO device_changes VALUES (1, 5, '', 'ana', 'TT-1', '', '', '', '', 'write', '6', 'accepted', '')",
       "INSERT INTO device_changes VALUES (2, 6, '', 'ana', 'TT-2', '', '', '', '', 'write', '6', 'accepted', '')"}));
  SqlHistoryStore store(location);
  EXPECT_EQ(store.SchemaVersion().value(), kSchemaVersion);
  Record keyed = Sample(kEpoch, "TT-3", Outcome::Accepted);
  keyed.key = "k";
  ASSERT_TRUE(store.Insert(keyed));
  Result<std::vector<Record>> records = store.List({});
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 3U);
  EXPECT_EQ(records->at(2).device.tag, "TT-1");
  EXPECT_EQ(records->at(2).key, "");
  // The plant list is there, empty, and takes rows.
  Result<std::vector<plant::PlantDevice>> plant = store.LoadPlant();
  ASSERT_TRUE(plant) << plant.error().message;
  EXPECT_TRUE(plant->empty());
  plant::PlantDevice device;
  device.endpoint = "hart-ip://10.0.0.5:5094";
  ASSERT_TRUE(store.SavePlant({device}));
  EXPECT_EQ(store.LoadPlant().value(), std::vector<plant::PlantDevice>{device});
}

// One line per changed value; a record without values still has its line.
TEST(HistoryExport, WritesOneLinePerValueAndReadsBack) {
  Record command = Sample(kEpoch + 5, "TT, \"main\"", Outcome::Refused);
  command.values.clear();
  command.outcomeText = "In Write Protect Mode!";
  const std::string csv = HistoryCsv({Sample(kEpoch, "TT-101", Outcome::Accepted), command});
  const auto lines = trend::ParseCsv(csv);
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_EQ(lines[0].at(11), "value");
  EXPECT_EQ(lines[1].at(0), "2026-08-29T10:40:00.000Z");
  EXPECT_EQ((std::vector<std::string>{lines[2].begin() + 11, lines[2].end()}),
            (std::vector<std::string>{"Sensor 1 Upper Range Value", "100.000", "150.000"}));
  EXPECT_EQ(lines[3].at(2), "TT, \"main\"");
  EXPECT_EQ(lines[3].at(10), "In Write Protect Mode!");
  EXPECT_EQ(lines[3].at(11), "");

  StoreFolder folder;
  const std::string path = folder.folder.filePath("export.csv").toStdString();
  ASSERT_TRUE(platform::WriteFileAtomically(path, csv));
  QFile written(QString::fromStdString(path));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll().toStdString(), csv);
}

// A tag or a value that a spreadsheet would run is exported as a text; a
// negative number stays a number.
TEST(HistoryExport, NoFieldRunsAsAFormula) {
  Record record = Sample(kEpoch, "=HYPERLINK(\"http://x\")", Outcome::Accepted);
  record.values = {{"@note", "+1", "-50.000"}};
  const std::string csv = HistoryCsv({record});
  EXPECT_NE(csv.find(",\"'=HYPERLINK(\"\"http://x\"\")\","), std::string::npos) << csv;
  const auto lines = trend::ParseCsv(csv);
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[1].at(2), "'=HYPERLINK(\"http://x\")");
  EXPECT_EQ((std::vector<std::string>{lines[1].begin() + 11, lines[1].end()}),
            (std::vector<std::string>{"'@note", "'+1", "-50.000"}));
  EXPECT_NE(csv.find(",-50.000\r\n"), std::string::npos);
}

TEST(StoreLocationText, ParsesTheTwoKinds) {
  struct LocationCase {
    const char* text;
    bool ok;
    const char* driver;
    const char* database;
    const char* host;
    const char* user;
    int port;
  };
  const LocationCase cases[] = {
      {"/var/lib/history.sqlite", true, "QSQLITE", "/var/lib/history.sqlite", "", "", -1},
      {"postgresql://ana@plant-db/history", true, "QPSQL", "history", "plant-db", "ana", -1},
      {"postgresql://ana@plant-db:5433/history", true, "QPSQL", "history", "plant-db", "ana", 5433},
      {"postgresql://ana@/history?host=/run/postgresql", true, "QPSQL", "history", "/run/postgresql", "ana", -1},
      {"postgresql://plant-db/history", false, "", "", "", "", -1},  // no user
      {"postgresql://ana@plant-db/", false, "", "", "", "", -1},     // no database
      {"", false, "", "", "", "", -1},
  };
  for (const LocationCase& c : cases) {
    Result<StoreLocation> location = ParseStoreLocation(c.text);
    ASSERT_EQ(location.ok(), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(location->driver.toStdString(), c.driver);
    EXPECT_EQ(location->database.toStdString(), c.database);
    EXPECT_EQ(location->host.toStdString(), c.host);
    EXPECT_EQ(location->user.toStdString(), c.user);
    EXPECT_EQ(location->port, c.port);
  }
}

}  // namespace
}  // namespace zolin6::history::testing
