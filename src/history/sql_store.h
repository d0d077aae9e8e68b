#pragma once
// The device history in a database through Qt SQL: the same schema and the
// same queries for the SQLite file and for a shared PostgreSQL server. The
// schema carries its version and is brought up to date when the store
// opens. Every record is written in one transaction of its own.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "history/record_store.h"
#include "history/store_location.h"

class QSqlDatabase;

namespace zolin6::plant {
struct PlantDevice;
}

namespace zolin6::history {

// The schema version this program writes.
inline constexpr int kSchemaVersion = 3;

// Which records to list; empty fields do not filter.
struct HistoryFilter {
  std::string device;                // part of the tag or the device id
  std::optional<std::int64_t> from;  // first moment, ms since 1970 UTC
  std::optional<std::int64_t> to;    // last moment, ms since 1970 UTC
  std::optional<Outcome> outcome;
  // Exactly this device's records (by manufacturer, device type and device
  // id as read from it), whatever its tag was.
  std::optional<DeviceKey> exactDevice = std::nullopt;
};

class SqlHistoryStore : public RecordStore {
 public:
  // Does not open anything yet: a server that is away now may be there for
  // the first record.
  explicit SqlHistoryStore(StoreLocation location);
  ~SqlHistoryStore() override;
  SqlHistoryStore(const SqlHistoryStore&) = delete;
  SqlHistoryStore& operator=(const SqlHistoryStore&) = delete;

  // Opens the database (when not open) and migrates its schema.
  Result<bool> Open();

  Result<std::int64_t> Insert(const Record& record) override;
  Result<bool> Complete(const Record& record) override;
  // The records, newest first, with their values.
  Result<std::vector<Record>> List(const HistoryFilter& filter);

  // The plant list (plant_store.h): a survey's rows stored in one
  // transaction, all rows read back, one device removed.
  Result<bool> SavePlant(const std::vector<plant::PlantDevice>& devices);
  Result<std::vector<plant::PlantDevice>> LoadPlant();
  Result<bool> ForgetDevice(const DeviceKey& device);

  Result<int> SchemaVersion();
  const StoreLocation& location() const { return location_; }

 private:
  QSqlDatabase database() const;
  Result<bool> Migrate();
  void Drop();

  StoreLocation location_;
  QString connection_;
  bool open_ = false;
};

}  // namespace zolin6::history
