#pragma once
// A device configuration as data: every value the file keeps, by key, in
// the device's units, and when it was read.

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace zolin6::configuration {

// An enumeration code or count, a real number, or a text.
using Value = std::variant<std::int64_t, double, std::string>;

struct Configuration {
  std::string readAt;                   // when the device was read, ISO 8601 UTC ("2026-12-06T21:49:12Z")
  std::map<std::string, Value> values;  // by catalogue key ("channel 2.upper range value")
};

// A value as the file and the report show it: integers in decimal, numbers
// in their shortest round-trip form with ".", texts unchanged.
std::string ValueText(const Value& value);

struct CatalogueValue;

// The value of `entry` in `configuration` as the pages show it: an
// enumeration by its text (an unknown code by its number), a number with
// its unit; "" when it has none.
std::string ShownValue(const CatalogueValue& entry, const Configuration& configuration);

}  // namespace zolin6::configuration
