#include "configuration/compare.h"

#include <algorithm>

#include "configuration/catalogue.h"
#include "configuration/device_codec.h"

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
  const CatalogueValue* entry = FindValue(key);
  if (std::holds_alternative<double>(a) && std::holds_alternative<double>(b)) {
    // The same single, or numbers the page writes as the same bits: a value
    // downloaded is what its page would have made of it.
    const double x = std::get<double>(a);
    const double y = std::get<double>(b);
    if (static_cast<float>(x) == static_cast<float>(y)) return true;
    const Result<std::string> pageX = PageNumberHex(x);
    const Result<std::string> pageY = PageNumberHex(y);
    return pageX && pageY && *pageX == *pageY;
  }
  if (entry != nullptr && entry->packed && std::holds_alternative<std::string>(a) &&
      std::holds_alternative<std::string>(b)) {
    return Upper(std::get<std::string>(a)) == Upper(std::get<std::string>(b));
  }
  return a == b;
}

Comparison Compare(const Configuration& left, const Configuration& right) {
  Comparison comparison;
  for (const CatalogueValue& entry : Values()) {
    std::optional<Value> a = Find(left, entry.key);
    std::optional<Value> b = Find(right, entry.key);
    const bool same = a && b ? SameValue(entry.key, *a, *b) : a.has_value() == b.has_value();
    if (same) continue;
    // Range limits follow from the sensor type, which is compared itself.
    if (!entry.writable && entry.group != "device") continue;
    (entry.writable ? comparison.differences : comparison.identity).push_back({entry.key, a, b});
  }
  return comparison;
}

}  // namespace zolin6::configuration
