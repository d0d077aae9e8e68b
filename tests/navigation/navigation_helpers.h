#pragma once
// Readers shared by the navigation tests: what the page stack shows, which
// polling timers run, and the attributes of the requests sent.

#include <string>
#include <vector>

#include "fakes/control_harness.h"
#include "forms/form_spec.h"

namespace zolin6::fakes {

inline constexpr const char* kPollingTimers[] = {
    "TimerObserve",           "TimerReadStatus",        "TimerDiagTemperature", "TimerReadCurrent",
    "TimerReadCalTemperature", "TimerReadCalTempSensor", "TimerMonitSpecificVar",
};

inline std::vector<std::string> VisibleFrames(ControlHarness& h) {
  std::vector<std::string> visible;
  for (std::string_view name : forms::PageFrames()) {
    if (h.get<toolkit::Frame>(name).visible()) visible.emplace_back(name);
  }
  return visible;
}

inline std::vector<std::string> RunningTimers(ControlHarness& h) {
  std::vector<std::string> running;
  for (const char* name : kPollingTimers) {
    if (h.get<toolkit::Timer>(name).enabled()) running.emplace_back(name);
  }
  return running;
}

// The 22 attributes of a request with the given first ones.
inline std::vector<std::string> Attrs(std::vector<std::string> first = {}) {
  first.resize(22, "None");
  return first;
}

// Every request sent, as "read 1" or "write 22 02,00000000" (the attributes
// that are not "None", joined by commas).
inline std::vector<std::string> Sent(ControlHarness& h) {
  std::vector<std::string> sent;
  for (const SentRequest& r : h.driver->requests) {
    std::string line = r.kind + " " + r.code;
    std::string values;
    for (const std::string& a : AttributesOf(r.document)) {
      if (a != "None") values += (values.empty() ? "" : ",") + a;
    }
    sent.push_back(values.empty() ? line : line + " " + values);
  }
  return sent;
}

}  // namespace zolin6::fakes
