#pragma once
// The differences of a comparison in words, as the pages would show the
// values: codes by their texts, numbers with their units, and a unit change
// said together with what it does to the range ("channel 3: unit °C → °F;
// the range 0–600 now means 0–600 °F"). The window's confirmation, the
// command line and the sheet all count and say differences this way.

#include <cstddef>
#include <string>
#include <vector>

#include "configuration/compare.h"
#include "configuration/values.h"

namespace zolin6::configuration {

// The value of `key` in `configuration` as the pages show it; "(none)" when
// the configuration lacks it.
std::string ShownOrNone(const std::string& key, const Configuration& configuration);

// One line per group with differences, in the pages' order, each naming
// what changes from `from` (the comparison's left side) to `to`.
std::vector<std::string> DescribeChanges(const Comparison& comparison, const Configuration& from,
                                         const Configuration& to);

// "No differences", "1 difference", "3 differences".
std::string DifferenceCount(std::size_t count);

}  // namespace zolin6::configuration
