// Write writes what is on screen: before the control's first read the
// window takes no tree click or Write; afterwards they reach the control.
// Where the control's page names point is checked case by case.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "desktop/page_guard.h"
#include "desktop/page_match.h"
#include "fakes/control_harness.h"
#include "link/link_tap.h"
#include "transport/simulated_device.h"
#include "view/main_window.h"

namespace zolin6::desktop {
namespace {

constexpr int kUpperRangeValue = 40;  // channel 1's upper range value

// Counts what the control writes.
class WriteCounter : public link::LinkListener {
 public:
  void OnRequest(link::RequestKind kind, const std::string&, const std::string&) override {
    if (kind == link::RequestKind::Write) ++writes;
  }
  void OnNotification(const link::Notification&) override {}
  int writes = 0;
};

class PageGuardTest : public ::testing::Test {
 protected:
  PageGuardTest() {
    window = std::make_unique<view::MainWindow>(*h.control, ZOLIN6_ASSETS_DIR);
    guard = std::make_unique<PageGuard>(*window, *h.control, [this](const QString& why) { told = why; });
    tap->AddListener(&counter);
    h.control->Init("invoke-1", "", tap);
    window->show();
    QApplication::processEvents();
  }
  ~PageGuardTest() override {
    tap->RemoveListener(&counter);
    h.control->PrepareToRelease();
  }

  void ClickTree(const QString& text) {
    auto* tree = window->findChild<QTreeWidget*>("TreeView");
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    emit tree->itemClicked(found.front(), 0);
  }
  void TypeUpperAndWrite(const char* value) {
    auto* upper = window->findChild<QLineEdit*>(QString("txtParameter(%1)").arg(kUpperRangeValue));
    ASSERT_NE(upper, nullptr);
    upper->selectAll();
    QTest::keyClicks(upper, value);
    window->findChild<QPushButton*>("cmdWriteParameter")->click();
  }

  fakes::ControlHarness h;
  std::shared_ptr<transport::SimulatedDevice> sim = std::make_shared<transport::SimulatedDevice>(h.clock);
  std::shared_ptr<link::LinkTap> tap = link::LinkTap::Wrap(sim);
  std::unique_ptr<view::MainWindow> window;
  std::unique_ptr<PageGuard> guard;
  WriteCounter counter;
  QString told;
};

TEST_F(PageGuardTest, AClickBeforeTheFirstReadThenWriteSendsNoWrite) {
  h.clock.advance(300);
  ASSERT_FALSE(guard->started());
  ClickTree("Configuration");
  TypeUpperAndWrite("120.5");
  h.clock.advance(3000);
  EXPECT_EQ(counter.writes, 0);
  EXPECT_EQ(h.state().sPage, "Information");
  EXPECT_TRUE(told.startsWith("Wait a moment")) << told.toStdString();

  // Once the device has been read, the same steps write the range.
  ASSERT_TRUE(guard->started());
  ClickTree("Configuration");
  h.clock.advance(1000);
  TypeUpperAndWrite("120.5");
  h.clock.advance(3000);
  EXPECT_GT(counter.writes, 0);
  EXPECT_FALSE(guard->lastWriteRefused());
}

struct PlaceCase {
  const char* sPage;
  const char* sSubPage;
  const char* frame;  // the frame on show
  int tab;            // its tab on show
  bool shows;         // whether Write would write what is on show
};

class PageMatchTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PageMatchTest, WriteGoesOnlyToThePageOnShow) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(ShowsPlace(PlaceOfPage(c.sPage, c.sSubPage), c.frame, c.tab), c.shows)
      << c.sPage << " / " << c.sSubPage << " on " << c.frame << " tab " << c.tab;
}

INSTANTIATE_TEST_SUITE_P(Places, PageMatchTest,
                         ::testing::Values(PlaceCase{"Information", "", "frmInfo", -1, true},
                                           PlaceCase{"Information", "", "frmConf_Range", 0,
                                                     false},  // the start-up trap
                                           PlaceCase{"Range Sensor", "Sensor 3", "frmConf_Range", 2, true},
                                           PlaceCase{"Range Sensor", "Sensor 3", "frmConf_Range", 1, false},
                                           PlaceCase{"Range Sensor", "Sensor 6", "frmConf_Range", 5, true},
                                           PlaceCase{"Range Sensor", "Sensor 7", "frmConf_Range", 5, false},
                                           PlaceCase{"Channel Sensor", "Sensor Others", "frmChannelSensor", 6, true},
                                           PlaceCase{"Channel Sensor", "Sensor 1", "frmChannelSensor", 6, false},
                                           PlaceCase{"Diagnosis", "Change Counter", "frmDiagnosis", 2, true},
                                           PlaceCase{"Diagnosis", "Change Counter", "frmDiagnosis", 1, false},
                                           PlaceCase{"Fixed Current - Channel 3", "", "frmLoopTest", 2, true},
                                           PlaceCase{"Fixed Current - Channel 3", "", "frmLoopTest", 1, false},
                                           PlaceCase{"Conf HART", "", "frmConfLCD", -1, false},
                                           PlaceCase{"Some page the window does not know", "", "frmInfo", -1, true}));

}  // namespace
}  // namespace zolin6::desktop
