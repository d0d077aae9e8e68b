#include "history/waiting_file.h"

#include <unistd.h>

#include <nlohmann/json.hpp>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>

#include "platform/atomic_file.h"

namespace zolin6::history {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kFormat = 1;

// The start of the names of the files kept for `location`: beside an SQLite
// file its own name; for a server, a digest of which server, user and
// database (a name that stays short and holds no password).
QString Prefix(const StoreLocation& location) {
  if (location.driver == "QSQLITE") return QFileInfo(location.database).fileName() + ".waiting-";
  const QString server =
      QString("%1|%2|%3|%4").arg(location.host).arg(location.port).arg(location.user, location.database);
  const QByteArray digest = QCryptographicHash::hash(server.toUtf8(), QCryptographicHash::Sha256);
  return "postgresql-" + QString::fromLatin1(digest.toHex().left(16)) + ".waiting-";
}

Json RecordJson(const Record& record) {
  Json values = Json::array();
  for (const ValueChange& value : record.values) values.push_back({value.name, value.before, value.after});
  return {{"key", record.key},
          {"time ms", record.timeUtc},
          {"user", record.user},
          {"device", {record.device.tag, record.device.manufacturer, record.device.deviceType, record.device.deviceId}},
          {"page", record.page},
          {"operation", record.operation},
          {"write code", record.writeCode},
          {"values", values},
          {"outcome", OutcomeName(record.outcome)},
          {"outcome text", record.outcomeText}};
}

// Throws the parser's type errors, which ParseWaiting turns into a result.
Record RecordOf(const Json& json) {
  Record record;
  record.key = json.at("key").get<std::string>();
  record.timeUtc = json.at("time ms").get<std::int64_t>();
  record.user = json.at("user").get<std::string>();
  const auto device = json.at("device").get<std::vector<std::string>>();
  record.device = {device.at(0), device.at(1), device.at(2), device.at(3)};
  record.page = json.at("page").get<std::string>();
  record.operation = json.at("operation").get<std::string>();
  record.writeCode = json.at("write code").get<std::string>();
  for (const auto& value : json.at("values").get<std::vector<std::vector<std::string>>>()) {
    record.values.push_back({value.at(0), value.at(1), value.at(2)});
  }
  if (!ParseOutcome(json.at("outcome").get<std::string>(), record.outcome)) throw std::out_of_range("outcome");
  record.outcomeText = json.at("outcome text").get<std::string>();
  return record;
}

}  // namespace

std::string WaitingFolder(const StoreLocation& location) {
  if (location.driver == "QSQLITE") return QFileInfo(location.database).absolutePath().toStdString();
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  QDir().mkpath(folder);
  return folder.toStdString();
}

std::string WaitingText(const StoreLocation& location, const std::vector<WaitingWrite>& writes) {
  Json list = Json::array();
  for (const WaitingWrite& write : writes) {
    list.push_back({{"write", write.insert ? "record" : "outcome"}, {"record", RecordJson(write.record)}});
  }
  const Json file{{"format", kFormat}, {"store", location.describe().toStdString()}, {"writes", list}};
  return file.dump(1) + "\n";
}

Result<std::vector<WaitingWrite>> ParseWaiting(std::string_view text) {
  // The parser's exceptions stay here: a damaged file becomes a result.
  try {
    const Json file = Json::parse(text);
    if (file.at("format").get<int>() != kFormat) return Error{"a format this program does not read"};
    std::vector<WaitingWrite> writes;
    for (const Json& write : file.at("writes")) {
      const std::string kind = write.at("write").get<std::string>();
      if (kind != "record" && kind != "outcome") return Error{"a write of an unknown kind: " + kind};
      writes.push_back({RecordOf(write.at("record")), kind == "record"});
    }
    return writes;
  } catch (const std::exception& error) {
    return Error{std::string("not a file of waiting history writes (") + error.what() + ")"};
  }
}

Result<std::string> KeepWaiting(const std::string& folder, const StoreLocation& location,
                                const std::vector<WaitingWrite>& writes) {
  static std::atomic<int> sequence{};
  // Sorted by name, the files are oldest first.
  const QString name = Prefix(location) + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-hhmmsszzz") +
                       QString("-%1-%2.json").arg(::getpid()).arg(sequence++, 6, 10, QChar('0'));
  const std::string path = QDir(QString::fromStdString(folder)).filePath(name).toStdString();
  if (Result<bool> written = platform::WriteFileAtomically(path, WaitingText(location, writes)); !written) {
    return written.error();
  }
  return path;
}

KeptWrites LoadWaiting(const std::string& folder, const StoreLocation& location) {
  KeptWrites kept;
  const QDir dir(QString::fromStdString(folder));
  for (const QString& name : dir.entryList({Prefix(location) + "*.json"}, QDir::Files, QDir::Name)) {
    const std::string path = dir.filePath(name).toStdString();
    Result<std::string> text = platform::ReadWholeFile(path);
    Result<std::vector<WaitingWrite>> writes =
        text ? ParseWaiting(*text) : Result<std::vector<WaitingWrite>>(text.error());
    if (!writes) {
      kept.problems.push_back(text ? path + ": " + writes.error().message : writes.error().message);
      continue;
    }
    kept.writes.insert(kept.writes.end(), writes->begin(), writes->end());
    kept.files.push_back(path);
  }
  return kept;
}

bool RemoveWaiting(const std::vector<std::string>& files) {
  bool all = true;
  for (const std::string& file : files) all = (::unlink(file.c_str()) == 0 || errno == ENOENT) && all;
  return all;
}

}  // namespace zolin6::history
