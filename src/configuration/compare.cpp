#include "configuration/compare.h"

#include <algorithm>
#include <cmath>

#include "configuration/catalogue.h"
#include "configuration/device_codec.h"
#include "device/device_model.h"

namespace zolin6::configuration {

namespace {

// A number converted to another unit keeps about five of the seven digits
// a single carries: two quantities closer than this share of the larger
// are the same.
constexpr double kConvertedTolerance = 1e-5;

std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::optional<Value> Find(const Configuration& configuration, const std::string& key) {
  auto found = configuration.values.find(key);
  if (found == configuration.values.end()) return std::nullopt;
  return found->second;
}

// Whether `x` in unit `from` is the quantity `y` in unit `to`: units of one
// kind are converted (the temperature units among themselves); a number in
// a unit of another kind means something else.
bool SameQuantity(double x, std::int64_t from, double y, std::int64_t to) {
  const auto kindFrom = device::UnitKind(static_cast<int>(from));
  const auto kindTo = device::UnitKind(static_cast<int>(to));
  if (!kindFrom || kindFrom != kindTo) return false;
  const double converted = device::ConvertValue(x, static_cast<int>(from), static_cast<int>(to));
  return std::abs(converted - y) <= kConvertedTolerance * std::max({std::abs(converted), std::abs(y), 1.0});
}

bool Same(const CatalogueValue& entry, const Configuration& left, const Configuration& right,
          const std::optional<Value>& a, const std::optional<Value>& b) {
  if (!a || !b) return a.has_value() == b.has_value();
  const std::optional<std::int64_t> unitA = UnitOf(entry.key, left);
  const std::optional<std::int64_t> unitB = UnitOf(entry.key, right);
  if (unitA && unitB && *unitA != *unitB && std::holds_alternative<double>(*a) && std::holds_alternative<double>(*b)) {
    return SameQuantity(std::get<double>(*a), *unitA, std::get<double>(*b), *unitB);
  }
  return SameValue(entry.key, *a, *b);
}

}  // namespace

bool Comparison::differs(const std::string& key) const {
  return std::ranges::any_of(differences, [&key](const Difference& d) { return d.key == key; });
}

std::optional<std::int64_t> UnitOf(const std::string& key, const Configuration& configuration) {
  const CatalogueValue* entry = FindValue(key);
  if (entry == nullptr || entry->unitKey.empty()) return std::nullopt;
  std::optional<Value> unit = Find(configuration, entry->unitKey);
  if (!unit || !std::holds_alternative<std::int64_t>(*unit)) return std::nullopt;
  return std::get<std::int64_t>(*unit);
}

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
    if (Same(entry, left, right, a, b)) continue;
    // Range limits follow from the sensor type, which is compared itself.
    if (!entry.writable && entry.group != "device") continue;
    (entry.writable ? comparison.differences : comparison.identity).push_back({entry.key, a, b});
  }
  return comparison;
}

}  // namespace zolin6::configuration
