#include "configuration/change_text.h"

#include "configuration/catalogue.h"

namespace zolin6::configuration {

namespace {

constexpr const char* kArrow = " \u2192 ";
constexpr const char* kDash = "\u2013";
constexpr const char* kLower = "lower range value";
constexpr const char* kUpper = "upper range value";

// "0–600", the range's two numbers as the file holds them; "(none)" for a
// missing one.
std::string Numbers(const std::string& group, const Configuration& configuration) {
  auto number = [&](const char* name) {
    auto found = configuration.values.find(group + "." + name);
    return found == configuration.values.end() ? std::string("(none)") : ValueText(found->second);
  };
  return number(kLower) + kDash + number(kUpper);
}

std::string UnitText(const std::string& key, const Configuration& configuration) {
  const std::optional<std::int64_t> unit = UnitOf(key, configuration);
  if (!unit) return {};
  const std::string text = CodeText(Enumeration::Unit, *unit);
  return " " + (text.empty() ? std::to_string(*unit) : text);
}

// A range whose numbers stayed while its unit changed now means another
// temperature; otherwise it is said from and to, each in its unit.
std::string RangeChange(const std::string& group, const Configuration& from, const Configuration& to) {
  const std::string upper = group + "." + kUpper;
  const std::string before = Numbers(group, from);
  const std::string after = Numbers(group, to);
  const std::string unitBefore = UnitText(upper, from);
  const std::string unitAfter = UnitText(upper, to);
  if (before == after && unitBefore != unitAfter) return "the range " + before + " now means " + after + unitAfter;
  return "range " + before + unitBefore + kArrow + after + unitAfter;
}

bool IsRangeValue(const CatalogueValue& entry) { return entry.name == kLower || entry.name == kUpper; }

}  // namespace

std::string ShownOrNone(const std::string& key, const Configuration& configuration) {
  const CatalogueValue* entry = FindValue(key);
  if (entry == nullptr || !configuration.values.contains(key)) return "(none)";
  return ShownValue(*entry, configuration);
}

std::vector<std::string> DescribeChanges(const Comparison& comparison, const Configuration& from,
                                         const Configuration& to) {
  std::vector<std::string> lines;
  for (const std::string& group : Groups()) {
    std::string phrases;
    bool rangeSaid = false;
    for (const CatalogueValue& entry : Values()) {
      if (entry.group != group || !comparison.differs(entry.key)) continue;
      if (IsRangeValue(entry) && rangeSaid) continue;
      if (!phrases.empty()) phrases += "; ";
      if (IsRangeValue(entry)) {
        phrases += RangeChange(group, from, to);
        rangeSaid = true;
      } else {
        phrases += entry.name + " " + ShownOrNone(entry.key, from) + kArrow + ShownOrNone(entry.key, to);
      }
    }
    if (!phrases.empty()) lines.push_back(GroupTitle(group) + ": " + phrases);
  }
  return lines;
}

std::string DifferenceCount(std::size_t count) {
  if (count == 0) return "No differences";
  return std::to_string(count) + (count == 1 ? " difference" : " differences");
}

}  // namespace zolin6::configuration
