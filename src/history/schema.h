#pragma once
// The history's tables and their migrations. The schema version is a row of
// its own table; each migration step brings it one version further, inside
// one transaction, so a store is never left between two versions.

#include <QSqlDatabase>

#include "platform/result.h"

namespace zolin6::history {

// The only difference between the two databases: how a table gets its ids.
enum class Dialect { Sqlite, PostgreSql };

// The version of the schema in the database; 0 for an empty database.
Result<int> ReadSchemaVersion(QSqlDatabase& db);

// Brings the schema to the version this program writes; refuses a database
// that a newer program has migrated further.
Result<bool> MigrateSchema(QSqlDatabase& db, Dialect dialect);

}  // namespace zolin6::history
