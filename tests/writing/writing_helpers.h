#pragma once
// Small readers and writers shared by the writing tests: typing into the
// page's widgets, the attributes of a request, the running polling timers.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fakes/control_harness.h"

namespace zolin6::fakes {

// Puts `text` into a text box or combo box, or makes it a label's caption,
// as the user or a page loader would.
inline void Type(ControlHarness& h, std::string_view name, int index, const std::string& text) {
  if (auto* box = h.form().find<toolkit::TextBox>(name, index)) return box->setText(text);
  if (auto* combo = h.form().find<toolkit::ComboBox>(name, index)) return combo->setText(text);
  if (auto* label = h.form().find<toolkit::Label>(name, index)) return label->setCaption(text);
  ADD_FAILURE() << "no text box, combo box or label " << toolkit::ControlId(name, index);
}

// The 22 attributes: `first` from Attribute1 on, the rest "None".
inline std::vector<std::string> Filled(std::vector<std::string> first) {
  first.resize(22, "None");
  return first;
}

inline constexpr const char* kPollingTimers[] = {
    "TimerObserve",           "TimerReadStatus",        "TimerDiagTemperature", "TimerReadCurrent",
    "TimerReadCalTemperature", "TimerReadCalTempSensor", "TimerMonitSpecificVar",
};

inline std::vector<std::string> RunningPolling(ControlHarness& h) {
  std::vector<std::string> running;
  for (const char* name : kPollingTimers) {
    if (h.get<toolkit::Timer>(name).enabled()) running.emplace_back(name);
  }
  return running;
}

// Every polling timer running at a rate no test waits for.
inline void StartEveryPollingTimer(ControlHarness& h) {
  for (const char* name : kPollingTimers) {
    h.get<toolkit::Timer>(name).setInterval(60000);
    h.get<toolkit::Timer>(name).setEnabled(true);
  }
}

// Checks one request completely: kind, code and all 22 attributes.
inline void ExpectRequest(const SentRequest& request, const std::string& kind, const std::string& code,
                          const std::vector<std::string>& attributes) {
  EXPECT_EQ(request.kind, kind);
  EXPECT_EQ(request.code, code);
  EXPECT_EQ(AttributesOf(request.document), attributes);
}

}  // namespace zolin6::fakes
