#include "configuration/compare.h"

#include <algorithm>

#include "configuration/catalogue.h"

namespace zolin6::configuration {

namespace {

std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::optional<Value> Find(const Configuration& configuration, const std::string& key) {
  auto found = configuration.values.find(key);
  if (found == configuration.values.end()) return std::nullopt;
  return found->second;
}

}  // namespace

bool SameValue(const std::string& key, const Value& a, const Value& b) {
  const ValueSpec* spec = FindValue(key);
  if (std::holds_alternative<double>(a) && std::holds_alternative<double>(b)) {
    return static_cast<float>(std::get<double>(a)) == static_cast<float>(std::get<double>(b));
  }
  if (spec != nullptr && spec->packed && std::holds_alternative<std::string>(a) &&
      std::holds_alternative<std::string>(b)) {
    return Upper(std::get<std::string>(a)) == Upper(std::get<std::string>(b));
  }
  return a == b;
}

Comparison Compare(const Configuration& left, const Configuration& right) {
  Comparison comparison;
  for (const ValueSpec& spec : Values()) {
    std::optional<Value> a = Find(left, spec.key);
    std::optional<Value> b = Find(right, spec.key);
    const bool same = a && b ? SameValue(spec.key, *a, *b) : a.has_value() == b.has_value();
    if (same) continue;
    // Range limits follow from the sensor type, which is compared itself.
    if (!spec.writable && spec.group != "device") continue;
    (spec.writable ? comparison.differences : comparison.identity).push_back({spec.key, a, b});
  }
  return comparison;
}

}  // namespace zolin6::configuration
