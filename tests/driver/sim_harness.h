#pragma once
// The real control with the simulated transmitter as its driver, on a
// manual clock with queued message boxes: the fixture of the driver tests.
// The user's events are addressed by control id ("txtParameter(40)",
// "cmdChangeSensorUnit(2)"), as the scenario lines address them.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "driver/sim_driver.h"
#include "fakes/fake_message_boxes.h"
#include "host/user_cntrl.h"

namespace zolin6::driver::testing {

struct SeenRequest {
  std::string kind;  // "read" or "write"
  std::string code;
};

class SimHarness {
 public:
  explicit SimHarness(SimOptions options = {}) {
    SimObserver observer;
    observer.request = [this](const std::string& kind, const std::string& code, const std::string&) {
      requests.push_back({kind, code});
    };
    observer.notify = [this](std::int32_t reason, const std::string&) { notifications.push_back(reason); };
    sim = std::make_shared<SimDriver>(clock, options, std::move(observer));
    control = std::make_unique<UserCntrl>(HostServices{clock, boxes, ZOLIN6_ASSETS_DIR});
  }

  // Binds the control, lets the first reads through and the device come on line.
  void Start() {
    ASSERT_TRUE(control->Init("invoke-1", "", sim));
    clock.advance(2000);
    ASSERT_EQ(control->state().sConnState, "Connected");
  }
  // Long enough for a write, its answer, the re-read after it and that answer.
  void Settle() { clock.advance(3000); }
  void Run(toolkit::Millis ms) { clock.advance(ms); }

  toolkit::Widget& widget(const std::string& id) {
    toolkit::Widget* w = control->form().find(id);
    if (w == nullptr) ADD_FAILURE() << "no control " << id;
    return *w;
  }
  void Tree(const std::string& text) {
    auto& tree = control->form().get<toolkit::TreeView>("TreeView");
    for (int i = 1; i <= static_cast<int>(tree.nodes().size()); ++i) {
      if (tree.node(i).text == text) return tree.clickNode(i);
    }
    ADD_FAILURE() << "no tree node " << text;
  }
  void Tab(const std::string& tabs, int index) {
    auto& control_ = dynamic_cast<toolkit::TabControl&>(widget(tabs));
    control_.setTab(index);
    control_.click();
  }
  void Click(const std::string& button) { dynamic_cast<toolkit::CommandButton&>(widget(button)).click(); }
  void Set(const std::string& id, const std::string& text) {
    toolkit::Widget& w = widget(id);
    if (auto* box = dynamic_cast<toolkit::TextBox*>(&w)) return box->setText(text);
    if (auto* label = dynamic_cast<toolkit::Label*>(&w)) return label->setCaption(text);
    dynamic_cast<toolkit::ComboBox&>(w).setText(text);
  }
  void Select(const std::string& option) {
    control->form().select(dynamic_cast<toolkit::OptionButton&>(widget(option)));
  }
  void Answer(toolkit::Answer answer) { boxes.answers.push_back(answer); }
  // What a text box or combo box shows, or a label's caption.
  std::string Text(const std::string& id) {
    toolkit::Widget& w = widget(id);
    if (auto* box = dynamic_cast<toolkit::TextBox*>(&w)) return box->text();
    if (auto* combo = dynamic_cast<toolkit::ComboBox*>(&w)) return combo->text();
    return dynamic_cast<toolkit::Label&>(w).caption();
  }
  // The texts of the message boxes shown since the last call.
  std::vector<std::string> TakeMessages() {
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown) texts.push_back(box.text);
    boxes.shown.clear();
    return texts;
  }
  // A device value as the device's documents carry it.
  std::string Device(const std::string& tag) {
    const Measurements m = sim->transmitter().Measure(clock.now());
    return TagValue(tag, sim->transmitter().state(), m).value_or("?");
  }
  void DeviceSet(const std::string& tag, const std::string& value) {
    ASSERT_EQ(sim->transmitter().SetValue(tag, value, clock.now()), "") << tag;
  }

  toolkit::Clock clock;
  fakes::FakeMessageBoxes boxes;
  std::shared_ptr<SimDriver> sim;
  std::unique_ptr<UserCntrl> control;
  std::vector<SeenRequest> requests;
  std::vector<std::int32_t> notifications;
};

// A field's expected text after an action.
struct Shown {
  std::string id;
  std::string text;
};

}  // namespace zolin6::driver::testing
