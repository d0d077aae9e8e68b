#pragma once
// One control on a manual clock with queued message boxes and a recording
// driver: the fixture every core test builds on. `Connect()` binds the
// driver, lets the first read go out and brings the device on line, so a
// test starts from a working control with an empty request list.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_driver.h"
#include "fakes/fake_message_boxes.h"
#include "host/user_cntrl.h"

namespace zolin6::fakes {

inline constexpr const char* kOnline = "<DTMInfo state='Online' />";
inline constexpr const char* kOffline = "<DTMInfo state='Offline' />";

class ControlHarness {
 public:
  ControlHarness()
      : driver(std::make_shared<FakeDriver>()),
        control(std::make_unique<UserCntrl>(HostServices{clock, boxes, iconFolder})) {}

  void Connect() {
    control->Init("invoke-1", "", driver);
    clock.advance(1200);
    control->UpdateUI(0, kOnline);
    driver->requests.clear();
  }
  void Notify(int reason, const std::string& details) { control->UpdateUI(reason, details); }

  toolkit::Form& form() { return control->form(); }
  const UserCntrl::State& state() const { return control->state(); }
  template <class T>
  T& get(std::string_view name, int index = -1) {
    return control->form().get<T>(name, index);
  }
  std::string text(std::string_view name, int index = -1) {
    if (auto* box = form().find<toolkit::TextBox>(name, index)) return box->text();
    return get<toolkit::ComboBox>(name, index).text();
  }
  std::string caption(std::string_view name, int index = -1) { return get<toolkit::Label>(name, index).caption(); }
  void Click(std::string_view name, int index = -1) { get<toolkit::CommandButton>(name, index).click(); }
  void ClickTab(std::string_view name, int tab) {
    auto& control_ = get<toolkit::TabControl>(name);
    control_.setTab(tab);
    control_.click();
  }
  void ClickTree(std::string_view text) {
    auto& tree = get<toolkit::TreeView>("TreeView");
    for (int i = 1; i <= static_cast<int>(tree.nodes().size()); ++i) {
      if (tree.node(i).text == text) return tree.clickNode(i);
    }
    ADD_FAILURE() << "no tree node " << text;
  }
  std::string panel(int number) { return get<toolkit::StatusBar>("StatusBar").panel(number).text; }
  void setPanel(int number, const std::string& text) { get<toolkit::StatusBar>("StatusBar").setText(number, text); }

  // Every request sent, one line each: "read 24", "write 22 02,00000000".
  // The attributes are listed up to the last one that is not "None".
  std::vector<std::string> sent() const;
  // The names of the page frames on show and of the polling timers running.
  std::vector<std::string> visibleFrames();
  std::vector<std::string> runningTimers();
  // Starts all seven polling timers at a rate no test waits for.
  void startPolling();
  // Puts text into a text box or combo box, or makes it a label's caption.
  void type(std::string_view name, int index, const std::string& text);

  toolkit::Clock clock;
  FakeMessageBoxes boxes;
  std::string iconFolder = ZOLIN6_ASSETS_DIR;
  std::shared_ptr<FakeDriver> driver;
  std::unique_ptr<UserCntrl> control;
};

// The 22 attributes of a request document, in order.
std::vector<std::string> AttributesOf(const std::string& document);

// A control already on line, for tests that start from a working device.
class ConnectedControl : public ::testing::Test {
 protected:
  ConnectedControl() { h.Connect(); }
  ControlHarness h;
};

}  // namespace zolin6::fakes
