#include "configuration/values.h"

#include <array>
#include <charconv>

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

}  // namespace zolin6::configuration
