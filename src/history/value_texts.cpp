#include "history/value_texts.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>

namespace zolin6::history {

std::optional<double> DocumentNumber(std::string_view text) {
  if (text == "1.#QNAN" || text == "1.#R" || text == "2141192192") return std::nan("");
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> HexFloat(std::string_view text) {
  std::uint32_t bits = 0;
  if (text.size() != 8) return std::nullopt;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return static_cast<double>(std::bit_cast<float>(bits));
}

std::optional<long> HexCode(std::string_view text) {
  long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<long> DecimalCode(std::string_view text) {
  long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string ThreeDecimals(double value) {
  if (!std::isfinite(value)) return "1.#QNAN";
  std::array<char, 64> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 3);
  if (ec != std::errc()) return "1.#QNAN";
  std::string text(buffer.data(), end);
  if (text == "-0.000") text = "0.000";
  return text;
}

}  // namespace zolin6::history
