#pragma once
// The plant list in the device history's store: one row per field device,
// keyed by manufacturer, device type and device id, as the last survey or
// refresh that found it left it. Stations sharing a PostgreSQL history share
// the list. A device stays in the list until it is forgotten by name; a
// save only adds devices and updates the ones it carries.
//
// These run on the store's connection, on the history's own thread
// (history_worker.h reaches them from the window).

#include <vector>

#include "history/sql_store.h"
#include "plant/plant_row.h"
#include "platform/result.h"

class QSqlDatabase;

namespace zolin6::history {

// How many rows one INSERT carries: far below the bound parameters either
// database takes in one statement.
inline constexpr std::size_t kPlantRowsPerStatement = 50;

DeviceKey KeyOf(const plant::PlantDevice& device);
// The history's filter that lists exactly this device's records.
HistoryFilter DeviceHistory(const plant::PlantDevice& device);

// Stores the rows, inside the caller's transaction: a device not in the list is added, one
// in it takes the row's values (the last save wins). Of two rows of the same
// device, the later one counts.
Result<bool> SavePlantRows(QSqlDatabase& db, const std::vector<plant::PlantDevice>& devices);
// Every device of the list, by endpoint, then sub-device index.
Result<std::vector<plant::PlantDevice>> LoadPlantRows(QSqlDatabase& db);
// Removes one device from the list (its history stays); true also when it was not there.
Result<bool> ForgetPlantRow(QSqlDatabase& db, const DeviceKey& device);

}  // namespace zolin6::history
