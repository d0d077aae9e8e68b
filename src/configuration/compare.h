#pragma once
// Two configurations side by side: every writable value that differs, in
// catalogue order, and apart from them the identity values that differ
// (another device is no difference in its configuration). A number with a
// unit is a physical quantity: the same temperature in another unit is no
// difference, the same number in another unit is.

#include <optional>
#include <string>
#include <vector>

#include "configuration/values.h"

namespace zolin6::configuration {

struct Difference {
  std::string key;             // the catalogue key
  std::optional<Value> left;   // the value in the first configuration, if it has one
  std::optional<Value> right;  // the value in the second
};

struct Comparison {
  std::vector<Difference> differences;  // configuration values that differ
  std::vector<Difference> identity;     // identity values that differ; informative only
  bool same() const { return differences.empty(); }
  // Whether the value of `key` is among the differences.
  bool differs(const std::string& key) const;
};

// Whether the device would hold `a` and `b` as the same value: numbers as
// the single-precision numbers it keeps, packed texts in upper case.
bool SameValue(const std::string& key, const Value& a, const Value& b);

// The unit code a number of `key` is in within `configuration`; none for a
// value without a unit, or a configuration that lacks it.
std::optional<std::int64_t> UnitOf(const std::string& key, const Configuration& configuration);

Comparison Compare(const Configuration& left, const Configuration& right);

}  // namespace zolin6::configuration
