// The configuration files in the real window over the real control, with the
// simulated transmitter behind the link tap and the window's clock running:
// the off-line pages, the comparison and a download with its sheet.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

#include "configuration/config_file.h"
#include "desktop/compare_dialog.h"
#include "desktop/configuration_commands.h"
#include "desktop/offline_values_page.h"
#include "desktop/prompter.h"
#include "fakes/control_harness.h"
#include "platform/atomic_file.h"
#include "transport/event_loop_clock.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"

namespace zolin6::desktop {
namespace {

class ConfigurationCommandsTest : public ::testing::Test {
 protected:
  ConfigurationCommandsTest() {
    sim->SetLatency(2);
    window = std::make_unique<view::MainWindow>(*h.control, ZOLIN6_ASSETS_DIR);
    prompter = std::make_unique<Prompter>(*window);
    prompter->answerFirst([this](const QString& title, const QString&, const QString&) { questions << title; });
    files = std::make_unique<ConfigurationCommands>(*window, h.clock, tap, *prompter);
    h.control->Init("invoke-1", "", tap);
    h.clock.advance(2000);
    window->show();
    QApplication::processEvents();
  }
  ~ConfigurationCommandsTest() override { h.control->PrepareToRelease(); }

  QString Path(const QString& name) const { return folder.filePath(name); }
  // The device's configuration in a file, with `change` made to it.
  QString SavedDevice(const QString& name, const std::function<void(configuration::Configuration&)>& change) {
    EXPECT_TRUE(files->saveConfiguration(Path(name)));
    auto loaded = configuration::LoadConfiguration(Path(name).toStdString());
    configuration::Configuration changed = loaded ? *loaded : configuration::Configuration{};
    change(changed);
    EXPECT_TRUE(configuration::SaveConfiguration(Path(name).toStdString(), changed));
    return Path(name);
  }
  QString StatusText() const { return window->findChild<QLabel*>("ConfigurationStatus")->text(); }

  QTemporaryDir folder;
  fakes::ControlHarness h;
  transport::EventLoopClock ticker{h.clock};
  std::shared_ptr<transport::SimulatedDevice> sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  std::shared_ptr<link::LinkTap> tap = link::LinkTap::Wrap(sim);
  std::unique_ptr<view::MainWindow> window;
  std::unique_ptr<Prompter> prompter;
  QStringList questions;  // the titles of the window's questions, answered with their first choice
  std::unique_ptr<ConfigurationCommands> files;
};

TEST_F(ConfigurationCommandsTest, AnOpenFileIsEditedOnTheOffLinePagesAndSavedAgain) {
  const QString path = SavedDevice("plant.json", [](auto& c) { c.values["channel 2.sensor type"] = std::int64_t{3}; });
  ASSERT_TRUE(files->openConfiguration(path));
  EXPECT_TRUE(window->windowTitle().startsWith("plant.json"));
  auto* type = window->findChild<QComboBox*>("cmbOffLineSensorType(2)");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->currentText().toStdString(), configuration::CodeText(configuration::Enumeration::SensorType, 3));
  EXPECT_GT(type->count(), 1);  // the on-line list

  // A choice on an off-line page changes the file; a value the device would
  // refuse on the values page does not, and says why.
  auto* unit = window->findChild<QComboBox*>("cmbOffLinePVUnits(1)");
  unit->setCurrentText("°F");
  emit unit->textActivated("°F");
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_EQ(files->offLineFile().configuration().values.at("channel 1.unit"), configuration::Value{std::int64_t{33}});
  window->openNode(files->offLineNode(""));
  OffLineValuesPage* values = files->valuesPage();
  QTreeWidgetItem* range = values->findItems("upper range value", Qt::MatchExactly | Qt::MatchRecursive).front();
  range->setText(1, "99999");
  EXPECT_FALSE(range->toolTip(1).isEmpty());
  EXPECT_TRUE(StatusText().startsWith("Not taken: channel 1.upper range value"));
  range->setText(1, "150.5");
  EXPECT_EQ(files->offLineFile().configuration().values.at("channel 1.upper range value"), configuration::Value{150.5});
  window->grab().save("view-offline-values.png");

  ASSERT_TRUE(files->saveOffLineFile(Path("edited.json")));
  EXPECT_FALSE(window->isWindowModified());
  auto reloaded = configuration::LoadConfiguration(Path("edited.json").toStdString());
  ASSERT_TRUE(reloaded);
  EXPECT_EQ(reloaded->values, files->offLineFile().configuration().values);
  window->openNode(files->offLineNode("frmOffLineChannelSensor"));
  window->grab().save("view-offline-sensor.png");
}

TEST_F(ConfigurationCommandsTest, TheComparisonCountsAndFiltersTheDifferences) {
  const QString plant = SavedDevice("plant.json", [](auto& c) {
    c.values["channel 3.upper range value"] = 250.0;
    c.values["identification.message"] = std::string("CHANGED OFF LINE");
  });
  CompareDialog* dialog = files->compareWithDevice(plant);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->differences(), 2);
  dialog->showDifferencesOnly(true);
  int shown = 0;
  for (QTreeWidgetItemIterator it(dialog->table(), QTreeWidgetItemIterator::NotHidden); *it; ++it) ++shown;
  EXPECT_EQ(shown, 4);  // two headings, two values
  dialog->showDifferencesOnly(false);
  QApplication::processEvents();
  dialog->grab().save("view-compare.png");
}

// The download writes only what differs after a confirmation naming the
// device, and the sheet printed afterwards shows the device as found.
TEST_F(ConfigurationCommandsTest, ADownloadAsksFirstAndTheSheetShowsTheDeviceAsFound) {
  // Channel 2's range changes; channel 3 keeps its numbers in another unit.
  const QString plant = SavedDevice("plant.json", [](auto& c) {
    c.values["channel 2.upper range value"] = 400.0;
    c.values["channel 3.unit"] = std::int64_t{33};
  });
  QString asked;
  files->setConfirmation([&asked](const QString&, const QString& text) {
    asked = text;
    return false;
  });
  EXPECT_FALSE(files->download(plant));
  EXPECT_TRUE(
      asked.contains(QRegularExpression("channel 2: range (\\S+)\u2013150 \u00b0C \u2192 \\1\u2013400 \u00b0C")))
      << asked.toStdString();
  EXPECT_TRUE(
      asked.contains(QRegularExpression("channel 3: unit \u00b0C \u2192 \u00b0F; the range (\\S+) now means "
                                        "\\1 \u00b0F")))
      << asked.toStdString();
  EXPECT_TRUE(asked.contains("TT-601")) << asked.toStdString();

  // The history names the download and its file while it runs, and only then.
  std::vector<std::string> operations;
  files->onDownload([&operations](const std::string& operation) { operations.push_back(operation); });
  files->setConfirmation([](const QString&, const QString&) { return true; });
  ASSERT_TRUE(files->download(plant));
  EXPECT_EQ(operations, (std::vector<std::string>{"download of plant.json", ""}));
  EXPECT_TRUE(StatusText().startsWith("Downloaded plant.json")) << StatusText().toStdString();
  ASSERT_TRUE(files->exportReport(Path("sheet.html")));
  auto sheet = platform::ReadWholeFile(Path("sheet.html").toStdString());
  ASSERT_TRUE(sheet);
  EXPECT_NE(sheet->find("As found"), std::string::npos);
}

}  // namespace
}  // namespace zolin6::desktop
