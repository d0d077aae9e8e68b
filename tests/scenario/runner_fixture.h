#pragma once
// A runner whose events a test reads back: lines in, JSON events out.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "scenario_runner.h"

namespace zolin6::scenario::testing {

class RunnerFixture : public ::testing::Test {
 protected:
  int Run(const std::string& script) {
    std::istringstream input(script);
    return runner_.Run(input);
  }
  std::vector<Json> EventsOf(const std::string& kind) const {
    std::vector<Json> out;
    for (const Json& e : events_) {
      if (e["event"] == kind) out.push_back(e);
    }
    return out;
  }

  std::vector<Json> events_;
  ScenarioRunner runner_{[this](const Json& e) { events_.push_back(e); }, ZOLIN6_ASSETS_DIR};
};

}  // namespace zolin6::scenario::testing
