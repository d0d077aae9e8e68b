#include "history/plant_store.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <map>
#include <tuple>

namespace zolin6::history {

namespace {

// The health is kept as its rank, worst first, as plant_row.h orders it.
static_assert(static_cast<int>(plant::Health::Failure) == 0 && static_cast<int>(plant::Health::Ok) == 3);

plant::Health HealthOfRank(int rank) {
  // A rank this program does not know is shown as the worst.
  if (rank < 0 || rank > static_cast<int>(plant::Health::Ok)) return plant::Health::Failure;
  return static_cast<plant::Health>(rank);
}

const char* const kColumns =
    "manufacturer, device_type, device_id, endpoint, sub_device, tag, long_tag, health, field_device_status, pv, "
    "unit, last_seen_ms, answering";
constexpr int kColumnCount = 13;

Error Failure(const char* what, const QSqlError& error) {
  return Error{std::string(what) + ": " + error.text().toStdString()};
}

// "INSERT ... VALUES (?, ...), ... ON CONFLICT ... DO UPDATE" for `rows` rows.
QString Upsert(std::size_t rows) {
  QStringList placeholders;
  for (int i = 0; i < kColumnCount; ++i) placeholders << "?";
  const QString row = "(" + placeholders.join(", ") + ")";
  QStringList values;
  for (std::size_t i = 0; i < rows; ++i) values << row;
  QStringList updates;
  for (const QString& column : QString(kColumns).split(", ").mid(3)) updates << column + " = excluded." + column;
  return QString(
             "INSERT INTO plant_devices (%1) VALUES %2 ON CONFLICT (manufacturer, device_type, device_id) "
             "DO UPDATE SET %3")
      .arg(kColumns, values.join(", "), updates.join(", "));
}

void Bind(QSqlQuery& query, const plant::PlantDevice& d) {
  query.addBindValue(static_cast<int>(d.manufacturer));
  query.addBindValue(static_cast<int>(d.deviceType));
  query.addBindValue(static_cast<int>(d.deviceId));
  query.addBindValue(QString::fromStdString(d.endpoint));
  query.addBindValue(static_cast<int>(d.subDevice));
  query.addBindValue(QString::fromStdString(d.tag));
  query.addBindValue(QString::fromStdString(d.longTag));
  query.addBindValue(static_cast<int>(d.health));
  query.addBindValue(static_cast<int>(d.fieldDeviceStatus));
  query.addBindValue(d.pv ? QVariant(static_cast<double>(*d.pv)) : QVariant(QMetaType::fromType<double>()));
  query.addBindValue(QString::fromStdString(d.unit));
  query.addBindValue(QVariant::fromValue<qint64>(d.lastSeenUtc));
  query.addBindValue(d.answering ? 1 : 0);
}

plant::PlantDevice Row(const QSqlQuery& q) {
  plant::PlantDevice d;
  d.manufacturer = static_cast<std::uint16_t>(q.value(0).toUInt());
  d.deviceType = static_cast<std::uint16_t>(q.value(1).toUInt());
  d.deviceId = q.value(2).toUInt();
  d.endpoint = q.value(3).toString().toStdString();
  d.subDevice = static_cast<std::uint16_t>(q.value(4).toUInt());
  d.tag = q.value(5).toString().toStdString();
  d.longTag = q.value(6).toString().toStdString();
  d.health = HealthOfRank(q.value(7).toInt());
  d.fieldDeviceStatus = static_cast<std::uint8_t>(q.value(8).toUInt());
  if (!q.value(9).isNull()) d.pv = static_cast<float>(q.value(9).toDouble());
  d.unit = q.value(10).toString().toStdString();
  d.lastSeenUtc = q.value(11).toLongLong();
  d.answering = q.value(12).toInt() != 0;
  return d;
}

}  // namespace

DeviceKey KeyOf(const plant::PlantDevice& device) { return {device.manufacturer, device.deviceType, device.deviceId}; }

HistoryFilter DeviceHistory(const plant::PlantDevice& device) {
  HistoryFilter filter;
  filter.exactDevice = KeyOf(device);
  return filter;
}

Result<bool> SavePlantRows(QSqlDatabase& db, const std::vector<plant::PlantDevice>& devices) {
  // One row per device, in key order: one statement never names a device
  // twice, and two stations saving at once lock the rows in the same order.
  std::map<DeviceKey, const plant::PlantDevice*> byKey;
  for (const plant::PlantDevice& device : devices) byKey[KeyOf(device)] = &device;
  std::vector<const plant::PlantDevice*> rows;
  rows.reserve(byKey.size());
  for (const auto& [key, device] : byKey) rows.push_back(device);

  QSqlQuery query(db);
  std::size_t prepared = 0;  // rows of the statement prepared
  for (std::size_t first = 0; first < rows.size(); first += kPlantRowsPerStatement) {
    const std::size_t count = std::min(kPlantRowsPerStatement, rows.size() - first);
    if (count != prepared && !query.prepare(Upsert(count))) {
      return Failure("cannot store the plant list", query.lastError());
    }
    prepared = count;
    for (std::size_t i = first; i < first + count; ++i) Bind(query, *rows[i]);
    if (!query.exec()) return Failure("cannot store the plant list", query.lastError());
  }
  query.finish();
  return true;
}

Result<std::vector<plant::PlantDevice>> LoadPlantRows(QSqlDatabase& db) {
  QSqlQuery select(db);
  select.setForwardOnly(true);
  if (!select.exec(QString("SELECT %1 FROM plant_devices").arg(kColumns))) {
    return Failure("cannot read the plant list", select.lastError());
  }
  std::vector<plant::PlantDevice> devices;
  while (select.next()) devices.push_back(Row(select));
  // Sorted here rather than by the database, whose text order depends on its
  // collation: every station shows the same order.
  std::sort(devices.begin(), devices.end(), [](const plant::PlantDevice& a, const plant::PlantDevice& b) {
    const DeviceKey keyA = KeyOf(a);
    const DeviceKey keyB = KeyOf(b);
    return std::tie(a.endpoint, a.subDevice, keyA) < std::tie(b.endpoint, b.subDevice, keyB);
  });
  return devices;
}

Result<bool> ForgetPlantRow(QSqlDatabase& db, const DeviceKey& device) {
  QSqlQuery remove(db);
  remove.prepare("DELETE FROM plant_devices WHERE manufacturer = ? AND device_type = ? AND device_id = ?");
  remove.addBindValue(static_cast<int>(device.manufacturer));
  remove.addBindValue(static_cast<int>(device.deviceType));
  remove.addBindValue(static_cast<int>(device.deviceId));
  if (!remove.exec()) return Failure("cannot remove a device from the plant list", remove.lastError());
  return true;
}

}  // namespace zolin6::history
