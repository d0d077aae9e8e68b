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
  };
  return steps;
}

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
  Result<int> version = ReadSchemaVersion(db);
  if (!version) return version.error();
  if (*version > static_cast<int>(Steps().size())) {
    return Error{"the history was written by a newer program (schema " + std::to_string(*version) + ")"};
  }
  for (int step = *version; step < static_cast<int>(Steps().size()); ++step) {
    if (!db.transaction()) return Failure("cannot migrate the history", db.lastError());
    QSqlQuery query(db);
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
  return true;
}

}  // namespace zolin6::history
