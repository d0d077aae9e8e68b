// The trend, the recording and the History window in the real window over
// the real control, with the simulated transmitter behind the link tap; the
// history also on a PostgreSQL server that hangs.

#include <gtest/gtest.h>

#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "../history/pg_server.h"
#include "desktop/device_tools.h"
#include "desktop/history_window.h"
#include "desktop/traffic_dock.h"
#include "desktop/trend_chart.h"
#include "fakes/control_harness.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"

namespace zolin6::desktop {
namespace {

constexpr std::int64_t kEpoch = 1788000000000;  // the clock's 0, ms since 1970

// Waits (at most 30 s) for what the history's thread delivers.
constexpr int kDeliveryBoundMs = 30000;

class DeviceToolsTest : public ::testing::Test {
 protected:
  DeviceToolsTest() {
    // A server's records kept at the end go to the user's data folder: a
    // folder of the test's own.
    qputenv("XDG_DATA_HOME", folder.filePath("data").toLocal8Bit());
    window = std::make_unique<view::MainWindow>(*h.control, ZOLIN6_ASSETS_DIR);
  }
  ~DeviceToolsTest() override {
    h.control->PrepareToRelease();
    tools.reset();
  }
  void SetUp() override { Open({"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1}); }

  void Open(const history::StoreLocation& location) {
    MakeTools(location);
    h.control->Init("invoke-1", "", tap);
    h.clock.advance(2000);
    window->show();
    QApplication::processEvents();
  }

  void MakeTools(const history::StoreLocation& location) {
    tools = std::make_unique<DeviceTools>(*window, *h.control, h.clock, tap, link::WallTime(h.clock, kEpoch), location);
  }

  // A range write through the page, answered by the device.
  void WriteRange(const char* value) {
    h.ClickTree("Configuration");
    h.clock.advance(1000);
    h.type("txtParameter", 40, value);
    h.Click("cmdWriteParameter");
    h.clock.advance(3000);
  }

  QStringList Actions(const QString& menu) {
    QStringList names;
    for (QAction* action : window->menu(menu)->actions()) names << action->objectName();
    return names;
  }

  QTemporaryDir folder;
  fakes::ControlHarness h;
  std::shared_ptr<transport::SimulatedDevice> sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  std::shared_ptr<link::LinkTap> tap = link::LinkTap::Wrap(sim);
  std::unique_ptr<view::MainWindow> window;
  std::unique_ptr<DeviceTools> tools;
};

TEST_F(DeviceToolsTest, MenusCarryTheCommandsAndHelpStaysLast) {
  EXPECT_EQ(Actions("File"), (QStringList{"actionStartRecording", "actionStopRecording"}));
  EXPECT_EQ(Actions("View"), (QStringList{"actionTrend", "actionHistory"}));
  window->menu("Tools");  // a later feature's menu
  QStringList titles;
  for (QAction* action : window->menuBar()->actions()) titles << action->text();
  EXPECT_EQ(titles, (QStringList{"&File", "&Device", "&View", "&Tools", "&Help"}));
}

TEST_F(DeviceToolsTest, ThePublishedRateStandsBesideTheObservePageWhileTheDevicePublishes) {
  h.ClickTree("Observe");
  auto& burst = sim->transmitter().mutableState().bursts[0];
  burst.control = 1;
  burst.updatePeriod = 500 * 32;
  sim->link().WakeBursts();
  h.clock.advance(3000);
  QApplication::processEvents();
  auto* rate = window->findChild<QLabel*>("PublishedRate");
  EXPECT_TRUE(rate->isVisible());
  EXPECT_EQ(rate->text(), "published every 0.5 s");
  burst.control = 0;
  sim->link().WakeBursts();
  h.clock.advance(2000);
  QApplication::processEvents();
  EXPECT_FALSE(rate->isVisible()) << rate->text().toStdString();
}

// The observation page opens the trend: one line per value, one axis per
// unit, and a broken sensor breaks its line instead of dropping to zero.
TEST_F(DeviceToolsTest, TheTrendFollowsTheObservationPage) {
  h.ClickTree("Observe");
  h.clock.advance(10000);
  QApplication::processEvents();
  ASSERT_TRUE(tools->trendDock()->isVisible());
  TrendChart* chart = window->findChild<TrendChart*>("TrendChart");
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->valueAxes(), 3);  // mA, %, °C
  ASSERT_EQ(chart->pieces("PV [°C]").size(), 1U);
  EXPECT_GE(chart->pieces("PV [°C]").front()->count(), 3);

  sim->transmitter().SetBroken(1, true);
  h.clock.advance(10000);
  sim->transmitter().SetBroken(1, false);
  h.clock.advance(10000);
  const std::vector<QLineSeries*> pieces = chart->pieces("PV [°C]");
  ASSERT_EQ(pieces.size(), 2U);
  EXPECT_LT(pieces[0]->points().back().x(), pieces[1]->points().front().x());
  for (QLineSeries* piece : pieces) {
    for (const QPointF& point : piece->points()) EXPECT_NE(point.y(), 0.0);
  }
}

// Both docks open on a 1024 x 700 screen: the window's least size still fits,
// so no dock pushes the trend or the status bar off the screen, and the
// trend keeps a height a line can be read in.
TEST_F(DeviceToolsTest, EveryDockOpenTheWindowFitsASmallScreen) {
  TrafficDock traffic(*window, link::WallTime(h.clock, kEpoch));
  traffic.dock()->show();
  h.ClickTree("Observe");
  h.clock.advance(10000);
  window->resize(1024, 700);
  QApplication::processEvents();
  ASSERT_TRUE(tools->trendDock()->isVisible());
  const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
  EXPECT_LE(least.width(), 1024);
  EXPECT_LE(least.height(), 700);
  EXPECT_EQ(window->size(), QSize(1024, 700));
  EXPECT_GE(tools->trendDock()->height(), 150);
}

TEST_F(DeviceToolsTest, RecordingShowsItsFileInTheStatusBar) {
  const QString path = folder.filePath("session.csv");
  ASSERT_TRUE(tools->startRecording(path));
  h.ClickTree("Observe");
  h.clock.advance(10000);
  auto* status = window->findChild<QLabel*>("RecordingStatus");
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->isVisible());
  EXPECT_TRUE(status->text().startsWith("Recording session.csv (")) << status->text().toStdString();
  tools->stopRecording();
  EXPECT_FALSE(status->isVisible());
  EXPECT_GT(QFileInfo(path).size(), 100);
}

TEST_F(DeviceToolsTest, TheHistoryWindowListsAWriteWithItsValues) {
  h.ClickTree("Configuration");
  h.clock.advance(1000);
  const std::string before = h.text("txtParameter", 40);
  h.type("txtParameter", 40, "175");
  h.Click("cmdWriteParameter");
  h.clock.advance(3000);
  HistoryWindow* shown = tools->showHistory();
  auto* table = shown->findChild<QTableWidget*>("historyTable");
  ASSERT_NE(table, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([table] { return table->rowCount() == 1; }, kDeliveryBoundMs));
  EXPECT_TRUE(table->item(0, 5)->text().contains(
      QString::fromStdString("Sensor 1 Upper Range Value: " + before + " \u2192 175.000")))
      << table->item(0, 5)->text().toStdString();
  EXPECT_EQ(table->item(0, 6)->text(), "accepted");
  EXPECT_TRUE(shown->exportTo(folder.filePath("export.csv")));
  // The printed list carries every value, written off the window's thread.
  shown->exportPdfTo(folder.filePath("history.pdf"));
  auto* said = shown->findChild<QLabel*>("historyStatus");
  ASSERT_TRUE(QTest::qWaitFor([said] { return said->text().startsWith("Exported"); }, kDeliveryBoundMs))
      << said->text().toStdString();
  QProcess text;
  text.start("pdftotext", {folder.filePath("history.pdf"), "-"});
  ASSERT_TRUE(text.waitForFinished(10000));
  const QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
  EXPECT_TRUE(printed.contains("Sensor 1 Upper Range Value")) << printed.toStdString();

  // An open window shows the next change as it happens.
  h.type("cmbPVUnits", 0, "°F");
  h.Click("cmdChangeSensorUnit", 0);
  ASSERT_TRUE(QTest::qWaitFor([table] { return table->rowCount() == 2; }, kDeliveryBoundMs));
  EXPECT_EQ(table->item(0, 6)->text(), "pending");
}

// A full disk stops the recording when it happens, and says so.
TEST_F(DeviceToolsTest, ARecordingThatCannotBeWrittenStopsAtOnce) {
  ASSERT_TRUE(tools->startRecording("/dev/full"));
  h.ClickTree("Observe");
  h.clock.advance(10000);  // lines, and a flush due
  QApplication::processEvents();
  EXPECT_NE(window->findChild<QMessageBox*>("RecordingProblem"), nullptr);
  EXPECT_EQ(window->statusBar()->currentMessage(),
            "Recording stopped: cannot write /dev/full: No space left on device");
  EXPECT_FALSE(tools->recording());
}

// The window over a history server that hangs: it goes on, shows what
// waits, and at the end keeps it for the next start.
class HungHistoryServer : public DeviceToolsTest {
 protected:
  void SetUp() override {
    std::string why;
    server = history::testing::PgServer::Get(why);
    ASSERT_NE(server, nullptr) << why;
    location = server->NewDatabase(why);
    ASSERT_TRUE(why.empty()) << why;
    Open(location);
    WriteRange("120");  // the connection is open
    ASSERT_TRUE(QTest::qWaitFor([this] { return tools->historyWaiting() == 0; }, kDeliveryBoundMs));
    ASSERT_TRUE(server->Pause(why)) << why;
  }
  void TearDown() override {
    if (server != nullptr) server->Resume();
  }

  history::testing::PgServer* server = nullptr;
  history::StoreLocation location;
};

TEST_F(HungHistoryServer, TheWindowGoesOn) {
  WriteRange("130");  // does not wait for the server
  EXPECT_EQ(h.text("txtParameter", 40), "130.000");
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(10);
  HistoryWindow* shown = tools->showHistory();
  auto* status = window->findChild<QLabel*>("HistoryStatus");
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 50 && status->isVisible(); }, kDeliveryBoundMs));
  const std::size_t waiting = tools->historyWaiting();  // the record, and maybe its outcome apart
  EXPECT_GE(waiting, 1U);
  EXPECT_EQ(status->text(), QString("History: %1 waiting").arg(waiting));
  EXPECT_EQ(shown->findChild<QLabel*>("historyStatus")->text(), "Reading the history\u2026");

  server->Resume();
  auto* table = shown->findChild<QTableWidget*>("historyTable");
  ASSERT_TRUE(QTest::qWaitFor([table] { return table->rowCount() == 2; }, kDeliveryBoundMs));
  ASSERT_TRUE(QTest::qWaitFor([status] { return !status->isVisible(); }, kDeliveryBoundMs));
}

TEST_F(HungHistoryServer, WhatWaitsAtTheEndIsKeptForTheNextStart) {
  WriteRange("130");
  const std::string said = tools->closeHistory();
  EXPECT_NE(said.find("1 record of the device history could not be stored"), std::string::npos) << said;
  EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), said);
  const std::string kept = said.substr(said.find("kept in ") + 8, said.find(" and stored") - said.find("kept in ") - 8);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(kept))) << kept;

  server->Resume();
  tools.reset();
  MakeTools(location);  // the next start
  HistoryWindow* shown = tools->showHistory();
  auto* table = shown->findChild<QTableWidget*>("historyTable");
  ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 2 && !QFile::exists(QString::fromStdString(kept)); },
                              kDeliveryBoundMs));
  EXPECT_EQ(table->item(0, 6)->text(), "accepted");
}

}  // namespace
}  // namespace zolin6::desktop
