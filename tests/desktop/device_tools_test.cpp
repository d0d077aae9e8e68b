// The trend, the recording and the History window in the real window over
// the real control, with the simulated transmitter behind the link tap.

#include <gtest/gtest.h>

#include <QDockWidget>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "desktop/device_tools.h"
#include "desktop/history_window.h"
#include "desktop/trend_chart.h"
#include "fakes/control_harness.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"

namespace zolin6::desktop {
namespace {

constexpr std::int64_t kEpoch = 1788000000000;  // the clock's 0, ms since 1970

class DeviceToolsTest : public ::testing::Test {
 protected:
  DeviceToolsTest() {
    window = std::make_unique<view::MainWindow>(*h.control, ZOLIN6_ASSETS_DIR);
    tools = std::make_unique<DeviceTools>(
        *window, *h.control, h.clock, tap, link::WallTime(h.clock, kEpoch),
        history::StoreLocation{"QSQLITE", folder.filePath("history.sqlite"), {}, {}, {}, -1});
    h.control->Init("invoke-1", "", tap);
    h.clock.advance(2000);
    window->show();
    QApplication::processEvents();
  }
  ~DeviceToolsTest() override {
    h.control->PrepareToRelease();
    tools.reset();
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
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_TRUE(table->item(0, 5)->text().contains(
      QString::fromStdString("Sensor 1 Upper Range Value: " + before + " \u2192 175.000")))
      << table->item(0, 5)->text().toStdString();
  EXPECT_EQ(table->item(0, 6)->text(), "accepted");
  EXPECT_TRUE(shown->exportTo(folder.filePath("export.csv")));

  // An open window shows the next change at once.
  h.type("cmbPVUnits", 0, "°F");
  h.Click("cmdChangeSensorUnit", 0);
  EXPECT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 6)->text(), "pending");
}

}  // namespace
}  // namespace zolin6::desktop
