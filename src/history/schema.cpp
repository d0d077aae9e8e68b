#include "history/schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "history/sql_store.h"

namespace zolin6::history {

namespace {

// The statements of one step; "%ID%" is the dialect's id column.
using Step = std::vector<const char*>;

const std::vector<Step>& Steps() {
  static const std::vector<Step> steps{
      // 1: the records and their changed values.
      {"CREATE TABLE device_changes (id %ID%, time_ms BIGINT NOT NULL, time_utc TEXT NOT NULL, "
       "user_name TEXT NOT NULL, device_tag TEXT NOT NULL, manufacturer TEXT NOT NULL, device_type TEXT NOT NULL, "
       "device_id TEXT NOT NULL, page TEXT NOT NULL, operation TEXT NOT NULL, write_code TEXT NOT NULL, "
       "outcome TEXT NOT NULL, outcome_text TEXT NOT NULL)",
       "CREATE INDEX device_changes_time ON device_changes (time_ms)",
       "CREATE TABLE changed_values (change_id BIGINT NOT NULL REFERENCES device_changes (id), "
       "position INTEGER NOT NULL, name TEXT NOT NULL, before_text TEXT NOT NULL, after_text TEXT NOT NULL, "
       "PRIMARY KEY (change_id, position))"},
      // 2: each record's own key, so that a record written again (kept over
      // a restart after its first write went unanswered) is stored once.
      // Records of version 1 have none.
      {"ALTER TABLE device_changes ADD COLUMN record_key TEXT",
       "CREATE UNIQUE INDEX device_changes_key ON device_changes (record_key)"},
      // 3: the plant list, one row per device (health 0 failure to 3 OK,
      // answering 0 or 1, pv NULL without a value), and each device's
      // records found without reading them all.
      {"CREATE TABLE plant_devices (manufacturer INTEGER NOT NULL, device_type INTEGER NOT NULL, "
       "device_id INTEGER NOT NULL, endpoint TEXT NOT NULL, sub_device INTEGER NOT NULL, tag TEXT NOT NULL, "
       "long_tag TEXT NOT NULL, health INTEGER NOT NULL, field_device_status INTEGER NOT NULL, pv DOUBLE PRECISION, "
       "unit TEXT NOT NULL, last_seen_ms BIGINT NOT NULL, answering INTEGER NOT NULL, "
       "PRIMARY KEY (manufacturer, device_type, device_id))",
       "CREATE INDEX device_changes_device ON device_changes (device_id, manufacturer, device_type)"},
  };
  return steps;
}

// The PostgreSQL advisory lock that lets one station migrate at a time.
constexpr long long kMigrationLock = 0x7a6f6c696e36;

QString IdColumn(Dialect dialect) {
  return dialect == Dialect::Sqlite ? "INTEGER PRIMARY KEY AUTOINCREMENT" : "BIGSERIAL PRIMARY KEY";
}

Error Failure(const char* what, const QSqlError& error) {
  return Error{std::string(what) + ": " + error.text().toStdString()};
}

}  // namespace

Result<int> ReadSchemaVersion(QSqlDatabase& db) {
  if (!db.tables().contains("history_schema")) return 0;
  QSqlQuery query(db);
  if (!query.exec("SELECT MAX(version) FROM history_schema"))
    return Failure("cannot read the history schema", query.lastError());
  return query.next() ? query.value(0).toInt() : 0;
}

Result<bool> MigrateSchema(QSqlDatabase& db, Dialect dialect) {
  static_assert(kSchemaVersion >= 1);
  const int last = static_cast<int>(Steps().size());
  for (;;) {
    Result<int> version = ReadSchemaVersion(db);
    if (!version) return version.error();
    if (*version > last) {
      return Error{"the history was written by a newer program (schema " + std::to_string(*version) + ")"};
    }
    if (*version == last) return true;
    if (!db.transaction()) return Failure("cannot migrate the history", db.lastError());
    QSqlQuery query(db);
    // Stations sharing a server that start together migrate one after the
    // other; the later finds the schema brought further and goes on from there.
    if (dialect == Dialect::PostgreSql) {
      Result<int> now = query.exec(QString("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLock))
                            ? ReadSchemaVersion(db)
                            : Failure("cannot migrate the history", query.lastError());
      if (!now || *now != *version) {
        db.rollback();
        if (!now) return now.error();
        continue;
      }
    }
    const int step = *version;
    QStringList statements;
    if (step == 0) statements << "CREATE TABLE history_schema (version INTEGER NOT NULL)";
    for (const char* statement : Steps()[step]) statements << QString(statement).replace("%ID%", IdColumn(dialect));
    statements << QString("INSERT INTO history_schema (version) VALUES (%1)").arg(step + 1);
    for (const QString& statement : statements) {
      if (!query.exec(statement)) {
        const QSqlError error = query.lastError();
        db.rollback();
        return Failure("cannot migrate the history", error);
      }
    }
    if (!db.commit()) return Failure("cannot migrate the history", db.lastError());
  }
}

}  // namespace zolin6::history
