#include "fakes/control_harness.h"

#include <pugixml.hpp>

#include "forms/form_design.h"

namespace zolin6::fakes {

std::vector<std::string> AttributesOf(const std::string& document) {
  pugi::xml_document doc;
  std::vector<std::string> values;
  if (!doc.load_string(document.c_str())) return values;
  for (pugi::xml_attribute a : doc.child("ViewData").child("ControlData").attributes()) values.emplace_back(a.value());
  return values;
}

namespace {
constexpr const char* kPollingTimers[] = {
    "TimerObserve",          "TimerReadStatus",         "TimerDiagTemperature",
    "TimerReadCurrent",      "TimerReadCalTemperature", "TimerReadCalTempSensor",
    "TimerMonitSpecificVar",
};
}  // namespace

std::vector<std::string> ControlHarness::sent() const {
  std::vector<std::string> lines;
  for (const SentRequest& r : driver->requests) {
    std::vector<std::string> attributes = AttributesOf(r.document);
    while (!attributes.empty() && attributes.back() == "None") attributes.pop_back();
    std::string line = r.kind + " " + r.code;
    for (std::size_t i = 0; i < attributes.size(); ++i) line += (i == 0 ? " " : ",") + attributes[i];
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ControlHarness::visibleFrames() {
  std::vector<std::string> visible;
  for (std::string_view name : forms::PageFrames()) {
    if (get<toolkit::Frame>(name).visible()) visible.emplace_back(name);
  }
  return visible;
}

std::vector<std::string> ControlHarness::runningTimers() {
  std::vector<std::string> running;
  for (const char* name : kPollingTimers) {
    if (get<toolkit::Timer>(name).enabled()) running.emplace_back(name);
  }
  return running;
}

void ControlHarness::startPolling() {
  for (const char* name : kPollingTimers) {
    get<toolkit::Timer>(name).setInterval(60000);
    get<toolkit::Timer>(name).setEnabled(true);
  }
}

void ControlHarness::type(std::string_view name, int index, const std::string& text) {
  if (auto* box = form().find<toolkit::TextBox>(name, index)) return box->setText(text);
  if (auto* combo = form().find<toolkit::ComboBox>(name, index)) return combo->setText(text);
  if (auto* label = form().find<toolkit::Label>(name, index)) return label->setCaption(text);
  ADD_FAILURE() << "no text box, combo box or label " << toolkit::ControlId(name, index);
}

}  // namespace zolin6::fakes
