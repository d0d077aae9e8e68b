#include "history/sql_store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <map>

#include "history/plant_store.h"
#include "history/schema.h"

namespace zolin6::history {

namespace {

Error SqlFailure(const char* what, const QSqlError& error) {
  return Error{std::string(what) + ": " + error.text().toStdString()};
}

QString NextConnectionName() {
  static std::atomic<int> next{};
  return QString("zolin6-history-%1").arg(next++);
}

// Rolls back a transaction that was not committed.
class Transaction {
 public:
  explicit Transaction(QSqlDatabase& db) : db_(db), begun_(db.transaction()) {}
  ~Transaction() {
    if (begun_ && !committed_) db_.rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  bool begun() const { return begun_; }
  bool Commit() { return committed_ = db_.commit(); }

 private:
  QSqlDatabase& db_;
  bool begun_;
  bool committed_ = false;
};

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Std(const QVariant& value) { return value.toString().toStdString(); }

}  // namespace

SqlHistoryStore::SqlHistoryStore(StoreLocation location)
    : location_(std::move(location)), connection_(NextConnectionName()) {}

SqlHistoryStore::~SqlHistoryStore() { Drop(); }

QSqlDatabase SqlHistoryStore::database() const { return QSqlDatabase::database(connection_, false); }

void SqlHistoryStore::Drop() {
  if (!QSqlDatabase::contains(connection_)) return;
  {
    QSqlDatabase db = database();
    db.close();
  }
  QSqlDatabase::removeDatabase(connection_);
  open_ = false;
}

Result<bool> SqlHistoryStore::Open() {
  if (open_ && database().isOpen()) return true;
  Drop();
  if (!QSqlDatabase::isDriverAvailable(location_.driver)) {
    return Error{"the Qt SQL driver " + location_.driver.toStdString() + " is not installed"};
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(location_.driver, connection_);
  db.setDatabaseName(location_.database);
  if (location_.driver == "QSQLITE") {
    // A locked file is a failure at once, not a wait on the user's thread:
    // the record then waits in memory.
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=200");
  } else {
    db.setHostName(location_.host);
    db.setUserName(location_.user);
    db.setPassword(location_.password);
    if (location_.port > 0) db.setPort(location_.port);
    db.setConnectOptions("connect_timeout=2");
  }
  if (!db.open()) return SqlFailure("cannot open the history", db.lastError());
  if (location_.driver == "QSQLITE") {
    // Write-ahead logging: a crash in the middle of a record leaves the file
    // as it was before that record.
    QSqlQuery pragma(db);
    if (!pragma.exec("PRAGMA journal_mode=WAL")) return SqlFailure("cannot set the journal", pragma.lastError());
  }
  open_ = true;
  if (auto migrated = Migrate(); !migrated) {
    Drop();
    return migrated.error();
  }
  return true;
}

Result<int> SqlHistoryStore::SchemaVersion() {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  return ReadSchemaVersion(db);
}

Result<bool> SqlHistoryStore::Migrate() {
  QSqlDatabase db = database();
  return MigrateSchema(db, location_.driver == "QPSQL" ? Dialect::PostgreSql : Dialect::Sqlite);
}

namespace {

QVariant KeyValue(const Record& record) {
  return record.key.empty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(Text(record.key));
}

// The record's row; its id, or 0 when its key is stored already.
Result<std::int64_t> InsertChange(QSqlDatabase& db, const Record& record) {
  QSqlQuery insert(db);
  insert.prepare(
      "INSERT INTO device_changes (record_key, time_ms, time_utc, user_name, device_tag, manufacturer, device_type, "
      "device_id, page, operation, write_code, outcome, outcome_text) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
      "ON CONFLICT (record_key) DO NOTHING RETURNING id");
  for (const QVariant& value :
       {KeyValue(record), QVariant::fromValue<qint64>(record.timeUtc), QVariant(Text(IsoUtc(record.timeUtc))),
        QVariant(Text(record.user)), QVariant(Text(record.device.tag)), QVariant(Text(record.device.manufacturer)),
        QVariant(Text(record.device.deviceType)), QVariant(Text(record.device.deviceId)), QVariant(Text(record.page)),
        QVariant(Text(record.operation)), QVariant(Text(record.writeCode)),
        QVariant(QString(OutcomeName(record.outcome))), QVariant(Text(record.outcomeText))}) {
    insert.addBindValue(value);
  }
  if (!insert.exec()) return SqlFailure("cannot write a history record", insert.lastError());
  const std::int64_t id = insert.next() ? insert.value(0).toLongLong() : 0;
  insert.finish();  // SQLite commits only when no statement is still running
  return id;
}

Result<std::int64_t> StoredId(QSqlDatabase& db, const Record& record) {
  QSqlQuery select(db);
  select.prepare("SELECT id FROM device_changes WHERE record_key = ?");
  select.addBindValue(KeyValue(record));
  if (!select.exec() || !select.next()) return SqlFailure("cannot find a history record", select.lastError());
  return select.value(0).toLongLong();
}

Result<bool> InsertValues(QSqlDatabase& db, std::int64_t id, const std::vector<ValueChange>& values) {
  QSqlQuery value(db);
  value.prepare(
      "INSERT INTO changed_values (change_id, position, name, before_text, after_text) VALUES (?, ?, ?, ?, ?)");
  for (std::size_t i = 0; i < values.size(); ++i) {
    const ValueChange& change = values[i];
    value.addBindValue(QVariant::fromValue<qint64>(id));
    value.addBindValue(static_cast<int>(i));
    value.addBindValue(Text(change.name));
    value.addBindValue(Text(change.before));
    value.addBindValue(Text(change.after));
    if (!value.exec()) return SqlFailure("cannot write a changed value", value.lastError());
  }
  value.finish();
  return true;
}

}  // namespace

Result<std::int64_t> SqlHistoryStore::Insert(const Record& record) {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  Transaction transaction(db);
  if (!transaction.begun()) {
    Drop();  // a connection that cannot begin is reopened next time
    return SqlFailure("cannot begin a history record", db.lastError());
  }
  Result<std::int64_t> id = InsertChange(db, record);
  if (!id) return id;
  if (*id == 0) return StoredId(db, record);  // stored before: nothing more to write
  if (Result<bool> values = InsertValues(db, *id, record.values); !values) return values.error();
  if (!transaction.Commit()) return SqlFailure("cannot commit a history record", db.lastError());
  return id;
}

Result<bool> SqlHistoryStore::Complete(const Record& record) {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  Transaction transaction(db);
  if (!transaction.begun()) {
    Drop();
    return SqlFailure("cannot begin a history record", db.lastError());
  }
  QSqlQuery update(db);
  update.prepare("UPDATE device_changes SET outcome = ?, outcome_text = ? WHERE record_key = ?");
  update.addBindValue(QString(OutcomeName(record.outcome)));
  update.addBindValue(Text(record.outcomeText));
  update.addBindValue(KeyValue(record));
  if (!update.exec()) return SqlFailure("cannot complete a history record", update.lastError());
  update.finish();
  if (!transaction.Commit()) return SqlFailure("cannot commit a history record", db.lastError());
  return true;
}

namespace {

// The WHERE clause of a filter, with the values it binds in order.
QString Where(const HistoryFilter& filter, QVariantList& bound) {
  QString where = "1 = 1";
  if (!filter.device.empty()) {
    where += " AND (device_tag LIKE ? OR device_id LIKE ?)";
    bound << "%" + Text(filter.device) + "%"
          << "%" + Text(filter.device) + "%";
  }
  if (filter.exactDevice) {
    where += " AND device_id = ? AND manufacturer = ? AND device_type = ?";
    bound << QString::number(filter.exactDevice->deviceId) << QString::number(filter.exactDevice->manufacturer)
          << QString::number(filter.exactDevice->deviceType);
  }
  if (filter.from) {
    where += " AND time_ms >= ?";
    bound << QVariant::fromValue<qint64>(*filter.from);
  }
  if (filter.to) {
    where += " AND time_ms <= ?";
    bound << QVariant::fromValue<qint64>(*filter.to);
  }
  if (filter.outcome) {
    where += " AND outcome = ?";
    bound << QString(OutcomeName(*filter.outcome));
  }
  return where;
}

}  // namespace

Result<std::vector<Record>> SqlHistoryStore::List(const HistoryFilter& filter) {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  QVariantList bound;
  const QString where = Where(filter, bound);
  const QString sql =
      "SELECT id, time_ms, user_name, device_tag, manufacturer, device_type, device_id, page, operation, write_code, "
      "outcome, outcome_text, record_key FROM device_changes WHERE " +
      where + " ORDER BY time_ms DESC, id DESC";
  QSqlQuery select(db);
  select.prepare(sql);
  for (const QVariant& value : bound) select.addBindValue(value);
  if (!select.exec()) return SqlFailure("cannot read the history", select.lastError());
  std::vector<Record> records;
  std::map<std::int64_t, std::size_t> byId;
  while (select.next()) {
    Record record;
    record.id = select.value(0).toLongLong();
    record.timeUtc = select.value(1).toLongLong();
    record.user = Std(select.value(2));
    record.device = {Std(select.value(3)), Std(select.value(4)), Std(select.value(5)), Std(select.value(6))};
    record.page = Std(select.value(7));
    record.operation = Std(select.value(8));
    record.writeCode = Std(select.value(9));
    ParseOutcome(Std(select.value(10)), record.outcome);
    record.outcomeText = Std(select.value(11));
    record.key = Std(select.value(12));
    byId[record.id] = records.size();
    records.push_back(std::move(record));
  }
  QSqlQuery values(db);
  if (!values.exec(
          "SELECT change_id, name, before_text, after_text FROM changed_values ORDER BY change_id, position")) {
    return SqlFailure("cannot read the changed values", values.lastError());
  }
  while (values.next()) {
    auto found = byId.find(values.value(0).toLongLong());
    if (found == byId.end()) continue;
    records[found->second].values.push_back({Std(values.value(1)), Std(values.value(2)), Std(values.value(3))});
  }
  return records;
}

Result<bool> SqlHistoryStore::SavePlant(const std::vector<plant::PlantDevice>& devices) {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  Transaction transaction(db);
  if (!transaction.begun()) {
    Drop();
    return SqlFailure("cannot begin storing the plant list", db.lastError());
  }
  if (Result<bool> saved = SavePlantRows(db, devices); !saved) return saved;
  if (!transaction.Commit()) return SqlFailure("cannot commit the plant list", db.lastError());
  return true;
}

Result<std::vector<plant::PlantDevice>> SqlHistoryStore::LoadPlant() {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  return LoadPlantRows(db);
}

Result<bool> SqlHistoryStore::ForgetDevice(const DeviceKey& device) {
  if (auto opened = Open(); !opened) return opened.error();
  QSqlDatabase db = database();
  return ForgetPlantRow(db, device);
}

}  // namespace zolin6::history
