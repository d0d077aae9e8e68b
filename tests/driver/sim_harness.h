#pragma once
// The real control with the built-in simulated device behind it (the HART
// driver, paced, over the instant line), on a manual clock with queued
// message boxes: the fixture of the driver tests.
// Controls are addressed by id ("txtParameter(40)", "cmbPVUnits(2)"), as
// scenario lines address them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/request_document.h"
#include "fakes/fake_message_boxes.h"
#include "host/user_cntrl.h"
#include "platform/locale.h"
#include "transport/simulated_device.h"

namespace zolin6::driver::testing {

using device::DeviceState;
using device::LoopOutput;
using device::Measurements;

// "key=text|key=text" as its pairs; in field lists a bare number stands for
// that txtParameter ("40=250" is txtParameter(40) showing "250").
inline std::vector<std::pair<std::string, std::string>> Entries(std::string_view design, bool fields = true) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (std::size_t start = 0; start < design.size();) {
    const std::string_view entry = design.substr(start, design.find('|', start) - start);
    const std::size_t equals = std::min(entry.find('='), entry.size());
    std::string key(entry.substr(0, equals));
    if (fields && key.find_first_not_of("0123456789") == std::string::npos) key = "txtParameter(" + key + ")";
    entries.emplace_back(key, entry.substr(std::min(entry.size(), equals + 1)));
    start += entry.size() + 1;
  }
  return entries;
}

// A page as the user reaches it: a tree node, then a tab when `tabs` is set.
struct Page {
  const char* node;
  const char* tabs = nullptr;
  int tab = 0;
};

class SimHarness {
 public:
  // The control bound, the device on line and the first reads answered.
  SimHarness() {
    DriverObserver observer;
    observer.notify = [this](std::int32_t, const std::string&) { ++notifications; };
    sim = std::make_shared<transport::SimulatedDevice>(clock, transport::SimOptions{}, std::move(observer));
    control = std::make_unique<UserCntrl>(HostServices{clock, boxes, ZOLIN6_ASSETS_DIR});
    EXPECT_TRUE(control->Init("invoke-1", "", sim));
    clock.advance(2000);
    EXPECT_EQ(control->state().sConnState, "Connected");
  }

  // Long enough for a write, its answer, the re-read after it and that answer.
  void Settle() { clock.advance(3000); }
  void Run(toolkit::Millis ms) { clock.advance(ms); }
  void Open(const Page& page, toolkit::Millis wait = 1000) {
    Tree(page.node);
    if (page.tabs != nullptr) Tab(page.tabs, page.tab);
    Run(wait);
  }
  void Tree(const std::string& text) {
    auto& tree = control->form().get<toolkit::TreeView>("TreeView");
    for (int i = 1; i <= static_cast<int>(tree.nodes().size()); ++i) {
      if (tree.node(i).text == text) return tree.clickNode(i);
    }
    ADD_FAILURE() << "no tree node " << text;
  }
  void Tab(const std::string& tabs, int index) {
    auto& strip = dynamic_cast<toolkit::TabControl&>(widget(tabs));
    strip.setTab(index);
    strip.click();
  }
  void Click(const std::string& button) { dynamic_cast<toolkit::CommandButton&>(widget(button)).click(); }
  void Select(const std::string& option) {
    control->form().select(dynamic_cast<toolkit::OptionButton&>(widget(option)));
  }
  void Answer(toolkit::Answer answer) { boxes.answers.push_back(answer); }
  // Types into text boxes and chooses in combo boxes, as `Entries` lists them.
  void Type(std::string_view fields) {
    for (const auto& [id, text] : Entries(fields)) {
      toolkit::Widget& w = widget(id);
      if (auto* box = dynamic_cast<toolkit::TextBox*>(&w)) {
        box->setText(text);
        continue;
      }
      dynamic_cast<toolkit::ComboBox&>(w).setText(text);
    }
  }
  // What a text box or combo box shows, or a label's caption.
  std::string Text(const std::string& id) {
    toolkit::Widget& w = widget(id);
    if (auto* box = dynamic_cast<toolkit::TextBox*>(&w)) return box->text();
    if (auto* combo = dynamic_cast<toolkit::ComboBox*>(&w)) return combo->text();
    return dynamic_cast<toolkit::Label&>(w).caption();
  }
  void ExpectShown(std::string_view fields) {
    for (const auto& [id, text] : Entries(fields)) EXPECT_EQ(Text(id), text) << id;
  }
  double Number(const std::string& id) {
    Result<double> value = platform::ToDouble(Text(id));
    EXPECT_TRUE(value.ok()) << id << " shows " << Text(id);
    return value.ok() ? *value : -1e9;
  }
  // Whether a diagnosis lamp is lit (red).
  bool Lit(int index) { return control->form().get<toolkit::Shape>("ShapeDiagnosis", index).fillColor() == 255u; }

  // The device side: its state, what it measures now, and values changed
  // from outside ("tag=value|...").
  const device::DeviceState& device() { return sim->transmitter().state(); }
  device::Measurements Measure() { return sim->transmitter().Measure(clock.now()); }
  // A kept device value as the device's documents write it, by the tag the
  // long session checks ("Sns2UpperRangeValue", "Display3", "Damping").
  std::string Device(const std::string& tag) {
    const DeviceState& s = device();
    if (tag.starts_with("Sns") && tag.size() > 4 && std::isdigit(static_cast<unsigned char>(tag[3]))) {
      const device::SensorChannel& c = s.channels.at(static_cast<std::size_t>(tag[3] - '1'));
      const std::string field = tag.substr(4);
      if (field == "UpperRangeValue") return DeviceNumber(c.upperRangeValue);
      if (field == "LowerRangeValue") return DeviceNumber(c.lowerRangeValue);
    }
    if (tag.starts_with("Display")) return std::to_string(s.displays.at(static_cast<std::size_t>(tag[7] - '1')));
    const std::map<std::string, std::string, std::less<>> values = {
        {"RespPreambles", std::to_string(s.responsePreambles)}, {"TempUnit", std::to_string(s.localTempUnit)},
        {"BackupSensor", std::to_string(s.backupSensor)},       {"Damping", DeviceNumber(s.sensorParameters.damping)},
        {"CoeffA", DeviceNumber(s.sensorParameters.coeffA)},    {"CoeffB", DeviceNumber(s.sensorParameters.coeffB)}};
    const auto found = values.find(tag);
    return found != values.end() ? found->second : "?";
  }
  void DeviceSet(std::string_view values) {
    for (const auto& [tag, value] : Entries(values, false)) {
      EXPECT_EQ(sim->transmitter().SetValue(tag, value, clock.now()), "") << tag;
    }
  }

  toolkit::Clock clock;
  fakes::FakeMessageBoxes boxes;
  std::shared_ptr<transport::SimulatedDevice> sim;
  std::unique_ptr<UserCntrl> control;
  std::size_t notifications = 0;  // notifications the driver sent

 private:
  toolkit::Widget& widget(const std::string& id) {
    toolkit::Widget* w = control->form().find(id);
    if (w == nullptr) ADD_FAILURE() << "no control " << id;
    return *w;
  }
};

}  // namespace zolin6::driver::testing
