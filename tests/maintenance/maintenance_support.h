#pragma once
// Readers shared by the maintenance tests: the requests sent, the page stack
// and the polling timers.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "fakes/control_harness.h"
#include "forms/form_spec.h"

namespace zolin6::fakes {

// The 22 attributes of a request: the given ones first, the rest "None".
inline std::vector<std::string> Attrs(std::initializer_list<std::string> first = {}) {
  std::vector<std::string> attributes(first);
  attributes.resize(22, "None");
  return attributes;
}

struct Expected {
  std::string kind;  // "read" or "write"
  std::string code;
  std::vector<std::string> attributes;
};

inline void ExpectRequests(const ControlHarness& h, const std::vector<Expected>& expected) {
  ASSERT_EQ(h.driver->requests.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("request " + std::to_string(i));
    EXPECT_EQ(h.driver->requests[i].kind, expected[i].kind);
    EXPECT_EQ(h.driver->requests[i].code, expected[i].code);
    EXPECT_EQ(AttributesOf(h.driver->requests[i].document), expected[i].attributes);
  }
}

inline std::vector<std::string> VisibleFrames(ControlHarness& h) {
  std::vector<std::string> visible;
  for (std::string_view name : forms::PageFrames()) {
    if (h.get<toolkit::Frame>(name).visible()) visible.emplace_back(name);
  }
  return visible;
}

inline constexpr const char* kPollingTimers[] = {
    "TimerObserve",            "TimerReadStatus",        "TimerDiagTemperature", "TimerReadCurrent",
    "TimerReadCalTemperature", "TimerReadCalTempSensor", "TimerMonitSpecificVar",
};

// The polling timers that are enabled.
inline std::vector<std::string> RunningTimers(ControlHarness& h) {
  std::vector<std::string> running;
  for (const char* name : kPollingTimers) {
    if (h.get<toolkit::Timer>(name).enabled()) running.emplace_back(name);
  }
  return running;
}

inline bool Enabled(ControlHarness& h, std::string_view button) {
  return h.get<toolkit::CommandButton>(button).enabled();
}

// The two layouts of the trim step page: a current trim shows only the typed
// row, in the upper place; the other trims show the device's value above it.
inline void ExpectTrimLayout(ControlHarness& h, bool currentLayout) {
  const int readTop = currentLayout ? 0 : 1080;
  for (int label : {15, 49}) {
    EXPECT_EQ(h.get<toolkit::Label>("lbArray", label).visible(), !currentLayout);
    EXPECT_EQ(h.get<toolkit::Label>("lbArray", label).top(), readTop);
  }
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 57).visible(), !currentLayout);
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 57).top(), readTop);
  EXPECT_EQ(h.get<toolkit::Label>("lbArray", 53).top(), currentLayout ? 1080 : 1455);
  EXPECT_EQ(h.get<toolkit::Label>("lbArray", 54).top(), currentLayout ? 1080 : 1455);
  EXPECT_EQ(h.get<toolkit::TextBox>("txtParameter", 59).top(), currentLayout ? 1080 : 1450);
}

inline void Reply(ControlHarness& h, toolkit::Answer answer) { h.boxes.answers.push_back(answer); }

inline void Disconnect(ControlHarness& h) {
  h.Notify(0, kOffline);
  h.driver->requests.clear();
}

}  // namespace zolin6::fakes
