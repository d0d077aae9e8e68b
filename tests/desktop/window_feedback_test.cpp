// What the window says beside the control: the menus and their shortcuts,
// the marking of a typed value the Write button would refuse, the stale
// observation page, the held-current banner, and the layout kept between
// runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include "desktop/held_outputs.h"
#include "desktop/input_checks.h"
#include "desktop/window_feedback.h"
#include "fakes/control_harness.h"
#include "fakes/qt_environment.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"

namespace zolin6::desktop {
namespace {

// One QApplication for this test program.
[[maybe_unused]] ::testing::Environment* const kQt = ::testing::AddGlobalTestEnvironment(new fakes::QtEnvironment);

constexpr int kUpperRangeValue = 40;  // channel 1's upper range value

class WindowFeedbackTest : public ::testing::Test {
 protected:
  WindowFeedbackTest() {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    window = std::make_unique<view::MainWindow>(*h.control, ZOLIN6_ASSETS_DIR);
    feedback = std::make_unique<WindowFeedback>(*window, *h.control, h.clock, tap);
    checks = std::make_unique<InputChecks>(*window, *h.control);
    h.control->Init("invoke-1", "", tap);
    h.clock.advance(2000);
    window->show();
    QApplication::processEvents();
  }
  ~WindowFeedbackTest() override { h.control->PrepareToRelease(); }

  QString Note() {
    feedback->refresh();
    return window->pageNote()->isVisible() ? window->pageNote()->text() : QString();
  }
  QString Banner() {
    feedback->refresh();
    QApplication::processEvents();
    return window->pageBanner()->text();
  }
  QString Shortcut(const QString& action) {
    auto* found = window->findChild<QAction*>(action);
    return found == nullptr ? "missing" : found->shortcut().toString();
  }

  QTemporaryDir settingsFolder;
  fakes::ControlHarness h;
  std::shared_ptr<transport::SimulatedDevice> sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  std::shared_ptr<link::LinkTap> tap = link::LinkTap::Wrap(sim);
  std::unique_ptr<view::MainWindow> window;
  std::unique_ptr<WindowFeedback> feedback;
  std::unique_ptr<InputChecks> checks;
};

TEST_F(WindowFeedbackTest, TheMenusHoldTheirCommandsWithShortcuts) {
  EXPECT_EQ(Shortcut("actionReadPage"), "F5");
  EXPECT_EQ(Shortcut("actionWrite"), "Ctrl+Return");
  EXPECT_EQ(Shortcut("actionUserGuide"), "F1");
  for (const char* action : {"actionTRIM", "actionMaintenance", "actionShortcuts", "actionAbout"}) {
    EXPECT_NE(window->findChild<QAction*>(action), nullptr) << action;
  }
}

TEST_F(WindowFeedbackTest, ANumberWriteWouldRefuseIsMarkedAndWriteSaysWhy) {
  h.ClickTree("Configuration");
  h.clock.advance(1000);
  EXPECT_EQ(window->pageContext(), "On the page Configuration \u2013 Sensor Range, Sensor 1.");
  auto* upper = window->findChild<QLineEdit*>(QString("txtParameter(%1)").arg(kUpperRangeValue));
  ASSERT_NE(upper, nullptr);
  upper->selectAll();
  QTest::keyClicks(upper, "abc");
  QApplication::processEvents();
  EXPECT_TRUE(upper->toolTip().startsWith("Not a plain decimal number")) << upper->toolTip().toStdString();
  window->findChild<QPushButton*>("cmdWriteParameter")->click();
  EXPECT_TRUE(checks->notice().startsWith("Nothing was written: Not a plain decimal"))
      << checks->notice().toStdString();
  EXPECT_TRUE(upper->hasFocus() || QApplication::focusWidget() == upper);
  upper->selectAll();
  QTest::keyClicks(upper, "120.5");
  QApplication::processEvents();
  EXPECT_TRUE(upper->toolTip().isEmpty());

  sim->SetOnline(false);
  h.clock.advance(100);
  window->findChild<QPushButton*>("cmdWriteParameter")->click();
  EXPECT_EQ(checks->notice(), "Nothing was written: the device is off line.");
}

TEST_F(WindowFeedbackTest, OffLineTheObservationPageIsGreyedAndMarkedStale) {
  h.ClickTree("Observe");
  h.clock.advance(4000);
  EXPECT_TRUE(Note().startsWith("Updated ")) << Note().toStdString();
  EXPECT_TRUE(window->currentPage()->isEnabled());
  sim->SetOnline(false);
  h.clock.advance(100);
  EXPECT_EQ(Note(), "The device is off line: the values shown are stale.");
  EXPECT_FALSE(window->currentPage()->isEnabled());
  sim->SetOnline(true);
  h.clock.advance(4000);
  EXPECT_TRUE(Note().startsWith("Updated ")) << Note().toStdString();
  EXPECT_TRUE(window->currentPage()->isEnabled());
}

TEST_F(WindowFeedbackTest, TheBannerShowsWhileAnOutputIsHeld) {
  h.ClickTree("Maintenance");
  h.Click("cmdLoopTest");
  h.ClickTab("SSTabLoopTest", 2);
  h.form().select(h.get<toolkit::OptionButton>("Op12mA", 2));
  h.Click("cmdWriteParameter");
  QApplication::processEvents();
  const QPoint writeAt = window->findChild<QPushButton*>("cmdWriteParameter")->mapTo(window.get(), QPoint());
  h.clock.advance(1000);
  EXPECT_TRUE(Banner().startsWith("Output held: channel 3 at 12.000 mA")) << Banner().toStdString();
  // The banner has its own space: nothing under it moves.
  EXPECT_EQ(window->findChild<QPushButton*>("cmdWriteParameter")->mapTo(window.get(), QPoint()), writeAt);
  // The release goes out while the line is down: the output may still be
  // held, and the banner says so on every page until the device confirms.
  sim->SetOnline(false);
  h.Click("cmdBack");  // leaving the page releases the output
  h.clock.advance(1000);
  EXPECT_FALSE(h.state().bFixedCurrent);
  EXPECT_TRUE(Banner().startsWith("Output held: channel 3 at 12.000 mA")) << Banner().toStdString();
  // Back on line, the window releases it, and only the device's yes clears the banner.
  sim->SetOnline(true);
  h.clock.advance(1000);
  HeldOutputs held(*window, h.clock, tap, feedback->activity(), configuration::AdvanceClock(h.clock));
  EXPECT_TRUE(held.any());
  // Quit asks first; Cancel keeps the window.
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().startsWith("Channel 3 output held at 12.000 mA")) << box->text().toStdString();
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_FALSE(held.mayGoOn("quit"));
  EXPECT_TRUE(held.releaseAll());
  EXPECT_FALSE(sim->transmitter().state().outputs[2].fixed);
  h.clock.advance(100);
  QApplication::processEvents();
  EXPECT_FALSE(Banner().contains("held")) << Banner().toStdString();
}

TEST_F(WindowFeedbackTest, TheLayoutSurvivesARestart) {
  window->resize(1000, 640);
  auto* splitter = window->findChild<QSplitter*>("Splitter");
  splitter->setSizes({300, 700});
  window->saveLayout();
  view::MainWindow second(*h.control, ZOLIN6_ASSETS_DIR);
  second.restoreLayout();
  second.show();
  QApplication::processEvents();
  EXPECT_EQ(second.size(), QSize(1000, 640));
  EXPECT_EQ(second.findChild<QSplitter*>("Splitter")->sizes().front(), 300);
}

}  // namespace
}  // namespace zolin6::desktop
