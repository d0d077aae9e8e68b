#include "history/store_location.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace zolin6::history {

QString StoreLocation::describe() const {
  if (driver == "QSQLITE") return database;
  return QString("postgresql://%1@%2/%3").arg(user, host, database);
}

Result<StoreLocation> ParseStoreLocation(std::string_view text) {
  const QString given = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  if (given.isEmpty()) return Error{"the history location is empty"};
  if (!given.startsWith("postgresql://") && !given.startsWith("postgres://")) {
    return StoreLocation{"QSQLITE", given, {}, {}, {}, -1};
  }
  const QUrl url(given, QUrl::StrictMode);
  StoreLocation location{"QPSQL", url.path().mid(1), url.host(), url.userName(), url.password(), url.port(-1)};
  const QUrlQuery query(url);
  if (query.hasQueryItem("host")) location.host = query.queryItemValue("host", QUrl::FullyDecoded);
  if (!url.isValid() || location.database.isEmpty() || location.database.contains('/') || location.user.isEmpty()) {
    return Error{"the history location must be postgresql://USER@HOST/DB, not " + std::string(text)};
  }
  return location;
}

StoreLocation DefaultStoreLocation() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(folder);
  return {"QSQLITE", QDir(folder).filePath("history.sqlite"), {}, {}, {}, -1};
}

}  // namespace zolin6::history
