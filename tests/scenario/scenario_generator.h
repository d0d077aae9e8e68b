#pragma once
// A technician at random: scenarios for `driver sim` made step by step
// while they run, each step chosen (from a seed) among what the page on show
// offers: tree nodes, tabs, buttons, typed values and list choices, option
// buttons, answers to the boxes, the simulated device's faults and values,
// and waits long and short. The same seed and the same behaviour give the
// same scenario, so its output pins that behaviour.

#include <cstdint>
#include <string>
#include <vector>

namespace zolin6::scenario {

struct GeneratedScenario {
  std::string text;                 // the scenario's lines
  std::vector<std::string> output;  // its output lines, frame events left out
  int refusedLines = 0;             // lines the runner reported as errors
};

GeneratedScenario GenerateScenario(std::uint32_t seed, int steps);

}  // namespace zolin6::scenario
