// The scenario lines in the real window: the same lines as the headless
// runner's, sent through the Qt widgets, with the same events; the
// application's own start stands for `driver` and `init`.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/control_harness.h"
#include "fakes/fake_driver.h"
#include "fakes/qt_environment.h"
#include "scenario_runner.h"
#include "view/main_window.h"
#include "view/message_boxes.h"
#include "window_script.h"

namespace zolin6::app {
namespace {

[[maybe_unused]] ::testing::Environment* const kQt = ::testing::AddGlobalTestEnvironment(new fakes::QtEnvironment);

using scenario::Json;

// One window over a control that is on line with a recording driver, and
// its script player.
class WindowScriptTest : public ::testing::Test {
 protected:
  WindowScriptTest() {
    boxes.setParent(&window);
    window.show();
    control.Init("invoke-1", "", driver);
    clock.advance(1200);
    control.UpdateUI(0, fakes::kOnline);
    driver->requests.clear();
  }

  int Run(const std::string& lines) {
    std::istringstream input(lines);
    return script.Run(input);
  }

  toolkit::Clock clock;
  QtMessageBoxes boxes;
  std::shared_ptr<fakes::FakeDriver> driver = std::make_shared<fakes::FakeDriver>();
  UserCntrl control{HostServices{clock, boxes, ZOLIN6_ASSETS_DIR}};
  MainWindow window{control, ZOLIN6_ASSETS_DIR};
  std::vector<Json> events;
  WindowScript script{window, control, clock, boxes, [this](const Json& e) { events.push_back(e); }};
};

TEST_F(WindowScriptTest, TheRunnersLinesSendAndShowWhatTheyDoHeadless) {
  const std::string lines =
      "tree Configuration\ntab SSTabSensorRange 1\nset txtParameter(87) 180.5\nset txtParameter(82) -10\n"
      "click cmdWriteParameter\nshow txtParameter(87) txtParameter(82) sPage sSubPage\n"
      "tree Maintenance\nanswer yes\nclick cmdDeviceReset\n";
  EXPECT_EQ(Run(lines), 0);

  std::vector<Json> headless;
  scenario::ScenarioRunner runner([&headless](const Json& e) { headless.push_back(e); }, ZOLIN6_ASSETS_DIR);
  std::istringstream connect("init\nadvance 1200\nnotify 0 <DTMInfo state='Online' />\n");
  ASSERT_EQ(runner.Run(connect), 0);
  headless.clear();
  std::istringstream input(lines);
  ASSERT_EQ(runner.Run(input), 0);

  // The headless runner reports its driver's requests; the window's driver
  // records them.
  std::vector<Json> sent, requests, others;
  for (const fakes::SentRequest& r : driver->requests) {
    sent.push_back(Json{{"kind", r.kind}, {"code", r.code}, {"document", r.document}});
  }
  for (const Json& e : headless) {
    if (e["event"] != "request") others.push_back(e);
    if (e["event"] == "request")
      requests.push_back(Json{{"kind", e["kind"]}, {"code", e["code"]}, {"document", e["document"]}});
  }
  EXPECT_EQ(sent, requests);
  EXPECT_EQ(driver->requests.back().code, "9");  // the reset, answered yes from the queue
  EXPECT_EQ(events, others);
  ASSERT_EQ(events.size(), 5u);  // four fields shown and the reset's question
  EXPECT_EQ(events.back()["answer"], "yes");
  EXPECT_EQ(window.findChild<QLineEdit*>("txtParameter(87)")->text().toStdString(), others.at(0)["text"]);
}

TEST_F(WindowScriptTest, TheApplicationsStartStandsForDriverAndInit) {
  EXPECT_EQ(Run("driver bogus\ninit\ncall GetChannelCode x\ndestroy\nshow sConnState\n"), 2);
  EXPECT_EQ(
      events,
      (std::vector<Json>{
          {{"event", "error"}, {"line", 3}, {"message", "call is not available in the window; use zolin6-script"}},
          {{"event", "error"}, {"line", 4}, {"message", "destroy is not available in the window; use zolin6-script"}},
          {{"event", "show"}, {"name", "sConnState"}, {"value", "Connected"}},
      }));
  EXPECT_EQ(driver->sessionCalls.size(), 2u);  // IsReady and RegisterControl of the one start
}

}  // namespace
}  // namespace zolin6::app
