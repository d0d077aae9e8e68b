#include "scenario_runner.h"

#include <pugixml.hpp>

#include "frame_event.h"
#include "recording_driver.h"

namespace zolin6::scenario {

namespace {

Json AttributesOf(const std::string& document) {
  Json values = Json::array();
  pugi::xml_document doc;
  if (!doc.load_string(document.c_str())) return values;
  for (pugi::xml_attribute a : doc.child("ViewData").child("ControlData").attributes()) values.push_back(a.value());
  return values;
}

}  // namespace

ScenarioRunner::ScenarioRunner(Output output, std::string iconFolder)
    : output_(std::move(output)), iconFolder_(std::move(iconFolder)), lines_(*this, output_) {
  control_ = std::make_unique<UserCntrl>(HostServices{clock_, *this, iconFolder_});
}

ScenarioRunner::~ScenarioRunner() = default;

void ScenarioRunner::EmitRequest(const std::string& kind, const std::string& code, const std::string& document) {
  output_({{"event", "request"},
           {"at", clock_.now()},
           {"kind", kind},
           {"code", code},
           {"attributes", AttributesOf(document)},
           {"document", document}});
}

std::shared_ptr<framelink::DtmObject> ScenarioRunner::MakeDriver(const std::string& kind) {
  sim_.reset();
  hart_ = {};
  traceFrames_ = false;
  if (kind == "bare") return std::make_shared<BareDriver>();
  if (kind == "sim") return MakeSimDriver();
  if (kind == "hart") return MakeHartDriver();
  auto sink = [this](const DriverCall& call) {
    if (call.interface == "session") {
      output_({{"event", "session"}, {"at", clock_.now()}, {"call", call.call}, {"args", call.args}});
    } else {
      EmitRequest(call.call, call.args[0], call.args[1]);
    }
  };
  return std::make_shared<RecordingDriver>(kind != "notready", sink);
}

// The simulated transmitter and the HART driver report the same events as
// the recording driver, and each notification they deliver.
driver::SimObserver ScenarioRunner::MakeObserver() {
  driver::SimObserver observer;
  observer.session = [this](const std::string& call, const std::vector<std::string>& args) {
    output_({{"event", "session"}, {"at", clock_.now()}, {"call", call}, {"args", args}});
  };
  observer.request = [this](const std::string& kind, const std::string& code, const std::string& document) {
    EmitRequest(kind, code, document);
  };
  observer.notify = [this](std::int32_t reason, const std::string& /*details*/) {
    output_({{"event", "notify"}, {"at", clock_.now()}, {"reason", reason}});
  };
  return observer;
}

std::shared_ptr<driver::SimDriver> ScenarioRunner::MakeSimDriver() {
  sim_ = std::make_shared<driver::SimDriver>(clock_, driver::SimOptions{}, MakeObserver());
  return sim_;
}

std::shared_ptr<driver::HartDriver> ScenarioRunner::MakeHartDriver() {
  hart_ = device::MakeInProcessHart(clock_, driver::SimOptions{}.seed, MakeObserver());
  hart_.link->Trace([this](device::FrameDirection direction, toolkit::Millis at, hart::ByteView line) {
    if (!traceFrames_) return;
    const auto way = direction == device::FrameDirection::Request ? hart::TraceDirection::Sent
                                                                   : hart::TraceDirection::Received;
    output_(FrameEvent(hart::TraceFrame(way, hart::Millis{at}, line)));
  });
  return hart_.driver;
}

bool ScenarioRunner::TraceFrames(bool on) {
  if (!hart_.link) return false;
  traceFrames_ = on;
  return true;
}

void ScenarioRunner::OpenNode(int node) { control_->form().get<toolkit::TreeView>("TreeView").clickNode(node); }

void ScenarioRunner::ChooseTab(toolkit::TabControl& tabs, int tab) {
  tabs.setTab(tab);
  tabs.click();
}

bool ScenarioRunner::Click(toolkit::CommandButton& button) {
  button.click();
  return true;
}

bool ScenarioRunner::Type(toolkit::Widget& box, const std::string& text) {
  if (auto* textBox = dynamic_cast<toolkit::TextBox*>(&box)) {
    textBox->setText(text);
  } else {
    static_cast<toolkit::ComboBox&>(box).setText(text);
  }
  return true;
}

bool ScenarioRunner::Choose(toolkit::OptionButton& option) {
  control_->form().select(option);
  return true;
}

}  // namespace zolin6::scenario
