#include "configuration/values.h"

#include <array>
#include <charconv>

#include "configuration/catalogue.h"

namespace zolin6::configuration {

std::string ValueText(const Value& value) {
  if (const auto* integer = std::get_if<std::int64_t>(&value)) return std::to_string(*integer);
  if (const auto* number = std::get_if<double>(&value)) {
    // Shortest round-trip form, "." whatever the user's locale.
    std::array<char, 32> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *number);
    return std::string(buffer.data(), ec == std::errc() ? end : buffer.data());
  }
  return std::get<std::string>(value);
}

std::string ShownValue(const CatalogueValue& entry, const Configuration& configuration) {
  auto found = configuration.values.find(entry.key);
  if (found == configuration.values.end()) return "";
  const Value& value = found->second;
  std::string text = ValueText(value);
  // An enumeration by its text alone, as its page's list shows it; a code
  // the list does not hold by its number.
  if (entry.enumeration != Enumeration::None && std::holds_alternative<std::int64_t>(value)) {
    const std::string name = CodeText(entry.enumeration, std::get<std::int64_t>(value));
    if (!name.empty()) text = name;
  }
  if (!entry.unitKey.empty()) {
    auto unit = configuration.values.find(entry.unitKey);
    if (unit != configuration.values.end() && std::holds_alternative<std::int64_t>(unit->second)) {
      text += " " + CodeText(Enumeration::Unit, std::get<std::int64_t>(unit->second));
    }
  }
  if (entry.key == "sensor parameters.damping") text += " s";
  return text;
}

}  // namespace zolin6::configuration
