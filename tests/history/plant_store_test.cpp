// The plant list in the history's store: shared by two stations on one
// PostgreSQL database, kept whole in an SQLite file, and kept in memory
// when the store does not take it.

#include <QDir>
#include <chrono>

#include "device_bench.h"
#include "history/history_worker.h"
#include "history/plant_store.h"

namespace zolin6::history::testing {
namespace {

using namespace std::chrono_literals;

plant::PlantDevice Device(std::uint32_t id, const std::string& endpoint, std::uint16_t subDevice,
                          std::optional<float> pv) {
  plant::PlantDevice device;
  device.endpoint = endpoint;
  device.subDevice = subDevice;
  device.tag = "TT-" + std::to_string(id);
  device.longTag = "Reactor " + std::to_string(id) + " outlet";
  device.manufacturer = 0x6011;
  device.deviceType = 0xE2A0;
  device.deviceId = id;
  device.health = plant::Health::MaintenanceRequired;
  device.fieldDeviceStatus = 0x10;
  device.pv = pv;
  device.unit = pv ? "°C" : "";
  device.lastSeenUtc = kEpoch + id;
  device.answering = id % 2 == 0;
  return device;
}

// What a worker answers, once it answers.
template <class T>
Result<T> Await(const std::function<void(std::function<void(const Result<T>&)>)>& ask) {
  std::optional<Result<T>> answer;
  ask([&answer](const Result<T>& got) { answer = got; });
  if (!RunUntil([&answer] { return answer.has_value(); })) return Error{"no answer"};
  return *answer;
}

Result<bool> Save(HistoryWorker& worker, const std::vector<plant::PlantDevice>& devices) {
  return Await<bool>([&](HistoryWorker::PlantSaved saved) { worker.SavePlant(devices, std::move(saved)); });
}

Result<std::vector<plant::PlantDevice>> Load(HistoryWorker& worker) {
  return Await<std::vector<plant::PlantDevice>>(
      [&](HistoryWorker::PlantLoaded loaded) { worker.LoadPlant(std::move(loaded)); });
}

TEST(PlantStore, TwoStationsOnOneServerShareTheList) {
  StoreFolder folder;
  const StoreLocation location = folder.NewStore(Backend::PostgreSql);
  HistoryWorker a(location, {folder.folder.filePath("a").toStdString()}, {});
  HistoryWorker b(location, {folder.folder.filePath("b").toStdString()}, {});
  std::vector<plant::PlantDevice> devices{Device(12, "hart-ip://10.0.0.7:5094", 0, 21.5F),
                                          Device(11, "hart-ip://10.0.0.5:5094", 3, 80.25F),
                                          Device(10, "hart-ip://10.0.0.5:5094", 1, std::nullopt)};
  Result<bool> saved = Save(a, devices);
  ASSERT_TRUE(saved) << saved.error().message;
  Result<std::vector<plant::PlantDevice>> seen = Load(b);
  ASSERT_TRUE(seen) << seen.error().message;
  EXPECT_EQ(*seen, (std::vector<plant::PlantDevice>{devices[2], devices[1], devices[0]}));

  plant::PlantDevice failed = devices[1];
  failed.health = plant::Health::Failure;
  failed.pv = -12.75F;
  failed.answering = false;
  const plant::PlantDevice found = Device(13, "hart-ip://10.0.0.5:5094", 2, 5.0F);
  ASSERT_TRUE(Save(b, {failed, found}));
  seen = Load(a);
  ASSERT_TRUE(seen) << seen.error().message;
  EXPECT_EQ(*seen, (std::vector<plant::PlantDevice>{devices[2], found, failed, devices[0]}));
}

// Enough rows for several statements; a device named twice counts once, by
// its later row; a save keeps the devices it does not carry; a device is
// forgotten only when asked.
TEST(PlantStore, AnSqliteFileKeepsEveryDevice) {
  StoreFolder folder;
  SqlHistoryStore store(folder.NewStore(Backend::Sqlite));
  std::vector<plant::PlantDevice> devices;
  for (std::uint32_t id = 0; id < 2 * kPlantRowsPerStatement + 7; ++id) {
    devices.push_back(Device(id, "hart-ip://plant-" + std::to_string(id % 3), static_cast<std::uint16_t>(id),
                             id % 5 == 0 ? std::nullopt : std::optional<float>(0.1F * static_cast<float>(id))));
  }
  plant::PlantDevice earlier = devices[4];
  earlier.tag = "OLD";
  devices.insert(devices.begin(), earlier);
  ASSERT_TRUE(store.SavePlant(devices));
  devices.erase(devices.begin());
  plant::PlantDevice again = devices[7];
  again.health = plant::Health::Ok;
  ASSERT_TRUE(store.SavePlant({again}));
  devices[7] = again;
  ASSERT_TRUE(store.ForgetDevice(KeyOf(devices[9])));
  devices.erase(devices.begin() + 9);

  Result<std::vector<plant::PlantDevice>> loaded = SqlHistoryStore(store.location()).LoadPlant();
  ASSERT_TRUE(loaded) << loaded.error().message;
  std::sort(devices.begin(), devices.end(), [](const plant::PlantDevice& x, const plant::PlantDevice& y) {
    return std::tie(x.endpoint, x.subDevice) < std::tie(y.endpoint, y.subDevice);
  });
  EXPECT_EQ(*loaded, devices);
  EXPECT_FALSE(loaded->front().pv.has_value());  // "plant-0", device 0
}

// A store that is away: the save is said to have failed, in words, and its
// rows are stored with the next save once the store is back.
TEST(PlantStore, RowsTheStoreDidNotTakeGoWithTheNextSave) {
  QTemporaryDir folder;
  const QString missing = folder.filePath("not yet");
  const StoreLocation location{"QSQLITE", missing + "/history.sqlite", {}, {}, {}, -1};
  HistoryWorker worker(location, {folder.path().toStdString(), false}, {});
  const plant::PlantDevice first = Device(1, "hart-ip://a", 0, 1.0F);
  Result<bool> failed = Save(worker, {first});
  ASSERT_FALSE(failed);
  EXPECT_NE(failed.error().message.find("the plant list could not be stored (cannot open the history"),
            std::string::npos)
      << failed.error().message;
  EXPECT_NE(failed.error().message.find("1 device waits for the next save"), std::string::npos);

  ASSERT_TRUE(QDir().mkpath(missing));
  const plant::PlantDevice second = Device(2, "hart-ip://b", 0, 2.0F);
  ASSERT_TRUE(Save(worker, {second}));
  Result<std::vector<plant::PlantDevice>> loaded = Load(worker);
  ASSERT_TRUE(loaded) << loaded.error().message;
  EXPECT_EQ(*loaded, (std::vector<plant::PlantDevice>{first, second}));
  EXPECT_EQ(worker.Stop().Describe(), "");
}

}  // namespace
}  // namespace zolin6::history::testing
