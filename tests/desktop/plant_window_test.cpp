// The plant view: its sort and filters over the real table, a new list
// taken with the selection kept by device, a survey's rows going to the
// history's plant list, and its CSV export: the survey's own.

#include <gtest/gtest.h>

#include <QFile>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "../plant/served_plant.h"
#include "desktop/plant_backends.h"
#include "desktop/plant_window.h"
#include "plant/plant_csv.h"
#include "trend/csv.h"

namespace zolin6::desktop {
namespace {

plant::PlantDevice Device(std::uint32_t id, plant::Health health = plant::Health::Ok) {
  plant::PlantDevice device;
  device.endpoint = "hart-ip://10.0.0.5:5094";
  device.subDevice = static_cast<std::uint16_t>(id % 7);
  device.tag = "TT-" + std::to_string(id);
  device.manufacturer = 24593;
  device.deviceType = 58113;
  device.deviceId = id;
  device.health = health;
  device.pv = static_cast<float>(id) / 4.0F;
  device.unit = "°C";
  device.lastSeenUtc = 1788000000000 + id;
  return device;
}

// What stands in for the survey and the history: answers when the test says.
struct FakeScanner : PlantScanner {
  void survey(const std::string& path, PlantRows rows, PlantScanEvents events) override {
    surveyed = path;
    given = std::move(rows);
    pending = std::move(events);
  }
  void refresh(PlantRows rows, PlantScanEvents events) override { survey({}, std::move(rows), std::move(events)); }
  void cancel() override { pending.done(Error{"cancelled"}); }
  std::string surveyed;
  PlantRows given;
  PlantScanEvents pending;
};

struct FakeList : PlantListStore {
  void load(std::function<void(const Result<PlantRows>& rows)> loaded) override { loaded(kept); }
  void save(PlantRows rows, std::function<void(const Result<bool>& saved)> saved) override {
    kept = std::move(rows);
    ++saves;
    saved(true);
  }
  PlantRows kept;
  int saves = 0;
};

std::vector<std::uint32_t> ShownIds(const PlantWindow& window) {
  std::vector<std::uint32_t> ids;
  for (const plant::PlantDevice& device : window.rowsOnShow()) ids.push_back(device.deviceId);
  return ids;
}

TEST(PlantWindowTest, SortsNumbersAsNumbersAndTimesAsTimes) {
  PlantWindow window(nullptr, nullptr, {});
  window.showRows({Device(10), Device(9), Device(100)});
  for (PlantColumn column : {PlantColumn::DeviceId, PlantColumn::Pv, PlantColumn::LastSeen}) {
    window.view()->sortByColumn(static_cast<int>(column), Qt::AscendingOrder);
    EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{9, 10, 100})) << static_cast<int>(column);
    window.view()->sortByColumn(static_cast<int>(column), Qt::DescendingOrder);
    EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{100, 10, 9})) << static_cast<int>(column);
  }
  // A device without a value sorts after every value.
  PlantRows rows{Device(10), Device(9), Device(100)};
  rows[0].pv.reset();
  window.showRows(rows);
  window.view()->sortByColumn(static_cast<int>(PlantColumn::Pv), Qt::AscendingOrder);
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{9, 100, 10}));
  // Tags as a technician reads them, whatever their case.
  rows[0].tag = "tt-2";
  rows[1].tag = "TT-3";
  rows[2].tag = "TT-1";
  window.showRows(rows);
  window.view()->sortByColumn(static_cast<int>(PlantColumn::Tag), Qt::AscendingOrder);
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{100, 10, 9}));
}

TEST(PlantWindowTest, TheStatusFilterLetsThroughItsHealthOnly) {
  PlantWindow window(nullptr, nullptr, {});
  window.view()->sortByColumn(static_cast<int>(PlantColumn::DeviceId), Qt::AscendingOrder);
  window.showRows({Device(1, plant::Health::Failure), Device(2, plant::Health::MaintenanceRequired),
                   Device(3, plant::Health::ConfigurationChanged), Device(4)});
  const struct {
    HealthFilter filter;
    std::vector<std::uint32_t> shown;
  } cases[] = {
      {HealthFilter::All, {1, 2, 3, 4}},
      {HealthFilter::NotOk, {1, 2, 3}},
      {HealthFilter::Failure, {1}},
      {HealthFilter::MaintenanceRequired, {2}},
  };
  for (const auto& each : cases) {
    window.filter().setHealth(each.filter);
    EXPECT_EQ(ShownIds(window), each.shown) << static_cast<int>(each.filter);
  }
  // The text filter looks in every column, case aside, with the status filter.
  window.filter().setHealth(HealthFilter::NotOk);
  window.filter().setText("tt-2");
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{2}));
  window.filter().setText("maintenance");
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{2}));
  window.filter().setText("tt-4");
  EXPECT_TRUE(ShownIds(window).empty());
}

TEST(PlantWindowTest, ANewListKeepsTheSelectionByDevice) {
  PlantWindow window(nullptr, nullptr, {});
  PlantRows rows;
  for (std::uint32_t id = 1; id <= 1000; ++id) rows.push_back(Device(id));
  window.showRows(rows);
  window.selectKeys({KeyOf(rows[499])});
  QSignalSpy resets(&window.table(), &QAbstractItemModel::modelReset);

  // The same devices in the same places: only their cells change.
  rows[499].health = plant::Health::Failure;
  window.showRows(rows);
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(window.selectedKeys(), (std::unordered_set<PlantKey>{KeyOf(rows[499])}));
  EXPECT_EQ(window.table().rows()[499].health, plant::Health::Failure);

  // A new device first and one gone: the selected device is found where it now is.
  rows.insert(rows.begin(), Device(5000));
  rows.pop_back();
  window.showRows(rows);
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(window.table().rowOf(KeyOf(rows[500])), 500);
  EXPECT_EQ(window.selectedKeys(), (std::unordered_set<PlantKey>{KeyOf(rows[500])}));
  EXPECT_FALSE(window.table().rowOf(KeyOf(Device(1000))).has_value());
}

TEST(PlantWindowTest, ASurveyIsShownAndKeptInTheHistoryAndACancelKeepsTheList) {
  FakeScanner scanner;
  FakeList list;
  list.kept = {Device(1)};
  PlantWindow window(&scanner, &list, {});
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{1}));  // read from the history on opening

  window.setPlantFile("/plant/site.json");
  window.survey();
  EXPECT_EQ(scanner.surveyed, "/plant/site.json");
  EXPECT_EQ(scanner.given, list.kept);  // merged with the list on show
  scanner.pending.done(PlantRows{Device(1), Device(2)});
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(list.saves, 1);
  EXPECT_EQ(list.kept.size(), 2U);

  window.refresh();
  window.cancel();
  EXPECT_EQ(ShownIds(window), (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(list.saves, 1);
  EXPECT_TRUE(window.statusText().contains("cancelled"));
}

TEST(PlantWindowTest, TheCsvIsTheSurveysOfTheRowsOnShowWithTheViewsTexts) {
  QTemporaryDir folder;
  PlantWindow window(nullptr, nullptr, {});
  window.view()->sortByColumn(static_cast<int>(PlantColumn::DeviceId), Qt::DescendingOrder);
  plant::PlantDevice silent = Device(3, plant::Health::MaintenanceRequired);
  silent.pv = 21.456F;
  silent.answering = false;
  window.showRows({Device(1), silent, Device(2, plant::Health::Failure)});
  window.filter().setHealth(HealthFilter::NotOk);
  const QString path = folder.filePath("plant.csv");
  window.exportCsvTo(path);
  ASSERT_TRUE(QTest::qWaitFor([&window] { return window.statusText().startsWith("Exported"); }, 30000))
      << window.statusText().toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << window.statusText().toStdString();
  const std::string csv = file.readAll().toStdString();
  EXPECT_EQ(csv, plant::PlantCsv({silent, Device(2, plant::Health::Failure)}));

  // The view's cells read as the file's fields.
  const auto lines = trend::ParseCsv(csv);
  ASSERT_EQ(lines.size(), 3U);
  const QStringList cells = PlantCells(silent);
  const std::vector<std::string>& fields = lines[1];
  const std::pair<PlantColumn, std::size_t> same[] = {{PlantColumn::Tag, 2},        {PlantColumn::Manufacturer, 4},
                                                      {PlantColumn::DeviceType, 5}, {PlantColumn::DeviceId, 6},
                                                      {PlantColumn::Status, 7},     {PlantColumn::Unit, 10},
                                                      {PlantColumn::LastSeen, 11}};
  for (const auto& [column, field] : same) {
    EXPECT_EQ(cells[static_cast<int>(column)].toStdString(), fields.at(field)) << field;
  }
  EXPECT_EQ(cells[static_cast<int>(PlantColumn::Endpoint)], "hart-ip://10.0.0.5:5094/3");

  const QString pdf = folder.filePath("plant.pdf");
  window.exportPdfTo(pdf);
  ASSERT_TRUE(QTest::qWaitFor([&window, &pdf] { return window.statusText() == "Exported to " + pdf; }, 30000))
      << window.statusText().toStdString();
  QFile printed(pdf);
  ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
  EXPECT_TRUE(printed.read(5) == "%PDF-");
  silent.endpoint = "hart-ip://10.0.0.5:5094?udp";
  EXPECT_EQ(ConnectionText(silent), "hart-ip://10.0.0.5:5094/3?udp");
}

// The window's survey is the one `zolin6 --survey` runs, here against an
// I/O system served on loopback; a row's connection text names its device.
TEST(PlantWindowTest, SurveysTheDevicesBehindAnIoSystem) {
  plant::testing::ServedGateway gateway(3);
  QTemporaryDir folder;
  const QString file = folder.filePath("plant.json");
  QFile json(file);
  ASSERT_TRUE(json.open(QIODevice::WriteOnly));
  json.write(QString(R"({"endpoints": ["%1"]})").arg(QString::fromStdString(gateway.address())).toUtf8());
  json.close();
  SurveyScanner scanner;
  FakeList list;
  PlantWindow window(&scanner, &list, {});
  window.setPlantFile(file);
  window.survey();
  ASSERT_TRUE(QTest::qWaitFor([&list] { return list.saves == 1; }, 30000)) << window.statusText().toStdString();
  ASSERT_EQ(window.table().rows().size(), 3U);
  EXPECT_EQ(window.table().rows(), list.kept);
  for (const plant::PlantDevice& device : list.kept) {
    const Result<transport::ConnectionTarget> target = transport::ParseConnection(ConnectionText(device).toStdString());
    ASSERT_TRUE(target) << target.error().message;
    EXPECT_TRUE(target->behindIoSystem());
  }
}

}  // namespace
}  // namespace zolin6::desktop
