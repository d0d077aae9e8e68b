#pragma once
// Two configurations side by side: every writable value that differs, in
// catalogue order, and apart from them the identity values that differ
// (another device is no difference in its configuration).

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
};

// Whether the device would hold `a` and `b` as the same value: numbers as
// the single-precision numbers it keeps, packed texts in upper case.
bool SameValue(const std::string& key, const Value& a, const Value& b);

Comparison Compare(const Configuration& left, const Configuration& right);

}  // namespace zolin6::configuration
